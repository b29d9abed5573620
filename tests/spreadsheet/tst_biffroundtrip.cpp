// Workbooks written and read back by our own reader: compared cell for cell and format for
// format, written again to the same bytes; damaged workbook streams and files refused with
// FormatError; the file-level errors.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <random>
#include "tests/support/enginesupport.h"

#include "spreadsheet/biff/recordids.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/cfb/compoundfile.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"

using namespace sheet;

namespace {

using Builder = std::function<void(Workbook&)>;

bool written(const Cell& c) {
  return !isEmpty(c.value) || c.hasFormula() || c.format != 0;
}

QString valueText(const Value& v) {
  if (const double* d = std::get_if<double>(&v)) return QString::number(*d, 'g', 17);
  if (const QString* s = std::get_if<QString>(&v)) return '"' + s->left(40) + '"';
  if (const bool* b = std::get_if<bool>(&v)) return *b ? "TRUE" : "FALSE";
  if (const ErrorCode* e = std::get_if<ErrorCode>(&v)) return errorText(*e);
  return "empty";
}

// The first difference between two workbooks as a reader sees them, or an empty string.
QString difference(const Workbook& a, const Workbook& b) {
  if (a.sheets.size() != b.sheets.size()) return "sheet count";
  if (a.isTemplate != b.isTemplate) return "template flag";
  if (a.date1904 != b.date1904) return "date system";
  if (a.activeSheet != b.activeSheet) return "active sheet";
  if (!(a.names == b.names)) return "defined names";
  for (uint16_t i = 8; i < 64; ++i)
    if (a.palette.rgb(i) != b.palette.rgb(i)) return QString("palette colour %1").arg(i);
  for (size_t s = 0; s < a.sheets.size(); ++s) {
    const Worksheet& x = a.sheets[s];
    const Worksheet& y = b.sheets[s];
    const QString where = QString("sheet %1: ").arg(s);
    if (x.name() != y.name()) return where + "name " + y.name();
    size_t cells = 0;
    for (const auto& [at, c] : x.cells()) {
      if (!written(c)) continue;
      ++cells;
      const QString cell = where + a1Name(at) + ": ";
      const Cell* d = y.cell(at);
      if (!d) return cell + "missing";
      if (!(c.value == d->value)) return cell + valueText(c.value) + " vs " + valueText(d->value);
      if (c.hasFormula() != d->hasFormula()) return cell + "formula lost or gained";
      if (c.hasFormula() && formula::toA1(*c.formula, at) != formula::toA1(*d->formula, at))
        return cell + formula::toA1(*c.formula, at) + " vs " + formula::toA1(*d->formula, at);
      if (!(a.formats.at(c.format) == b.formats.at(d->format))) return cell + "format";
    }
    size_t cellsBack = 0;
    for (const auto& [at, c] : y.cells()) cellsBack += written(c) ? 1 : 0;
    if (cells != cellsBack) return where + "extra cells";
    if (x.merges() != y.merges()) return where + "merges";
    if (x.columns != y.columns) return where + "columns";
    if (x.rows != y.rows) return where + "rows";
    if (x.defaultColumnWidthChars != y.defaultColumnWidthChars) return where + "default width";
    if (x.defaultRowHeightTwips != y.defaultRowHeightTwips) return where + "default height";
    if (!(x.page == y.page)) return where + "page set-up";
    if (!(x.window == y.window)) return where + "window";
  }
  if (a.formats.all() != b.formats.all()) return "format table";
  return QString();
}

void put(Workbook& b, CellRef at, Value v, int sheetIndex = 0) {
  b.sheet(sheetIndex).cellAt(at).value = std::move(v);
}

void putFormula(Workbook& b, CellRef at, const QString& a1) {
  b.sheet(0).cellAt(at).formula = formula::parseA1(a1, at);
}

// Record positions in a workbook stream.
struct RecordAt {
  uint16_t id;
  qsizetype data;  // position of the data
  int length;
};

std::vector<RecordAt> recordsOf(const QByteArray& s) {
  std::vector<RecordAt> out;
  qsizetype pos = 0;
  while (pos + 4 <= s.size()) {
    const auto id = uint16_t(uint8_t(s[pos]) | (uint8_t(s[pos + 1]) << 8));
    const int len = uint8_t(s[pos + 2]) | (uint8_t(s[pos + 3]) << 8);
    out.push_back({id, pos + 4, len});
    pos += 4 + len;
  }
  return out;
}

// Writes a little-endian value into the data of the n-th record with that id.
QByteArray patched(QByteArray s, uint16_t id, int offset, uint32_t value, int bytes, int nth = 0) {
  for (const RecordAt& r : recordsOf(s)) {
    if (r.id != id || nth-- > 0) continue;
    for (int k = 0; k < bytes; ++k) s[r.data + offset + k] = char((value >> (8 * k)) & 0xFF);
    return s;
  }
  qFatal("record %04x not found", id);
}

Workbook sampleBook() {
  Workbook b;
  Worksheet& ws = b.sheet(0);
  ws.setName("xmas");
  put(b, {0, 0}, QStringLiteral("Family"));
  put(b, {1, 0}, QStringLiteral("Name"));
  put(b, {2, 3}, 25.0);
  put(b, {3, 3}, 12.5);
  put(b, {4, 1}, true);
  put(b, {4, 2}, ErrorCode::NA);
  putFormula(b, {24, 3}, "SUM(D3:D24)");
  CellFormat f;
  f.pattern = FillPattern::Solid;
  f.fillColor = 37;
  f.font.bold = true;
  b.setFormat(0, {0, 0}, f);
  b.setFormat(0, {5, 5}, f);
  ws.merge({0, 0, 0, 4});
  ws.merge({24, 1, 24, 2});
  ws.columns[1].width = 3000;
  ws.window.zoomPercent = 80;
  recalculate(b);
  return b;
}

}  // namespace

class TestBiffRoundTrip : public QObject {
  Q_OBJECT
 private slots:
  void roundTrip_data();
  void roundTrip();
  void formattedEmptyCellsAreKept();
  void damagedStream_data();
  void damagedStream();
  void truncatedAnywhere();
  void randomDamage();
  void fileErrors();
};

void TestBiffRoundTrip::roundTrip_data() {
  QTest::addColumn<Builder>("build");

  QTest::newRow("texts") << Builder([](Workbook& b) {
    put(b, {0, 0}, QStringLiteral("Family"));
    put(b, {1, 0}, QString::fromUtf8("Ёлочка, Дед Мороз"));
    put(b, {2, 0}, QString::fromUtf8("圣诞快乐 メリークリスマス"));
    put(b, {3, 0}, QString::fromUtf8("🎄🎁 gifts for ünïcödé"));
    put(b, {4, 0}, QString(32767, u'x'));
    put(b, {5, 0}, QString(32767, QChar(0x4E2D)));
    put(b, {6, 0}, QString());
    put(b, {7, 0}, QStringLiteral("Family"));  // shared with A1
    put(b, {0, 255}, QStringLiteral("last column"));
    put(b, {65535, 0}, QStringLiteral("last row"));
  });
  QTest::newRow("many distinct strings") << Builder([](Workbook& b) {
    for (int r = 0; r < 3000; ++r)
      put(b, {r, r % 7}, QStringLiteral("entry %1 %2").arg(r).arg(QString(r % 50, u'z')));
  });
  QTest::newRow("numbers") << Builder([](Workbook& b) {
    const double values[] = {0,      1,     -1,     25,        0.1,       -2.5,      1e300,
                             1e-300, 89.99, 1250.5, 123456789, 536870913, 1.0 / 3.0, -0.0};
    int r = 0;
    for (double v : values) put(b, {r++, 1}, v);
  });
  QTest::newRow("booleans and errors") << Builder([](Workbook& b) {
    put(b, {0, 0}, true);
    put(b, {0, 1}, false);
    const ErrorCode codes[] = {ErrorCode::Null, ErrorCode::Div0, ErrorCode::Value, ErrorCode::Ref,
                               ErrorCode::Name, ErrorCode::Num,  ErrorCode::NA};
    int c = 0;
    for (ErrorCode e : codes) put(b, {1, c++}, e);
  });
  QTest::newRow("formulas with cached results") << Builder([](Workbook& b) {
    put(b, {2, 3}, 25.0);
    put(b, {3, 3}, QStringLiteral("n/a"));
    put(b, {4, 3}, 12.5);
    putFormula(b, {24, 3}, "SUM(D3:D24)");
    putFormula(b, {24, 8}, "SUM(I3:I24)");
    putFormula(b, {0, 6}, "UPPER(\"ab\")&\"c\"");
    putFormula(b, {1, 6}, "D3>10");
    putFormula(b, {2, 6}, "1/0");
    putFormula(b, {3, 6}, "LOWER(\"\")");
    putFormula(b, {4, 6}, "IF(D3>1,ROUND(D5*2,0),\"small\")");
    recalculate(b);
  });
  QTest::newRow("formats") << Builder([](Workbook& b) {
    CellFormat f;
    int r = 0;
    auto add = [&](const CellFormat& x) { b.setFormat(0, {r++, 2}, x); };
    f.font.bold = true;
    add(f);
    f = {};
    f.font.italic = true;
    f.font.strikeout = true;
    f.font.heightTwips = 280;
    f.font.name = QStringLiteral("Liberation Sans");
    add(f);
    f = {};
    f.font.underline = Underline::Single;
    f.font.colorIndex = 12;
    add(f);
    f.font.underline = Underline::Double;
    add(f);
    f = {};
    f.pattern = FillPattern::Solid;
    for (uint16_t color : {8, 35, 37, 63}) {
      f.fillColor = color;
      add(f);
    }
    f = {};
    const LineStyle lines[] = {LineStyle::Thin,   LineStyle::Medium, LineStyle::Dashed,
                               LineStyle::Dotted, LineStyle::Thick,  LineStyle::Double,
                               LineStyle::Hair};
    for (LineStyle l : lines) {
      f.left = {l, kAutoColor};
      f.right = {l, 10};
      f.top = {LineStyle::Medium, 12};
      f.bottom = {l, 63};
      add(f);
    }
    f = {};
    for (HAlign h : {HAlign::Left, HAlign::Center, HAlign::Right, HAlign::Fill, HAlign::Justify,
                     HAlign::CenterAcross})
      for (VAlign v : {VAlign::Top, VAlign::Center, VAlign::Justify}) {
        f.hAlign = h;
        f.vAlign = v;
        f.wrap = !f.wrap;
        add(f);
      }
    f = {};
    for (const char* code : {"0", "0.00", "#,##0.00", "0%", "\"$\"#,##0.00", "$#,##0", "yyyy-mm-dd",
                             "@", "m/d/yyyy"}) {
      f.numberFormat = QString::fromLatin1(code);
      add(f);
      b.sheet(0).cellAt({r - 1, 2}).value = 1234.5;
    }
    f = {};
    f.locked = false;
    add(f);
  });
  QTest::newRow("merges, widths and heights") << Builder([](Workbook& b) {
    Worksheet& ws = b.sheet(0);
    ws.merge({0, 0, 0, 4});
    ws.merge({0, 5, 0, 9});
    ws.merge({24, 1, 24, 2});
    ws.merge({30, 0, 40, 255});
    for (int i = 0; i < 1500; ++i) ws.merge({100 + i, 0, 100 + i, 1});  // two records
    ws.columns[0].width = 4000;
    ws.columns[1].width = 4000;
    ws.columns[2].width = 4000;
    ws.columns[7] = {512, true, 0};
    ws.columns[255].width = 9000;
    ws.defaultColumnWidthChars = 10;
    ws.defaultRowHeightTwips = 285;
    ws.rows[0] = {300, false, false};
    ws.rows[1] = {600, true, false};
    ws.rows[40] = {285, false, true};
    ws.rows[65535] = {400, true, false};
    put(b, {0, 0}, QStringLiteral("Family"));
  });
  QTest::newRow("page set-up, print area and window") << Builder([](Workbook& b) {
    Worksheet& ws = b.sheet(0);
    put(b, {5, 1}, 1.0);
    PageSetup& p = ws.page;
    p.paperSize = kPaperA4;
    p.landscape = true;
    p.fitToPage = true;
    p.fitWidth = 1;
    p.fitHeight = 1;
    p.leftMargin = p.rightMargin = 0.7;
    p.topMargin = p.bottomMargin = 0.5;
    p.headerMargin = p.footerMargin = 0;
    p.header = QStringLiteral("&CGift list");
    p.footer = QString::fromUtf8("Seite &P – Ёлка");
    p.hCenter = true;
    p.printGridlines = true;
    p.printHeadings = true;
    p.printComments = true;
    b.setPrintArea(0, {0, 0, 24, 19});
    ws.window.showGridlines = false;
    ws.window.zoomPercent = 80;
    ws.window.activeCell = {5, 1};
    ws.window.selection = {Range::cell({5, 1}), {8, 2, 10, 4}};
    ws.window.topLeft = {3, 1};
  });
  QTest::newRow("scaled portrait page, zoom 150") << Builder([](Workbook& b) {
    b.sheet(0).page.scale = 75;
    b.sheet(0).page.vCenter = true;
    b.sheet(0).window.zoomPercent = 150;
    b.sheet(0).window.showHeadings = false;
  });
  QTest::newRow("workbook: template, 1904, palette, sheets, names") << Builder([](Workbook& b) {
    b.isTemplate = true;
    b.date1904 = true;
    b.palette.set(37, 0x123456);
    b.palette.set(63, 0xFEDCBA);
    b.sheets.emplace_back(QStringLiteral("Zweites Blatt"));
    b.sheets.emplace_back(QString::fromUtf8("Лист 3"));
    b.sheets[0].window.selected = false;
    b.sheets[2].window.selected = true;
    b.activeSheet = 2;
    put(b, {0, 0}, QStringLiteral("on sheet 2"), 1);
    put(b, {1, 1}, 7.0, 2);
    b.setPrintArea(2, {0, 0, 9, 3});
    b.setPrintArea(1, {2, 2, 5, 5});
    DefinedName costs;
    costs.name = QStringLiteral("Costs");
    costs.sheetIndex = 2;
    costs.ranges = {{2, 3, 23, 3}, {2, 8, 23, 8}};
    b.names.push_back(costs);
  });
  QTest::newRow("report-sized sheet") << Builder([](Workbook& b) {
    CellFormat cell;
    cell.wrap = true;
    cell.left.style = cell.right.style = LineStyle::Thin;
    for (int r = 2; r < 24; ++r)
      for (int c = 0; c < 20; ++c) {
        cell.pattern = FillPattern::Solid;
        cell.fillColor = uint16_t(40 + c / 5);
        b.setFormat(0, {r, c}, cell);
        if (r < 10) enterTyped(b, 0, {r, c}, c % 5 == 3 ? QString::number(r * 3) : "x");
      }
    for (int c : {3, 8, 13, 18})
      putFormula(b, {24, c},
                 QStringLiteral("SUM(%1:%2)").arg(a1Name(CellRef{2, c}), a1Name(CellRef{23, c})));
    recalculate(b);
  });
}

void TestBiffRoundTrip::roundTrip() {
  QFETCH(Builder, build);
  Workbook book;
  build(book);
  const QByteArray bytes = writeWorkbookBytes(book);
  const Workbook back = readWorkbookBytes(bytes);
  const QString diff = difference(book, back);
  QVERIFY2(diff.isEmpty(), qPrintable(diff));
  QVERIFY(writeWorkbookBytes(back) == bytes);
}

void TestBiffRoundTrip::formattedEmptyCellsAreKept() {
  // Formatted empty cells are BLANK/MULBLANK records; an empty unformatted cell is not written.
  Workbook book;
  CellFormat f;
  f.wrap = true;
  for (int c = 0; c < 20; ++c) book.setFormat(0, {2, c}, f);
  book.setFormat(0, {3, 5}, f);
  book.sheet(0).cellAt({9, 9});
  const Workbook back = readWorkbookBytes(writeWorkbookBytes(book));
  QCOMPARE(back.sheet(0).cells().size(), size_t(21));
  QVERIFY(back.sheet(0).cell({9, 9}) == nullptr);
  QCOMPARE(back.sheet(0).usedRange(), (Range{2, 0, 3, 19}));
  QVERIFY(back.formatOf(0, {2, 19}).wrap);
}

void TestBiffRoundTrip::damagedStream_data() {
  QTest::addColumn<QByteArray>("stream");
  QTest::addColumn<QString>("message");
  using namespace sheet::biff;
  const QByteArray good = writeWorkbookStream(sampleBook());

  QTest::newRow("empty") << QByteArray() << "not a BIFF8";
  QTest::newRow("random bytes") << QByteArray::fromHex("0102030405060708090a0b0c") << "";
  QTest::newRow("BIFF5 version") << patched(good, BOF, 0, 0x0500, 2) << "not a BIFF8";
  QTest::newRow("worksheet BOF first") << patched(good, BOF, 2, 0x0010, 2) << "not a BIFF8";
  QTest::newRow("shared string index out of range")
      << patched(good, LABELSST, 6, 999, 4) << "shared string index";
  QTest::newRow("cell format index out of range")
      << patched(good, RK, 4, 4000, 2) << "cell format index";
  QTest::newRow("font index 4") << patched(good, XF, 0, 4, 2, 16) << "font index";
  QTest::newRow("font index beyond the fonts") << patched(good, XF, 0, 77, 2, 16) << "font index";
  QTest::newRow("number format missing") << patched(good, XF, 2, 200, 2, 16) << "number format";
  QTest::newRow("sheet offset inside a record")
      << patched(good, BOUNDSHEET, 0, 3, 4) << "sheet position";
  QTest::newRow("sheet offset beyond the stream")
      << patched(good, BOUNDSHEET, 0, 0x7FFFFFF0, 4) << "sheet position";
  QTest::newRow("sheet offset at a record that is no BOF")
      << patched(good, BOUNDSHEET, 0, uint32_t(recordsOf(good)[1].data - 4), 4) << "BOF";
  QTest::newRow("encrypted") << patched(good, INTERFACEHDR, -4, FILEPASS, 2) << "encrypted";
  QTest::newRow("zoom denominator 0") << patched(good, SCL, 2, 0, 2) << "zero denominator";
  QTest::newRow("unknown error code") << patched(good, BOOLERR, 6, 0x55, 1, 1) << "error code";
  QTest::newRow("shared string count too large")
      << patched(good, SST, 4, 0x00FFFFFF, 4) << "shared string count";
  QTest::newRow("string longer than its record")
      << patched(good, SST, 8, 9000, 2) << "string runs past";
  QTest::newRow("column beyond 256") << patched(good, LABELSST, 2, 300, 2) << "column";
  QTest::newRow("merged range reversed") << patched(good, MERGEDCELLS, 2, 9, 2) << "merged range";
  QTest::newRow("record length past the end")
      << patched(good, EOF_, -2, 0x0100, 2, 1) << "past the end";
  QTest::newRow("formula tokens malformed") << patched(good, FORMULA, 22, 0xFF, 1) << "";
  QTest::newRow("formula token length past its record")
      << patched(good, FORMULA, 20, 900, 2) << "record too short";
  QTest::newRow("cell record too short") << patched(good, RK, -2, 4, 2) << "";
}

void TestBiffRoundTrip::damagedStream() {
  QFETCH(QByteArray, stream);
  QFETCH(QString, message);
  try {
    biff::readWorkbookStream(stream);
    QFAIL("read without complaint");
  } catch (const FormatError& e) {
    QVERIFY2(QString::fromUtf8(e.what()).contains(message), e.what());
  }
}

void TestBiffRoundTrip::truncatedAnywhere() {
  const QByteArray stream = biff::writeWorkbookStream(sampleBook());
  for (qsizetype cut = 0; cut < stream.size(); cut += 3) {
    try {
      biff::readWorkbookStream(stream.left(cut));
      QFAIL(qPrintable(QString("read a stream cut at %1").arg(cut)));
    } catch (const FormatError&) {
    }
  }
}

void TestBiffRoundTrip::randomDamage() {
  // Flipped bytes anywhere in the file: the reader either reads a workbook or refuses the
  // file with FormatError; nothing else escapes (the address sanitizer build watches reads).
  const QByteArray good = writeWorkbookBytes(sampleBook());
  std::mt19937 random(20231224);
  int refused = 0;
  for (int round = 0; round < 3000; ++round) {
    QByteArray bad = good;
    const int flips = 1 + int(random() % 4);
    for (int k = 0; k < flips; ++k)
      bad[qsizetype(random() % uint32_t(bad.size()))] = char(random());
    try {
      readWorkbookBytes(bad);
    } catch (const FormatError&) {
      ++refused;
    }
  }
  QVERIFY(refused > 0);
}

void TestBiffRoundTrip::fileErrors() {
  // Bytes that are no BIFF8 workbook are refused as such (the host names the file).
  QVERIFY_THROWS_EXCEPTION(FormatError, readWorkbookBytes("Family;Relatives\n"));
  // An Excel 5 file has a "Book" stream, not "Workbook".
  QVERIFY_THROWS_EXCEPTION(FormatError,
                           readWorkbookBytes(cfb::write({{"Book", QByteArray(600, 'x')}})));
}

QTEST_GUILESS_MAIN(TestBiffRoundTrip)
#include "tst_biffroundtrip.moc"
