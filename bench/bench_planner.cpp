// The planner with 88 entries (22 in every list) and one kept season, offscreen: the window
// opened and shown, a status change stored in the planner file, and a new season kept (its
// report workbook made and copied, the file written, the lists cleared).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/application.h"
#include "planner/planner.h"
#include "windows/mainwindow.h"
#include "windows/plannerwindow.h"

namespace {

void fill(Application& program, int season) {
  for (int category = 0; category < 4; ++category) {
    GiftListModel& list = program.mainWindow().list(category);
    for (int i = 1; i <= 22; ++i) {
      const GiftEntry entry{QStringLiteral("Person %1-%2").arg(category).arg(i),
                            QStringLiteral("books, music and long walks"),
                            QStringLiteral("Present %1 of season %2").arg(i).arg(season),
                            QStringLiteral("$%1").arg(10 + i),
                            QStringLiteral("person%1@example.com").arg(i)};
      if (list.count() < i)
        list.add(entry);
      else
        list.update(i, entry);
    }
  }
}

// A program with the lists filled and one season kept.
bool prepare(Application& program, benchmark::State& state) {
  if (!program.mainWindow().Form_Load()) {
    state.SkipWithError("no spreadsheet host");
    return false;
  }
  QDir(Planner::dataFolder()).removeRecursively();
  program.planner().load(Planner::Damaged::KeepAside);
  fill(program, 2025);
  program.planner().startNewSeason(QStringLiteral("2025"));
  fill(program, 2026);
  return true;
}

void BM_OpenPlanner(benchmark::State& state) {
  Application program;
  if (!prepare(program, state)) return;
  for (auto _ : state) {
    PlannerWindow window(program.planner());
    window.show();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_OpenPlanner)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// arg 0: from the main window's menu, the planner closed; arg 1: with the planner open, which
// follows the change and is painted again.
void BM_StatusChangeStored(benchmark::State& state) {
  Application program;
  if (!prepare(program, state)) return;
  if (state.range(0) == 1) program.plannerWindow()->show();
  QCoreApplication::processEvents();
  bool given = false;
  for (auto _ : state) {
    given = !given;
    program.planner().setStatus(2, QStringLiteral("Person 2-7"),
                                given ? GiftStatus::Given : GiftStatus::Bought);
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_StatusChangeStored)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_NewSeason(benchmark::State& state) {
  Application program;
  if (!prepare(program, state)) return;
  int season = 2026;
  for (auto _ : state) {
    program.planner().startNewSeason(QString::number(season));
    state.PauseTiming();
    fill(program, ++season);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_NewSeason)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;  // never the user's lists or planner
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
  qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/data")));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
