// The book reader: a BIFF8 "Workbook" stream back into the workbook model. Records it does not
// use are skipped; anything malformed throws FormatError.
#include <QFile>
#include <QHash>
#include <array>
#include <cmath>
#include <map>

#include "spreadsheet/biff/bytes.h"
#include "spreadsheet/biff/numberformats.h"
#include "spreadsheet/biff/recordids.h"
#include "spreadsheet/biff/records.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/cfb/compoundfile.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"

namespace sheet {

namespace biff {

namespace {

[[noreturn]] void bad(const std::string& what) {
  throw FormatError("damaged workbook: " + what);
}

// One record with the data of the CONTINUE records that follow it appended; `breaks` are the
// positions in `data` where each CONTINUE record's data starts.
struct Record {
  uint16_t id = 0;
  uint32_t offset = 0;  // stream position of the header
  QByteArray data;
  std::vector<uint32_t> breaks;
  In in() const { return In(data, &breaks); }
};

std::vector<Record> splitRecords(const QByteArray& stream) {
  std::vector<Record> records;
  const auto* p = reinterpret_cast<const uint8_t*>(stream.constData());
  const auto size = size_t(stream.size());
  size_t pos = 0;
  while (pos < size) {
    if (size - pos < 4) {
      // Padding after the last record.
      for (size_t k = pos; k < size; ++k)
        if (p[k] != 0) bad("truncated record header");
      break;
    }
    const uint16_t id = uint16_t(p[pos] | (p[pos + 1] << 8));
    const size_t length = size_t(p[pos + 2] | (p[pos + 3] << 8));
    if (length > size - pos - 4) bad("record runs past the end of the stream");
    const char* data = stream.constData() + pos + 4;
    if (id == CONTINUE && !records.empty()) {
      Record& r = records.back();
      r.breaks.push_back(uint32_t(r.data.size()));
      r.data.append(data, qsizetype(length));  // detaches from the stream
    } else {
      Record r;
      r.id = id;
      r.offset = uint32_t(pos);
      r.data = QByteArray::fromRawData(data, qsizetype(length));
      records.push_back(std::move(r));
    }
    pos += 4 + length;
  }
  return records;
}

struct RawXf {
  uint16_t font = 0;
  uint16_t format = 0;
  bool style = false;
  CellFormat cell;  // everything but font and number format
};

HAlign toHAlign(uint8_t v) {
  return v <= 6 ? HAlign(v) : HAlign::Justify;
}
VAlign toVAlign(uint8_t v) {
  return v <= 3 ? VAlign(v) : VAlign::Justify;
}
LineStyle toLine(uint8_t v) {
  switch (v) {
    case 8:   // medium dashed
    case 10:  // medium dash-dot
    case 12:  // medium dash-dot-dot
    case 13:  // slanted dash-dot
      return LineStyle::Medium;
    case 9:   // dash-dot
    case 11:  // dash-dot-dot
      return LineStyle::Dashed;
    default:
      return v <= 7 ? LineStyle(v) : LineStyle::None;
  }
}

RawXf parseXf(const Record& r) {
  In in = r.in();
  RawXf x;
  x.font = in.u16();
  x.format = in.u16();
  const uint16_t flags = in.u16();
  const uint8_t align = in.u8();
  in.skip(3);
  const uint32_t border1 = in.u32();
  const uint32_t border2 = in.u32();
  const uint16_t fill = in.u16();
  CellFormat& f = x.cell;
  x.style = flags & 0x0004;
  f.locked = flags & 0x0001;
  f.hAlign = toHAlign(align & 0x07);
  f.wrap = align & 0x08;
  f.vAlign = toVAlign((align >> 4) & 0x07);
  f.left = {toLine(border1 & 0x0F), uint16_t((border1 >> 16) & 0x7F)};
  f.right = {toLine((border1 >> 4) & 0x0F), uint16_t((border1 >> 23) & 0x7F)};
  f.top = {toLine((border1 >> 8) & 0x0F), uint16_t(border2 & 0x7F)};
  f.bottom = {toLine((border1 >> 12) & 0x0F), uint16_t((border2 >> 7) & 0x7F)};
  const uint8_t pattern = uint8_t(border2 >> 26);
  f.pattern = pattern == 0 ? FillPattern::None : FillPattern::Solid;
  f.fillColor = fill & 0x7F;
  f.fillBackground = (fill >> 7) & 0x7F;
  return x;
}

Font parseFont(const Record& r) {
  In in = r.in();
  Font f;
  f.heightTwips = in.u16();
  const uint16_t grbit = in.u16();
  f.colorIndex = in.u16();
  const uint16_t weight = in.u16();
  in.skip(2);
  const uint8_t underline = in.u8();
  f.family = in.u8();
  f.charset = in.u8();
  in.skip(1);
  f.name = in.string8();
  f.italic = grbit & 0x0002;
  f.strikeout = grbit & 0x0008;
  f.bold = weight >= 600;
  f.underline = (underline == 0x02 || underline == 0x22) ? Underline::Double
                : underline == 0                         ? Underline::None
                                                         : Underline::Single;
  return f;
}

bool validError(uint8_t code) {
  switch (code) {
    case 0x00:
    case 0x07:
    case 0x0F:
    case 0x17:
    case 0x1D:
    case 0x24:
    case 0x2A:
      return true;
    default:
      return false;
  }
}

struct BoundSheet {
  uint32_t offset = 0;
  uint8_t type = 0;
  QString name;
};

struct SharedFormula {
  Range range;
  QByteArray tokens;
};

// The workbook-wide tables as read from the globals substream.
struct Globals {
  std::vector<Font> fonts;
  std::map<uint16_t, QString> numberFormats;
  std::vector<RawXf> xfs;
  std::vector<uint32_t> xfFormat;  // XF index -> index into the workbook's format table
  std::vector<BoundSheet> sheets;
  std::vector<QString> strings;
  std::vector<bool> supBookInternal;
  std::vector<std::array<uint16_t, 3>> xti;  // supbook, first sheet, last sheet
  std::vector<Record> names;
  int activeTab = 0;

  uint32_t formatOfXf(uint16_t xf) const {
    if (xf >= xfFormat.size()) bad("cell format index out of range");
    return xfFormat[xf];
  }
};

class SheetReader {
 public:
  SheetReader(const Globals& g, Worksheet& ws) : g_(g), ws_(ws) {}
  // Reads the substream starting at records[first] (its BOF); returns the index after its EOF.
  void read(const std::vector<Record>& records, size_t first);

 private:
  Cell& cellAt(In& in);  // reads rw, col, ixfe
  Cell& cellAt(uint16_t row, uint16_t col, uint16_t xf);
  void readFormula(const Record& r);
  void resolveShared();

  const Globals& g_;
  Worksheet& ws_;
  std::vector<std::pair<int, RowInfo>> rows_;
  bool expectString_ = false;
  CellRef stringCell_;
  std::vector<SharedFormula> shared_;
  std::vector<CellRef> pendingShared_;
  bool zoomFromScl_ = false;
  bool haveSelection_ = false;
};

Cell& SheetReader::cellAt(uint16_t row, uint16_t col, uint16_t xf) {
  if (col >= kMaxColumns) bad("cell column out of range");
  Cell& c = ws_.cellAt({row, col});
  c = Cell{};
  c.format = g_.formatOfXf(xf);
  return c;
}

Cell& SheetReader::cellAt(In& in) {
  const uint16_t row = in.u16();
  const uint16_t col = in.u16();
  const uint16_t xf = in.u16();
  return cellAt(row, col, xf);
}

void SheetReader::readFormula(const Record& r) {
  In in = r.in();
  const uint16_t row = in.u16();
  const uint16_t col = in.u16();
  const uint16_t xf = in.u16();
  Cell& c = cellAt(row, col, xf);
  const CellRef at{row, col};
  const uint8_t* value = in.here();
  in.skip(8);
  in.skip(2 + 4);  // grbit, chn
  const uint16_t cce = in.u16();
  const uint8_t* tokens = in.here();
  in.skip(cce);
  if (value[6] == 0xFF && value[7] == 0xFF) {
    switch (value[0]) {
      case 0:
        c.value = QString();
        expectString_ = true;
        stringCell_ = at;
        break;
      case 1:
        c.value = value[2] != 0;
        break;
      case 2:
        if (!validError(value[2])) bad("unknown error code");
        c.value = ErrorCode(value[2]);
        break;
      case 3:
        c.value = QString();
        break;
      default:
        bad("unknown formula result type");
    }
  } else {
    In v(value, 8);
    c.value = v.f64();
  }
  if (cce >= 5 && tokens[0] == 0x01) {  // ptgExp: part of a shared formula
    pendingShared_.push_back(at);
    return;
  }
  c.formula = formula::decodeBiff(tokens, cce, at);
}

void SheetReader::resolveShared() {
  for (const CellRef& at : pendingShared_) {
    const SharedFormula* found = nullptr;
    for (const SharedFormula& s : shared_)
      if (s.range.contains(at)) found = &s;
    if (!found) bad("formula refers to a shared formula that is missing");
    Cell& c = ws_.cellAt(at);
    c.formula = formula::decodeBiff(reinterpret_cast<const uint8_t*>(found->tokens.constData()),
                                    size_t(found->tokens.size()), at);
  }
}

void SheetReader::read(const std::vector<Record>& records, size_t first) {
  {
    In in = records[first].in();
    if (records[first].id != BOF || in.u16() != 0x0600 || in.u16() != kBofWorksheet)
      bad("sheet does not start with a worksheet BOF record");
  }
  PageSetup& page = ws_.page;
  SheetWindow& win = ws_.window;
  size_t i = first + 1;
  for (;; ++i) {
    if (i >= records.size()) bad("sheet has no EOF record");
    const Record& r = records[i];
    In in = r.in();
    if (expectString_ && r.id != STRING && r.id != SHRFMLA && r.id != ARRAY && r.id != TABLE)
      expectString_ = false;
    switch (r.id) {
      case EOF_:
        for (const auto& [row, info] : rows_) {
          RowInfo plain;
          plain.heightTwips = ws_.defaultRowHeightTwips;
          if (!(info == plain)) ws_.rows[row] = info;
        }
        resolveShared();
        return;
      case BOF: {
        // An embedded substream (a chart): skip to its EOF.
        int depth = 1;
        while (depth > 0) {
          if (++i >= records.size()) bad("embedded substream has no EOF record");
          if (records[i].id == BOF) ++depth;
          if (records[i].id == EOF_) --depth;
        }
        break;
      }
      case DEFAULTROWHEIGHT:
        in.u16();
        ws_.defaultRowHeightTwips = in.u16() & 0x7FFF;
        break;
      case DEFCOLWIDTH:
        ws_.defaultColumnWidthChars = in.u16();
        break;
      case COLINFO: {
        const uint16_t firstCol = in.u16();
        uint16_t lastCol = in.u16();
        ColumnInfo info;
        info.width = in.u16();
        info.format = g_.formatOfXf(in.u16());
        info.hidden = in.u16() & 0x0001;
        if (lastCol >= kMaxColumns) lastCol = kMaxColumns - 1;  // whole-row ranges end at 256
        if (firstCol > lastCol) bad("column range out of order");
        for (int c = firstCol; c <= lastCol; ++c) ws_.columns[c] = info;
        break;
      }
      case ROW: {
        const uint16_t row = in.u16();
        in.skip(4);
        RowInfo info;
        info.heightTwips = in.u16() & 0x7FFF;
        in.skip(4);
        const uint16_t grbit = in.u16();
        info.hidden = grbit & 0x0020;
        info.customHeight = grbit & 0x0040;
        rows_.emplace_back(row, info);
        break;
      }
      case LABELSST: {
        Cell& c = cellAt(in);
        const uint32_t index = in.u32();
        if (index >= g_.strings.size()) bad("shared string index out of range");
        c.value = g_.strings[index];
        break;
      }
      case LABEL:
      case RSTRING: {
        Cell& c = cellAt(in);
        c.value = in.string16();
        break;
      }
      case NUMBER: {
        Cell& c = cellAt(in);
        c.value = in.f64();
        break;
      }
      case RK: {
        Cell& c = cellAt(in);
        c.value = decodeRk(in.u32());
        break;
      }
      case MULRK: {
        const uint16_t row = in.u16();
        const uint16_t firstCol = in.u16();
        if (in.remaining() < 2 || (in.remaining() - 2) % 6 != 0) bad("bad MULRK length");
        const size_t n = (in.remaining() - 2) / 6;
        for (size_t k = 0; k < n; ++k) {
          const uint16_t xf = in.u16();
          const double v = decodeRk(in.u32());
          cellAt(row, uint16_t(firstCol + k), xf).value = v;
        }
        if (in.u16() != size_t(firstCol) + n - 1) bad("bad MULRK column range");
        break;
      }
      case BLANK:
        cellAt(in);
        break;
      case MULBLANK: {
        const uint16_t row = in.u16();
        const uint16_t firstCol = in.u16();
        if (in.remaining() < 2 || (in.remaining() - 2) % 2 != 0) bad("bad MULBLANK length");
        const size_t n = (in.remaining() - 2) / 2;
        for (size_t k = 0; k < n; ++k) cellAt(row, uint16_t(firstCol + k), in.u16());
        if (in.u16() != size_t(firstCol) + n - 1) bad("bad MULBLANK column range");
        break;
      }
      case BOOLERR: {
        Cell& c = cellAt(in);
        const uint8_t v = in.u8();
        if (in.u8()) {
          if (!validError(v)) bad("unknown error code");
          c.value = ErrorCode(v);
        } else {
          c.value = v != 0;
        }
        break;
      }
      case FORMULA:
        readFormula(r);
        break;
      case STRING:
        if (expectString_) {
          ws_.cellAt(stringCell_).value = in.string16();
          expectString_ = false;
        }
        break;
      case SHRFMLA: {
        SharedFormula s;
        s.range.firstRow = in.u16();
        s.range.lastRow = in.u16();
        s.range.firstCol = in.u8();
        s.range.lastCol = in.u8();
        in.skip(2);
        const uint16_t cce = in.u16();
        s.tokens = QByteArray(reinterpret_cast<const char*>(in.here()), cce);
        in.skip(cce);
        shared_.push_back(s);
        break;
      }
      case MERGEDCELLS: {
        const uint16_t n = in.u16();
        for (uint16_t k = 0; k < n; ++k) {
          Range m;
          m.firstRow = in.u16();
          m.lastRow = in.u16();
          m.firstCol = in.u16();
          m.lastCol = in.u16();
          if (m.firstRow > m.lastRow || m.firstCol > m.lastCol || m.lastCol >= kMaxColumns)
            bad("bad merged range");
          ws_.merge(m);
        }
        break;
      }
      case WINDOW2: {
        const uint16_t grbit = in.u16();
        win.showGridlines = grbit & 0x0002;
        win.showHeadings = grbit & 0x0004;
        win.selected = grbit & 0x0200;
        win.topLeft.row = in.u16();
        win.topLeft.col = in.u16() & 0xFF;
        if (in.remaining() >= 8) {
          in.skip(6);
          const uint16_t zoom = in.u16();
          if (zoom && !zoomFromScl_) win.zoomPercent = zoom;
        }
        break;
      }
      case SCL: {
        const uint16_t num = in.u16();
        const uint16_t den = in.u16();
        if (den == 0) bad("zoom with a zero denominator");
        win.zoomPercent = int(std::lround(num * 100.0 / den));
        zoomFromScl_ = true;
        break;
      }
      case SELECTION: {
        const uint8_t pane = in.u8();
        if (haveSelection_ && pane != 3) break;
        win.activeCell.row = in.u16();
        win.activeCell.col = in.u16();
        in.u16();
        const uint16_t n = in.u16();
        std::vector<Range> ranges;
        for (uint16_t k = 0; k < n; ++k) {
          Range s;
          s.firstRow = in.u16();
          s.lastRow = in.u16();
          s.firstCol = in.u8();
          s.lastCol = in.u8();
          ranges.push_back(s);
        }
        if (win.activeCell.col >= kMaxColumns) bad("active cell out of range");
        win.selection = ranges;
        haveSelection_ = pane == 3;
        break;
      }
      case HEADER:
        page.header = r.data.isEmpty() ? QString() : in.string16();
        break;
      case FOOTER:
        page.footer = r.data.isEmpty() ? QString() : in.string16();
        break;
      case HCENTER:
        page.hCenter = in.u16();
        break;
      case VCENTER:
        page.vCenter = in.u16();
        break;
      case LEFTMARGIN:
        page.leftMargin = in.f64();
        break;
      case RIGHTMARGIN:
        page.rightMargin = in.f64();
        break;
      case TOPMARGIN:
        page.topMargin = in.f64();
        break;
      case BOTTOMMARGIN:
        page.bottomMargin = in.f64();
        break;
      case PRINTHEADERS:
        page.printHeadings = in.u16();
        break;
      case PRINTGRIDLINES:
        page.printGridlines = in.u16();
        break;
      case WSBOOL:
        page.fitToPage = in.u16() & 0x0100;
        break;
      case SETUP: {
        const uint16_t paper = in.u16();
        const uint16_t scale = in.u16();
        in.u16();
        page.fitWidth = in.u16();
        page.fitHeight = in.u16();
        const uint16_t grbit = in.u16();
        in.skip(4);
        page.headerMargin = in.f64();
        page.footerMargin = in.f64();
        if (!(grbit & 0x0004)) {  // printer data valid
          page.paperSize = paper;
          page.scale = scale;
          if (!(grbit & 0x0040)) page.landscape = !(grbit & 0x0002);
        }
        page.printComments = grbit & 0x0020;
        break;
      }
      default:
        break;
    }
  }
}

// A NAME record's formula as areas of one sheet; false for anything else.
bool nameAreas(const Globals& g, In& in, size_t cce, int* sheet, std::vector<Range>* ranges) {
  const size_t end = in.pos() + cce;
  if (cce > in.remaining()) bad("name formula runs past its record");
  while (in.pos() < end) {
    const uint8_t ptg = in.u8();
    switch (ptg) {
      case 0x3A:
      case 0x5A:
      case 0x7A:  // ptgRef3d
      case 0x3B:
      case 0x5B:
      case 0x7B: {  // ptgArea3d
        const bool area = (ptg & 0x1F) == 0x1B;
        const uint16_t ixti = in.u16();
        Range r;
        r.firstRow = in.u16();
        r.lastRow = area ? in.u16() : r.firstRow;
        r.firstCol = in.u16() & 0xFF;
        r.lastCol = area ? in.u16() & 0xFF : r.firstCol;
        if (ixti >= g.xti.size()) bad("name refers to a missing EXTERNSHEET entry");
        const auto& x = g.xti[ixti];
        if (x[0] >= g.supBookInternal.size() || !g.supBookInternal[x[0]] || x[1] != x[2])
          return false;
        if (*sheet >= 0 && *sheet != x[1]) return false;
        *sheet = x[1];
        ranges->push_back(r);
        break;
      }
      case 0x10:  // ptgUnion
      case 0x15:  // ptgParen
        break;
      case 0x29:
      case 0x49:
      case 0x69:  // ptgMemFunc: length of the sub-expression
        in.u16();
        break;
      default:
        return false;
    }
  }
  return !ranges->empty();
}

Workbook readBook(const QByteArray& stream) {
  const std::vector<Record> records = splitRecords(stream);
  if (records.empty() || records[0].id != BOF) throw FormatError("not a BIFF8 workbook stream");
  {
    In in = records[0].in();
    const uint16_t version = in.u16();
    const uint16_t type = in.u16();
    if (version != 0x0600 || type != kBofGlobals) throw FormatError("not a BIFF8 workbook stream");
  }

  Workbook book;
  Globals g;
  size_t i = 1;
  for (;; ++i) {
    if (i >= records.size()) bad("workbook globals have no EOF record");
    const Record& r = records[i];
    if (r.id == EOF_) break;
    In in = r.in();
    switch (r.id) {
      case FILEPASS:
        throw FormatError("the workbook is encrypted");
      case TEMPLATE:
        book.isTemplate = true;
        break;
      case DATEMODE:
        book.date1904 = in.u16() == 1;
        break;
      case WINDOW1:
        in.skip(10);
        g.activeTab = in.u16();
        break;
      case FONT:
        g.fonts.push_back(parseFont(r));
        break;
      case FORMAT: {
        const uint16_t id = in.u16();
        g.numberFormats[id] = in.string16();
        break;
      }
      case XF:
        g.xfs.push_back(parseXf(r));
        break;
      case PALETTE: {
        const uint16_t n = in.u16();
        if (n > 56) bad("palette with more than 56 colours");
        for (uint16_t k = 0; k < n; ++k) {
          const uint32_t red = in.u8(), green = in.u8(), blue = in.u8();
          in.u8();
          book.palette.set(uint16_t(8 + k), (red << 16) | (green << 8) | blue);
        }
        break;
      }
      case BOUNDSHEET: {
        BoundSheet s;
        s.offset = in.u32();
        in.u8();
        s.type = in.u8();
        s.name = in.string8();
        g.sheets.push_back(s);
        break;
      }
      case SST: {
        in.u32();
        const uint32_t unique = in.u32();
        // Each string takes at least 3 bytes: a count beyond that is damage.
        if (unique > in.remaining() / 3 + 1) bad("shared string count larger than the record");
        g.strings.reserve(unique);
        for (uint32_t k = 0; k < unique; ++k) g.strings.push_back(in.richString());
        break;
      }
      case SUPBOOK: {
        in.u16();
        g.supBookInternal.push_back(r.data.size() == 4 && in.u16() == 0x0401);
        break;
      }
      case EXTERNSHEET: {
        const uint16_t n = in.u16();
        for (uint16_t k = 0; k < n; ++k) {
          const uint16_t a = in.u16(), b = in.u16(), c = in.u16();
          g.xti.push_back({a, b, c});
        }
        break;
      }
      case NAME:
        g.names.push_back(r);
        break;
      default:
        break;
    }
  }

  // Cell formats: each cell XF becomes a format of the table; style XFs stand for the default.
  for (const RawXf& x : g.xfs) {
    if (x.style) {
      g.xfFormat.push_back(0);
      continue;
    }
    CellFormat f = x.cell;
    // FONT record index 4 does not exist: records from the fifth on have indexes from 5.
    const size_t fi = x.font < 4 ? x.font : size_t(x.font) - 1;
    if (x.font == 4 || fi >= g.fonts.size()) bad("font index out of range");
    f.font = g.fonts[fi];
    auto custom = g.numberFormats.find(x.format);
    if (custom != g.numberFormats.end()) {
      f.numberFormat = custom->second;
    } else {
      const QString builtin = builtinNumberFormat(x.format);
      if (builtin.isEmpty() && x.format >= kFirstCustomFormat) bad("number format missing");
      f.numberFormat = builtin.isEmpty() ? QStringLiteral("General") : builtin;
    }
    g.xfFormat.push_back(book.formats.intern(f));
  }

  // Sheets: worksheets become sheets of the model; others are skipped.
  std::map<uint32_t, size_t> byOffset;
  for (size_t k = 0; k < records.size(); ++k) byOffset.emplace(records[k].offset, k);
  book.sheets.clear();
  std::vector<int> modelIndex(g.sheets.size(), -1);
  for (size_t k = 0; k < g.sheets.size(); ++k) {
    const BoundSheet& s = g.sheets[k];
    if (s.type != 0) continue;
    auto at = byOffset.find(s.offset);
    if (at == byOffset.end()) bad("sheet position does not point at a record");
    {
      In in = records[at->second].in();
      if (records[at->second].id != BOF) bad("sheet position does not point at a BOF record");
      in.u16();
      if (in.u16() != kBofWorksheet) continue;  // a dialog or macro sheet
    }
    modelIndex[k] = int(book.sheets.size());
    book.sheets.emplace_back(s.name);
    SheetReader(g, book.sheets.back()).read(records, at->second);
  }
  if (book.sheets.empty()) throw FormatError("the workbook has no worksheet");
  if (g.activeTab >= 0 && size_t(g.activeTab) < modelIndex.size() && modelIndex[g.activeTab] >= 0)
    book.activeSheet = modelIndex[g.activeTab];

  // Defined names whose formula is a set of areas on one sheet.
  for (const Record& r : g.names) {
    In in = r.in();
    const uint16_t grbit = in.u16();
    in.u8();
    const uint8_t length = in.u8();
    const uint16_t cce = in.u16();
    in.u16();
    const uint16_t itab = in.u16();
    in.skip(4);
    const QString text = in.stringBody(length);
    DefinedName n;
    n.builtin = grbit & 0x0020;
    if (n.builtin) {
      if (text.isEmpty()) bad("built-in name without its code");
      n.builtinCode = uint8_t(text.at(0).unicode());
      if (n.builtinCode != kBuiltinPrintArea) continue;
      n.name = QStringLiteral("Print_Area");
    } else {
      n.name = text;
    }
    int sheet = -1;
    if (!nameAreas(g, in, cce, &sheet, &n.ranges)) continue;
    const int local = itab > 0 ? itab - 1 : sheet;
    if (local < 0 || size_t(local) >= modelIndex.size() || modelIndex[local] < 0) continue;
    n.sheetIndex = itab > 0 ? modelIndex[local] : -1;
    book.names.push_back(n);
  }
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

Workbook loadWorkbook(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw IoError(file.errorString().toStdString());
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) throw IoError(file.errorString().toStdString());
  try {
    return readWorkbookBytes(bytes);
  } catch (const FormatError&) {
    throw FormatError(
        QStringLiteral("'%1' is not an Excel 97-2003 workbook").arg(path).toStdString());
  }
}

}  // namespace sheet
