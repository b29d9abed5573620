#pragma once
// One function per BIFF8 record: each returns the record's data (without its header) and
// carries the record's layout as its comment. The framer adds headers and CONTINUE records.
// The writer builds whole records through `record::` (at the end), which binds each record's
// data function to its identifier once.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "spreadsheet/biff/framer.h"
#include "spreadsheet/biff/recordids.h"
#include "spreadsheet/model/format.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/model/worksheet.h"

namespace sheet::biff {

// BOF substream types.
inline constexpr uint16_t kBofGlobals = 0x0005;
inline constexpr uint16_t kBofWorksheet = 0x0010;

// Number of style XFs in front of the cell XFs; cell XF 15 is the default cell format.
inline constexpr int kStyleXfCount = 15;

// ---- workbook globals -------------------------------------------------------------------
QByteArray bof(uint16_t substream);
QByteArray templateFlag();
QByteArray interfaceHdr();
QByteArray mms();
QByteArray interfaceEnd();
QByteArray writeAccess(const QString& user);
QByteArray codepage();
QByteArray dsf();
QByteArray tabId(int sheetCount);
QByteArray fnGroupCount();
QByteArray windowProtect();
QByteArray protect();
QByteArray password();
QByteArray prot4Rev();
QByteArray prot4RevPass();
QByteArray window1(int activeSheet, int selectedSheets);
QByteArray backup();
QByteArray hideObj();
QByteArray dateMode(bool date1904);
QByteArray precision();
QByteArray refreshAll();
QByteArray bookBool();
QByteArray font(const Font& f);
QByteArray format(uint16_t id, const QString& code);
QByteArray xf(const CellFormat& f, uint16_t fontIndex, uint16_t formatId, bool style,
              uint8_t usedAttributes);
QByteArray styleNormal();
QByteArray palette(const Palette& p);
QByteArray useSelfs();
QByteArray boundSheet(const QString& name);  // stream position patched later
QByteArray country();
QByteArray supBookInternal(int sheetCount);
QByteArray externSheet(int sheetCount);
QByteArray name(const DefinedName& n);

// Shared strings: SST (with CONTINUE records as the strings need) and EXTSST, written straight
// through the framer because where the records split depends on the strings.
void sstAndExtSst(RecordWriter& w, const std::vector<QString>& strings, uint32_t references);

QByteArray eof();

// ---- worksheet ------------------------------------------------------------------------------
QByteArray calcMode();
QByteArray calcCount();
QByteArray refMode();
QByteArray iteration();
QByteArray delta();
QByteArray saveRecalc();
QByteArray printHeaders(bool on);
QByteArray printGridlines(bool on);
QByteArray gridSet();
QByteArray guts();
QByteArray defaultRowHeight(uint16_t twips);
QByteArray wsBool(bool fitToPage);
QByteArray headerFooter(const QString& text);  // HEADER and FOOTER
QByteArray hCenter(bool on);
QByteArray vCenter(bool on);
QByteArray margin(double inches);  // LEFTMARGIN, RIGHTMARGIN, TOPMARGIN, BOTTOMMARGIN
QByteArray setup(const PageSetup& p);
QByteArray defColWidth(int chars);
QByteArray colInfo(int first, int last, const ColumnInfo& info, uint16_t xfIndex);
QByteArray dimensions(bool empty, const Range& used);
QByteArray row(int rowIndex, int firstCol, int lastColPlusOne, const RowInfo& info);
QByteArray labelSst(CellRef at, uint16_t xfIndex, uint32_t sstIndex);
QByteArray number(CellRef at, uint16_t xfIndex, double value);
QByteArray rk(CellRef at, uint16_t xfIndex, uint32_t rkValue);
QByteArray boolErr(CellRef at, uint16_t xfIndex, const Value& v);
QByteArray blank(CellRef at, uint16_t xfIndex);
QByteArray mulBlank(CellRef first, const std::vector<uint16_t>& xfIndexes);
QByteArray formula(CellRef at, uint16_t xfIndex, const Value& cached,
                   const std::vector<uint8_t>& tokens);
QByteArray string(const QString& s);
QByteArray window2(const SheetWindow& w, bool active);
QByteArray scl(int zoomPercent);
QByteArray selection(const SheetWindow& w);
QByteArray mergedCells(const std::vector<Range>& ranges);  // at most 1026

// RK encoding of a number when it is exact (an integer of 30 bits, or a double whose low
// 34 bits are zero, each possibly times 100); nothing otherwise.
bool encodeRk(double v, uint32_t* rk);
double decodeRk(uint32_t rk);

// ---- records bound to their identifiers -----------------------------------------------------
// Bound<ID, data> takes the arguments of the data function and returns the whole record with
// identifier ID, so that a call site names the record once: w.write(record::font(f)).
template <uint16_t Id, auto Data>
struct Bound;
template <uint16_t Id, typename... Args, QByteArray (*Data)(Args...)>
struct Bound<Id, Data> {
  RecordOut operator()(Args... args) const { return {Id, Data(args...)}; }
};

namespace record {
// Workbook globals.
inline constexpr Bound<BOF, &biff::bof> bof;
inline constexpr Bound<TEMPLATE, &biff::templateFlag> templateFlag;
inline constexpr Bound<INTERFACEHDR, &biff::interfaceHdr> interfaceHdr;
inline constexpr Bound<MMS, &biff::mms> mms;
inline constexpr Bound<INTERFACEEND, &biff::interfaceEnd> interfaceEnd;
inline constexpr Bound<WRITEACCESS, &biff::writeAccess> writeAccess;
inline constexpr Bound<CODEPAGE, &biff::codepage> codepage;
inline constexpr Bound<DSF, &biff::dsf> dsf;
inline constexpr Bound<TABID, &biff::tabId> tabId;
inline constexpr Bound<FNGROUPCOUNT, &biff::fnGroupCount> fnGroupCount;
inline constexpr Bound<WINDOWPROTECT, &biff::windowProtect> windowProtect;
inline constexpr Bound<PROTECT, &biff::protect> protect;
inline constexpr Bound<PASSWORD, &biff::password> password;
inline constexpr Bound<PROT4REV, &biff::prot4Rev> prot4Rev;
inline constexpr Bound<PROT4REVPASS, &biff::prot4RevPass> prot4RevPass;
inline constexpr Bound<WINDOW1, &biff::window1> window1;
inline constexpr Bound<BACKUP, &biff::backup> backup;
inline constexpr Bound<HIDEOBJ, &biff::hideObj> hideObj;
inline constexpr Bound<DATEMODE, &biff::dateMode> dateMode;
inline constexpr Bound<PRECISION, &biff::precision> precision;
inline constexpr Bound<REFRESHALL, &biff::refreshAll> refreshAll;
inline constexpr Bound<BOOKBOOL, &biff::bookBool> bookBool;
inline constexpr Bound<FONT, &biff::font> font;
inline constexpr Bound<FORMAT, &biff::format> format;
inline constexpr Bound<XF, &biff::xf> xf;
inline constexpr Bound<STYLE, &biff::styleNormal> styleNormal;
inline constexpr Bound<PALETTE, &biff::palette> palette;
inline constexpr Bound<USESELFS, &biff::useSelfs> useSelfs;
inline constexpr Bound<BOUNDSHEET, &biff::boundSheet> boundSheet;
inline constexpr Bound<COUNTRY, &biff::country> country;
inline constexpr Bound<SUPBOOK, &biff::supBookInternal> supBookInternal;
inline constexpr Bound<EXTERNSHEET, &biff::externSheet> externSheet;
inline constexpr Bound<NAME, &biff::name> name;
inline constexpr Bound<EOF_, &biff::eof> eof;

// Worksheet.
inline constexpr Bound<CALCMODE, &biff::calcMode> calcMode;
inline constexpr Bound<CALCCOUNT, &biff::calcCount> calcCount;
inline constexpr Bound<REFMODE, &biff::refMode> refMode;
inline constexpr Bound<ITERATION, &biff::iteration> iteration;
inline constexpr Bound<DELTA, &biff::delta> delta;
inline constexpr Bound<SAVERECALC, &biff::saveRecalc> saveRecalc;
inline constexpr Bound<PRINTHEADERS, &biff::printHeaders> printHeaders;
inline constexpr Bound<PRINTGRIDLINES, &biff::printGridlines> printGridlines;
inline constexpr Bound<GRIDSET, &biff::gridSet> gridSet;
inline constexpr Bound<GUTS, &biff::guts> guts;
inline constexpr Bound<DEFAULTROWHEIGHT, &biff::defaultRowHeight> defaultRowHeight;
inline constexpr Bound<WSBOOL, &biff::wsBool> wsBool;
inline constexpr Bound<HEADER, &biff::headerFooter> header;
inline constexpr Bound<FOOTER, &biff::headerFooter> footer;
inline constexpr Bound<HCENTER, &biff::hCenter> hCenter;
inline constexpr Bound<VCENTER, &biff::vCenter> vCenter;
inline constexpr Bound<LEFTMARGIN, &biff::margin> leftMargin;
inline constexpr Bound<RIGHTMARGIN, &biff::margin> rightMargin;
inline constexpr Bound<TOPMARGIN, &biff::margin> topMargin;
inline constexpr Bound<BOTTOMMARGIN, &biff::margin> bottomMargin;
inline constexpr Bound<SETUP, &biff::setup> setup;
inline constexpr Bound<DEFCOLWIDTH, &biff::defColWidth> defColWidth;
inline constexpr Bound<COLINFO, &biff::colInfo> colInfo;
inline constexpr Bound<DIMENSIONS, &biff::dimensions> dimensions;
inline constexpr Bound<ROW, &biff::row> row;
inline constexpr Bound<LABELSST, &biff::labelSst> labelSst;
inline constexpr Bound<NUMBER, &biff::number> number;
inline constexpr Bound<RK, &biff::rk> rk;
inline constexpr Bound<BOOLERR, &biff::boolErr> boolErr;
inline constexpr Bound<BLANK, &biff::blank> blank;
inline constexpr Bound<MULBLANK, &biff::mulBlank> mulBlank;
inline constexpr Bound<FORMULA, &biff::formula> formula;
inline constexpr Bound<STRING, &biff::string> string;
inline constexpr Bound<WINDOW2, &biff::window2> window2;
inline constexpr Bound<SCL, &biff::scl> scl;
inline constexpr Bound<SELECTION, &biff::selection> selection;
inline constexpr Bound<MERGEDCELLS, &biff::mergedCells> mergedCells;
}  // namespace record

}  // namespace sheet::biff
