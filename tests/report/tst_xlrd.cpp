// Workbooks written by the engine as the independent reader python3-xlrd sees them: texts,
// numbers, formula results, merges, fonts, fills, wrap, widths, heights, window, names; a
// workbook small enough for the mini stream and one large enough to need DIFAT sectors.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "report/reporttemplate.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"
#include "tests/support/testsupport.h"

using namespace sheet;

namespace {

// Prints what xlrd reads from the workbook as JSON.
const char* kScript = R"PY(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
out = {"datemode": book.datemode, "sheets": [], "names": []}
for sh in book.sheets():
    cells = {}
    for r in range(sh.nrows):
        for c in range(sh.ncols):
            cell = sh.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_EMPTY and cell.xf_index == 15:
                continue
            xf = book.xf_list[cell.xf_index]
            font = book.font_list[xf.font_index]
            bg = xf.background
            cells[xlrd.cellname(r, c)] = {
                "t": cell.ctype, "v": cell.value,
                "bold": font.bold, "italic": font.italic, "underline": font.underline_type,
                "fontColour": font.colour_index, "fontName": font.name, "fontHeight": font.height,
                "pattern": bg.fill_pattern, "fill": bg.pattern_colour_index,
                "fillRgb": list(book.colour_map.get(bg.pattern_colour_index) or []),
                "wrap": xf.alignment.text_wrapped, "hAlign": xf.alignment.hor_align,
                "vAlign": xf.alignment.vert_align,
                "borders": [xf.border.left_line_style, xf.border.right_line_style,
                            xf.border.top_line_style, xf.border.bottom_line_style],
                "format": book.format_map[xf.format_key].format_str,
            }
    out["sheets"].append({
        "name": sh.name, "nrows": sh.nrows, "ncols": sh.ncols, "cells": cells,
        "merged": [list(m) for m in sh.merged_cells],
        "widths": {str(c): ci.width for c, ci in sh.colinfo_map.items()},
        "hidden": {str(c): ci.hidden for c, ci in sh.colinfo_map.items()},
        "heights": {str(r): ri.height for r, ri in sh.rowinfo_map.items()},
        "customHeights": {str(r): ri.height_mismatch for r, ri in sh.rowinfo_map.items()},
        "defaultWidth": sh.defcolwidth, "grid": sh.show_grid_lines,
        "zoom": sh.scl_mag_factor, "selected": sh.sheet_selected, "visible": sh.sheet_visible,
        "lastCell": [sh.nrows - 1, sh.ncols - 1,
                     sh.cell_value(sh.nrows - 1, sh.ncols - 1) if sh.nrows else None],
    })
for n in book.name_obj_list:
    refs = []
    if n.result is not None and n.result.kind == xlrd.oREF:
        refs = [list(r.coords) for r in n.result.value]
    out["names"].append({"name": n.name, "builtin": n.builtin, "scope": n.scope, "refs": refs})
print(json.dumps(out))
)PY";

QJsonObject readWithXlrd(const QString& path) {
  QString output;
  const int code = runProgram(python3(), {"-c", kScript, path}, &output);
  if (code != 0) qWarning().noquote() << output;
  return QJsonDocument::fromJson(output.toUtf8()).object();
}

void formula(Workbook& b, CellRef at, const QString& a1) {
  b.sheet(0).cellAt(at).formula = formula::parseA1(a1, at);
}

// The report template with titles, entries and totals of every kind a cell can hold.
Workbook reportBook() {
  Workbook b = reporttemplate::build();
  b.isTemplate = false;  // saved as a workbook
  Worksheet& ws = b.sheet(0);
  ws.setName("Xmas");
  const char* titles[] = {"Family", "Relatives", "Friends", "Knowable people"};
  const char* headings[] = {"Name", "Likes", "Present", "Cost", "Email"};
  CellFormat title;
  title.hAlign = HAlign::Center;
  title.top.style = title.bottom.style = LineStyle::Medium;
  title.pattern = FillPattern::Solid;
  for (int block = 0; block < 4; ++block) {
    // Palette indexes 44 and 42: the colours a macro knows as ColorIndex 37 and 35.
    title.fillColor = uint16_t(44 - block * 2);
    for (int c = 0; c < 5; ++c) {
      b.setFormat(0, {0, block * 5 + c}, title);
      b.sheet(0).cellAt({1, block * 5 + c}).value = QString::fromLatin1(headings[c]);
    }
    ws.cellAt({0, block * 5}).value = QString::fromLatin1(titles[block]);
    ws.merge({0, block * 5, 0, block * 5 + 4});
  }
  CellFormat entry;
  entry.wrap = true;
  entry.left.style = LineStyle::Thin;
  for (int r = 2; r < 24; ++r)
    for (int c = 0; c < 20; ++c) b.setFormat(0, {r, c}, entry);
  enterTyped(b, 0, {2, 0}, "Anna");
  enterTyped(b, 0, {2, 3}, "25");
  enterTyped(b, 0, {3, 3}, "$12.50");
  enterTyped(b, 0, {4, 3}, "n/a");
  enterTyped(b, 0, {2, 5}, QString::fromUtf8("Ёлка 圣诞 🎄"));
  enterTyped(b, 0, {2, 8}, "TRUE");
  CellFormat link = entry;
  link.font.underline = Underline::Single;
  link.font.colorIndex = 12;
  b.setFormat(0, {2, 4}, link);
  enterTyped(b, 0, {2, 4}, "anna@example.org");
  CellFormat bold;
  bold.font.bold = true;
  bold.font.italic = true;
  bold.font.name = QStringLiteral("Liberation Sans");
  bold.font.heightTwips = 280;
  b.setFormat(0, {24, 0}, bold);
  ws.cellAt({24, 0}).value = QStringLiteral("Totals");
  for (int c : {3, 8, 13, 18})
    formula(b, {24, c},
            QStringLiteral("SUM(%1:%2)").arg(a1Name(CellRef{2, c}), a1Name(CellRef{23, c})));
  formula(b, {24, 19}, "1/0");
  formula(b, {24, 17}, "UPPER(\"ab\")&\"c\"");
  ws.cellAt({24, 16}).value = ErrorCode::NA;
  ws.merge({24, 1, 24, 2});
  ws.columns[0].width = 4000;
  ws.columns[4] = {6000, false, 0};
  ws.columns[6] = {0, true, 0};
  ws.defaultColumnWidthChars = 8;
  ws.defaultRowHeightTwips = 285;
  ws.rows[0] = {300, false, false};
  ws.rows[1] = {600, true, false};
  b.setPrintArea(0, {0, 0, 24, 19});
  ws.page.landscape = true;
  ws.page.paperSize = kPaperA4;
  ws.page.fitToPage = true;
  ws.window.zoomPercent = 80;
  ws.window.activeCell = {5, 1};
  ws.window.selection = {Range::cell({5, 1})};
  recalculate(b);
  return b;
}

}  // namespace

class TestXlrdReader : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cells_data();
  void cells();
  void formats_data();
  void formats();
  void layout();
  void printAreaName();
  void smallWorkbookInMiniStream();
  void largeWorkbookWithDifat();

 private:
  QTemporaryDir dir_;
  QJsonObject report_;
  QJsonObject cell(const QString& address) const {
    return report_["sheets"][0]["cells"][address].toObject();
  }
};

void TestXlrdReader::initTestCase() {
  if (python3().isEmpty()) QSKIP("/usr/bin/python3 was not found when the build was configured");
  QString out;
  if (runProgram(python3(), {"-c", "import xlrd"}, &out) != 0)
    QSKIP("python3-xlrd is not installed");
  const QString path = dir_.filePath("report.xls");
  saveWorkbookFile(reportBook(), path);
  report_ = readWithXlrd(path);
  QVERIFY(!report_.isEmpty());
}

void TestXlrdReader::cells_data() {
  QTest::addColumn<QString>("address");
  QTest::addColumn<int>("type");  // xlrd: 1 text, 2 number, 4 boolean, 5 error, 6 blank
  QTest::addColumn<QVariant>("value");
  QTest::newRow("merged title") << "A1" << 1 << QVariant("Family");
  QTest::newRow("title of the last block") << "P1" << 1 << QVariant("Knowable people");
  QTest::newRow("heading") << "D2" << 1 << QVariant("Cost");
  QTest::newRow("typed number") << "D3" << 2 << QVariant(25.0);
  QTest::newRow("typed currency") << "D4" << 2 << QVariant(12.5);
  QTest::newRow("text in a cost column") << "D5" << 1 << QVariant("n/a");
  QTest::newRow("Unicode text") << "F3" << 1 << QVariant(QString::fromUtf8("Ёлка 圣诞 🎄"));
  QTest::newRow("boolean") << "I3" << 4 << QVariant(1);
  QTest::newRow("e-mail as text") << "E3" << 1 << QVariant("anna@example.org");
  QTest::newRow("total of numbers, text skipped") << "D25" << 2 << QVariant(37.5);
  QTest::newRow("total of an empty block") << "N25" << 2 << QVariant(0.0);
  QTest::newRow("formula error result") << "T25" << 5 << QVariant(0x07);
  QTest::newRow("formula text result") << "R25" << 1 << QVariant("ABc");
  QTest::newRow("error constant") << "Q25" << 5 << QVariant(0x2A);
  QTest::newRow("formatted empty cell") << "B10" << 6 << QVariant("");
}

void TestXlrdReader::cells() {
  QFETCH(QString, address);
  QFETCH(int, type);
  QFETCH(QVariant, value);
  const QJsonObject c = cell(address);
  QCOMPARE(c["t"].toInt(), type);
  QCOMPARE(c["v"].toVariant(), value);
}

void TestXlrdReader::formats_data() {
  QTest::addColumn<QString>("address");
  QTest::addColumn<QString>("property");
  QTest::addColumn<QJsonValue>("expected");
  QTest::newRow("title fill index") << "A1"
                                    << "fill" << QJsonValue(44);
  QTest::newRow("title fill pale blue") << "B1"
                                        << "fillRgb" << QJsonValue(QJsonArray{153, 204, 255});
  QTest::newRow("second block fill light green")
      << "F1"
      << "fillRgb" << QJsonValue(QJsonArray{204, 255, 204});
  QTest::newRow("title solid") << "K1"
                               << "pattern" << QJsonValue(1);
  QTest::newRow("title centred") << "A1"
                                 << "hAlign" << QJsonValue(2);
  QTest::newRow("title borders") << "C1"
                                 << "borders" << QJsonValue(QJsonArray{0, 0, 2, 2});
  QTest::newRow("entry wraps") << "H10"
                               << "wrap" << QJsonValue(1);
  QTest::newRow("entry left border thin") << "H10"
                                          << "borders" << QJsonValue(QJsonArray{1, 0, 0, 0});
  QTest::newRow("heading does not wrap") << "B2"
                                         << "wrap" << QJsonValue(0);
  QTest::newRow("no fill") << "A25"
                           << "pattern" << QJsonValue(0);
  QTest::newRow("link underlined") << "E3"
                                   << "underline" << QJsonValue(1);
  QTest::newRow("link blue") << "E3"
                             << "fontColour" << QJsonValue(12);
  QTest::newRow("plain font Calibri") << "A3"
                                      << "fontName" << QJsonValue("Calibri");
  QTest::newRow("plain font 11 pt") << "A3"
                                    << "fontHeight" << QJsonValue(220);
  QTest::newRow("plain font not bold") << "A3"
                                       << "bold" << QJsonValue(0);
  QTest::newRow("bold") << "A25"
                        << "bold" << QJsonValue(1);
  QTest::newRow("italic") << "A25"
                          << "italic" << QJsonValue(1);
  QTest::newRow("other font") << "A25"
                              << "fontName" << QJsonValue("Liberation Sans");
  QTest::newRow("other size") << "A25"
                              << "fontHeight" << QJsonValue(280);
  QTest::newRow("general format") << "D3"
                                  << "format" << QJsonValue("General");
}

void TestXlrdReader::formats() {
  QFETCH(QString, address);
  QFETCH(QString, property);
  QFETCH(QJsonValue, expected);
  QCOMPARE(cell(address)[property], expected);
}

void TestXlrdReader::layout() {
  const QJsonObject s = report_["sheets"][0].toObject();
  QCOMPARE(s["name"].toString(), QStringLiteral("Xmas"));
  QCOMPARE(s["nrows"].toInt(), 25);
  QCOMPARE(s["ncols"].toInt(), 20);
  // xlrd gives merges as [first row, last row + 1, first column, last column + 1].
  QJsonArray merged = s["merged"].toArray();
  QCOMPARE(merged.size(), 8);  // the template's four titles and four totals
  QVERIFY(merged.contains(QJsonArray{0, 1, 0, 5}));
  QVERIFY(merged.contains(QJsonArray{0, 1, 15, 20}));
  QVERIFY(merged.contains(QJsonArray{24, 25, 1, 3}));
  QCOMPARE(s["widths"]["0"].toInt(), 4000);
  QCOMPARE(s["widths"]["4"].toInt(), 6000);
  QCOMPARE(s["hidden"]["6"].toInt(), 1);
  QCOMPARE(s["defaultWidth"].toInt(), 8);
  // Typed currency keeps the number format the engine gave it.
  const QString currency = reportBook().formatOf(0, {3, 3}).numberFormat;
  QVERIFY(currency != "General");
  QCOMPARE(cell("D4")["format"].toString(), currency);
  QCOMPARE(s["heights"]["0"].toInt(), 300);
  QCOMPARE(s["heights"]["1"].toInt(), 600);
  QCOMPARE(s["customHeights"]["1"].toInt(), 1);
  QCOMPARE(s["heights"]["5"].toInt(), 285);
  QCOMPARE(s["grid"].toInt(), 1);
  QCOMPARE(s["zoom"].toInt(), 80);
  QCOMPARE(s["selected"].toInt(), 1);
  QCOMPARE(report_["datemode"].toInt(), 0);
}

void TestXlrdReader::printAreaName() {
  const QJsonArray names = report_["names"].toArray();
  QCOMPARE(names.size(), 1);
  const QJsonObject n = names[0].toObject();
  QCOMPARE(n["name"].toString(), QStringLiteral("Print_Area"));
  QCOMPARE(n["builtin"].toInt(), 1);
  QCOMPARE(n["scope"].toInt(), 0);
  // Sheets 0..1, rows 0..25, columns 0..20 (ends exclusive).
  QCOMPARE(n["refs"].toArray(), (QJsonArray{QJsonArray{0, 1, 0, 25, 0, 20}}));
}

void TestXlrdReader::smallWorkbookInMiniStream() {
  Workbook b;
  b.sheet(0).cellAt({0, 0}).value = QStringLiteral("tiny");
  b.sheet(0).cellAt({1, 1}).value = 2.5;
  b.isTemplate = true;
  const QString path = dir_.filePath("tiny.xlt");
  saveWorkbookFile(b, path);
  QVERIFY(QFileInfo(path).size() < 4096 + 2048);
  const QJsonObject r = readWithXlrd(path);
  QCOMPARE(r["sheets"][0]["lastCell"].toArray(), (QJsonArray{1, 1, 2.5}));
  QCOMPARE(r["sheets"][0]["cells"]["A1"]["v"].toString(), QStringLiteral("tiny"));
}

void TestXlrdReader::largeWorkbookWithDifat() {
  // Over 109 FAT sectors (about 7 MB): the compound file needs a DIFAT sector. Long, distinct
  // and partly two-byte strings also exercise SST CONTINUE records and EXTSST buckets.
  Workbook b;
  const QString filler = QString(120, u'g') + QString::fromUtf8("ё");
  for (int r = 0; r < 30000; ++r) {
    b.sheet(0).cellAt({r, 0}).value = QString::number(r) + filler;
    b.sheet(0).cellAt({r, 1}).value = double(r);
  }
  const QString path = dir_.filePath("large.xls");
  saveWorkbookFile(b, path);
  QVERIFY(QFileInfo(path).size() > 109 * 128 * 512);
  const QJsonObject r = readWithXlrd(path);
  QCOMPARE(r["sheets"][0]["nrows"].toInt(), 30000);
  QCOMPARE(r["sheets"][0]["lastCell"].toArray(), (QJsonArray{29999, 1, 29999.0}));
  QCOMPARE(r["sheets"][0]["cells"]["A17001"]["v"].toString(), QString::number(17000) + filler);
}

QTEST_GUILESS_MAIN(TestXlrdReader)
#include "tst_xlrd.moc"
