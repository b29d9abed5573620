#pragma once
// A workbook: sheets, shared formats, palette and defined names.
#include <QString>
#include <vector>

#include "spreadsheet/model/format.h"
#include "spreadsheet/model/worksheet.h"

namespace sheet {

// Built-in name codes of BIFF8.
inline constexpr uint8_t kBuiltinPrintArea = 0x06;

struct DefinedName {
  QString name;             // for a built-in name, its text ("Print_Area")
  bool builtin = false;
  uint8_t builtinCode = 0;  // kBuiltinPrintArea, ...
  int sheetIndex = -1;      // 0-based sheet the name belongs to; -1 for a global name
  std::vector<Range> ranges;  // areas on that sheet
  friend bool operator==(const DefinedName&, const DefinedName&) = default;
};

class Workbook {
 public:
  Workbook();  // one empty sheet, "Sheet1"

  std::vector<Worksheet> sheets;
  FormatTable formats;
  Palette palette;
  std::vector<DefinedName> names;
  bool isTemplate = false;
  bool date1904 = false;
  int activeSheet = 0;  // 0-based

  Worksheet& sheet(int index);  // throws Error when out of range
  const Worksheet& sheet(int index) const;

  // The format of a cell (the default format for an absent cell).
  const CellFormat& formatOf(int sheetIndex, CellRef at) const;
  // Changes the format of a cell, keeping its content.
  void setFormat(int sheetIndex, CellRef at, const CellFormat& format);

  // Sets or replaces the print area of a sheet.
  void setPrintArea(int sheetIndex, const Range& area);
  const DefinedName* printArea(int sheetIndex) const;
};

}  // namespace sheet
