// The planner's rules: Spent is the report's "Total cost", statuses follow the lists, a new season
// keeps the old one exactly, earlier seasons and repeats, and the planner file.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "base/failure.h"
#include "giftlist/giftbook.h"
#include "planner/planner.h"
#include "report/reportjob.h"
#include "report/reportworkbook.h"
#include "report/sheetplan.h"
#include "tests/support/testsupport.h"

namespace {

GiftEntry gift(const QString& name, const QString& present, const QString& cost) {
  return {name, QStringLiteral("likes ") + name, present, cost,
          name + QStringLiteral("@example.com")};
}

mode_t modeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}

}  // namespace

class PlannerTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    qputenv("TEMP", QFile::encodeName(dir_->filePath("temp")));
    QDir().mkpath(dir_->filePath("temp"));
    book_ = std::make_unique<GiftBook>();
    planner_ = std::make_unique<Planner>(*book_, dir_->filePath("data"));
  }
  void cleanup() { QLocale::setDefault(QLocale::c()); }

  void spentIsTheReportsTotal_data();
  void spentIsTheReportsTotal();
  void statusFollowsTheLists();
  void newSeasonKeepsTheOldOneAndClears();
  void newSeasonThatCannotBeKeptChangesNothing();
  void earlierSeasonsAndRepeats();
  void plannerFile();

 private:
  Planner reread() { return Planner(*book_, dir_->filePath("data")); }
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<GiftBook> book_;
  std::unique_ptr<Planner> planner_;
};

void PlannerTest::spentIsTheReportsTotal_data() {
  QTest::addColumn<QString>("locale");
  QTest::addColumn<QStringList>("costs");
  QTest::addColumn<double>("total");
  QTest::newRow("English") << "en_US"
                           << QStringList{"$89", "1,250.50", "12.5", "abc", "", "-$5", "30 $"}
                           << 1347.0 + 30;
  QTest::newRow("German") << "de_DE"
                          << QStringList{"89", "1.250,50", "12,5", "abc", "", "-5 $", "$30"}
                          << 1347.0 + 30;
}

void PlannerTest::spentIsTheReportsTotal() {
  QFETCH(QString, locale);
  QFETCH(QStringList, costs);
  QFETCH(double, total);
  QLocale::setDefault(QLocale(locale));
  for (int c = 0; c < kCategoryCount; ++c)
    for (int i = 0; i < costs.size(); ++i)
      book_->list(c).add(gift(QStringLiteral("P%1").arg(i), QStringLiteral("gift"),
                              c == 3 ? QStringLiteral("x") : costs[i]));
  // A cost that is a formula of another list's cell counts as the report counts it.
  book_->list(2).add(gift("R", "gift", "=R3C4"));
  // More than fit the sheet: the report leaves them out, and so does Spent.
  for (int i = 0; i < report::kEntriesThatFit; ++i)
    book_->list(1).add(gift(QStringLiteral("Q%1").arg(i), QString(), QStringLiteral("1")));
  report::WorkbookHandOver windows;
  {
    FakePrompts prompts;  // the report says that entries were left out
    report::GenerateReport0(*book_, windows, 1);
  }
  const sheet::Workbook workbook = loadWorkbookFile(windows.workbookPath());
  for (int c = 0; c < kCategoryCount; ++c) {
    const sheet::Cell* cell = workbook.sheet(0).cell(
        {report::kTotalRow - 1, report::kListBlocks[size_t(c)].costColumn()});
    QVERIFY(cell);
    QCOMPARE(planner_->spent()[size_t(c)].value, std::get<double>(cell->value));
  }
  QCOMPARE(planner_->spent()[0].value, total);
  QCOMPARE(planner_->spent()[3].value, 0.0);
  QCOMPARE(report::currencyText(planner_->spent()[0]), QStringLiteral("$1,377.00"));
  // Cents that meet the budget leave nothing, not a little less than nothing.
  QCOMPARE(report::currencyText(Planner::left(3.30, 1.10 + 2.20)), QStringLiteral("$0.00"));
}

void PlannerTest::statusFollowsTheLists() {
  GiftListModel& family = book_->list(0);
  family.add(gift("Mom", "Shoes", "$89"));
  family.add(gift("Dad", "Razor", "$30"));
  book_->list(2).add(gift("Mom", "Book", "$10"));  // another entry: the same name in Friends
  planner_->setStatus(0, "Mom", GiftStatus::Wrapped);
  planner_->setStatus(0, "Dad", GiftStatus::Given);
  QCOMPARE(planner_->status(2, "Mom"), GiftStatus::ToBuy);
  QCOMPARE(planner_->statusCounts(0), (std::array<int, kStatusCount>{0, 0, 1, 1}));
  QVERIFY_THROWS_EXCEPTION(Failure, planner_->setStatus(1, "Mom", GiftStatus::Bought));

  family.update(1, gift("Mom", "Other shoes", "$95"));  // an update by name keeps it
  QCOMPARE(planner_->status(0, "Mom"), GiftStatus::Wrapped);
  family.removeAt(2);  // Dad goes, and his status with him
  family.add(gift("Dad", "Razor", "$30"));
  QCOMPARE(planner_->status(0, "Dad"), GiftStatus::ToBuy);
  QCOMPARE(reread().load(Planner::Damaged::KeepAside), QString());
  {
    Planner stored = reread();
    stored.load(Planner::Damaged::KeepAside);
    QCOMPARE(stored.status(0, "Mom"), GiftStatus::Wrapped);
    QCOMPARE(stored.data().statuses[0].size(), 1);
  }
  family.clear();
  QVERIFY(planner_->data().statuses[0].isEmpty());
  Planner stored = reread();
  stored.load(Planner::Damaged::KeepAside);
  QVERIFY(stored.data().statuses[0].isEmpty());
}

void PlannerTest::newSeasonKeepsTheOldOneAndClears() {
  book_->list(0).add(gift("Mom", "Ryka Walking Shoes", "$89"));
  book_->list(3).add(gift("Neighbour", "Cookies", "$5"));
  planner_->setBudget(0, 150);
  planner_->setStatus(0, "Mom", GiftStatus::Given);
  const std::vector<GiftEntry> family = book_->list(0).entries();
  planner_->startNewSeason(" 2025 ");

  QCOMPARE(planner_->data().seasons.size(), size_t(1));
  const KeptSeason& kept = planner_->data().seasons.front();
  QCOMPARE(kept.name, QStringLiteral("2025"));
  QCOMPARE(kept.budgets[0], std::optional<double>(150));
  QCOMPARE(kept.lists[0], (std::vector<KeptEntry>{{family[0], GiftStatus::Given}}));
  QCOMPARE(kept.lists[3].front().entry.present, QStringLiteral("Cookies"));
  // The kept workbook is the report of that season, and read-only.
  const QString workbook = planner_->seasonWorkbook(kept);
  QCOMPARE(modeOf(workbook), mode_t(0400));
  const sheet::Workbook report = loadWorkbookFile(workbook);
  QCOMPARE(std::get<QString>(report.sheet(0).cell({2, 2})->value),
           QStringLiteral("Ryka Walking Shoes"));
  // The new season: names, likes and e-mail stay; present, cost and status go; budgets stay.
  const GiftEntry& mom = book_->list(0).at(1);
  QCOMPARE(mom, (GiftEntry{"Mom", "likes Mom", "", "", "Mom@example.com"}));
  QCOMPARE(planner_->status(0, "Mom"), GiftStatus::ToBuy);
  QCOMPARE(planner_->data().budgets[0], std::optional<double>(150));
  QCOMPARE(planner_->spent()[0].value, 0.0);
  QCOMPARE(kept.spent->at(0).value, 89.0);  // as the season's report had it
  // All of it is in the file; the temporary workbook of the run is gone.
  Planner stored = reread();
  QCOMPARE(stored.load(Planner::Damaged::KeepAside), QString());
  QCOMPARE(stored.data(), planner_->data());
  QCOMPARE(QDir(dir_->filePath("temp")).entryList(QDir::Files | QDir::NoDotAndDotDot),
           QStringList());
  // A second season of the same name is refused; another name is a second file.
  QVERIFY(!planner_->seasonNameRefusal("2025").isEmpty());
  QVERIFY_THROWS_EXCEPTION(Failure, planner_->startNewSeason("2025"));
  planner_->startNewSeason("2025/2");
  QCOMPARE(planner_->data().seasons.back().workbook, QStringLiteral("2025_2.xls"));
  // A season's workbook that was removed does not give its name to the next one.
  QVERIFY(QFile::remove(planner_->seasonWorkbook(planner_->data().seasons.back())));
  planner_->startNewSeason("2025 2");
  QCOMPARE(planner_->data().seasons.back().workbook, QStringLiteral("2025_2-2.xls"));
}

void PlannerTest::newSeasonThatCannotBeKeptChangesNothing() {
  book_->list(0).add(gift("Mom", "Shoes", "$89"));
  planner_->setStatus(0, "Mom", GiftStatus::Bought);
  // The planner file cannot be replaced: a folder has taken its name.
  QVERIFY(QFile::remove(planner_->file()) && QDir().mkdir(planner_->file()));
  QVERIFY_THROWS_EXCEPTION(Failure, planner_->startNewSeason("2025"));
  QVERIFY(planner_->data().seasons.empty());
  QCOMPARE(planner_->status(0, "Mom"), GiftStatus::Bought);
  QCOMPARE(book_->list(0).at(1).present, QStringLiteral("Shoes"));
  QCOMPARE(QDir(planner_->seasonsFolder()).entryList(QDir::Files), QStringList());
}

void PlannerTest::earlierSeasonsAndRepeats() {
  GiftListModel& family = book_->list(0);
  family.add(gift("Mom", "Ryka Walking Shoes", "$89"));
  family.add(gift("Dad", "", ""));
  planner_->startNewSeason("2024");
  family.update(1, gift("Mom", "Scarf", ""));
  planner_->startNewSeason("2025");
  family.update(1, gift("Mom", "  ryka walking SHOES ", "$95"));
  QCOMPARE(Planner::earlierText(planner_->earlier(0, "Mom")),
           QStringLiteral("2025: Scarf; 2024: Ryka Walking Shoes, $89"));
  QCOMPARE(Planner::earlierText(planner_->earlier(0, "Dad")),
           QStringLiteral("2025: no present; 2024: no present"));
  QVERIFY(planner_->earlier(1, "Mom").empty());  // another list, another person
  QCOMPARE(planner_->repeatedIn(0, family.at(1)), QStringLiteral("2024"));
  QCOMPARE(planner_->repeatedIn(0, family.at(2)), QString());  // nothing planned, no repeat
}

void PlannerTest::plannerFile() {
  // Missing: an empty planner, and no file until something changes.
  QCOMPARE(planner_->load(Planner::Damaged::KeepAside), QString());
  QVERIFY(!QFile::exists(planner_->file()));
  book_->list(0).add(gift("Mom", "Shoes", "$89"));
  planner_->setBudget(2, 12.5);
  QCOMPARE(modeOf(planner_->file()), mode_t(0600));
  QCOMPARE(modeOf(dir_->filePath("data")), mode_t(0700));
  QVERIFY_THROWS_EXCEPTION(Failure, planner_->setBudget(1, -1));

  auto writeFile = [&](const QByteArray& bytes) {
    QFile f(planner_->file());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
  };
  const QList<QByteArray> damaged = {
      "{not json",
      "[]",
      R"({"format":"Tinselwick planner","version":0})",
      R"({"format":"something else","version":1})",
      R"({"format":"Tinselwick planner","version":1,"budgets":{"Family":-3}})",
      R"({"format":"Tinselwick planner","version":1,"statuses":{"Cousins":{"A":"given"}}})",
      R"({"format":"Tinselwick planner","version":1,"seasons":[{"season":"x","kept":"",)"
      R"("workbook":"../../settings.conf","lists":{}}]})"};
  // A newer version's file is left as it is and never written over.
  writeFile(R"({"format":"Tinselwick planner","version":2})");
  QVERIFY(planner_->load(Planner::Damaged::KeepAside).contains("newer Tinselwick"));
  QVERIFY_THROWS_EXCEPTION(Failure, planner_->setBudget(0, 1));
  QVERIFY(!QFile::exists(planner_->file() + ".damaged"));
  for (const QByteArray& bytes : damaged) {
    writeFile(bytes);
    // Without windows the file is left where it is.
    QVERIFY(!planner_->load(Planner::Damaged::LeaveAlone).isEmpty());
    QVERIFY(QFile::exists(planner_->file()));
    QVERIFY_THROWS_EXCEPTION(Failure, planner_->setBudget(0, 1));  // never written over
    // The windows keep it beside, and the planner starts empty.
    const QString told = planner_->load(Planner::Damaged::KeepAside);
    QVERIFY2(told.contains("is damaged") && told.contains(".damaged"), qPrintable(told));
    QVERIFY(!QFile::exists(planner_->file()));
    QCOMPARE(planner_->data(), PlannerData{});
    QCOMPARE(book_->list(0).count(), 1);
  }
  QVERIFY(QFile::exists(planner_->file() + ".damaged"));
  QVERIFY(QFile::exists(planner_->file() + ".damaged-7"));
  planner_->setBudget(0, 1);  // a new file, beside the kept ones
  QCOMPARE(reread().load(Planner::Damaged::KeepAside), QString());
}

QTEST_MAIN(PlannerTest)
#include "tst_planner.moc"
