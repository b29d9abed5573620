#include "spreadsheet/biff/readrecords.h"

#include <cmath>

#include "spreadsheet/biff/records.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"

namespace sheet::biff {

namespace {

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

// The cell a cell record names, emptied and given the record's XF.
Cell& cellAt(SheetState& s, uint16_t row, uint16_t col, uint16_t xf) {
  if (col >= kMaxColumns) damaged("cell column out of range");
  Cell& c = s.ws.cellAt({row, col});
  c = Cell{};
  c.format = s.g.formatOfXf(xf);
  return c;
}

// The same from the cell head every cell record starts with: rw (2), col (2), ixfe (2).
Cell& cellAt(SheetState& s, In& in) {
  const uint16_t row = in.u16();
  const uint16_t col = in.u16();
  const uint16_t xf = in.u16();
  return cellAt(s, row, col, xf);
}

// A NAME record's formula as areas of one sheet; false for anything else.
bool nameAreas(const Globals& g, In& in, size_t cce, int* sheet, std::vector<Range>* ranges) {
  const size_t end = in.pos() + cce;
  if (cce > in.remaining()) damaged("name formula runs past its record");
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
        if (ixti >= g.xti.size()) damaged("name refers to a missing EXTERNSHEET entry");
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

}  // namespace

// ---- workbook globals -------------------------------------------------------------------

// FILEPASS (0x002F): the workbook is encrypted, which the reader refuses.
void readFilePass(const Record&, Globals&) {
  throw FormatError("the workbook is encrypted");
}

// TEMPLATE (0x0060): no data; the workbook is a template.
void readTemplate(const Record&, Globals& g) {
  g.book.isTemplate = true;
}

// DATEMODE (0x0022), 2 bytes: f1904, 1 for the 1904 date system.
void readDateMode(const Record& r, Globals& g) {
  g.book.date1904 = r.in().u16() == 1;
}

// WINDOW1 (0x003D): window position and size (8), grbit (2), itabCur (2) the active sheet, ...
void readWindow1(const Record& r, Globals& g) {
  In in = r.in();
  in.skip(10);
  g.activeTab = in.u16();
}

// FONT (0x0031): dyHeight (2), grbit (2: bit 1 italic, bit 3 strikeout), icv (2) colour,
// bls (2) weight, sss (2), uls (1) underline (1 or 0x21 single, 2 or 0x22 double), bFamily (1),
// bCharSet (1), reserved (1), fontName ShortXLUnicodeString.
void readFont(const Record& r, Globals& g) {
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
  g.fonts.push_back(f);
}

// FORMAT (0x041E): ifmt (2) number format id, stFormat XLUnicodeString the format code.
void readFormat(const Record& r, Globals& g) {
  In in = r.in();
  const uint16_t id = in.u16();
  g.numberFormats[id] = in.string16();
}

// XF (0x00E0), 20 bytes:
//   0 2 ifnt, 2 2 ifmt   font index, number format id
//   4 2 flags       bit 0 locked, bit 2 style XF
//   6 1 alignment   bits 0-2 horizontal, bit 3 wrap, bits 4-6 vertical
//  10 4 border1     bits 0-15 left, right, top, bottom line style (4 bits each),
//                   bits 16-22 left colour, 23-29 right colour
//  14 4 border2     bits 0-6 top colour, 7-13 bottom colour, 26-31 fill pattern
//  18 2 fill        bits 0-6 pattern colour, bits 7-13 pattern background colour
void readXf(const Record& r, Globals& g) {
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
  g.xfs.push_back(x);
}

// PALETTE (0x0092): ccv (2) number of colours (at most 56), then red, green, blue, 0 for
// palette indexes 8 on.
void readPalette(const Record& r, Globals& g) {
  In in = r.in();
  const uint16_t n = in.u16();
  if (n > 56) damaged("palette with more than 56 colours");
  for (uint16_t k = 0; k < n; ++k) {
    const uint32_t red = in.u8(), green = in.u8(), blue = in.u8();
    in.u8();
    g.book.palette.set(uint16_t(8 + k), (red << 16) | (green << 8) | blue);
  }
}

// BOUNDSHEET (0x0085): lbPlyPos (4) stream position of the sheet's BOF, hsState (1),
// dt (1) sheet type (0 worksheet), stName ShortXLUnicodeString.
void readBoundSheet(const Record& r, Globals& g) {
  In in = r.in();
  BoundSheet s;
  s.offset = in.u32();
  in.u8();
  s.type = in.u8();
  s.name = in.string8();
  g.sheets.push_back(s);
}

// SST (0x00FC): cstTotal (4), cstUnique (4) number of strings, then the strings as
// XLUnicodeRichExtendedString, across CONTINUE records.
void readSst(const Record& r, Globals& g) {
  In in = r.in();
  in.u32();
  const uint32_t unique = in.u32();
  // Each string takes at least 3 bytes: a count beyond that is damage.
  if (unique > in.remaining() / 3 + 1) damaged("shared string count larger than the record");
  g.strings.reserve(unique);
  for (uint32_t k = 0; k < unique; ++k) g.strings.push_back(in.richString());
}

// SUPBOOK (0x01AE): ctab (2), cch (2); exactly 4 bytes with cch 0x0401 stands for this
// workbook, anything else for another workbook or an add-in.
void readSupBook(const Record& r, Globals& g) {
  In in = r.in();
  in.u16();
  g.supBookInternal.push_back(r.data.size() == 4 && in.u16() == 0x0401);
}

// EXTERNSHEET (0x0017): cXTI (2), then per entry iSupBook (2), itabFirst (2), itabLast (2).
void readExternSheet(const Record& r, Globals& g) {
  In in = r.in();
  const uint16_t n = in.u16();
  for (uint16_t k = 0; k < n; ++k) {
    const uint16_t a = in.u16(), b = in.u16(), c = in.u16();
    g.xti.push_back({a, b, c});
  }
}

// NAME (0x0018): kept whole; readName() decodes it once the sheets are known.
void keepName(const Record& r, Globals& g) {
  g.names.push_back(r);
}

// NAME (0x0018):
//   0 2   grbit     bit 5 built-in
//   3 1   cch       name length in characters
//   4 2   cce       length of the formula
//   8 2   itab      1-based sheet of a sheet-local name, 0 for a global name
//  14 var name      option byte and characters; a built-in name is its one-character code
//  .. cce rgce      the formula: ptgRef3d / ptgArea3d joined by ptgUnion, in ptgParen or
//                   after ptgMemFunc
std::optional<DefinedName> readName(const Record& r, const Globals& g,
                                    const std::vector<int>& modelIndex) {
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
    if (text.isEmpty()) damaged("built-in name without its code");
    n.builtinCode = uint8_t(text.at(0).unicode());
    if (n.builtinCode != kBuiltinPrintArea) return std::nullopt;
    n.name = QStringLiteral("Print_Area");
  } else {
    n.name = text;
  }
  int sheet = -1;
  if (!nameAreas(g, in, cce, &sheet, &n.ranges)) return std::nullopt;
  const int local = itab > 0 ? itab - 1 : sheet;
  if (local < 0 || size_t(local) >= modelIndex.size() || modelIndex[local] < 0) return std::nullopt;
  n.sheetIndex = itab > 0 ? modelIndex[local] : -1;
  return n;
}

// ---- worksheet ------------------------------------------------------------------------------

// DEFAULTROWHEIGHT (0x0225): grbit (2), miyRw (2) default row height in twips.
void readDefaultRowHeight(const Record& r, SheetState& s) {
  In in = r.in();
  in.u16();
  s.ws.defaultRowHeightTwips = in.u16() & 0x7FFF;
}

// DEFCOLWIDTH (0x0055), 2 bytes: default column width in characters.
void readDefColWidth(const Record& r, SheetState& s) {
  s.ws.defaultColumnWidthChars = r.in().u16();
}

// COLINFO (0x007D): colFirst (2), colLast (2), coldx (2) width in 1/256 of a character,
// ixfe (2), grbit (2: bit 0 hidden).
void readColInfo(const Record& r, SheetState& s) {
  In in = r.in();
  const uint16_t firstCol = in.u16();
  uint16_t lastCol = in.u16();
  ColumnInfo info;
  info.width = in.u16();
  info.format = s.g.formatOfXf(in.u16());
  info.hidden = in.u16() & 0x0001;
  if (lastCol >= kMaxColumns) lastCol = kMaxColumns - 1;  // whole-row ranges end at 256
  if (firstCol > lastCol) damaged("column range out of order");
  for (int c = firstCol; c <= lastCol; ++c) s.ws.columns[c] = info;
}

// ROW (0x0208): rw (2), colMic (2), colMac (2), miyRw (2) height in twips (bits 0-14),
// reserved (4), grbit (2: bit 5 hidden, bit 6 height set).
void readRow(const Record& r, SheetState& s) {
  In in = r.in();
  const uint16_t row = in.u16();
  in.skip(4);
  RowInfo info;
  info.heightTwips = in.u16() & 0x7FFF;
  in.skip(4);
  const uint16_t grbit = in.u16();
  info.hidden = grbit & 0x0020;
  info.customHeight = grbit & 0x0040;
  s.rows.emplace_back(row, info);
}

// LABELSST (0x00FD): cell head (6), isst (4) index into the shared strings.
void readLabelSst(const Record& r, SheetState& s) {
  In in = r.in();
  Cell& c = cellAt(s, in);
  const uint32_t index = in.u32();
  if (index >= s.g.strings.size()) damaged("shared string index out of range");
  c.value = s.g.strings[index];
}

// LABEL (0x0204) / RSTRING (0x00D6): cell head (6), the text as XLUnicodeString (formatting
// runs after it are not read).
void readLabel(const Record& r, SheetState& s) {
  In in = r.in();
  Cell& c = cellAt(s, in);
  c.value = in.string16();
}

// NUMBER (0x0203): cell head (6), num (8) IEEE double.
void readNumber(const Record& r, SheetState& s) {
  In in = r.in();
  Cell& c = cellAt(s, in);
  c.value = in.f64();
}

// RK (0x027E): cell head (6), RK number (4).
void readRk(const Record& r, SheetState& s) {
  In in = r.in();
  Cell& c = cellAt(s, in);
  c.value = decodeRk(in.u32());
}

// MULRK (0x00BD): rw (2), colFirst (2), per cell ixfe (2) and RK number (4), colLast (2).
void readMulRk(const Record& r, SheetState& s) {
  In in = r.in();
  const uint16_t row = in.u16();
  const uint16_t firstCol = in.u16();
  if (in.remaining() < 2 || (in.remaining() - 2) % 6 != 0) damaged("bad MULRK length");
  const size_t n = (in.remaining() - 2) / 6;
  for (size_t k = 0; k < n; ++k) {
    const uint16_t xf = in.u16();
    const double v = decodeRk(in.u32());
    cellAt(s, row, uint16_t(firstCol + k), xf).value = v;
  }
  if (in.u16() != size_t(firstCol) + n - 1) damaged("bad MULRK column range");
}

// BLANK (0x0201): cell head (6); a cell with a format and no value.
void readBlank(const Record& r, SheetState& s) {
  In in = r.in();
  cellAt(s, in);
}

// MULBLANK (0x00BE): rw (2), colFirst (2), ixfe (2) per cell, colLast (2).
void readMulBlank(const Record& r, SheetState& s) {
  In in = r.in();
  const uint16_t row = in.u16();
  const uint16_t firstCol = in.u16();
  if (in.remaining() < 2 || (in.remaining() - 2) % 2 != 0) damaged("bad MULBLANK length");
  const size_t n = (in.remaining() - 2) / 2;
  for (size_t k = 0; k < n; ++k) cellAt(s, row, uint16_t(firstCol + k), in.u16());
  if (in.u16() != size_t(firstCol) + n - 1) damaged("bad MULBLANK column range");
}

// BOOLERR (0x0205): cell head (6), bBoolErr (1) the boolean or error code, fError (1).
void readBoolErr(const Record& r, SheetState& s) {
  In in = r.in();
  Cell& c = cellAt(s, in);
  const uint8_t v = in.u8();
  if (in.u8()) {
    if (!validError(v)) damaged("unknown error code");
    c.value = ErrorCode(v);
  } else {
    c.value = v != 0;
  }
}

// FORMULA (0x0006):
//   0 6   cell head
//   6 8   cached result: an IEEE double, or byte 0 the type (0 string, in the STRING record
//         that follows; 1 boolean; 2 error; 3 empty string), byte 2 the boolean or error
//         code, bytes 6-7 0xFFFF
//  14 2   grbit, 16 4 chn
//  20 2   cce     length of the tokens
//  22 cce rgce    the tokens; ptgExp (0x01) first for a cell of a shared formula
void readFormula(const Record& r, SheetState& s) {
  In in = r.in();
  const uint16_t row = in.u16();
  const uint16_t col = in.u16();
  const uint16_t xf = in.u16();
  Cell& c = cellAt(s, row, col, xf);
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
        s.expectString = true;
        s.stringCell = at;
        break;
      case 1:
        c.value = value[2] != 0;
        break;
      case 2:
        if (!validError(value[2])) damaged("unknown error code");
        c.value = ErrorCode(value[2]);
        break;
      case 3:
        c.value = QString();
        break;
      default:
        damaged("unknown formula result type");
    }
  } else {
    In v(value, 8);
    c.value = v.f64();
  }
  if (cce >= 5 && tokens[0] == 0x01) {  // ptgExp: part of a shared formula
    s.pendingShared.push_back(at);
    return;
  }
  c.formula = formula::decodeBiff(tokens, cce, at);
}

// STRING (0x0207): XLUnicodeString, the text result of the FORMULA before it.
void readString(const Record& r, SheetState& s) {
  if (!s.expectString) return;
  s.ws.cellAt(s.stringCell).value = r.in().string16();
  s.expectString = false;
}

// SHRFMLA (0x04BC): rwFirst (2), rwLast (2), colFirst (1), colLast (1), reserved (2),
// cce (2), rgce the tokens the cells of the range share.
void readShrFmla(const Record& r, SheetState& s) {
  In in = r.in();
  SharedFormula f;
  f.range.firstRow = in.u16();
  f.range.lastRow = in.u16();
  f.range.firstCol = in.u8();
  f.range.lastCol = in.u8();
  in.skip(2);
  const uint16_t cce = in.u16();
  f.tokens = QByteArray(reinterpret_cast<const char*>(in.here()), cce);
  in.skip(cce);
  s.shared.push_back(f);
}

// MERGEDCELLS (0x00E5): cmcs (2), then rwFirst (2), rwLast (2), colFirst (2), colLast (2)
// per range.
void readMergedCells(const Record& r, SheetState& s) {
  In in = r.in();
  const uint16_t n = in.u16();
  for (uint16_t k = 0; k < n; ++k) {
    Range m;
    m.firstRow = in.u16();
    m.lastRow = in.u16();
    m.firstCol = in.u16();
    m.lastCol = in.u16();
    if (m.firstRow > m.lastRow || m.firstCol > m.lastCol || m.lastCol >= kMaxColumns)
      damaged("bad merged range");
    s.ws.merge(m);
  }
}

// WINDOW2 (0x023E): grbit (2: bit 1 gridlines, bit 2 headings, bit 9 tab selected),
// rwTop (2), colLeft (2), then in the 18-byte form icvHdr (2), reserved (2), wScaleSLV (2),
// wScaleNormal (2) the zoom (0: default), which an SCL record overrides.
void readWindow2(const Record& r, SheetState& s) {
  In in = r.in();
  SheetWindow& win = s.ws.window;
  const uint16_t grbit = in.u16();
  win.showGridlines = grbit & 0x0002;
  win.showHeadings = grbit & 0x0004;
  win.selected = grbit & 0x0200;
  win.topLeft.row = in.u16();
  win.topLeft.col = in.u16() & 0xFF;
  if (in.remaining() >= 8) {
    in.skip(6);
    const uint16_t zoom = in.u16();
    if (zoom && !s.zoomFromScl) win.zoomPercent = zoom;
  }
}

// SCL (0x00A0): nscl (2), dscl (2): the zoom as the fraction nscl / dscl.
void readScl(const Record& r, SheetState& s) {
  In in = r.in();
  const uint16_t num = in.u16();
  const uint16_t den = in.u16();
  if (den == 0) damaged("zoom with a zero denominator");
  s.ws.window.zoomPercent = int(std::lround(num * 100.0 / den));
  s.zoomFromScl = true;
}

// SELECTION (0x001D): pnn (1) pane, rwAct (2), colAct (2), irefAct (2), cref (2), then
// rwFirst (2), rwLast (2), colFirst (1), colLast (1) per range. Pane 3 (an unsplit window)
// wins over the others; without it the first SELECTION counts.
void readSelection(const Record& r, SheetState& s) {
  In in = r.in();
  SheetWindow& win = s.ws.window;
  const uint8_t pane = in.u8();
  if (s.haveSelection && pane != 3) return;
  win.activeCell.row = in.u16();
  win.activeCell.col = in.u16();
  in.u16();
  const uint16_t n = in.u16();
  std::vector<Range> ranges;
  for (uint16_t k = 0; k < n; ++k) {
    Range sel;
    sel.firstRow = in.u16();
    sel.lastRow = in.u16();
    sel.firstCol = in.u8();
    sel.lastCol = in.u8();
    ranges.push_back(sel);
  }
  if (win.activeCell.col >= kMaxColumns) damaged("active cell out of range");
  win.selection = ranges;
  s.haveSelection = pane == 3;
}

// WSBOOL (0x0081), 2 bytes: bit 8 fit to page.
void readWsBool(const Record& r, SheetState& s) {
  s.ws.page.fitToPage = r.in().u16() & 0x0100;
}

// SETUP (0x00A1):
//   0 2 iPaperSize, 2 2 iScale, 4 2 iPageStart, 6 2 iFitWidth, 8 2 iFitHeight
//  10 2 grbit       bit 1 portrait, bit 2 no printer data (paper, scale, orientation),
//                   bit 5 print notes, bit 6 orientation not set
//  12 4 iRes, iVRes
//  16 8 numHdr, 24 8 numFtr   header and footer margins in inches
void readSetup(const Record& r, SheetState& s) {
  In in = r.in();
  PageSetup& page = s.ws.page;
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
}

}  // namespace sheet::biff
