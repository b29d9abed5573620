#include "spreadsheet/model/worksheet.h"

#include <algorithm>

#include "spreadsheet/model/error.h"

namespace sheet {

void Worksheet::setName(const QString& name) {
  static const QString forbidden = QStringLiteral("[]:*?/\\");
  bool ok =
      !name.isEmpty() && name.size() <= 31 && !name.startsWith(u'\'') && !name.endsWith(u'\'');
  for (QChar c : name) {
    if (forbidden.contains(c)) ok = false;
  }
  if (!ok) {
    throw Error(QStringLiteral("'%1' is not a valid sheet name.").arg(name).toStdString());
  }
  name_ = name;
}

const Cell* Worksheet::cell(CellRef at) const {
  auto it = cells_.find(at);
  return it == cells_.end() ? nullptr : &it->second;
}

Cell& Worksheet::cellAt(CellRef at) {
  if (at.row < 0 || at.row >= kMaxRows || at.col < 0 || at.col >= kMaxColumns) {
    throw Error("The cell is outside the sheet.");
  }
  return cells_[at];
}

void Worksheet::removeCell(CellRef at) {
  cells_.erase(at);
}

void Worksheet::merge(const Range& range) {
  if (range.rows() <= 1 && range.cols() <= 1) return;
  merges_.erase(std::remove_if(merges_.begin(), merges_.end(),
                               [&](const Range& r) { return r.intersects(range); }),
                merges_.end());
  merges_.push_back(range);
}

const Range* Worksheet::mergeAt(CellRef at) const {
  for (const Range& r : merges_) {
    if (r.contains(at)) return &r;
  }
  return nullptr;
}

uint16_t Worksheet::columnWidth(int col) const {
  auto it = columns.find(col);
  if (it != columns.end() && it->second.width != 0) return it->second.width;
  // The default width in characters plus the cell padding (5 pixels, rounded up to a multiple
  // of 8 pixels), measured in 1/256 of the 7-pixel digit width of Calibri 11: 8 gives 2340.
  const int pixels = (defaultColumnWidthChars * 7 + 5 + 7) / 8 * 8;
  return static_cast<uint16_t>(pixels * 256 / 7);
}

uint16_t Worksheet::rowHeightTwips(int row) const {
  auto it = rows.find(row);
  return it == rows.end() ? defaultRowHeightTwips : it->second.heightTwips;
}

Range Worksheet::usedRange() const {
  bool any = false;
  Range r;
  for (const auto& [at, c] : cells_) {
    if (isEmpty(c.value) && !c.hasFormula() && c.format == 0) continue;
    if (!any) {
      r = Range::cell(at);
      any = true;
    } else {
      r.firstRow = std::min(r.firstRow, at.row);
      r.lastRow = std::max(r.lastRow, at.row);
      r.firstCol = std::min(r.firstCol, at.col);
      r.lastCol = std::max(r.lastCol, at.col);
    }
  }
  return any ? r : Range{};
}

}  // namespace sheet
