// Typed input of a full report sheet: 22 rows of five fields in four blocks (440 cells), each
// entry followed by recalculation of the four cost totals, as the report layout drives it.
#include <benchmark/benchmark.h>

#include <QStringList>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/workbook.h"

namespace {

sheet::Workbook reportBook() {
  sheet::Workbook book;
  for (int block = 0; block < 4; ++block) {
    const sheet::CellRef total{24, block * 5 + 3};
    book.sheet(0).cellAt(total).formula = sheet::formula::parseA1(
        QStringLiteral("SUM(%1)").arg(sheet::a1Name(sheet::Range{2, total.col, 23, total.col})),
        total);
  }
  sheet::recalculate(book);
  return book;
}

QStringList entryTexts(int row, int block) {
  static const QStringList costs = {"$89", "25", "$1,250.50", "about 10", "-$5", "12.5", "$ 30"};
  const QString who = QStringLiteral("Person %1-%2").arg(block).arg(row);
  return {who, QStringLiteral("Books, puzzles"), QStringLiteral("Teddy bear"),
          costs[(row + block) % costs.size()],
          QStringLiteral("person%1.%2@example.com").arg(block).arg(row)};
}

void BM_TypedInputReport(benchmark::State& state) {
  std::vector<std::pair<sheet::CellRef, QString>> entries;
  for (int block = 0; block < 4; ++block) {
    for (int row = 0; row < 22; ++row) {
      const QStringList texts = entryTexts(row, block);
      for (int field = 0; field < 5; ++field)
        entries.push_back({{row + 2, block * 5 + field}, texts[field]});
    }
  }
  for (auto _ : state) {
    sheet::Workbook book = reportBook();
    for (const auto& [at, text] : entries) sheet::enterTyped(book, 0, at, text);
    benchmark::DoNotOptimize(book.sheet(0).cell({24, 3})->value);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(entries.size()));
}
BENCHMARK(BM_TypedInputReport)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_RecalculateReport(benchmark::State& state) {
  sheet::Workbook book = reportBook();
  for (int block = 0; block < 4; ++block)
    for (int row = 0; row < 22; ++row) {
      const QStringList texts = entryTexts(row, block);
      for (int field = 0; field < 5; ++field)
        sheet::enterTyped(book, 0, {row + 2, block * 5 + field}, texts[field]);
    }
  for (auto _ : state) {
    sheet::recalculate(book);
    benchmark::DoNotOptimize(book.sheet(0).cell({24, 3})->value);
  }
}
BENCHMARK(BM_RecalculateReport)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
