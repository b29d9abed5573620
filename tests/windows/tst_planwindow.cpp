// The planner from the windows: the lists' context menu and Ctrl+B, budgets, the entries table,
// a new season and its workbook, Escape, and everything kept across a restart.
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

#include "base/files.h"
#include "base/settings.h"
#include "giftlist/storedlist.h"
#include "tests/support/program.h"
#include "tests/support/testsupport.h"
#include "windows/plannermodel.h"

namespace {

QStringList actionTexts(QMenu& menu, bool checkedOnly = false) {
  QStringList texts;
  for (QAction* a : menu.actions())
    if (!checkedOnly || a->isChecked()) texts << a->text();
  return texts;
}

QAction* action(QMenu& menu, const QString& text) {
  for (QAction* a : menu.actions())
    if (a->text() == text) return a;
  return nullptr;
}

}  // namespace

class PlanWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    config_ = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_->path());
    qputenv("XDG_DATA_HOME", QFile::encodeName(config_->filePath("data")));  // never the user's
    QDir(Planner::dataFolder()).removeRecursively();
    prompts_ = std::make_unique<FakePrompts>();
  }
  void cleanup() { prompts_.reset(); }

  void markFromTheListsMenu();
  void keyboardAndNames();
  void budgetsAndEntries();
  void newSeasonAndItsWorkbook();
  void keptAcrossARestart();
  void openListsFromAFile();

 private:
  std::unique_ptr<QTemporaryDir> config_;
  std::unique_ptr<FakePrompts> prompts_;
};

void PlanWindowTest::markFromTheListsMenu() {
  TestProgram program = TestProgram::started();
  QVERIFY(program);
  program->PushButton6_Click();  // Mom and Dad in Family
  auto menu = program->listMenu(1);
  QCOMPARE(actionTexts(*menu),
           (QStringList{"Mark as To Buy", "Mark as Bought", "Mark as Wrapped", "Mark as Given", "",
                        "Planner\u2026", "", "Export Lists as CSV\u2026",
                        "Open Lists From File\u2026"}));
  QCOMPARE(actionTexts(*menu, true), QStringList{"Mark as To Buy"});
  action(*menu, "Mark as Wrapped")->trigger();
  QCOMPARE(program.app().planner().status(0, "Dad"), GiftStatus::Wrapped);
  QCOMPARE(actionTexts(*program->listMenu(1), true), QStringList{"Mark as Wrapped"});
  // Without an entry there is nothing to mark, but the planner opens.
  auto empty = program->listMenu(-1);
  QVERIFY(!action(*empty, "Mark as Given")->isEnabled());
  action(*empty, "Planner\u2026")->trigger();
  QVERIFY(program.app().plannerWindow()->isVisible());
  program.app().plannerWindow()->close();
  program->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(program.get()));
  QTest::keyClick(program.get(), Qt::Key_B, Qt::ControlModifier);
  PlannerWindow* planner = program.app().plannerWindow();
  QVERIFY(planner->isVisible());
  QCOMPARE(planner->windowTitle(), QStringLiteral("Tinselwick Planner"));
  // Escape closes the planner and nothing else.
  QTest::keyClick(planner->findField(), Qt::Key_Escape);
  QVERIFY(!planner->isVisible());
  QVERIFY(program->isVisible());
  // The lists as CSV, ".csv" added to the name.
  QTemporaryDir out;
  prompts_->savePaths.push_back(out.filePath("lists"));
  action(*program->listMenu(0), "Export Lists as CSV\u2026")->trigger();
  QString why;
  const auto csv = readFile(out.filePath("lists.csv"), -1, why);
  QVERIFY2(csv && csv->contains("\r\nFamily,Dad,,Mach 3 Razors,$30,,Wrapped\r\n"), qPrintable(why));
  QCOMPARE(prompts_->texts().last(), QStringLiteral("Done."));
  QVERIFY(prompts_->errors().isEmpty());
}

// Ctrl+O: the file, the question naming it and its entries with those left out, the lists as
// they were kept first; No, a cancelled dialog and a bad file change nothing.
void PlanWindowTest::openListsFromAFile() {
  TestProgram program = TestProgram::started();
  QVERIFY(program);
  program->PushButton6_Click();
  const std::vector<GiftEntry> samples = program.app().book().list(0).entries();
  QTemporaryDir dir;
  QFile csv(dir.filePath("lists.csv"));
  const QByteArray lists =
      "List,Name,Likes,Present,Cost,Email,Status\r\nFriends,Sam,,Carcassonne,$35,,Bought\r\n"
      "Friends,Sam,,,,,\r\n";
  QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write(lists) == lists.size());
  csv.close();
  QFile bad(dir.filePath("bad.xlsx"));
  QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("PK\x03\x04 damaged") > 0);
  bad.close();
  program->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(program.get()));
  auto open = [&](const QString& path, int answer) {
    prompts_->clear();
    prompts_->openPaths.push_back(path);
    prompts_->answers.push_back(answer);
    QTest::keyClick(program.get(), Qt::Key_O, Qt::ControlModifier);
  };
  open(csv.fileName(), msg::No);
  QCOMPARE(prompts_->openDialogTitles.last(), QStringLiteral("Open Lists From File"));
  QCOMPARE(prompts_->messages.size(), 1);
  QCOMPARE(prompts_->messages[0].style, msg::YesNo + msg::DefaultButton2);
  QCOMPARE(prompts_->messages[0].text,
           QStringLiteral("Replace the four lists with the 1 entry of \"lists.csv\"?\n\nThe lists "
                          "as they are now are kept first in the planner, as the season \"Before "
                          "opening lists.csv\".\n\n1 entry is left out:\nLine 3 (Friends), "
                          "\"Sam\": the list has an entry of that name already."));
  QCOMPARE(program.app().book().list(0).entries(), samples);
  open(QString(), msg::Yes);  // cancelled
  QVERIFY(prompts_->messages.isEmpty());
  open(bad.fileName(), msg::Yes);
  QCOMPARE(prompts_->messages.size(), 1);
  QCOMPARE(prompts_->messages[0].style, msg::Exclamation);
  QVERIFY2(prompts_->messages[0].text.startsWith("\"bad.xlsx\" cannot be opened."),
           qPrintable(prompts_->messages[0].text));
  open(csv.fileName(), msg::Yes);
  QVERIFY(prompts_->errors().isEmpty());
  Planner& planner = program.app().planner();
  QCOMPARE(program.app().book().list(0).count(), 0);
  QCOMPARE(program.app().book().list(2).at(1).present, QStringLiteral("Carcassonne"));
  QCOMPARE(planner.status(2, "Sam"), GiftStatus::Bought);
  QCOMPARE(planner.data().seasons.size(), size_t(1));
  QCOMPARE(planner.data().seasons[0].lists[0].size(), samples.size());
  QString why;
  QCOMPARE(readFile(csv.fileName(), -1, why), std::optional<QByteArray>(lists));  // never changed
}

// Tab goes through the planner in reading order, and everything that takes the focus has a name.
void PlanWindowTest::keyboardAndNames() {
  TestProgram program = TestProgram::started();
  QVERIFY(program);
  PlannerWindow& window = *program.app().plannerWindow();
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  window.budgetField(0)->setFocus();
  QStringList order;
  for (int i = 0; i < 10; ++i) {
    QWidget* focus = QApplication::focusWidget();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(focus);
    order << (iface ? iface->text(QAccessible::Name) : QString());
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  QCOMPARE(order,
           (QStringList{"Budget for Family", "Budget for Relatives", "Budget for Friends",
                        "Budget for Knowable people", "Find", "Entries", "Kept seasons",
                        "Start a New Season\u2026", "Budget for Family", "Budget for Relatives"}));
}

void PlanWindowTest::budgetsAndEntries() {
  TestProgram program = TestProgram::started();
  QVERIFY(program);
  program->PushButton6_Click();  // Mom $89 and Dad $30
  PlannerWindow& window = *program.app().plannerWindow();
  QLineEdit* family = window.budgetField(0);
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(family);
  QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Budget for Family"));
  family->setText("100");
  emit family->editingFinished();
  QCOMPARE(program.app().planner().data().budgets[0], std::optional<double>(100));
  QCOMPARE(window.spentLabel(0)->text(), QStringLiteral("$119.00"));
  QCOMPARE(window.leftLabel(0)->text(), QStringLiteral("-$19.00"));
  QVERIFY(window.leftLabel(0)->styleSheet().contains("color"));
  QCOMPARE(window.leftLabel(1)->text(), QStringLiteral("\u2014"));
  QCOMPARE(window.countLabel(4, GiftStatus::ToBuy)->text(), QStringLiteral("2"));
  family->setText("-5");
  emit family->editingFinished();
  QCOMPARE(prompts_->messages.size(), 1);  // refused, and said why
  QCOMPARE(family->text(), QLocale().toString(100.0, 'f', 2));

  // The entries follow the main window at once; the status is edited in place.
  QSortFilterProxyModel* shown = window.entriesShown();
  QCOMPARE(shown->rowCount(), 2);
  window.findField()->setText("RAZOR");
  QCOMPARE(shown->rowCount(), 1);
  const QModelIndex status = shown->index(0, PlannerEntriesModel::StatusColumn);
  QVERIFY(shown->setData(status, static_cast<int>(GiftStatus::Given)));
  QCOMPARE(program.app().planner().status(0, "Dad"), GiftStatus::Given);
  QCOMPARE(window.countLabel(0, GiftStatus::Given)->text(), QStringLiteral("1"));
  window.findField()->clear();
  program->view(0)->setCurrentIndex(program->list(0).index(1, 0));
  program->PushButton3_Click();  // Dad is deleted
  QCOMPARE(shown->rowCount(), 1);
  QCOMPARE(shown->index(0, PlannerEntriesModel::CostColumn).data().toString(),
           QStringLiteral("$89.00"));
  QCOMPARE(window.countLabel(0, GiftStatus::Given)->text(), QStringLiteral("0"));
}

void PlanWindowTest::newSeasonAndItsWorkbook() {
  RecordingLauncher launcher;
  TestProgram program = TestProgram::started();
  QVERIFY(program);
  program->PushButton6_Click();
  PlannerWindow& window = *program.app().plannerWindow();
  QString asked;
  window.setSeasonQuestion([&](const QString& proposed) {
    asked = proposed;
    return std::optional<QString>("2025");
  });
  window.startNewSeason();
  QCOMPARE(asked, QString::number(QDate::currentDate().year()));
  QCOMPARE(window.seasonsView()->topLevelItemCount(), 1);
  QCOMPARE(window.seasonsView()->topLevelItem(0)->text(6), QStringLiteral("$119.00"));
  QCOMPARE(program->list(0).at(1).present, QString());
  // The same name again is refused and nothing changes; No changes nothing either.
  window.startNewSeason();
  window.setSeasonQuestion([](const QString&) { return std::nullopt; });
  window.startNewSeason();
  QCOMPARE(program.app().planner().data().seasons.size(), size_t(1));
  QVERIFY(prompts_->errors().isEmpty());

  window.openSeasonWorkbook();
  QCOMPARE(
      launcher.opened,
      QStringList{QUrl::fromLocalFile(Planner::dataFolder() + "/seasons/2025.xls").toString()});
  QTemporaryDir out;
  prompts_->savePaths.push_back(out.filePath("season"));
  window.exportSeasonPdf();
  QString why;
  const auto pdf = readFile(out.filePath("season.pdf"), 4, why);
  QVERIFY2(pdf && pdf->startsWith("%PDF"), qPrintable(why));
  QCOMPARE(prompts_->texts().last(), QStringLiteral("Done."));
}

void PlanWindowTest::keptAcrossARestart() {
  {
    TestProgram program = TestProgram::started();
    QVERIFY(program);
    program->PushButton6_Click();
    program->markEntry(0, GiftStatus::Bought);
    program.app().planner().setBudget(3, 20);
    QVERIFY(program->close());
  }
  TestProgram program = TestProgram::started();
  QVERIFY(program);
  QCOMPARE(program.app().planner().status(0, "Mom"), GiftStatus::Bought);
  QCOMPARE(program.app().planner().data().budgets[3], std::optional<double>(20));
  // The stored lists hold no trace of the planner.
  QString why;
  const auto stored = readFile(settingsFilePath(kSettingsApplication), -1, why);
  QVERIFY2(stored && stored->contains("Ryka Walking Shoes"), qPrintable(why));
  QVERIFY(!stored->contains("ought"));
}

QTEST_MAIN(PlanWindowTest)
#include "tst_planwindow.moc"
