#pragma once
// One function per BIFF8 record: each returns the record's data (without its header) and
// carries the record's layout as its comment. The framer adds headers and CONTINUE records.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "spreadsheet/model/format.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/model/worksheet.h"

namespace sheet::biff {

class RecordWriter;

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

}  // namespace sheet::biff
