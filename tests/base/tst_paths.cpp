// The file and folder helpers of the base layer: file tests and quiet deletion, the temporary
// folder, and the application title.
#include <QWidget>
#include <QtTest>

#include "base/apptitle.h"
#include "base/failure.h"
#include "base/files.h"
#include "tests/support/testsupport.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
  f.write(bytes);
}

}  // namespace

class TestPaths : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cleanup();
  void fileExists_data();
  void fileExists();
  void deleteMissingFileIsQuiet();
  void deleteReadOnlyFile();
  void deleteNamesExactlyOneFile_data();
  void deleteNamesExactlyOneFile();
  void deleteLeavesFolders();
  void applicationTitle_data();
  void applicationTitle();
  void temporaryFolderFromTemp();

 private:
  QTemporaryDir config_;
  QTemporaryDir work_;
};

void TestPaths::initTestCase() {
  QVERIFY(config_.isValid() && work_.isValid());
  // A fresh settings folder for every run, set before the store is first used.
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
  setProgramFolderForTesting(work_.path());
}

void TestPaths::cleanup() {
  QFile::remove(work_.filePath("HAND-M.CUR"));
  QDir(work_.filePath("x")).removeRecursively();
}

void TestPaths::fileExists_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<bool>("exists");
  writeFile(work_.filePath("plain.txt"), "x");
  QTest::newRow("file") << work_.filePath("plain.txt") << true;
  QTest::newRow("folder") << work_.path() << true;
  QTest::newRow("empty path") << QString() << false;
  QTest::newRow("missing") << work_.filePath("missing.txt") << false;
  QTest::newRow("in missing folder") << work_.filePath("nowhere/plain.txt") << false;
  QFile::link(work_.filePath("nowhere"), work_.filePath("dangling"));
  QTest::newRow("dangling link") << work_.filePath("dangling") << false;
}

void TestPaths::fileExists() {
  QFETCH(QString, path);
  QFETCH(bool, exists);
  QCOMPARE(FileExists(path), exists);
  // A name is taken by anything at all that has it, a dangling link too.
  QCOMPARE(NameTaken(path), exists || QFileInfo(path).isSymLink());
}

void TestPaths::deleteMissingFileIsQuiet() {
  FakePrompts prompts;
  DeleteFileQuietly(work_.filePath("never-there.xls"));
  DeleteFileQuietly(QString());
  QVERIFY(prompts.messages.isEmpty());
}

void TestPaths::deleteReadOnlyFile() {
  FakePrompts prompts;
  const QString path = work_.filePath("readonly.xls");
  writeFile(path, "data");
  QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser));
  DeleteFileQuietly(path);
  QVERIFY(!QFileInfo::exists(path));
  QVERIFY(prompts.messages.isEmpty());
}

void TestPaths::deleteNamesExactlyOneFile_data() {
  QTest::addColumn<QString>("named");
  QTest::addColumn<QStringList>("neighbours");
  QTest::newRow("question mark") << "gifts?.xls" << QStringList{"gifts1.xls", "gifts2.xls"};
  QTest::newRow("star") << "*.xls" << QStringList{"a.xls", "b.xls"};
  QTest::newRow("brackets") << "gift[12].xls" << QStringList{"gift1.xls", "gift2.xls"};
}

void TestPaths::deleteNamesExactlyOneFile() {
  QFETCH(QString, named);
  QFETCH(QStringList, neighbours);
  QTemporaryDir dir;
  writeFile(dir.filePath(named), "named");
  for (const QString& n : neighbours) writeFile(dir.filePath(n), "neighbour");
  DeleteFileQuietly(dir.filePath(named));
  QVERIFY(!QFileInfo::exists(dir.filePath(named)));
  for (const QString& n : neighbours) QVERIFY2(QFileInfo::exists(dir.filePath(n)), qPrintable(n));
  // A pattern that names no file of its own deletes nothing either.
  DeleteFileQuietly(dir.filePath(named));
  for (const QString& n : neighbours) QVERIFY2(QFileInfo::exists(dir.filePath(n)), qPrintable(n));
}

void TestPaths::deleteLeavesFolders() {
  const QString folder = work_.filePath("keepme");
  QVERIFY(QDir().mkpath(folder));
  DeleteFileQuietly(folder);
  QVERIFY(QFileInfo(folder).isDir());
}

void TestPaths::applicationTitle_data() {
  QTest::addColumn<QString>("product");
  QTest::addColumn<QString>("title");
  QTest::newRow("product") << QString::fromUtf16(kProductName) << "Tinselwick Christmas Gift List";
  QTest::newRow("short name loses a word") << "Gift Maker"
                                           << "Gift";
  QTest::newRow("exactly 40 loses a word") << "abcdefghij abcdefghij abcdefghij abcdefg"
                                           << "abcdefghij abcdefghij abcdefghij";
  QTest::newRow("41 before last blank loses more") << "abcdefghij abcdefghij abcdefghij abcdefghi z"
                                                   << "abcdefghij abcdefghij abcdefghij";
  QTest::newRow("exactly 40 after one cut") << "abcdefghij abcdefghij abcdefghij abcdefg z"
                                            << "abcdefghij abcdefghij abcdefghij abcdefg";
  QTest::newRow("no blank") << "Tinselwick"
                            << "Tinselwick";
  QTest::newRow("trailing blank") << "Gift List "
                                  << "Gift List";
}

void TestPaths::applicationTitle() {
  QFETCH(QString, product);
  QFETCH(QString, title);
  QCOMPARE(deriveApplicationTitle(product), title);
}

void TestPaths::temporaryFolderFromTemp() {
  const QByteArray saved = qgetenv("TEMP");
  qputenv("TEMP", QFile::encodeName(work_.path() + "/"));
  const QString withTemp = temporaryFolder();
  qputenv("TEMP", QFile::encodeName(work_.filePath("missing-folder")));
  const QString withMissing = temporaryFolder();
  qputenv("TEMP", saved);
  QCOMPARE(withTemp, work_.path());
  QCOMPARE(withMissing, QDir::tempPath());
}

QTEST_MAIN(TestPaths)
#include "tst_paths.moc"
