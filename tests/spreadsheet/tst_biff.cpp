// BIFF8 records byte for byte, the record framer's CONTINUE splitting (shared strings above
// all) and RK numbers.
#include <QtTest>

#include "spreadsheet/biff/framer.h"
#include "spreadsheet/biff/recordids.h"
#include "spreadsheet/biff/records.h"
#include "spreadsheet/biff/workbookio.h"

using namespace sheet;
using namespace sheet::biff;

namespace {

struct RawRecord {
  uint16_t id;
  QByteArray data;
};

std::vector<RawRecord> records(const QByteArray& stream) {
  std::vector<RawRecord> out;
  qsizetype pos = 0;
  while (pos + 4 <= stream.size()) {
    const auto id = uint16_t(uint8_t(stream[pos]) | (uint8_t(stream[pos + 1]) << 8));
    const auto len = qsizetype(uint8_t(stream[pos + 2]) | (uint8_t(stream[pos + 3]) << 8));
    out.push_back({id, stream.mid(pos + 4, len)});
    pos += 4 + len;
  }
  return out;
}

QByteArray framed(uint16_t id, const QByteArray& data) {
  RecordWriter w;
  w.write(id, data);
  return w.take();
}

QByteArray hex(const char* text) {
  return QByteArray::fromHex(QByteArray(text));
}

CellFormat sampleFormat() {
  CellFormat f;
  f.hAlign = HAlign::Center;
  f.wrap = true;
  f.left.style = LineStyle::Medium;
  f.top.style = LineStyle::Thin;
  f.pattern = FillPattern::Solid;
  f.fillColor = 37;
  return f;
}

}  // namespace

class TestBiff : public QObject {
  Q_OBJECT
 private slots:
  void recordBytes_data();
  void recordBytes();
  void recordNames();
  void longRecordContinues();
  void sharedStringsContinue_data();
  void sharedStringsContinue();
  void stringHeaderStaysWithFirstCharacter();
  void rk_data();
  void rk();
};

void TestBiff::recordBytes_data() {
  QTest::addColumn<QByteArray>("actual");
  QTest::addColumn<QByteArray>("expected");

  QTest::newRow("BOF workbook globals")
      << framed(BOF, bof(kBofGlobals)) << hex("09081000 0006 0500 bb0d cc07 09000000 06000000");
  QTest::newRow("BOF worksheet") << framed(BOF, bof(kBofWorksheet))
                                 << hex("09081000 0006 1000 bb0d cc07 09000000 06000000");
  Font bold;
  bold.bold = true;
  QTest::newRow("FONT Calibri 11 bold")
      << framed(FONT, font(bold))
      << hex("31001700 dc00 0100 ff7f bc02 0000 00 02 00 00 0700 43616c69627269");
  Font link;
  link.underline = Underline::Single;
  link.colorIndex = 12;
  link.italic = true;
  QTest::newRow("FONT underlined blue italic")
      << framed(FONT, font(link))
      << hex("31001700 dc00 0200 0c00 9001 0000 01 02 00 00 0700 43616c69627269");
  QTest::newRow("FORMAT custom") << framed(FORMAT, format(164, "$#,##0"))
                                 << hex("1e040b00 a400 0600 00 24232c232330");
  QTest::newRow("XF cell: centred, wrapped, borders, solid fill 37")
      << framed(XF, xf(sampleFormat(), 5, 164, false, 0xFC))
      << hex("e0001400 0500 a400 0100 2a 00 00 fc 02014020 40200004 a520");
  QTest::newRow("XF style Normal")
      << framed(XF, xf(CellFormat{}, 0, 0, true, 0x00))
      << hex("e0001400 0000 0000 f5ff 20 00 00 00 00004020 40200000 c020");
  QTest::newRow("MERGEDCELLS two ranges")
      << framed(MERGEDCELLS, mergedCells({{0, 0, 0, 4}, {24, 1, 24, 2}}))
      << hex("e5001200 0200 0000 0000 0000 0400 1800 1800 0100 0200");
  PageSetup page;
  page.landscape = true;
  page.paperSize = kPaperA4;
  page.fitToPage = true;
  page.headerMargin = 0;
  page.footerMargin = 0;
  QTest::newRow("SETUP landscape A4 fit 1x1")
      << framed(SETUP, setup(page))
      << hex("a1002200 0900 6400 0100 0100 0100 0000 5802 5802 0000000000000000 "
             "0000000000000000 0100");
  PageSetup portrait;
  portrait.printComments = true;
  QTest::newRow("SETUP portrait Letter, header margin 0.3")
      << framed(SETUP, setup(portrait))
      << hex("a1002200 0100 6400 0100 0100 0100 2200 5802 5802 333333333333d33f "
             "333333333333d33f 0100");
  QTest::newRow("WSBOOL fit to page") << framed(WSBOOL, wsBool(true)) << hex("81000200 c105");
  QTest::newRow("LABELSST") << framed(LABELSST, labelSst({2, 0}, 16, 3))
                            << hex("fd000a00 0200 0000 1000 03000000");
  QTest::newRow("BOOLERR #DIV/0!") << framed(BOOLERR, boolErr({1, 1}, 15, ErrorCode::Div0))
                                   << hex("05020800 0100 0100 0f00 07 01");
  QTest::newRow("FORMULA text result")
      << framed(FORMULA, formula({0, 0}, 15, QStringLiteral("x"), {0x1E, 0x01, 0x00}))
      << hex("06001900 0000 0000 0f00 000000000000ffff 0000 00000000 0300 1e0100");
  SheetWindow win;
  win.activeCell = {5, 1};
  win.selection = {Range::cell({5, 1})};
  win.zoomPercent = 80;
  QTest::newRow("SELECTION B6") << framed(SELECTION, selection(win))
                                << hex("1d000f00 03 0500 0100 0000 0100 0500 0500 01 01");
  QTest::newRow("WINDOW2 zoom 80, active")
      << framed(WINDOW2, window2(win, true))
      << hex("3e021200 b606 0000 0000 4000 0000 0000 5000 00000000");
  QTest::newRow("SCL 80%") << framed(SCL, scl(80)) << hex("a0000400 5000 6400");
  DefinedName area;
  area.name = "Print_Area";
  area.builtin = true;
  area.builtinCode = kBuiltinPrintArea;
  area.sheetIndex = 0;
  area.ranges = {{0, 0, 24, 19}};
  QTest::newRow("NAME Print_Area A1:T25")
      << framed(NAME, name(area))
      << hex("18001b00 2000 00 01 0b00 0000 0100 00000000 00 06 3b 0000 0000 1800 0000 1300");
  QTest::newRow("EXTERNSHEET two sheets")
      << framed(EXTERNSHEET, externSheet(2)) << hex("17000e00 0200 0000 0000 0000 0000 0100 0100");
  QTest::newRow("BOUNDSHEET Unicode name")
      << framed(BOUNDSHEET, boundSheet(QString::fromUtf8("Ёлка")))
      << hex("85001000 00000000 00 00 04 01 0104 3b04 3a04 3004");
  QTest::newRow("EOF") << framed(EOF_, eof()) << hex("0a000000");
}

void TestBiff::recordBytes() {
  QFETCH(QByteArray, actual);
  QFETCH(QByteArray, expected);
  QCOMPARE(actual.toHex(' '), expected.toHex(' '));
}

void TestBiff::recordNames() {
  QCOMPARE(QString(recordName(0x0809)), QString("BOF"));
  QCOMPARE(QString(recordName(0x000A)), QString("EOF"));
  QCOMPARE(QString(recordName(0x00FD)), QString("LABELSST"));
  QVERIFY(recordName(0x7777) == nullptr);
}

void TestBiff::longRecordContinues() {
  QByteArray data(20000, 'x');
  data[8224] = 'y';
  const auto recs = records(framed(NAME, data));
  QCOMPARE(recs.size(), size_t(3));
  QCOMPARE(recs[0].id, uint16_t(NAME));
  QCOMPARE(recs[0].data.size(), 8224);
  QCOMPARE(recs[1].id, uint16_t(CONTINUE));
  QCOMPARE(recs[1].data.size(), 8224);
  QCOMPARE(recs[1].data[0], 'y');
  QCOMPARE(recs[2].data.size(), 20000 - 2 * 8224);
}

void TestBiff::sharedStringsContinue_data() {
  QTest::addColumn<QStringList>("strings");
  QTest::addColumn<QList<int>>("recordSizes");  // SST, then each CONTINUE
  QTest::addColumn<QByteArray>("optionBytes");  // first byte of each CONTINUE
  // 8 bytes of counts, 3 of header, 8213 characters fill the SST record; 87 characters follow
  // after an option byte. The wide string's header and 4066 characters fill the rest of that
  // CONTINUE (one byte stays empty: half a character); 934 characters follow.
  QTest::newRow("compressed then wide")
      << QStringList{QString(8300, u'a'), QString(5000, QChar(0x4E2D))}
      << QList<int>{8224, 1 + 87 + 3 + 4066 * 2, 1 + 934 * 2} << hex("00 01");
  QTest::newRow("32767 Cyrillic characters")
      << QStringList{QString(32767, QChar(0x0416))}
      << QList<int>{8223, 8223, 8223, 8223, 8223, 8223, 8223, 1 + 2 * (32767 - 4106 - 6 * 4111)}
      << hex("01 01 01 01 01 01 01");
  QTest::newRow("one short string")
      << QStringList{"Total cost"} << QList<int>{8 + 3 + 10} << QByteArray();
}

void TestBiff::sharedStringsContinue() {
  QFETCH(QStringList, strings);
  QFETCH(QList<int>, recordSizes);
  QFETCH(QByteArray, optionBytes);
  Workbook book;
  for (int i = 0; i < strings.size(); ++i) book.sheet(0).cellAt({i, 0}).value = strings[i];
  const QByteArray stream = writeWorkbookStream(book);
  const auto recs = records(stream);
  auto sst = std::find_if(recs.begin(), recs.end(), [](auto& r) { return r.id == SST; });
  QVERIFY(sst != recs.end());
  QList<int> sizes{int(sst->data.size())};
  QByteArray options;
  for (auto it = sst + 1; it != recs.end() && it->id == CONTINUE; ++it) {
    sizes << int(it->data.size());
    options.append(it->data[0]);
  }
  QCOMPARE(sizes, recordSizes);
  QCOMPARE(options.toHex(' '), optionBytes.toHex(' '));
  QCOMPARE((sst + int(sizes.size()))->id, uint16_t(EXTSST));

  const Workbook back = readWorkbookStream(stream);
  for (int i = 0; i < strings.size(); ++i)
    QCOMPARE(std::get<QString>(back.sheet(0).cell({i, 0})->value), strings[i]);
}

void TestBiff::stringHeaderStaysWithFirstCharacter() {
  // After 8 bytes of counts and a 3 + 8210 byte string, 3 bytes are left: room for the next
  // string's header but not its first character, so the string starts a CONTINUE record of its
  // own, header first, without an option byte in front.
  Workbook book;
  book.sheet(0).cellAt({0, 0}).value = QString(8210, u'b');
  book.sheet(0).cellAt({1, 0}).value = QStringLiteral("xyz");
  const QByteArray stream = writeWorkbookStream(book);
  const auto recs = records(stream);
  auto sst = std::find_if(recs.begin(), recs.end(), [](auto& r) { return r.id == SST; });
  QCOMPARE(sst->data.size(), 8221);
  QCOMPARE((sst + 1)->id, uint16_t(CONTINUE));
  QCOMPARE((sst + 1)->data.toHex(' '), hex("0300 00 78797a").toHex(' '));
  const Workbook back = readWorkbookStream(stream);
  QCOMPARE(std::get<QString>(back.sheet(0).cell({1, 0})->value), QStringLiteral("xyz"));
}

void TestBiff::rk_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<bool>("exact");
  QTest::addColumn<uint>("expected");
  QTest::newRow("1.0 as a float") << 1.0 << true << 0x3FF00000u;
  QTest::newRow("-2.5 as a float") << -2.5 << true << 0xC0040000u;
  QTest::newRow("0.1 as 10 / 100") << 0.1 << true << 0x2Bu;
  QTest::newRow("integer 123456789") << 123456789.0 << true << 0x1D6F3456u;
  QTest::newRow("-1 as a float") << -1.0 << true << 0xBFF00000u;
  QTest::newRow("2^29 as a float") << 536870912.0 << true << 0x41C00000u;
  QTest::newRow("2^29 + 1 not exact") << 536870913.0 << false << 0u;
  QTest::newRow("1/3 not exact") << 1.0 / 3.0 << false << 0u;
  QTest::newRow("1.23456789e-5 not exact") << 1.23456789e-5 << false << 0u;
}

void TestBiff::rk() {
  QFETCH(double, value);
  QFETCH(bool, exact);
  QFETCH(uint, expected);
  uint32_t r = 0;
  QCOMPARE(encodeRk(value, &r), exact);
  if (!exact) return;
  QCOMPARE(r, uint32_t(expected));
  QCOMPARE(decodeRk(r), value);
}

QTEST_GUILESS_MAIN(TestBiff)
#include "tst_biff.moc"
