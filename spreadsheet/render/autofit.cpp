#include "spreadsheet/render/autofit.h"

#include <QFontMetricsF>
#include <QStringList>
#include <cmath>
#include <map>
#include <unordered_map>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/metrics.h"
#include "spreadsheet/render/numberformat.h"

namespace sheet {

namespace {

// The widest displayed line of every column, in pixels, for the columns that have content.
std::map<int, double> widestTexts(const Workbook& book, int sheetIndex, int onlyCol) {
  const Worksheet& ws = book.sheet(sheetIndex);
  std::unordered_map<uint32_t, QFontMetricsF> metrics;  // by format index
  std::map<int, double> widest;
  for (const auto& [at, cell] : ws.cells()) {
    if (onlyCol >= 0 && at.col != onlyCol) continue;
    if (isEmpty(cell.value) || ws.mergeAt(at)) continue;
    auto row = ws.rows.find(at.row);
    if (row != ws.rows.end() && row->second.hidden) continue;
    const CellFormat& format = book.formats.at(cell.format);
    const QString text = displayText(cell.value, format.numberFormat);
    if (text.isEmpty()) continue;
    auto it = metrics.find(cell.format);
    if (it == metrics.end())
      it = metrics.emplace(cell.format, QFontMetricsF(screenFont(format.font))).first;
    double width = 0;
    for (const QString& line : text.split(u'\n'))
      width = std::max(width, it->second.horizontalAdvance(line));
    double& best = widest[at.col];
    best = std::max(best, width);
  }
  return widest;
}

}  // namespace

int fittedColumnPixels(const Workbook& book, int sheetIndex, int col) {
  const auto widest = widestTexts(book, sheetIndex, col);
  auto it = widest.find(col);
  if (it == widest.end() || it->second <= 0) return 0;
  return static_cast<int>(std::ceil(it->second)) + kAutoFitPadding;
}

void autoFitColumns(Workbook& book, int sheetIndex) {
  const auto widest = widestTexts(book, sheetIndex, -1);
  Worksheet& ws = book.sheet(sheetIndex);
  const int digitWidth = maxDigitWidth(book.formats.at(0).font);
  for (const auto& [col, width] : widest) {
    if (width <= 0) continue;
    ColumnInfo& info = ws.columns[col];
    if (info.hidden) continue;
    const int pixels = static_cast<int>(std::ceil(width)) + kAutoFitPadding;
    info.width = pixelsToColumnWidth(pixels, digitWidth);
  }
}

}  // namespace sheet
