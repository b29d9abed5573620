#include "spreadsheet/biff/records.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "spreadsheet/biff/bytes.h"
#include "spreadsheet/biff/framer.h"
#include "spreadsheet/biff/recordids.h"

namespace sheet::biff {

namespace {

QByteArray word(uint16_t v) {
  return Out().u16(v).take();
}

uint16_t colorBits(uint16_t index) {
  return index & 0x7F;
}

}  // namespace

// ---- workbook globals -------------------------------------------------------------------

// BOF (0x0809), 16 bytes:
//   0 2 vers       0x0600 (BIFF8)
//   2 2 dt         substream: 0x0005 workbook globals, 0x0010 worksheet
//   4 2 rupBuild   build of the writer (0x0DBB)
//   6 2 rupYear    year of the build (0x07CC)
//   8 4 bfh        file history flags: bit 0 fWin, bit 3 fWinAny
//  12 4 sfo        lowest BIFF version that reads every record: 6
QByteArray bof(uint16_t substream) {
  return Out().u16(0x0600).u16(substream).u16(0x0DBB).u16(0x07CC).u32(0x00000009).u32(6).take();
}

// TEMPLATE (0x0060): no data; present when the workbook is a template.
QByteArray templateFlag() {
  return QByteArray();
}

// INTERFACEHDR (0x00E1), 2 bytes: cv, the code page of the user interface: 1200 (UTF-16).
QByteArray interfaceHdr() {
  return word(1200);
}

// MMS (0x00C1), 2 bytes: caitm, cditm (menu items added and deleted): both 0.
QByteArray mms() {
  return word(0);
}

// INTERFACEEND (0x00E2): no data.
QByteArray interfaceEnd() {
  return QByteArray();
}

// WRITEACCESS (0x005C), 112 bytes:
//   0 var userName  XLUnicodeString, the user who last saved
//   .. ...  unused      spaces up to 112 bytes
QByteArray writeAccess(const QString& user) {
  Out o;
  o.string16(user.left(54));
  QByteArray b = o.take();
  if (b.size() < 112) b.append(112 - b.size(), ' ');
  return b;
}

// CODEPAGE (0x0042), 2 bytes: cv, code page of the strings: 1200 (UTF-16 / compressed Latin-1).
QByteArray codepage() {
  return word(1200);
}

// DSF (0x0161), 2 bytes: fDSF, 0 (no Excel 5 stream saved along with this one).
QByteArray dsf() {
  return word(0);
}

// TABID (0x013D), 2 bytes per sheet: rgiTab, the sheet ids in tab order (1, 2, ...).
QByteArray tabId(int sheetCount) {
  Out o;
  for (int i = 1; i <= sheetCount; ++i) o.u16(uint16_t(i));
  return o.take();
}

// FNGROUPCOUNT (0x009C), 2 bytes: cFnGroup, number of built-in function groups: 14.
QByteArray fnGroupCount() {
  return word(14);
}

// WINDOWPROTECT (0x0019), 2 bytes: fLockWn, 0 (windows not protected).
QByteArray windowProtect() {
  return word(0);
}

// PROTECT (0x0012), 2 bytes: fLock, 0 (not protected).
QByteArray protect() {
  return word(0);
}

// PASSWORD (0x0013), 2 bytes: wPassword, password hash, 0 (none).
QByteArray password() {
  return word(0);
}

// PROT4REV (0x01AF), 2 bytes: fRevLock, 0 (revision log not locked).
QByteArray prot4Rev() {
  return word(0);
}

// PROT4REVPASS (0x01BC), 2 bytes: protPwdRev, 0 (no password).
QByteArray prot4RevPass() {
  return word(0);
}

// WINDOW1 (0x003D), 18 bytes:
//   0 2 xWn, 2 2 yWn      window position in twips
//   4 2 dxWn, 6 2 dyWn    window size in twips
//   8 2 grbit             bit 0 hidden, bit 1 iconic, bit 3 horizontal scroll bar,
//                         bit 4 vertical scroll bar, bit 5 sheet tabs shown
//  10 2 itabCur           active sheet
//  12 2 itabFirst         first visible tab
//  14 2 ctabSel           number of selected sheets
//  16 2 wTabRatio         tab bar width in 1/1000 of the window: 600
QByteArray window1(int activeSheet, int selectedSheets) {
  return Out()
      .u16(360)
      .u16(270)
      .u16(14940)
      .u16(9150)
      .u16(0x0038)
      .u16(uint16_t(activeSheet))
      .u16(0)
      .u16(uint16_t(selectedSheets))
      .u16(600)
      .take();
}

// BACKUP (0x0040), 2 bytes: fBackup, 0 (no backup copy on save).
QByteArray backup() {
  return word(0);
}

// HIDEOBJ (0x008D), 2 bytes: hideObj, 0 (show all objects).
QByteArray hideObj() {
  return word(0);
}

// DATEMODE (0x0022), 2 bytes: f1904, 1 for the 1904 date system, 0 for 1900.
QByteArray dateMode(bool date1904) {
  return word(date1904 ? 1 : 0);
}

// PRECISION (0x000E), 2 bytes: fFullPrec, 1 (calculate with full precision).
QByteArray precision() {
  return word(1);
}

// REFRESHALL (0x01B7), 2 bytes: fRefreshAll, 0.
QByteArray refreshAll() {
  return word(0);
}

// BOOKBOOL (0x00DA), 2 bytes: grbit, 0 (save external link values, ...).
QByteArray bookBool() {
  return word(0);
}

// FONT (0x0031), 14 bytes plus the name:
//   0 2 dyHeight   height in twips
//   2 2 grbit      bit 0 bold (mirrors bls, as older readers look here), bit 1 italic,
//                  bit 3 strikeout, bit 4 outline, bit 5 shadow
//   4 2 icv        colour index (0x7FFF automatic)
//   6 2 bls        weight: 400 normal, 700 bold
//   8 2 sss        0 normal, 1 superscript, 2 subscript
//  10 1 uls        underline: 0 none, 1 single, 2 double, 0x21 single accounting
//  11 1 bFamily    font family
//  12 1 bCharSet   character set
//  13 1 reserved
//  14 var fontName ShortXLUnicodeString
QByteArray font(const Font& f) {
  uint16_t grbit = f.bold ? 0x0001 : 0x0000;
  if (f.italic) grbit |= 0x0002;
  if (f.strikeout) grbit |= 0x0008;
  return Out()
      .u16(f.heightTwips)
      .u16(grbit)
      .u16(f.colorIndex)
      .u16(f.bold ? 700 : 400)
      .u16(0)
      .u8(uint8_t(f.underline))
      .u8(f.family)
      .u8(f.charset)
      .u8(0)
      .string8(f.name.left(255))
      .take();
}

// FORMAT (0x041E):
//   0 2   ifmt   number format id (164 and up for the workbook's own)
//   2 var stFormat XLUnicodeString, the format code
QByteArray format(uint16_t id, const QString& code) {
  return Out().u16(id).string16(code).take();
}

// XF (0x00E0), 20 bytes:
//   0 2 ifnt        font index
//   2 2 ifmt        number format id
//   4 2 flags       bit 0 locked, bit 1 formula hidden, bit 2 style XF, bit 3 prefix,
//                   bits 4-15 parent style XF (0xFFF for a style XF)
//   6 1 alignment   bits 0-2 horizontal, bit 3 wrap, bits 4-6 vertical, bit 7 justify last
//   7 1 trot        text rotation
//   8 1 indent      bits 0-3 indent, bit 4 shrink to fit, bits 6-7 reading order
//   9 1 used        bits 2-7: number format, font, alignment, border, fill, protection of
//                   this XF used (cell XF) / ignored (style XF)
//  10 4 border1     bits 0-3 left, 4-7 right, 8-11 top, 12-15 bottom line style,
//                   bits 16-22 left colour, 23-29 right colour, 30-31 diagonals
//  14 4 border2     bits 0-6 top colour, 7-13 bottom colour, 14-20 diagonal colour,
//                   21-24 diagonal style, 25 has XFEXT, 26-31 fill pattern
//  18 2 fill        bits 0-6 pattern colour, bits 7-13 pattern background colour
QByteArray xf(const CellFormat& f, uint16_t fontIndex, uint16_t formatId, bool style,
              uint8_t usedAttributes) {
  uint16_t flags = f.locked ? 0x0001 : 0x0000;
  if (style) flags |= 0x0004 | 0xFFF0;
  const uint8_t alignment = uint8_t((uint8_t(f.hAlign) & 0x07) | (f.wrap ? 0x08 : 0x00) |
                                    ((uint8_t(f.vAlign) & 0x07) << 4));
  const uint32_t border1 = uint32_t(uint8_t(f.left.style) & 0x0F) |
                           (uint32_t(uint8_t(f.right.style) & 0x0F) << 4) |
                           (uint32_t(uint8_t(f.top.style) & 0x0F) << 8) |
                           (uint32_t(uint8_t(f.bottom.style) & 0x0F) << 12) |
                           (uint32_t(colorBits(f.left.colorIndex)) << 16) |
                           (uint32_t(colorBits(f.right.colorIndex)) << 23);
  const uint32_t border2 = uint32_t(colorBits(f.top.colorIndex)) |
                           (uint32_t(colorBits(f.bottom.colorIndex)) << 7) |
                           (uint32_t(uint8_t(f.pattern) & 0x3F) << 26);
  const uint16_t fill = uint16_t(colorBits(f.fillColor) | (colorBits(f.fillBackground) << 7));
  return Out()
      .u16(fontIndex)
      .u16(formatId)
      .u16(flags)
      .u8(alignment)
      .u8(0)
      .u8(0)
      .u8(usedAttributes)
      .u32(border1)
      .u32(border2)
      .u16(fill)
      .take();
}

// STYLE (0x0293), built-in style, 4 bytes:
//   0 2 ixfe         bits 0-11 style XF, bit 15 built-in
//   2 1 istyBuiltIn  0 = Normal
//   3 1 iLevel       0xFF (no outline level)
QByteArray styleNormal() {
  return Out().u16(0x8000).u8(0).u8(0xFF).take();
}

// PALETTE (0x0092):
//   0 2   ccv      number of colours: 56
//   2 4*n rgColor  red, green, blue, 0 for palette indexes 8..63
QByteArray palette(const Palette& p) {
  Out o;
  o.u16(56);
  for (uint16_t i = 8; i < 64; ++i) {
    const uint32_t c = p.rgb(i);
    o.u8(uint8_t(c >> 16)).u8(uint8_t(c >> 8)).u8(uint8_t(c)).u8(0);
  }
  return o.take();
}

// USESELFS (0x0160), 2 bytes: fUsesElfs, 1 (natural language formulas allowed).
QByteArray useSelfs() {
  return word(1);
}

// BOUNDSHEET (0x0085):
//   0 4   lbPlyPos  stream position of the sheet's BOF record
//   4 1   hsState   bits 0-1: 0 visible, 1 hidden, 2 very hidden
//   5 1   dt        sheet type: 0 worksheet
//   6 var stName    ShortXLUnicodeString
QByteArray boundSheet(const QString& name) {
  return Out().u32(0).u8(0).u8(0).string8(name.left(31)).take();
}

// COUNTRY (0x008C), 4 bytes: iCountryDef and iCountryWinIni, 1 (United States).
QByteArray country() {
  return Out().u16(1).u16(1).take();
}

// SUPBOOK (0x01AE), the workbook's references to its own sheets, 4 bytes:
//   0 2 ctab   number of sheets
//   2 2 cch    0x0401: this workbook
QByteArray supBookInternal(int sheetCount) {
  return Out().u16(uint16_t(sheetCount)).u16(0x0401).take();
}

// EXTERNSHEET (0x0017):
//   0 2   cXTI     number of XTI entries
//   2 6*n rgXTI    iSupBook (2), itabFirst (2), itabLast (2)
// One entry per sheet, so that entry i is sheet i of SUPBOOK 0 (this workbook).
QByteArray externSheet(int sheetCount) {
  Out o;
  o.u16(uint16_t(sheetCount));
  for (int i = 0; i < sheetCount; ++i) o.u16(0).u16(uint16_t(i)).u16(uint16_t(i));
  return o.take();
}

// NAME (0x0018):
//   0 2   grbit     bit 0 hidden, bit 1 function, bit 5 built-in, ...
//   2 1   chKey     keyboard shortcut: 0
//   3 1   cch       name length in characters
//   4 2   cce       length of the formula
//   6 2   reserved
//   8 2   itab      1-based sheet of a sheet-local name, 0 for a global name
//  10 4   reserved  (menu, description, help and status text lengths: 0)
//  14 var name      option byte and characters; a built-in name is its one-character code
//  .. cce rgce      the formula: ptgArea3d (0x3B) ixti (2), rwFirst (2), rwLast (2),
//                   colFirst (2), colLast (2) per area, ptgUnion (0x10) joining areas
QByteArray name(const DefinedName& n) {
  Out formulaBytes;
  for (size_t i = 0; i < n.ranges.size(); ++i) {
    const Range& r = n.ranges[i];
    formulaBytes.u8(0x3B)
        .u16(uint16_t(std::max(0, n.sheetIndex)))
        .u16(uint16_t(r.firstRow))
        .u16(uint16_t(r.lastRow))
        .u16(uint16_t(r.firstCol))
        .u16(uint16_t(r.lastCol));
    if (i > 0) formulaBytes.u8(0x10);
  }
  const QString text = n.builtin ? QString(QChar(char16_t(n.builtinCode))) : n.name.left(255);
  Out o;
  o.u16(n.builtin ? 0x0020 : 0x0000)
      .u8(0)
      .u8(uint8_t(text.size()))
      .u16(uint16_t(formulaBytes.size()))
      .u16(0)
      .u16(uint16_t(n.sheetIndex + 1))
      .zeros(4)
      .charsWithFlags(text)
      .bytes(formulaBytes.data());
  return o.take();
}

// SST (0x00FC):
//   0 4   cstTotal   number of references to shared strings in the workbook
//   4 4   cstUnique  number of strings
//   8 var rgb        XLUnicodeRichExtendedString each: cch (2), option byte (bit 0: two bytes
//                    per character), characters
// A string whose characters do not fit continues in a CONTINUE record that starts with the
// option byte again; a string header is never split from its first character.
// EXTSST (0x00FF):
//   0 2   dsst       strings per bucket
//   2 8*n rgISSTInf  per bucket: ib (4) stream position of the bucket's first string,
//                    cbOffset (2) its offset from the start of its record, reserved (2)
void sstAndExtSst(RecordWriter& w, const std::vector<QString>& strings, uint32_t references) {
  const auto count = uint32_t(strings.size());
  // Buckets of at least 8 strings; at most 1027 buckets fit one EXTSST record.
  const uint32_t perBucket = std::max<uint32_t>(8, (count + 1026) / 1027);
  std::vector<std::pair<uint32_t, uint16_t>> buckets;

  w.begin(SST);
  w.add(Out().u32(references).u32(count).take());
  for (uint32_t i = 0; i < count; ++i) {
    const QString& s = strings[i];
    const bool wide = !fitsCompressed(s);
    const QByteArray head = Out().u16(uint16_t(s.size())).u8(wide ? 1 : 0).take();
    w.add(head, s.isEmpty() ? 0 : (wide ? 2 : 1));
    if (i % perBucket == 0) {
      const qsizetype at = w.position() - head.size();
      buckets.emplace_back(uint32_t(at), uint16_t(at - w.recordStart()));
    }
    w.addChars(s, wide);
  }
  w.end();

  Out ext;
  ext.u16(uint16_t(perBucket));
  for (const auto& [at, offset] : buckets) ext.u32(at).u16(offset).u16(0);
  w.write(EXTSST, ext.take());
}

// EOF (0x000A): no data; ends a substream.
QByteArray eof() {
  return QByteArray();
}

// ---- worksheet ------------------------------------------------------------------------------

// CALCMODE (0x000D), 2 bytes: 1 automatic calculation.
QByteArray calcMode() {
  return word(1);
}

// CALCCOUNT (0x000C), 2 bytes: iteration limit, 100.
QByteArray calcCount() {
  return word(100);
}

// REFMODE (0x000F), 2 bytes: 1 for A1 references, 0 for R1C1.
QByteArray refMode() {
  return word(1);
}

// ITERATION (0x0011), 2 bytes: fIter, 0 (no iterative calculation).
QByteArray iteration() {
  return word(0);
}

// DELTA (0x0010), 8 bytes: numDelta, largest change of an iteration: 0.001.
QByteArray delta() {
  return Out().f64(0.001).take();
}

// SAVERECALC (0x005F), 2 bytes: fSaveRecalc, 1 (recalculate before saving).
QByteArray saveRecalc() {
  return word(1);
}

// PRINTHEADERS (0x002A), 2 bytes: fPrintRwCol, 1 prints row and column headings.
QByteArray printHeaders(bool on) {
  return word(on ? 1 : 0);
}

// PRINTGRIDLINES (0x002B), 2 bytes: fPrintGrid, 1 prints the gridlines.
QByteArray printGridlines(bool on) {
  return word(on ? 1 : 0);
}

// GRIDSET (0x0082), 2 bytes: fGridSet, 1 (the print gridlines option was set).
QByteArray gridSet() {
  return word(1);
}

// GUTS (0x0080), 8 bytes: dxRwGut, dyColGut (gutter sizes), iLevelRwMac, iLevelColMac
// (outline levels): all 0.
QByteArray guts() {
  return Out().zeros(8).take();
}

// DEFAULTROWHEIGHT (0x0225), 4 bytes:
//   0 2 grbit  bit 0 unsynced, bit 1 hidden, bit 2 extra space above, bit 3 below
//   2 2 miyRw  default row height in twips
QByteArray defaultRowHeight(uint16_t twips) {
  return Out().u16(0).u16(twips).take();
}

// WSBOOL (0x0081), 2 bytes:
//   bit 0 page breaks shown, bit 4 dialog sheet, bit 5 apply outline styles,
//   bit 6 summary rows below, bit 7 summary columns right, bit 8 fit to page,
//   bit 10 outline symbols shown
QByteArray wsBool(bool fitToPage) {
  return word(uint16_t(0x04C1 | (fitToPage ? 0x0100 : 0)));
}

// HEADER (0x0014) / FOOTER (0x0015): no data when empty, else XLUnicodeString.
QByteArray headerFooter(const QString& text) {
  if (text.isEmpty()) return QByteArray();
  return Out().string16(text.left(255)).take();
}

// HCENTER (0x0083) / VCENTER (0x0084), 2 bytes: 1 centres the printout on the page.
QByteArray hCenter(bool on) {
  return word(on ? 1 : 0);
}
QByteArray vCenter(bool on) {
  return word(on ? 1 : 0);
}

// LEFTMARGIN (0x0026), RIGHTMARGIN (0x0027), TOPMARGIN (0x0028), BOTTOMMARGIN (0x0029),
// 8 bytes: the margin in inches.
QByteArray margin(double inches) {
  return Out().f64(inches).take();
}

// SETUP (0x00A1), 34 bytes:
//   0 2 iPaperSize  paper size (1 Letter, 9 A4)
//   2 2 iScale      scale in percent
//   4 2 iPageStart  first page number
//   6 2 iFitWidth   pages wide when fitting to pages (0: as many as needed)
//   8 2 iFitHeight  pages tall
//  10 2 grbit       bit 0 left to right, bit 1 portrait, bit 2 no printer data,
//                   bit 3 black and white, bit 4 draft, bit 5 print notes,
//                   bit 6 orientation not set, bit 7 use iPageStart
//  12 2 iRes, 14 2 iVRes   print resolution in dpi
//  16 8 numHdr      header margin in inches
//  24 8 numFtr      footer margin in inches
//  32 2 iCopies     number of copies
QByteArray setup(const PageSetup& p) {
  uint16_t grbit = 0;
  if (!p.landscape) grbit |= 0x0002;
  if (p.printComments) grbit |= 0x0020;
  return Out()
      .u16(uint16_t(p.paperSize))
      .u16(uint16_t(p.scale))
      .u16(1)
      .u16(uint16_t(p.fitWidth))
      .u16(uint16_t(p.fitHeight))
      .u16(grbit)
      .u16(600)
      .u16(600)
      .f64(p.headerMargin)
      .f64(p.footerMargin)
      .u16(1)
      .take();
}

// DEFCOLWIDTH (0x0055), 2 bytes: default column width in characters.
QByteArray defColWidth(int chars) {
  return word(uint16_t(chars));
}

// COLINFO (0x007D), 12 bytes:
//   0 2 colFirst, 2 2 colLast   the columns described
//   4 2 coldx     width in 1/256 of a character
//   6 2 ixfe      XF of the columns' empty cells
//   8 2 grbit     bit 0 hidden, bit 1 width set by the user, bit 2 best fit,
//                 bits 8-10 outline level, bit 12 collapsed
//  10 2 reserved
QByteArray colInfo(int first, int last, const ColumnInfo& info, uint16_t xfIndex) {
  return Out()
      .u16(uint16_t(first))
      .u16(uint16_t(last))
      .u16(info.width)
      .u16(xfIndex)
      .u16(uint16_t(0x0002 | (info.hidden ? 0x0001 : 0)))
      .u16(0)
      .take();
}

// DIMENSIONS (0x0200), 14 bytes:
//   0 4 rwMic   first used row
//   4 4 rwMac   last used row + 1
//   8 2 colMic  first used column
//  10 2 colMac  last used column + 1
//  12 2 reserved
QByteArray dimensions(bool empty, const Range& used) {
  if (empty) return Out().zeros(14).take();
  return Out()
      .u32(uint32_t(used.firstRow))
      .u32(uint32_t(used.lastRow + 1))
      .u16(uint16_t(used.firstCol))
      .u16(uint16_t(used.lastCol + 1))
      .u16(0)
      .take();
}

// ROW (0x0208), 16 bytes:
//   0 2 rw       row
//   2 2 colMic   first column with a cell
//   4 2 colMac   last column with a cell + 1
//   6 2 miyRw    height in twips (bits 0-14)
//   8 2 reserved, 10 2 unused
//  12 2 grbit    bits 0-2 outline level, bit 4 collapsed, bit 5 hidden (zero height),
//                bit 6 height set (not fitted to the content), bit 7 row has a format,
//                bit 8 always 1
//  14 2 ixfe     bits 0-11 XF of the row format (15 when none)
QByteArray row(int rowIndex, int firstCol, int lastColPlusOne, const RowInfo& info) {
  uint16_t grbit = 0x0100;
  if (info.hidden) grbit |= 0x0020;
  if (info.customHeight) grbit |= 0x0040;
  return Out()
      .u16(uint16_t(rowIndex))
      .u16(uint16_t(firstCol))
      .u16(uint16_t(lastColPlusOne))
      .u16(info.heightTwips & 0x7FFF)
      .u16(0)
      .u16(0)
      .u16(grbit)
      .u16(kStyleXfCount)
      .take();
}

// Every cell record starts with rw (2), col (2), ixfe (2): the cell and its XF.
namespace {
Out cellHead(CellRef at, uint16_t xfIndex) {
  Out o;
  o.u16(uint16_t(at.row)).u16(uint16_t(at.col)).u16(xfIndex);
  return o;
}
}  // namespace

// LABELSST (0x00FD), 10 bytes: cell head (6), isst (4) index into the shared strings.
QByteArray labelSst(CellRef at, uint16_t xfIndex, uint32_t sstIndex) {
  return cellHead(at, xfIndex).u32(sstIndex).take();
}

// NUMBER (0x0203), 14 bytes: cell head (6), num (8) IEEE double.
QByteArray number(CellRef at, uint16_t xfIndex, double value) {
  return cellHead(at, xfIndex).f64(value).take();
}

// RK (0x027E), 10 bytes: cell head (6), RK number (4): bit 0 divided by 100, bit 1 integer,
// bits 2-31 the integer or the high 30 bits of the double.
QByteArray rk(CellRef at, uint16_t xfIndex, uint32_t rkValue) {
  return cellHead(at, xfIndex).u32(rkValue).take();
}

// BOOLERR (0x0205), 8 bytes: cell head (6), bBoolErr (1) the boolean or error code,
// fError (1) 1 for an error.
QByteArray boolErr(CellRef at, uint16_t xfIndex, const Value& v) {
  Out o = cellHead(at, xfIndex);
  if (const bool* b = std::get_if<bool>(&v))
    o.u8(*b ? 1 : 0).u8(0);
  else
    o.u8(uint8_t(std::get<ErrorCode>(v))).u8(1);
  return o.take();
}

// BLANK (0x0201), 6 bytes: cell head; a cell with a format and no value.
QByteArray blank(CellRef at, uint16_t xfIndex) {
  return cellHead(at, xfIndex).take();
}

// MULBLANK (0x00BE), formatted empty cells side by side in a row:
//   0 2   rw        row
//   2 2   colFirst  first column
//   4 2*n rgixfe    XF of each cell
//   . 2   colLast   last column
QByteArray mulBlank(CellRef first, const std::vector<uint16_t>& xfIndexes) {
  Out o;
  o.u16(uint16_t(first.row)).u16(uint16_t(first.col));
  for (uint16_t x : xfIndexes) o.u16(x);
  o.u16(uint16_t(first.col + int(xfIndexes.size()) - 1));
  return o.take();
}

// FORMULA (0x0006):
//   0 6   cell head
//   6 8   cached result: an IEEE double, or byte 0 the type (0 string, which a STRING record
//         follows; 1 boolean; 2 error; 3 empty string), byte 2 the boolean or error code,
//         bytes 6-7 0xFFFF
//  14 2   grbit   bit 0 always calculate, bit 3 shared formula
//  16 4   chn     0
//  20 2   cce     length of the tokens
//  22 cce rgce    the parsed expression
QByteArray formula(CellRef at, uint16_t xfIndex, const Value& cached,
                   const std::vector<uint8_t>& tokens) {
  Out o = cellHead(at, xfIndex);
  auto special = [&](uint8_t type, uint8_t value) {
    o.u8(type).u8(0).u8(value).zeros(3).u16(0xFFFF);
  };
  if (const double* d = std::get_if<double>(&cached)) {
    o.f64(*d);
  } else if (const QString* s = std::get_if<QString>(&cached)) {
    if (s->isEmpty())
      special(3, 0);
    else
      special(0, 0);
  } else if (const bool* b = std::get_if<bool>(&cached)) {
    special(1, *b ? 1 : 0);
  } else if (const ErrorCode* e = std::get_if<ErrorCode>(&cached)) {
    special(2, uint8_t(*e));
  } else {
    special(3, 0);
  }
  o.u16(0).u32(0).u16(uint16_t(tokens.size()));
  o.bytes(QByteArray(reinterpret_cast<const char*>(tokens.data()), qsizetype(tokens.size())));
  return o.take();
}

// STRING (0x0207): XLUnicodeString, the text result of the formula before it.
QByteArray string(const QString& s) {
  return Out().string16(s).take();
}

// WINDOW2 (0x023E), 18 bytes:
//   0 2 grbit   bit 0 formulas shown, bit 1 gridlines, bit 2 headings, bit 3 frozen panes,
//               bit 4 zeros shown, bit 5 default gridline colour, bit 6 right to left,
//               bit 7 outline symbols, bit 8 frozen without split, bit 9 tab selected,
//               bit 10 sheet shown in the window (active), bit 11 page break preview
//   2 2 rwTop   first visible row
//   4 2 colLeft first visible column
//   6 2 icvHdr  gridline colour index (64: automatic)
//   8 2 reserved
//  10 2 wScaleSLV     zoom of the page break preview (0: default)
//  12 2 wScaleNormal  zoom of the normal view (0: default 100)
//  14 4 reserved
QByteArray window2(const SheetWindow& w, bool active) {
  uint16_t grbit = 0x0010 | 0x0020 | 0x0080;
  if (w.showGridlines) grbit |= 0x0002;
  if (w.showHeadings) grbit |= 0x0004;
  if (w.selected) grbit |= 0x0200;
  if (active) grbit |= 0x0400;
  return Out()
      .u16(grbit)
      .u16(uint16_t(w.topLeft.row))
      .u16(uint16_t(w.topLeft.col))
      .u16(0x40)
      .u16(0)
      .u16(0)
      .u16(w.zoomPercent == 100 ? 0 : uint16_t(w.zoomPercent))
      .u32(0)
      .take();
}

// SCL (0x00A0), 4 bytes: nscl (2), dscl (2): the zoom as the fraction nscl / dscl.
QByteArray scl(int zoomPercent) {
  return Out().u16(uint16_t(zoomPercent)).u16(100).take();
}

// SELECTION (0x001D):
//   0 1   pnn      pane: 3 (the only pane of an unsplit window)
//   1 2   rwAct    active cell row
//   3 2   colAct   active cell column
//   5 2   irefAct  which of the ranges holds the active cell
//   7 2   cref     number of ranges
//   9 6*n rgref    rwFirst (2), rwLast (2), colFirst (1), colLast (1)
QByteArray selection(const SheetWindow& w) {
  std::vector<Range> ranges = w.selection;
  if (ranges.empty()) ranges.push_back(Range::cell(w.activeCell));
  if (ranges.size() > 1369) ranges.resize(1369);
  uint16_t active = 0;
  for (size_t i = 0; i < ranges.size(); ++i)
    if (ranges[i].contains(w.activeCell)) {
      active = uint16_t(i);
      break;
    }
  Out o;
  o.u8(3)
      .u16(uint16_t(w.activeCell.row))
      .u16(uint16_t(w.activeCell.col))
      .u16(active)
      .u16(uint16_t(ranges.size()));
  for (const Range& r : ranges)
    o.u16(uint16_t(r.firstRow))
        .u16(uint16_t(r.lastRow))
        .u8(uint8_t(r.firstCol))
        .u8(uint8_t(r.lastCol));
  return o.take();
}

// MERGEDCELLS (0x00E5):
//   0 2   cmcs    number of ranges (at most 1026 in one record)
//   2 8*n rgref   rwFirst (2), rwLast (2), colFirst (2), colLast (2)
QByteArray mergedCells(const std::vector<Range>& ranges) {
  Out o;
  o.u16(uint16_t(ranges.size()));
  for (const Range& r : ranges)
    o.u16(uint16_t(r.firstRow))
        .u16(uint16_t(r.lastRow))
        .u16(uint16_t(r.firstCol))
        .u16(uint16_t(r.lastCol));
  return o.take();
}

bool encodeRk(double v, uint32_t* out) {
  auto asInteger = [](double x, uint32_t* r) {
    if (!(x >= -536870912.0 && x <= 536870911.0) || x != std::floor(x)) return false;
    *r = uint32_t(int32_t(x)) << 2;
    return true;
  };
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  if ((bits & 0x3FFFFFFFFull) == 0) {
    *out = uint32_t(bits >> 32) & 0xFFFFFFFCu;
    return true;
  }
  uint32_t r;
  if (asInteger(v, &r)) {
    *out = r | 0x02;
    return true;
  }
  const double hundred = v * 100.0;
  if (asInteger(hundred, &r) && decodeRk(r | 0x03) == v) {
    *out = r | 0x03;
    return true;
  }
  return false;
}

double decodeRk(uint32_t rk) {
  double v;
  if (rk & 0x02) {
    v = double(int32_t(rk) >> 2);
  } else {
    const uint64_t bits = uint64_t(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&v, &bits, 8);
  }
  return (rk & 0x01) ? v / 100.0 : v;
}

}  // namespace sheet::biff
