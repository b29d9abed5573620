// Writing and reading a report-sized workbook: 20 columns by 25 rows, 88 entries typed in,
// about 40 distinct cell formats, four SUM totals, merged titles, print area and page set-up.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/files.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/formula/formula.h"

namespace {

using namespace sheet;

Workbook reportWorkbook() {
  Workbook b;
  Worksheet& ws = b.sheet(0);
  ws.setName("Xmas");
  const char* titles[] = {"Family", "Relatives", "Friends", "Knowable people"};
  const char* headings[] = {"Name", "Likes", "Present", "Cost", "Email"};
  for (int block = 0; block < 4; ++block) {
    for (int c = 0; c < 5; ++c) {
      const int col = block * 5 + c;
      for (int r = 0; r < 25; ++r) {
        CellFormat f;
        f.pattern = r < 24 ? FillPattern::Solid : FillPattern::None;
        f.fillColor = uint16_t(44 - block * 2);
        f.wrap = r >= 2 && r < 24;
        f.hAlign = r == 0 ? HAlign::Center : HAlign::General;
        f.left.style = c == 0 || c == 3 ? LineStyle::Medium : LineStyle::Thin;
        f.top.style = r <= 2 ? LineStyle::Medium : LineStyle::Thin;
        f.bottom.style = r == 23 ? LineStyle::Medium : LineStyle::Thin;
        f.font.underline = (r == 2 && col == 4) ? Underline::Single : Underline::None;
        b.setFormat(0, {r, col}, f);
      }
      ws.cellAt({1, col}).value = QString::fromLatin1(headings[c]);
    }
    ws.cellAt({0, block * 5}).value = QString::fromLatin1(titles[block]);
    ws.merge({0, block * 5, 0, block * 5 + 4});
    ws.cellAt({24, block * 5 + 1}).value = QStringLiteral("Total cost");
    ws.merge({24, block * 5 + 1, 24, block * 5 + 2});
    const CellRef total{24, block * 5 + 3};
    ws.cellAt(total).formula = formula::parseR1C1("SUM(R[-22]C:R[-1]C)", total);
    for (int i = 0; i < 22; ++i) {
      const int r = 2 + i, c0 = block * 5;
      enterTyped(b, 0, {r, c0}, QStringLiteral("Person %1-%2").arg(block).arg(i));
      enterTyped(b, 0, {r, c0 + 1}, QStringLiteral("books, music and long walks"));
      enterTyped(b, 0, {r, c0 + 2}, QStringLiteral("A present for person %1").arg(i));
      enterTyped(b, 0, {r, c0 + 3}, QStringLiteral("$%1").arg(10 + i));
      enterTyped(b, 0, {r, c0 + 4}, QStringLiteral("person%1@example.com").arg(i));
    }
  }
  b.setPrintArea(0, {0, 0, 24, 19});
  ws.page.landscape = true;
  ws.page.paperSize = kPaperA4;
  ws.page.fitToPage = true;
  ws.window.zoomPercent = 80;
  recalculate(b);
  return b;
}

void BM_WriteWorkbook(benchmark::State& state) {
  const Workbook book = reportWorkbook();
  for (auto _ : state) benchmark::DoNotOptimize(writeWorkbookBytes(book));
  state.counters["formats"] = double(book.formats.size());
  state.counters["bytes"] = double(writeWorkbookBytes(book).size());
}
BENCHMARK(BM_WriteWorkbook)->Unit(benchmark::kMicrosecond);

void BM_ReadWorkbook(benchmark::State& state) {
  const QByteArray bytes = writeWorkbookBytes(reportWorkbook());
  for (auto _ : state) benchmark::DoNotOptimize(readWorkbookBytes(bytes));
}
BENCHMARK(BM_ReadWorkbook)->Unit(benchmark::kMicrosecond);

void BM_SaveAndLoadFile(benchmark::State& state) {
  const Workbook book = reportWorkbook();
  QTemporaryDir dir;
  const QString path = dir.filePath("Xmas.xls");
  for (auto _ : state) {
    writeFileAtomically(path, writeWorkbookBytes(book), FileAccess::OwnerOnly);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    benchmark::DoNotOptimize(readWorkbookBytes(file.readAll()));
  }
}
BENCHMARK(BM_SaveAndLoadFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
