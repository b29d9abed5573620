#pragma once
// Where everything lies on the report sheet, written once: the rows of the titles, headings,
// entries and totals, and each list's block of five columns. The layout that fills the sheet and
// the template that formats it go by this one plan, and so is a reader of a saved report to.
#include <QChar>
#include <QString>
#include <array>

#include "giftlist/giftentry.h"

namespace report {

// Rows, numbered from 1 as a spreadsheet numbers them.
inline constexpr int kTitleRow = 1;
inline constexpr int kHeadingRow = 2;
inline constexpr int kFirstEntryRow = 3;
inline constexpr int kLastEntryRow = 24;
inline constexpr int kTotalRow = kLastEntryRow + 1;
// The most entries of a list that the sheet holds.
inline constexpr int kEntriesThatFit = kLastEntryRow - kFirstEntryRow + 1;

// A list's block: one column per field of an entry, in the list's column order (Name, Likes,
// Present, Cost, Email); columns are numbered from 0 (A).
inline constexpr int kBlockWidth = GiftEntry::kFieldCount;
struct ListBlock {
  int firstColumn;
  constexpr int column(int field) const { return firstColumn + field; }
  constexpr int costColumn() const { return column(GiftEntry::kCostField); }
  constexpr int lastColumn() const { return firstColumn + kBlockWidth - 1; }
};
// "Family", "Relatives", "Friends", "Knowable people" side by side: A..E, F..J, K..O, P..T.
inline constexpr std::array<ListBlock, kCategoryCount> kListBlocks = {{{0}, {5}, {10}, {15}}};
inline constexpr int kSheetColumns = kListBlocks.back().lastColumn() + 1;

// The block a column belongs to (0..3), and whether it is its block's cost column.
constexpr int blockOfColumn(int column) {
  for (int b = 0; b < kCategoryCount; ++b)
    if (column >= kListBlocks[b].firstColumn && column <= kListBlocks[b].lastColumn()) return b;
  return -1;
}
constexpr bool isCostColumn(int column) {
  const int b = blockOfColumn(column);
  return b >= 0 && kListBlocks[b].costColumn() == column;
}

// The letter of a column of the sheet ("A" for 0).
inline QString columnLetter(int column) {
  return QString(QChar(u'A' + column));
}

}  // namespace report
