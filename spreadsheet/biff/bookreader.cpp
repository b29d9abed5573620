// The book reader: a BIFF8 "Workbook" stream back into the workbook model. The globals
// substream and each worksheet substream are read record by record, each record by its
// function in readrecords.cpp; records they do not use are skipped. Anything malformed throws
// FormatError.
#include <map>

#include "spreadsheet/biff/numberformats.h"
#include "spreadsheet/biff/readrecords.h"
#include "spreadsheet/biff/recordids.h"
#include "spreadsheet/biff/records.h"
#include "spreadsheet/biff/recordstream.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/cfb/compoundfile.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"

namespace sheet {

namespace biff {

namespace {

// The records of the globals substream the reader uses.
GlobalsRecordReader globalsRecordReader(uint16_t id) {
  switch (id) {
    case FILEPASS:
      return readFilePass;
    case TEMPLATE:
      return readTemplate;
    case DATEMODE:
      return readDateMode;
    case WINDOW1:
      return readWindow1;
    case FONT:
      return readFont;
    case FORMAT:
      return readFormat;
    case XF:
      return readXf;
    case PALETTE:
      return readPalette;
    case BOUNDSHEET:
      return readBoundSheet;
    case SST:
      return readSst;
    case SUPBOOK:
      return readSupBook;
    case EXTERNSHEET:
      return readExternSheet;
    case NAME:
      return keepName;
    default:
      return nullptr;
  }
}

// The records of a worksheet substream the reader uses (BOF and EOF are the sheet loop's).
SheetRecordReader sheetRecordReader(uint16_t id) {
  switch (id) {
    case DEFAULTROWHEIGHT:
      return readDefaultRowHeight;
    case DEFCOLWIDTH:
      return readDefColWidth;
    case COLINFO:
      return readColInfo;
    case ROW:
      return readRow;
    case LABELSST:
      return readLabelSst;
    case LABEL:
    case RSTRING:
      return readLabel;
    case NUMBER:
      return readNumber;
    case RK:
      return readRk;
    case MULRK:
      return readMulRk;
    case BLANK:
      return readBlank;
    case MULBLANK:
      return readMulBlank;
    case BOOLERR:
      return readBoolErr;
    case FORMULA:
      return readFormula;
    case STRING:
      return readString;
    case SHRFMLA:
      return readShrFmla;
    case MERGEDCELLS:
      return readMergedCells;
    case WINDOW2:
      return readWindow2;
    case SCL:
      return readScl;
    case SELECTION:
      return readSelection;
    case HEADER:
      return readHeaderFooter<&PageSetup::header>;
    case FOOTER:
      return readHeaderFooter<&PageSetup::footer>;
    case HCENTER:
      return readPageOption<&PageSetup::hCenter>;
    case VCENTER:
      return readPageOption<&PageSetup::vCenter>;
    case LEFTMARGIN:
      return readMargin<&PageSetup::leftMargin>;
    case RIGHTMARGIN:
      return readMargin<&PageSetup::rightMargin>;
    case TOPMARGIN:
      return readMargin<&PageSetup::topMargin>;
    case BOTTOMMARGIN:
      return readMargin<&PageSetup::bottomMargin>;
    case PRINTHEADERS:
      return readPageOption<&PageSetup::printHeadings>;
    case PRINTGRIDLINES:
      return readPageOption<&PageSetup::printGridlines>;
    case WSBOOL:
      return readWsBool;
    case SETUP:
      return readSetup;
    default:
      return nullptr;
  }
}

// The globals substream, from records[0] (its BOF) to its EOF.
void readGlobals(const std::vector<Record>& records, Globals& g) {
  if (records.empty() || records[0].id != BOF) throw FormatError("not a BIFF8 workbook stream");
  {
    In in = records[0].in();
    const uint16_t version = in.u16();
    const uint16_t type = in.u16();
    if (version != 0x0600 || type != kBofGlobals) throw FormatError("not a BIFF8 workbook stream");
  }
  for (size_t i = 1;; ++i) {
    if (i >= records.size()) damaged("workbook globals have no EOF record");
    const Record& r = records[i];
    if (r.id == EOF_) return;
    if (const GlobalsRecordReader read = globalsRecordReader(r.id)) read(r, g);
  }
}

// Cell formats: each cell XF becomes a format of the table; style XFs stand for the default.
void resolveFormats(Globals& g) {
  for (const RawXf& x : g.xfs) {
    if (x.style) {
      g.xfFormat.push_back(0);
      continue;
    }
    CellFormat f = x.cell;
    // FONT record index 4 does not exist: records from the fifth on have indexes from 5.
    const size_t fi = x.font < 4 ? x.font : size_t(x.font) - 1;
    if (x.font == 4 || fi >= g.fonts.size()) damaged("font index out of range");
    f.font = g.fonts[fi];
    auto custom = g.numberFormats.find(x.format);
    if (custom != g.numberFormats.end()) {
      f.numberFormat = custom->second;
    } else {
      const QString builtin = builtinNumberFormat(x.format);
      if (builtin.isEmpty() && x.format >= kFirstCustomFormat) damaged("number format missing");
      f.numberFormat = builtin.isEmpty() ? QStringLiteral("General") : builtin;
    }
    g.xfFormat.push_back(g.book.formats.intern(f));
  }
}

// What the records after a sheet's cells settle: row heights against the default height,
// the formulas of cells that are part of a shared formula.
void finishSheet(SheetState& s) {
  for (const auto& [row, info] : s.rows) {
    RowInfo plain;
    plain.heightTwips = s.ws.defaultRowHeightTwips;
    if (!(info == plain)) s.ws.rows[row] = info;
  }
  for (const CellRef& at : s.pendingShared) {
    const SharedFormula* found = nullptr;
    for (const SharedFormula& f : s.shared)
      if (f.range.contains(at)) found = &f;
    if (!found) damaged("formula refers to a shared formula that is missing");
    Cell& c = s.ws.cellAt(at);
    c.formula = formula::decodeBiff(reinterpret_cast<const uint8_t*>(found->tokens.constData()),
                                    size_t(found->tokens.size()), at);
  }
}

// The index of the EOF that ends the embedded substream (a chart) whose BOF is records[i].
size_t skipEmbedded(const std::vector<Record>& records, size_t i) {
  int depth = 1;
  while (depth > 0) {
    if (++i >= records.size()) damaged("embedded substream has no EOF record");
    if (records[i].id == BOF) ++depth;
    if (records[i].id == EOF_) --depth;
  }
  return i;
}

// A worksheet substream, from records[first] (its BOF) to its EOF.
void readSheet(const std::vector<Record>& records, size_t first, const Globals& g, Worksheet& ws) {
  {
    In in = records[first].in();
    if (records[first].id != BOF || in.u16() != 0x0600 || in.u16() != kBofWorksheet)
      damaged("sheet does not start with a worksheet BOF record");
  }
  SheetState s(g, ws);
  for (size_t i = first + 1;; ++i) {
    if (i >= records.size()) damaged("sheet has no EOF record");
    const Record& r = records[i];
    if (s.expectString && r.id != STRING && r.id != SHRFMLA && r.id != ARRAY && r.id != TABLE)
      s.expectString = false;
    if (r.id == EOF_) {
      finishSheet(s);
      return;
    }
    if (r.id == BOF) {
      i = skipEmbedded(records, i);
      continue;
    }
    if (const SheetRecordReader read = sheetRecordReader(r.id)) read(r, s);
  }
}

// Worksheets become sheets of the model; other sheets are skipped. Returns each BOUNDSHEET's
// sheet in the model, -1 for those skipped.
std::vector<int> readSheets(const std::vector<Record>& records, Globals& g) {
  Workbook& book = g.book;
  std::map<uint32_t, size_t> byOffset;
  for (size_t k = 0; k < records.size(); ++k) byOffset.emplace(records[k].offset, k);
  book.sheets.clear();
  std::vector<int> modelIndex(g.sheets.size(), -1);
  for (size_t k = 0; k < g.sheets.size(); ++k) {
    const BoundSheet& s = g.sheets[k];
    if (s.type != 0) continue;
    auto at = byOffset.find(s.offset);
    if (at == byOffset.end()) damaged("sheet position does not point at a record");
    {
      In in = records[at->second].in();
      if (records[at->second].id != BOF) damaged("sheet position does not point at a BOF record");
      in.u16();
      if (in.u16() != kBofWorksheet) continue;  // a dialog or macro sheet
    }
    modelIndex[k] = int(book.sheets.size());
    book.sheets.emplace_back(s.name);
    readSheet(records, at->second, g, book.sheets.back());
  }
  return modelIndex;
}

Workbook readBook(const QByteArray& stream) {
  const std::vector<Record> records = splitRecords(stream);
  Workbook book;
  Globals g(book);
  readGlobals(records, g);
  resolveFormats(g);
  const std::vector<int> modelIndex = readSheets(records, g);
  if (book.sheets.empty()) throw FormatError("the workbook has no worksheet");
  if (g.activeTab >= 0 && size_t(g.activeTab) < modelIndex.size() && modelIndex[g.activeTab] >= 0)
    book.activeSheet = modelIndex[g.activeTab];
  // Defined names whose formula is a set of areas on one sheet.
  for (const Record& r : g.names)
    if (std::optional<DefinedName> n = readName(r, g, modelIndex)) book.names.push_back(*n);
  return book;
}

}  // namespace

Workbook readWorkbookStream(const QByteArray& stream) {
  return readBook(stream);
}

}  // namespace biff

Workbook readWorkbookBytes(const QByteArray& bytes) {
  return biff::readWorkbookStream(cfb::readStream(bytes, QStringLiteral("Workbook")));
}

}  // namespace sheet
