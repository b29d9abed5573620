// A report run with a damaged template resource: opening it reports that it is no Excel
// 97-2003 workbook (step 118), every later step that needs the workbook reports in turn, the run
// ends with the preview shown (without a picture) and the stored lists are untouched.
#include <QRandomGenerator>

#include "report/reportjob.h"
#include "report/reporttemplate.h"
#include "spreadsheet/cfb/compoundfile.h"
#include "tests/badinput/badinput.h"

using namespace badinput;

namespace {

QByteArray randomBytes(int size, quint32 seed) {
  QRandomGenerator random(seed);
  QByteArray bytes(size, Qt::Uninitialized);
  for (char& b : bytes) b = static_cast<char>(random.bounded(256));
  return bytes;
}

QByteArray realTemplate() {
  report::setTemplateBytesForTesting(QByteArray());
  return report::templateBytes();
}

}  // namespace

class TemplateDamageTest : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { report::setTemplateBytesForTesting(QByteArray()); }
  void damagedTemplate_data();
  void damagedTemplate();
};

void TemplateDamageTest::damagedTemplate_data() {
  QTest::addColumn<QByteArray>("bytes");
  const QByteArray real = realTemplate();
  const QByteArray stream = sheet::cfb::readStream(real, QStringLiteral("Workbook"));
  QTest::newRow("one byte") << QByteArray(1, '\xd0');
  QTest::newRow("cut in the header") << real.left(300);
  QTest::newRow("cut in half") << real.left(real.size() / 2);
  QTest::newRow("random bytes") << randomBytes(8192, 20211224);
  QTest::newRow("signature, then random bytes")
      << real.left(8) + randomBytes(real.size() - 8, 1225);
  QTest::newRow("compound file without a Workbook stream")
      << sheet::cfb::write({{QStringLiteral("Book"), stream}});
  QTest::newRow("Workbook stream of random bytes")
      << sheet::cfb::write({{QStringLiteral("Workbook"), randomBytes(6000, 7)}});
  QTest::newRow("Workbook stream cut after 100 bytes")
      << sheet::cfb::write({{QStringLiteral("Workbook"), stream.left(100)}});
  QTest::newRow("empty Workbook stream") << sheet::cfb::write({{QStringLiteral("Workbook"), {}}});
}

void TemplateDamageTest::damagedTemplate() {
  QFETCH(QByteArray, bytes);
  Sandbox box;
  storeList(0,
            QStringLiteral("Mom||SEP1||Shoes||SEP1||Ryka||SEP1||$89||SEP1||m@x.example||SEP2||"));
  for (int c = 1; c < kCategoryCount; ++c) storeList(c, QString());
  const std::array<QString, 4> lists = storedLists();

  auto form = openMainWindow();
  QVERIFY(form);
  report::setTemplateBytesForTesting(bytes);
  PreviewWindow* preview = runReport(form);

  const QStringList steps = errorSteps(box.prompts);
  QVERIFY(!steps.isEmpty());
  QCOMPARE(steps.first(), QStringLiteral("XmasList.GenerateReport0@118"));
  const QRegularExpression notAWorkbook(
      "^'" + QRegularExpression::escape(temporaryFolder()) +
      "/tinselwick-\\w{6}/template\\.xlt' is not an Excel 97-2003 workbook");
  QVERIFY2(notAWorkbook.match(box.prompts.errors().first().text).hasMatch(), dialogs(box.prompts));
  // Then each step that needs the workbook, in run order, and nothing else.
  const QStringList expected = {"XmasList.GenerateReport0@118", "XmasList.GenerateReport0@120",
                                "XmasList.GenerateReport@102",  "XmasList.GenerateReport@104",
                                "XmasList.GenerateReport@106",  "XmasList.GenerateReport@108",
                                "XmasList.GenerateReport@110",  "XmasList.GenerateReport@158",
                                "XmasList.GenerateReport0@124", "XmasList.GenerateReport0@126",
                                "XmasList.GenerateReport0@128", "XmasList.GenerateReport0@130",
                                "XmasList.GenerateReport0@132", "XmasList.GenerateReport0@134",
                                "XmasList.GenerateReport0@136", "XmasList.GenerateReport0@138",
                                "XmasList.GenerateReport0@140", "XmasList.GenerateReport0@142",
                                "XmasList.GenerateReport0@144", "XmasList.GenerateReport0@174",
                                "XmasList.GenerateReport0@178", "XmasList.GenerateReport0@184",
                                "XmasList.GenerateReport0@188", "XmasList.GenerateReport0@190",
                                "XmasList.GenerateReport0@194", "XmasList.GenerateReport0@200"};
  QCOMPARE(steps, expected);

  QVERIFY(preview && preview->isVisible());
  QVERIFY(!form->isVisible());
  QVERIFY(preview->Zoom_Ori->picture().isNull());
  QVERIFY(!QFileInfo::exists(temporaryFolder() + QStringLiteral("/template.xlt")));

  preview->PushButton8_Click();
  QVERIFY(form->isVisible());
  // The run after it, with the template mended, goes through.
  report::setTemplateBytesForTesting(QByteArray());
  box.prompts.clear();
  preview = runReport(form);
  QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  QVERIFY(!preview->Zoom_Ori->picture().isNull());

  form->Form_QueryUnload();
  QCOMPARE(storedLists(), lists);
}

QTEST_MAIN(TemplateDamageTest)
#include "tst_template.moc"
