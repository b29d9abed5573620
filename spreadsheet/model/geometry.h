#pragma once
// Cell addresses and ranges. Rows and columns are 0-based inside the engine
// (A1 is row 0, column 0); BIFF8 limits are 65536 rows and 256 columns.
#include <QString>
#include <compare>
#include <optional>

namespace sheet {

inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxColumns = 256;

struct CellRef {
  int row = 0;
  int col = 0;
  friend auto operator<=>(const CellRef&, const CellRef&) = default;
};

struct Range {
  int firstRow = 0;
  int firstCol = 0;
  int lastRow = 0;
  int lastCol = 0;

  static Range cell(CellRef c) { return {c.row, c.col, c.row, c.col}; }
  bool contains(CellRef c) const {
    return c.row >= firstRow && c.row <= lastRow && c.col >= firstCol && c.col <= lastCol;
  }
  bool intersects(const Range& o) const {
    return firstRow <= o.lastRow && o.firstRow <= lastRow && firstCol <= o.lastCol &&
           o.firstCol <= lastCol;
  }
  int rows() const { return lastRow - firstRow + 1; }
  int cols() const { return lastCol - firstCol + 1; }
  CellRef topLeft() const { return {firstRow, firstCol}; }
  friend bool operator==(const Range&, const Range&) = default;
};

// "A", "B", ..., "Z", "AA", ... for a 0-based column.
QString columnName(int col);
// "B6" for {5, 1}.
QString a1Name(CellRef c);
// "A1:T25", or "B6" for a one-cell range.
QString a1Name(const Range& r);
// Parses an A1-style address as Range() takes it: "B6", "$A$3:$A$3", "A1:E24", "A:C", "3:5".
// Dollar signs are allowed anywhere a spreadsheet allows them. Nothing on failure.
std::optional<Range> parseA1Range(const QString& address);

}  // namespace sheet
