#pragma once
// One function per record the reader uses: each decodes the record's data into the workbook
// being read, or into the tables kept until the end of its substream, and carries the part of
// the record's layout it reads as its comment (records.cpp has the whole layout of each record
// the writer writes). The book reader picks the function by record identifier. Anything
// malformed throws FormatError.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "spreadsheet/biff/recordstream.h"
#include "spreadsheet/model/format.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/model/worksheet.h"

namespace sheet::biff {

// An XF record as stored: font and number format still as indexes.
struct RawXf {
  uint16_t font = 0;
  uint16_t format = 0;
  bool style = false;
  CellFormat cell;  // everything but font and number format
};

struct BoundSheet {
  uint32_t offset = 0;
  uint8_t type = 0;
  QString name;
};

struct SharedFormula {
  Range range;
  QByteArray tokens;
};

// The workbook being read and the workbook-wide tables of its globals substream.
struct Globals {
  explicit Globals(Workbook& b) : book(b) {}

  Workbook& book;  // takes the workbook's own settings (template, date system, palette)
  std::vector<Font> fonts;
  std::map<uint16_t, QString> numberFormats;
  std::vector<RawXf> xfs;
  std::vector<uint32_t> xfFormat;  // XF index -> index into the workbook's format table
  std::vector<BoundSheet> sheets;
  std::vector<QString> strings;
  std::vector<bool> supBookInternal;
  std::vector<std::array<uint16_t, 3>> xti;  // supbook, first sheet, last sheet
  std::vector<Record> names;                 // decoded once the sheets are known
  int activeTab = 0;

  uint32_t formatOfXf(uint16_t xf) const {
    if (xf >= xfFormat.size()) damaged("cell format index out of range");
    return xfFormat[xf];
  }
};

// A worksheet substream being read: cells and settings go straight into `ws`; what the
// records after them settle is kept here until EOF.
struct SheetState {
  SheetState(const Globals& globals, Worksheet& sheet) : g(globals), ws(sheet) {}

  const Globals& g;
  Worksheet& ws;
  std::vector<std::pair<int, RowInfo>> rows;  // ROW records, set once the default height is known
  bool expectString = false;                  // a FORMULA with a text result waits for STRING
  CellRef stringCell;
  std::vector<SharedFormula> shared;
  std::vector<CellRef> pendingShared;  // cells whose formula is part of a shared formula
  bool zoomFromScl = false;
  bool haveSelection = false;
};

using GlobalsRecordReader = void (*)(const Record& r, Globals& g);
using SheetRecordReader = void (*)(const Record& r, SheetState& s);

// ---- workbook globals -------------------------------------------------------------------
[[noreturn]] void readFilePass(const Record& r, Globals& g);
void readTemplate(const Record& r, Globals& g);
void readDateMode(const Record& r, Globals& g);
void readWindow1(const Record& r, Globals& g);
void readFont(const Record& r, Globals& g);
void readFormat(const Record& r, Globals& g);
void readXf(const Record& r, Globals& g);
void readPalette(const Record& r, Globals& g);
void readBoundSheet(const Record& r, Globals& g);
void readSst(const Record& r, Globals& g);
void readSupBook(const Record& r, Globals& g);
void readExternSheet(const Record& r, Globals& g);
void keepName(const Record& r, Globals& g);

// A NAME record kept by keepName(), once the sheets are read: the defined name when its
// formula is a set of areas on one sheet the model holds; nothing for other names.
// `modelIndex` maps each BOUNDSHEET to its sheet in the model (-1 for sheets not read).
std::optional<DefinedName> readName(const Record& r, const Globals& g,
                                    const std::vector<int>& modelIndex);

// ---- worksheet ------------------------------------------------------------------------------
void readDefaultRowHeight(const Record& r, SheetState& s);
void readDefColWidth(const Record& r, SheetState& s);
void readColInfo(const Record& r, SheetState& s);
void readRow(const Record& r, SheetState& s);
void readLabelSst(const Record& r, SheetState& s);
void readLabel(const Record& r, SheetState& s);  // LABEL and RSTRING
void readNumber(const Record& r, SheetState& s);
void readRk(const Record& r, SheetState& s);
void readMulRk(const Record& r, SheetState& s);
void readBlank(const Record& r, SheetState& s);
void readMulBlank(const Record& r, SheetState& s);
void readBoolErr(const Record& r, SheetState& s);
void readFormula(const Record& r, SheetState& s);
void readString(const Record& r, SheetState& s);
void readShrFmla(const Record& r, SheetState& s);
void readMergedCells(const Record& r, SheetState& s);
void readWindow2(const Record& r, SheetState& s);
void readScl(const Record& r, SheetState& s);
void readSelection(const Record& r, SheetState& s);
void readWsBool(const Record& r, SheetState& s);
void readSetup(const Record& r, SheetState& s);

// HEADER (0x0014) / FOOTER (0x0015): no data when empty, else XLUnicodeString.
template <QString PageSetup::*Text>
void readHeaderFooter(const Record& r, SheetState& s) {
  In in = r.in();
  s.ws.page.*Text = r.data.isEmpty() ? QString() : in.string16();
}

// HCENTER (0x0083), VCENTER (0x0084), PRINTHEADERS (0x002A), PRINTGRIDLINES (0x002B),
// 2 bytes: the option on when not 0.
template <bool PageSetup::*Option>
void readPageOption(const Record& r, SheetState& s) {
  s.ws.page.*Option = r.in().u16();
}

// LEFTMARGIN (0x0026), RIGHTMARGIN (0x0027), TOPMARGIN (0x0028), BOTTOMMARGIN (0x0029),
// 8 bytes: the margin in inches.
template <double PageSetup::*Margin>
void readMargin(const Record& r, SheetState& s) {
  s.ws.page.*Margin = r.in().f64();
}

}  // namespace sheet::biff
