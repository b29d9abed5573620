// The report workbook's copy to where the user saves it: a workbook that is gone or replaced is
// told in the words of the report, and nothing is written.
#include <QtTest>

#include "base/failure.h"
#include "report/reportworkbook.h"

class TestReportWorkbook : public QObject {
  Q_OBJECT
 private slots:
  void copy_data();
  void copy();
};

void TestReportWorkbook::copy_data() {
  QTest::addColumn<QString>("source");
  QTest::addColumn<QString>("refused");
  QTest::newRow("a file") << "old"
                          << "";
  QTest::newRow("a link in its place") << "link"
                                       << "has been replaced by a link";
  QTest::newRow("an empty file") << "empty"
                                 << "There is no report workbook to save";
  QTest::newRow("nothing") << "missing"
                           << "There is no report workbook to save";
  QTest::newRow("no name") << ""
                           << "There is no report workbook to save";
  QTest::newRow("a folder as the target") << "old"
                                          << "Choose a file name for the workbook.";
}

void TestReportWorkbook::copy() {
  QFETCH(QString, source);
  QFETCH(QString, refused);
  QTemporaryDir dir;
  QFile old(dir.filePath("old"));
  QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the old file") > 0);
  old.close();
  QVERIFY(QFile::link(dir.filePath("old"), dir.filePath("link")));
  QFile(dir.filePath("empty")).open(QIODevice::WriteOnly);
  QVERIFY(QDir(dir.path()).mkdir("folder"));
  const QString target =
      dir.filePath(QString(QTest::currentDataTag()).contains("folder") ? "folder" : "copy");
  QString failure;
  try {
    report::copyReportWorkbook(source.isEmpty() ? QString() : dir.filePath(source), target);
  } catch (const Failure& f) {
    failure = QString::fromUtf8(f.what());
  }
  QVERIFY2(refused.isEmpty() ? failure.isEmpty() : failure.contains(refused), qPrintable(failure));
  QCOMPARE(QFileInfo(dir.filePath("copy")).isFile(), refused.isEmpty());
}

QTEST_MAIN(TestReportWorkbook)
#include "tst_reportworkbook.moc"
