// The workbook model: addresses, shared formats, palette, merges, used range, names.
#include <QtTest>

#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"

using namespace sheet;

Q_DECLARE_METATYPE(sheet::Range)

class TestModel : public QObject {
  Q_OBJECT

 private slots:
  void columnNames_data();
  void columnNames();
  void addresses_data();
  void addresses();
  void badAddresses_data();
  void badAddresses();
  void formatTableSharesEqualFormats();
  void palette_data();
  void palette();
  void paletteChanges();
  void merges();
  void usedRange();
  void sheetNames_data();
  void sheetNames();
  void printArea();
  void formatOfAbsentCell();
};

void TestModel::columnNames_data() {
  QTest::addColumn<int>("col");
  QTest::addColumn<QString>("name");
  QTest::newRow("first") << 0 << "A";
  QTest::newRow("Z") << 25 << "Z";
  QTest::newRow("AA") << 26 << "AA";
  QTest::newRow("AZ") << 51 << "AZ";
  QTest::newRow("BA") << 52 << "BA";
  QTest::newRow("T") << 19 << "T";
  QTest::newRow("last") << 255 << "IV";
}

void TestModel::columnNames() {
  QFETCH(int, col);
  QFETCH(QString, name);
  QCOMPARE(columnName(col), name);
  QCOMPARE(parseA1Range(name + "1")->firstCol, col);
}

// Address as Range() takes it, the range, and the range printed back.
void TestModel::addresses_data() {
  QTest::addColumn<QString>("address");
  QTest::addColumn<Range>("range");
  QTest::addColumn<QString>("printed");
  QTest::newRow("cell") << "B6" << Range{5, 1, 5, 1} << "B6";
  QTest::newRow("absolute one-cell range") << "$A$3:$A$3" << Range{2, 0, 2, 0} << "A3";
  QTest::newRow("block") << "A1:E24" << Range{0, 0, 23, 4} << "A1:E24";
  QTest::newRow("lower case, reversed") << "t25:a1" << Range{0, 0, 24, 19} << "A1:T25";
  QTest::newRow("mixed dollars") << "$D3:D$24" << Range{2, 3, 23, 3} << "D3:D24";
  QTest::newRow("columns") << "A:C" << Range{0, 0, kMaxRows - 1, 2} << "A1:C65536";
  QTest::newRow("rows") << "$3:5" << Range{2, 0, 4, kMaxColumns - 1} << "A3:IV5";
  QTest::newRow("last cell") << "IV65536" << Range{65535, 255, 65535, 255} << "IV65536";
}

void TestModel::addresses() {
  QFETCH(QString, address);
  QFETCH(Range, range);
  QFETCH(QString, printed);
  auto parsed = parseA1Range(address);
  QVERIFY(parsed);
  QCOMPARE(*parsed, range);
  QCOMPARE(a1Name(range), printed);
}

void TestModel::badAddresses_data() {
  QTest::addColumn<QString>("address");
  for (const char* a : {"", "A", "1", "A0", "IW1", "A65537", "A1:", ":B2", "A1:B2:C3", "A:3", "1A",
                        "$", "A$$1", "AAAA1", "A1 B2", "Ä1"})
    QTest::newRow(a) << QString::fromUtf8(a);
}

void TestModel::badAddresses() {
  QFETCH(QString, address);
  QVERIFY(!parseA1Range(address));
}

void TestModel::formatTableSharesEqualFormats() {
  FormatTable table;
  QCOMPARE(table.size(), size_t(1));
  QCOMPARE(table.intern(CellFormat{}), 0u);
  CellFormat fill;
  fill.pattern = FillPattern::Solid;
  fill.fillColor = 44;
  CellFormat link;
  link.font.underline = Underline::Single;
  link.font.colorIndex = 12;
  const uint32_t a = table.intern(fill);
  const uint32_t b = table.intern(link);
  QVERIFY(a != 0 && b != 0 && a != b);
  CellFormat sameFill;
  sameFill.pattern = FillPattern::Solid;
  sameFill.fillColor = 44;
  QCOMPARE(table.intern(sameFill), a);
  QCOMPARE(table.intern(link), b);
  sameFill.bottom.style = LineStyle::Medium;
  QVERIFY(table.intern(sameFill) != a);
  QCOMPARE(table.size(), size_t(4));
  QVERIFY(table.at(a) == fill);
}

// Palette index (BIFF8, 8..63) and the colour of the standard palette; ColorIndex n of the
// automation interface is palette index n + 7.
void TestModel::palette_data() {
  QTest::addColumn<int>("index");
  QTest::addColumn<uint>("rgb");
  QTest::newRow("8 black") << 8 << 0x000000u;
  QTest::newRow("9 white") << 9 << 0xFFFFFFu;
  QTest::newRow("10 red") << 10 << 0xFF0000u;
  QTest::newRow("11 green") << 11 << 0x00FF00u;
  QTest::newRow("12 blue") << 12 << 0x0000FFu;
  QTest::newRow("13 yellow") << 13 << 0xFFFF00u;
  QTest::newRow("22 silver") << 22 << 0xC0C0C0u;
  QTest::newRow("31 lavender") << 31 << 0xCCCCFFu;
  QTest::newRow("ColorIndex 35 light green") << int(paletteIndexFromColorIndex(35)) << 0xCCFFCCu;
  QTest::newRow("ColorIndex 37 pale blue") << int(paletteIndexFromColorIndex(37)) << 0x99CCFFu;
  QTest::newRow("43 light yellow") << 43 << 0xFFFF99u;
  QTest::newRow("47 tan") << 47 << 0xFFCC99u;
  QTest::newRow("52 orange") << 52 << 0xFF9900u;
  QTest::newRow("57 sea green") << 57 << 0x339966u;
  QTest::newRow("62 indigo") << 62 << 0x333399u;
  QTest::newRow("63 last") << 63 << 0x333333u;
  QTest::newRow("automatic text") << int(kAutoColor) << 0x000000u;
  QTest::newRow("automatic background") << int(kAutoBackground) << 0xFFFFFFu;
}

void TestModel::palette() {
  QFETCH(int, index);
  QFETCH(uint, rgb);
  Palette p;
  QCOMPARE(p.rgb(static_cast<uint16_t>(index)), rgb);
  if (index >= 8 && index < 64) QCOMPARE(p.rgb(static_cast<uint16_t>(p.indexOf(rgb))), rgb);
}

void TestModel::paletteChanges() {
  Palette p;
  QVERIFY(p.isStandard());
  QCOMPARE(p.indexOf(0x123456), -1);
  QCOMPARE(p.indexOf(0xFFFF00), 13);  // the first of the two yellows
  p.set(40, 0x123456);
  QVERIFY(!p.isStandard());
  QCOMPARE(p.indexOf(0x123456), 40);
  p.set(7, 0x654321);  // outside the palette: ignored
  QCOMPARE(p.indexOf(0x654321), -1);
}

void TestModel::merges() {
  Worksheet ws;
  ws.merge(*parseA1Range("A3:A3"));
  QVERIFY(ws.merges().empty());
  ws.merge(*parseA1Range("A1:E1"));
  ws.merge(*parseA1Range("F1:J1"));
  QCOMPARE(ws.merges().size(), size_t(2));
  QCOMPARE(*ws.mergeAt({0, 2}), *parseA1Range("A1:E1"));
  QVERIFY(!ws.mergeAt({1, 2}));
  ws.merge(*parseA1Range("E1:F2"));  // overlaps both: they go
  QCOMPARE(ws.merges().size(), size_t(1));
  QCOMPARE(ws.merges()[0], *parseA1Range("E1:F2"));
}

void TestModel::usedRange() {
  Workbook book;
  Worksheet& ws = book.sheet(0);
  QCOMPARE(ws.usedRange(), Range{});
  ws.cellAt({4, 2}).value = 1.0;
  QCOMPARE(ws.usedRange(), (Range{4, 2, 4, 2}));
  CellFormat f;
  f.wrap = true;
  book.setFormat(0, {24, 19}, f);  // formatted only
  ws.cellAt({1, 1});               // neither content nor format
  QCOMPARE(ws.usedRange(), (Range{4, 2, 24, 19}));
  QVERIFY_THROWS_EXCEPTION(Error, ws.cellAt({kMaxRows, 0}));
}

void TestModel::sheetNames_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<bool>("valid");
  QTest::newRow("plain") << "Xmas" << true;
  QTest::newRow("31 chars") << QString(31, u'x') << true;
  QTest::newRow("blank inside") << "Gift list" << true;
  QTest::newRow("empty") << "" << false;
  QTest::newRow("32 chars") << QString(32, u'x') << false;
  QTest::newRow("slash") << "a/b" << false;
  QTest::newRow("question mark") << "why?" << false;
  QTest::newRow("bracket") << "[x]" << false;
  QTest::newRow("apostrophe first") << "'x" << false;
}

void TestModel::sheetNames() {
  QFETCH(QString, name);
  QFETCH(bool, valid);
  Worksheet ws(QStringLiteral("xmas"));
  if (valid) {
    ws.setName(name);
    QCOMPARE(ws.name(), name);
  } else {
    QVERIFY_THROWS_EXCEPTION(Error, ws.setName(name));
    QCOMPARE(ws.name(), QStringLiteral("xmas"));
  }
}

void TestModel::printArea() {
  Workbook book;
  QVERIFY(!book.printArea(0));
  book.setPrintArea(0, *parseA1Range("A1:C3"));
  book.setPrintArea(0, *parseA1Range("A1:T25"));
  QCOMPARE(book.names.size(), size_t(1));
  const DefinedName* area = book.printArea(0);
  QVERIFY(area);
  QCOMPARE(area->ranges, std::vector<Range>{*parseA1Range("A1:T25")});
  QCOMPARE(area->builtinCode, kBuiltinPrintArea);
  QVERIFY_THROWS_EXCEPTION(Error, book.setPrintArea(1, Range{}));
  QVERIFY_THROWS_EXCEPTION(Error, book.sheet(1));
}

void TestModel::formatOfAbsentCell() {
  Workbook book;
  CellFormat wide;
  wide.hAlign = HAlign::Center;
  book.sheet(0).columns[3].format = book.formats.intern(wide);
  QVERIFY(book.formatOf(0, {7, 3}) == wide);
  QVERIFY(book.formatOf(0, {7, 2}) == CellFormat{});
  QCOMPARE(book.sheet(0).columnWidth(2), uint16_t(2340));
  book.sheet(0).columns[2].width = 4000;
  QCOMPARE(book.sheet(0).columnWidth(2), uint16_t(4000));
}

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
