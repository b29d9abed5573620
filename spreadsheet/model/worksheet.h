#pragma once
// One worksheet: cells, merges, column widths, row heights, page set-up and window.
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "spreadsheet/model/geometry.h"
#include "spreadsheet/model/value.h"

namespace sheet {

class Formula;  // spreadsheet/formula/formula.h

struct Cell {
  Value value;                              // the constant, or the formula's cached result
  std::shared_ptr<const Formula> formula;   // null for a constant
  uint32_t format = 0;                      // index into the workbook's FormatTable
  bool hasFormula() const { return formula != nullptr; }
};

struct ColumnInfo {
  uint16_t width = 0;  // in 1/256 of the width of the default font's digit '0'
  bool hidden = false;
  uint32_t format = 0;
  friend bool operator==(const ColumnInfo&, const ColumnInfo&) = default;
};

struct RowInfo {
  uint16_t heightTwips = 300;
  bool customHeight = false;  // true when the height is the row's own, not fitted
  bool hidden = false;
  friend bool operator==(const RowInfo&, const RowInfo&) = default;
};

// Paper sizes as BIFF8 stores them.
inline constexpr int kPaperLetter = 1;
inline constexpr int kPaperA4 = 9;

struct PageSetup {
  int paperSize = kPaperLetter;
  bool landscape = false;
  int scale = 100;               // percent, used when fitToPage is false
  bool fitToPage = false;        // "Zoom = False" with FitToPagesWide/Tall
  int fitWidth = 1;
  int fitHeight = 1;
  double leftMargin = 0.7;       // inches
  double rightMargin = 0.7;
  double topMargin = 0.75;
  double bottomMargin = 0.75;
  double headerMargin = 0.3;
  double footerMargin = 0.3;
  QString header;
  QString footer;
  bool hCenter = false;
  bool vCenter = false;
  bool printGridlines = false;
  bool printHeadings = false;
  bool printComments = false;    // -4142 (xlPrintNoComments) is false
  friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

struct SheetWindow {
  bool showGridlines = true;
  bool showHeadings = true;
  bool selected = true;       // the sheet's tab is selected
  int zoomPercent = 100;
  CellRef activeCell;         // the cell with the cursor
  std::vector<Range> selection{Range{}};
  CellRef topLeft;            // first visible cell
  friend bool operator==(const SheetWindow&, const SheetWindow&) = default;
};

class Worksheet {
 public:
  explicit Worksheet(QString name = QStringLiteral("Sheet1")) : name_(std::move(name)) {}

  const QString& name() const { return name_; }
  // Throws Error for a name a spreadsheet refuses (empty, over 31 chars, []:*?/\).
  void setName(const QString& name);

  // Cells, ordered by row then column.
  const std::map<CellRef, Cell>& cells() const { return cells_; }
  const Cell* cell(CellRef at) const;
  Cell& cellAt(CellRef at);  // creates an empty, unformatted cell when absent
  void removeCell(CellRef at);

  const std::vector<Range>& merges() const { return merges_; }
  // Adds a merged range; a one-cell range changes nothing. Ranges that overlap it are replaced.
  void merge(const Range& range);
  // The merged range holding the cell, or nothing.
  const Range* mergeAt(CellRef at) const;

  // Default column width in characters (BIFF DEFCOLWIDTH) and default row height.
  int defaultColumnWidthChars = 8;
  uint16_t defaultRowHeightTwips = 300;
  std::map<int, ColumnInfo> columns;  // by 0-based column
  std::map<int, RowInfo> rows;        // by 0-based row

  // Column width in 1/256 characters: its own or the default.
  uint16_t columnWidth(int col) const;
  uint16_t rowHeightTwips(int row) const;

  PageSetup page;
  SheetWindow window;

  // Every cell that has content or a format of its own, as one range; A1 when none.
  Range usedRange() const;

 private:
  QString name_;
  std::map<CellRef, Cell> cells_;
  std::vector<Range> merges_;
};

}  // namespace sheet
