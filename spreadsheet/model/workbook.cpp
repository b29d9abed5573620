#include "spreadsheet/model/workbook.h"

#include "spreadsheet/model/error.h"

namespace sheet {

Workbook::Workbook() {
  sheets.emplace_back(QStringLiteral("Sheet1"));
}

Worksheet& Workbook::sheet(int index) {
  if (index < 0 || index >= static_cast<int>(sheets.size())) {
    throw Error("Subscript out of range: the workbook has no sheet " + std::to_string(index + 1) +
                ".");
  }
  return sheets[static_cast<size_t>(index)];
}

const Worksheet& Workbook::sheet(int index) const {
  return const_cast<Workbook*>(this)->sheet(index);
}

const CellFormat& Workbook::formatOf(int sheetIndex, CellRef at) const {
  const Worksheet& ws = sheet(sheetIndex);
  if (const Cell* c = ws.cell(at)) return formats.at(c->format);
  auto col = ws.columns.find(at.col);
  if (col != ws.columns.end()) return formats.at(col->second.format);
  return formats.at(0);
}

void Workbook::setFormat(int sheetIndex, CellRef at, const CellFormat& format) {
  Worksheet& ws = sheet(sheetIndex);
  const uint32_t index = formats.intern(format);
  ws.cellAt(at).format = index;
}

void Workbook::setPrintArea(int sheetIndex, const Range& area) {
  sheet(sheetIndex);  // throws for a sheet that does not exist
  for (DefinedName& n : names) {
    if (n.builtin && n.builtinCode == kBuiltinPrintArea && n.sheetIndex == sheetIndex) {
      n.ranges = {area};
      return;
    }
  }
  DefinedName name;
  name.name = QStringLiteral("Print_Area");
  name.builtin = true;
  name.builtinCode = kBuiltinPrintArea;
  name.sheetIndex = sheetIndex;
  name.ranges = {area};
  names.push_back(name);
}

const DefinedName* Workbook::printArea(int sheetIndex) const {
  for (const DefinedName& n : names) {
    if (n.builtin && n.builtinCode == kBuiltinPrintArea && n.sheetIndex == sheetIndex) return &n;
  }
  return nullptr;
}

}  // namespace sheet
