// Lists read back from a report (.xls and .xlsx, also as LibreOffice and Gnumeric save them again)
// and from the lists' CSV: what comes back, the entry rules, bad files, and opening them with the
// lists as they were kept first.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "base/failure.h"
#include "base/settings.h"
#include "base/trap.h"
#include "giftlist/giftbook.h"
#include "giftlist/storedlist.h"
#include "planner/importlists.h"
#include "planner/listscsv.h"
#include "planner/planner.h"
#include "report/printing.h"
#include "report/reportjob.h"
#include "spreadsheet/biff/workbookio.h"
#include "tests/support/testsupport.h"

namespace {

using Lists = std::array<std::vector<GiftEntry>, kCategoryCount>;

QString failureOf(const QByteArray& bytes) {
  try {
    readImportedLists(bytes);
  } catch (const Failure& failure) {
    return QString::fromUtf8(failure.what());
  }
  return {};
}

}  // namespace

class ImportListsTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup() { QLocale::setDefault(QLocale::c()); }
  void reportsAndCsvComeBack_data();
  void reportsAndCsvComeBack();
  void savedAgainByOtherPrograms();
  void entryRulesLeaveOut();
  void badFilesAreRefused();
  void openingKeepsTheListsAsTheyWere();

 private:
  QString makeReport();
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<GiftBook> book_;
  std::unique_ptr<Planner> planner_;
  Lists expected_;
};

void ImportListsTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  qputenv("TEMP", QFile::encodeName(dir_->filePath("temp")));
  QDir().mkpath(dir_->filePath("temp"));
  book_ = std::make_unique<GiftBook>();
  planner_ = std::make_unique<Planner>(*book_, dir_->filePath("data"));
  expected_ = {};
  // What a case that makes the lists unstorable may have left (the folder outlives a run).
  QDir(settingsFilePath(kSettingsApplication)).removeRecursively();
}

// The report workbook of the book's lists.
QString ImportListsTest::makeReport() {
  report::WorkbookHandOver handOver;
  report::GenerateReport0(*book_, handOver, 1);
  const QString path = dir_->filePath("report.xls");
  QFile::remove(path);
  if (!QFile::copy(handOver.workbookPath(), path)) return {};
  return path;
}

void ImportListsTest::reportsAndCsvComeBack_data() {
  QTest::addColumn<QString>("locale");
  QTest::addColumn<QStringList>("costs");  // as typed
  QTest::addColumn<QStringList>("shown");  // as read back from a report
  QTest::newRow("English") << "en_US" << QStringList{"$89", "1,250.50", "12.5", "about 20", "-$5"}
                           << QStringList{"$89", "1,250.50", "12.5", "about 20", "-$5"};
  QTest::newRow("German") << "de_DE" << QStringList{"89 $", "1.250,50", "12,5", "about 20", "-5"}
                          << QStringList{"$89", "1.250,50", "12,5", "about 20", "-5"};
}

void ImportListsTest::reportsAndCsvComeBack() {
  QFETCH(QString, locale);
  QFETCH(QStringList, costs);
  QFETCH(QStringList, shown);
  QLocale::setDefault(QLocale(locale));
  const QStringList names = {"Mom", QString::fromUtf8("Ёлка 圣诞"), "  Sam", "Neighbour", "Dad"};
  for (int i = 0; i < costs.size(); ++i) {
    book_->list(i % kCategoryCount).add({names[i], "likes, \"quoted\"", "gift", costs[i], "a@b"});
    expected_[size_t(i % kCategoryCount)].push_back(
        {names[i], "likes, \"quoted\"", "gift", shown[i], "a@b"});
  }
  // A text the report would otherwise take for a number or a truth value keeps its apostrophe.
  book_->list(1).add({"'007", "", "'TRUE", "", ""});
  expected_[1].push_back({"'007", "", "'TRUE", "", ""});
  // A cost that is a formula comes back as its formula.
  book_->list(2).add({"Formula", "", "", "=R3C4*2", ""});
  expected_[2].push_back({"Formula", "", "", "=R3C4*2", ""});
  const QString xls = makeReport();
  QVERIFY(!xls.isEmpty());
  const QString xlsx = dir_->filePath("report.xlsx");
  report::exportReportXlsx(xls, xlsx);
  for (const QString& path : {xls, xlsx}) {
    const ImportedLists lists = readListsFile(path);
    QCOMPARE(lists.leftOut, QStringList());
    QCOMPARE(lists.lists, expected_);
    QCOMPARE(lists.count(), 7);
  }
  // The CSV holds every field exactly, with the statuses.
  planner_->setStatus(0, "Mom", GiftStatus::Wrapped);
  const ImportedLists csv = readImportedLists(listsAsCsv(*book_, planner_.get()));
  QCOMPARE(csv.leftOut, QStringList());
  for (int c = 0; c < kCategoryCount; ++c) QCOMPARE(csv.lists[size_t(c)], book_->list(c).entries());
  QCOMPARE(csv.statuses[0].value("Mom"), GiftStatus::Wrapped);
  QCOMPARE(csv.statuses[0].size() + csv.statuses[1].size(), 1);

  // The report of the lists read back has the same totals.
  const report::ReportTotals before = planner_->spent();
  GiftBook again;
  const ImportedLists fromXls = readListsFile(xls);
  for (int c = 0; c < kCategoryCount; ++c)
    for (const GiftEntry& e : fromXls.lists[size_t(c)]) again.list(c).add(e);
  Planner second(again, dir_->filePath("second"));
  for (int c = 0; c < kCategoryCount; ++c)
    QCOMPARE(second.spent()[size_t(c)].value, before[size_t(c)].value);
}

void ImportListsTest::savedAgainByOtherPrograms() {
  const QString ssconvert = QStandardPaths::findExecutable("ssconvert");
  if (soffice().isEmpty() && ssconvert.isEmpty()) QSKIP("neither LibreOffice nor Gnumeric is here");
  book_->list(0).add({"Mom", "gardening", "Ryka Walking Shoes", "$89", ""});
  book_->list(0).add({"Dad", "", "Razors", "1,250.50", "dad@example.com"});
  book_->list(1).add({"Aunt", "", QString::fromUtf8("Ёлка & \"quotes\""), "=R3C4+1", ""});
  book_->list(3).add({"Neighbour", "", "Cookies", "about 5", ""});
  const QString xls = makeReport();
  const Lists original = readListsFile(xls).lists;
  QVERIFY(QFile::copy(xls, dir_->filePath("lo-source.xls")));
  QStringList saved;
  if (!soffice().isEmpty())
    for (const char* format : {"xls:MS Excel 97", "xlsx:Calc MS Excel 2007 XML"}) {
      const QString out = dir_->filePath("lo");
      QString log;
      runProgram(
          soffice(),
          {"--headless", "--norestore",
           "-env:UserInstallation=" + QUrl::fromLocalFile(dir_->filePath("profile")).toString(),
           "--convert-to", format, "--outdir", out, dir_->filePath("lo-source.xls")},
          &log, 180000);
      if (!QFile::exists(out + "/lo-source." + QString(format).section(':', 0, 0)))
        qWarning().noquote() << log;
      saved << out + "/lo-source." + QString(format).section(':', 0, 0);
    }
  if (!ssconvert.isEmpty())
    for (const char* ext : {"xls", "xlsx"}) {
      const QString out = dir_->filePath(QStringLiteral("gnumeric.") + ext);
      runProgram(ssconvert, {xls, out});
      saved << out;
    }
  for (const QString& path : saved) {
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const ImportedLists lists = readListsFile(path);
    QCOMPARE(lists.leftOut, QStringList());
    QCOMPARE(lists.lists, original);
  }
}

void ImportListsTest::entryRulesLeaveOut() {
  QByteArray csv = "List,Name,Likes,Present,Cost,Email,Status\r\n";
  for (int i = 1; i <= kMaxRecords + 1; ++i)
    csv += "Family,P" + QByteArray::number(i) + ",,,,,\r\n";
  csv +=
      "Friends,Sam,,,,,Bought\r\nFriends,Sam,,,,,\r\n"    // twice
      "Friends,,likes,,,,\r\nFriends,X||SEP1||,,,,,\r\n"  // no name; a separator
      "Cousins,Ann,,,,,\r\nFriends,Ann,,,,,Lost\r\n"      // no such list, status
      "Friends,Short\r\n,,,,,,\r\n";                      // too few fields; blank
  const ImportedLists lists = readImportedLists(csv);
  QCOMPARE(lists.count(), kMaxRecords + 1);
  QCOMPARE(lists.lists[2].size(), size_t(1));
  QCOMPARE(lists.statuses[2].value("Sam"), GiftStatus::Bought);  // the first Sam's
  QCOMPARE(lists.leftOut,
           QStringList({"Line 24 (Family), \"P23\": the list has its 22 entries already.",
                        "Line 26 (Friends), \"Sam\": the list has an entry of that name already.",
                        "Line 27 (Friends): it has no name.",
                        "Line 28 (Friends), \"X||SEP1||\": entries cannot contain ||SEP1|| or "
                        "||SEP2||.",
                        "Line 29: there is no list \"Cousins\".",
                        "Line 30 (Friends): there is no status \"Lost\".",
                        "Line 31: it has 2 fields, the heading line 7."}));
  QVERIFY(leftOutText(lists, 2).startsWith("\n\n7 entries are left out:\nLine 24"));
  QVERIFY(leftOutText(lists, 2).endsWith("already.\n\u2026 and 5 more."));
}

void ImportListsTest::badFilesAreRefused() {
  QVERIFY(failureOf("").contains("empty"));
  QVERIFY(failureOf("a;b;c\r\n").contains("no CSV of the gift lists"));
  QVERIFY(failureOf("List,Name\r\nFamily,\"open").contains("never ends"));
  QVERIFY(failureOf("List,Name\r\nFamily,a\"b\r\n").contains("Line 2"));
  QVERIFY(failureOf("List,Name\r\n\xff\xfe").contains("not UTF-8"));
  QVERIFY(failureOf("PK\x03\x04 not really").contains("cannot be read"));
  QVERIFY(failureOf("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 not really").contains("cannot be read"));
  // A workbook that is no report: its headings are not there.
  book_->list(0).add({"Mom", "", "", "", ""});
  sheet::Workbook other = loadWorkbookFile(makeReport());
  other.sheet(0).cellAt({1, 2}).value = QStringLiteral("Wishes");
  QVERIFY(failureOf(sheet::writeWorkbookBytes(other)).contains("no report of the gift lists"));
  // A file too large is not read at all.
  QFile big(dir_->filePath("big.csv"));
  QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(kImportFileLimit + 1));
  big.close();
  QVERIFY_THROWS_EXCEPTION(Failure, readListsFile(big.fileName()));
}

void ImportListsTest::openingKeepsTheListsAsTheyWere() {
  book_->list(0).add({"Mom", "", "Shoes", "$89", ""});
  planner_->setStatus(0, "Mom", GiftStatus::Given);
  ImportedLists opened;
  opened.lists[0] = {{"Mom", "", "Scarf", "$20", ""}};
  opened.lists[1] = {{"Aunt", "", "Tea", "", ""}};
  opened.statuses[1].insert("Aunt", GiftStatus::Bought);
  opened.hasStatuses = true;
  const QString name = planner_->seasonNameBeforeOpening("last.xls");
  QCOMPARE(name, QStringLiteral("Before opening last.xls"));
  QCOMPARE(planner_->openLists(opened, name), QString());
  QCOMPARE(book_->list(0).entries(), opened.lists[0]);
  QCOMPARE(planner_->status(0, "Mom"), GiftStatus::ToBuy);
  QCOMPARE(planner_->status(1, "Aunt"), GiftStatus::Bought);
  QCOMPARE(planner_->data().seasons.size(), size_t(1));
  const KeptSeason& kept = planner_->data().seasons[0];
  QCOMPARE(kept.name, name);
  QCOMPARE(kept.lists[0].front().entry.present, QStringLiteral("Shoes"));
  QCOMPARE(kept.lists[0].front().status, GiftStatus::Given);
  QVERIFY(QFile::exists(planner_->seasonWorkbook(kept)));
  // The kept season's workbook opens again as its lists; the name is taken now.
  QCOMPARE(readListsFile(planner_->seasonWorkbook(kept)).lists[0].front().present,
           QStringLiteral("Shoes"));
  QCOMPARE(planner_->seasonNameBeforeOpening("last.xls"),
           QStringLiteral("Before opening last.xls (2)"));
  // Both stored: the planner file and the lists.
  QCOMPARE(Planner(*book_, dir_->filePath("data")).load(Planner::Damaged::LeaveAlone), QString());
  GiftBook stored;
  {
    Trap trap{"Form1", "Form_Load"};
    stored.restore(trap, 126, GiftBook::Restore::ForReportOnly);
  }
  QCOMPARE(stored.list(1).entries(), opened.lists[1]);
  // A report has no statuses: a gift with the same name and present keeps its own.
  planner_->setStatus(1, "Aunt", GiftStatus::Wrapped);
  book_->list(0).add({"Dad", "", "Razors", "", ""});
  ImportedLists report;
  report.lists[1] = {{"Aunt", "", "Tea", "$5", ""}, {"Dad", "", "", "", ""}};
  report.lists[0] = {{"Dad", "", "Socks", "", ""}};
  planner_->setStatus(0, "Dad", GiftStatus::Bought);
  QCOMPARE(planner_->openLists(report, planner_->seasonNameBeforeOpening("report.xls")), QString());
  QCOMPARE(planner_->status(1, "Aunt"), GiftStatus::Wrapped);
  QCOMPARE(planner_->status(0, "Dad"), GiftStatus::ToBuy);  // another present
  // Empty lists have nothing to keep.
  for (int c = 0; c < kCategoryCount; ++c) book_->list(c).clear();
  QCOMPARE(planner_->openLists(opened, planner_->seasonNameBeforeOpening("x.csv")), QString());
  QCOMPARE(planner_->data().seasons.size(), size_t(2));
  QCOMPARE(book_->list(1).count(), 1);
  // New lists that cannot be stored leave the stored statuses those of the stored lists.
  planner_->setStatus(1, "Aunt", GiftStatus::Given);
  const QString settings = settingsFilePath(kSettingsApplication);
  QVERIFY(QFile::remove(settings) && QDir().mkpath(settings));
  {
    FakePrompts prompts;
    QVERIFY(planner_->openLists(opened, planner_->seasonNameBeforeOpening("y.csv"))
                .startsWith("The new lists could not be stored"));
    QCOMPARE(prompts.errors().size(), 1);
  }
  QCOMPARE(planner_->status(1, "Aunt"), GiftStatus::Bought);  // the new lists' own
  Planner onDisk(*book_, dir_->filePath("data"));
  QCOMPARE(onDisk.load(Planner::Damaged::LeaveAlone), QString());
  QCOMPARE(onDisk.data().statuses[1].value("Aunt"), GiftStatus::Given);
  QCOMPARE(onDisk.data().seasons.size(), size_t(3));
  QVERIFY(QDir(settings).removeRecursively());
}

QTEST_MAIN(ImportListsTest)
#include "tst_importlists.moc"
