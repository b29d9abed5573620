// Painting a range as a spreadsheet shows it on screen: sizes, fills, borders, grid lines, text.
#include <QDir>
#include <QElapsedTimer>
#include <QtTest>

#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/autofit.h"
#include "spreadsheet/render/metrics.h"
#include "spreadsheet/render/render.h"

using namespace sheet;

Q_DECLARE_METATYPE(sheet::Value)

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kGrid = 0xFF000000u | kGridlineColor;

void put(Workbook& book, CellRef at, const Value& value, const CellFormat& format = {}) {
  book.setFormat(0, at, format);
  book.sheet(0).cellAt(at).value = value;
}

// Pixels of a default sheet: 64 x 20 per cell, each starting with its grid line.
QRect cellRect(int row, int col) {
  return QRect(col * 64, row * 20, 65, 21);
}

bool isInk(QRgb pixel, QRgb background) {
  if (pixel == kGrid) return false;
  const int d = std::max({std::abs(qRed(pixel) - qRed(background)),
                          std::abs(qGreen(pixel) - qGreen(background)),
                          std::abs(qBlue(pixel) - qBlue(background))});
  return d > 80;
}

// The bounding box of the text pixels inside `area` (inside the grid lines).
QRect inkBox(const QImage& image, const QRect& area, QRgb background = kWhite) {
  QRect box;
  for (int y = area.top() + 1; y < area.bottom(); ++y)
    for (int x = area.left() + 1; x < area.right(); ++x)
      if (isInk(image.pixel(x, y), background)) box |= QRect(x, y, 1, 1);
  return box;
}

QString describe(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// A report-like sheet: four blocks of five columns, titles, headings, entries and totals.
Workbook reportSheet() {
  Workbook book;
  Worksheet& ws = book.sheet(0);
  ws.setName(QStringLiteral("Xmas"));
  const QStringList titles{"Family", "Relatives", "Friends", "Knowable people"};
  const QStringList headings{"Name", "Likes", "Present", "Cost", "Email"};
  const uint16_t blockFill[4] = {44, 42, uint16_t(book.palette.indexOf(0xFFCC99)),
                                 uint16_t(book.palette.indexOf(0xCCCCFF))};
  const uint16_t totalFill[4] = {44, 42, uint16_t(book.palette.indexOf(0xFF9900)),
                                 uint16_t(book.palette.indexOf(0x333399))};
  const Border thin{LineStyle::Thin, kAutoColor};
  const Border medium{LineStyle::Medium, kAutoColor};
  for (int block = 0; block < 4; ++block) {
    const int c0 = block * 5;
    for (int row = 0; row < 24; ++row) {
      for (int k = 0; k < 5; ++k) {
        CellFormat f;
        f.pattern = FillPattern::Solid;
        f.fillColor = blockFill[block];
        f.wrap = row >= 2;
        if (row == 0) {
          f.hAlign = HAlign::Center;
          f.top = medium;
          f.bottom = medium;
          if (k == 0) f.left = medium;
          if (k == 4) f.right = medium;
        } else {
          f.left = k == 0 || k == 3 ? medium : thin;
          f.right = k == 2 || k == 3 || (k == 4 && block < 3) ? medium : thin;
          if (row == 1) f.top = f.bottom = medium;
          if (row >= 2 && row < 23) f.bottom = thin;
          if (row == 23) f.bottom = block < 3 || k == 3 ? medium : thin;
        }
        if (block == 0 && k == 4 && row == 2) {
          f.font.colorIndex = 12;
          f.font.underline = Underline::Single;
        }
        book.setFormat(0, {row, c0 + k}, f);
      }
    }
    put(book, {0, c0}, titles[block], book.formatOf(0, {0, c0}));
    ws.merge({0, c0, 0, c0 + 4});
    for (int k = 0; k < 5; ++k) put(book, {1, c0 + k}, headings[k], book.formatOf(0, {1, c0 + k}));
    CellFormat label;
    label.hAlign = HAlign::Center;
    label.top = block < 3 ? medium : thin;
    put(book, {24, c0 + 1}, QStringLiteral("Total cost"), label);
    book.setFormat(0, {24, c0 + 2}, label);
    ws.merge({24, c0 + 1, 24, c0 + 2});
    CellFormat total;
    total.pattern = FillPattern::Solid;
    total.fillColor = totalFill[block];
    total.left = total.right = total.top = total.bottom = medium;
    put(book, {24, c0 + 3}, 0.0, total);
  }
  ws.rows[0].heightTwips = 300;
  ws.rows[1].heightTwips = 300;
  for (int r = 2; r < 23; ++r) ws.rows[r].heightTwips = 285;
  ws.rows[23].heightTwips = 300;
  ws.rows[24].heightTwips = 300;

  struct Entry {
    int block;
    const char* name;
    const char* likes;
    const char* present;
    double cost;
    bool dollars;
    const char* email;
  };
  const Entry entries[] = {
      {0, "Mom", "Gardening", "Rose bushes", 45, false, "mom@example.com"},
      {0, "Dad", "Fishing", "Fly rod", 74, true, "dad@example.com"},
      {1, "Aunt Jo", "Baking", "Stand mixer", 89, true, "jo@example.org"},
      {1, "Uncle Sam", "Jazz", "Vinyl records", 35.5, false, ""},
      {2, "Priya", "Board games", "Wingspan", 55, false, "priya@example.net"},
      {3, "Mr. Halvorsen", "Birds", "Feeder", 12, false, ""},
  };
  int nextRow[4] = {2, 2, 2, 2};
  double sums[4] = {0, 0, 0, 0};
  for (const Entry& e : entries) {
    const int r = nextRow[e.block]++;
    const int c0 = e.block * 5;
    auto keep = [&](int c, const Value& v,
                    const QString& numberFormat = QStringLiteral("General")) {
      CellFormat f = book.formatOf(0, {r, c});
      f.wrap = false;
      f.numberFormat = numberFormat;
      put(book, {r, c}, v, f);
    };
    keep(c0, QString::fromUtf8(e.name));
    keep(c0 + 1, QString::fromUtf8(e.likes));
    keep(c0 + 2, QString::fromUtf8(e.present));
    keep(c0 + 3, e.cost, e.dollars ? QStringLiteral("\"$\"#,##0") : QStringLiteral("General"));
    if (*e.email) keep(c0 + 4, QString::fromUtf8(e.email));
    sums[e.block] += e.cost;
  }
  for (int block = 0; block < 4; ++block) ws.cellAt({24, block * 5 + 3}).value = sums[block];
  autoFitColumns(book, 0);
  return book;
}

}  // namespace

class TestRender : public QObject {
  Q_OBJECT

 private slots:
  void imageSizeIsTheSumOfTheGrid();
  void gridlinesFollowTheWindow_data();
  void gridlinesFollowTheWindow();
  void fillShowsThePaletteColour_data();
  void fillShowsThePaletteColour();
  void borderWidthsAndColours_data();
  void borderWidthsAndColours();
  void alignment_data();
  void alignment();
  void mergedTitleIsCentred();
  void textOverflowsIntoEmptyNeighbours();
  void hyperlinkLookIsBlueAndUnderlined();
  void formatColourAndWrap();
  void numbersThatDoNotFit_data();
  void numbersThatDoNotFit();
  void badRangesAreRefused();
  void reportSample();
};

void TestRender::imageSizeIsTheSumOfTheGrid() {
  Workbook book;
  Worksheet& ws = book.sheet(0);
  ws.columns[1].width = 20 * 256;   // 140 px
  ws.columns[7].width = 3 * 256;    // 21 px
  ws.columns[25].width = 40 * 256;  // outside the range
  ws.rows[2].heightTwips = 600;     // 40 px
  ws.rows[4].hidden = true;
  const QImage image = paintRange(book, 0, *parseA1Range(QStringLiteral("A1:T25")));
  QCOMPARE(image.format(), QImage::Format_RGB32);
  QCOMPARE(image.width(), 18 * 64 + 140 + 21 + 1);
  QCOMPARE(image.height(), 23 * 20 + 40 + 1);

  const QImage part = paintRange(book, 0, *parseA1Range(QStringLiteral("B2:C3")));
  QCOMPARE(part.size(), QSize(140 + 64 + 1, 20 + 40 + 1));
}

void TestRender::gridlinesFollowTheWindow_data() {
  QTest::addColumn<bool>("shown");
  QTest::newRow("shown") << true;
  QTest::newRow("hidden") << false;
}

void TestRender::gridlinesFollowTheWindow() {
  QFETCH(bool, shown);
  Workbook book;
  book.sheet(0).window.showGridlines = shown;
  const QImage image = paintRange(book, 0, {0, 0, 3, 3});
  const QRgb expected = shown ? kGrid : kWhite;
  QCOMPARE(image.pixel(64, 10), expected);   // between A1 and B1
  QCOMPARE(image.pixel(100, 40), expected);  // between B2 and B3
  QCOMPARE(image.pixel(256, 79), expected);  // closing line on the right
  QCOMPARE(image.pixel(30, 80), expected);   // closing line at the bottom
  QCOMPARE(image.pixel(30, 10), kWhite);     // inside A1
}

void TestRender::fillShowsThePaletteColour_data() {
  QTest::addColumn<int>("colorIndex");
  QTest::addColumn<uint>("rgb");
  // Palette entries count from 8: colour index 37 is entry 44, colour index 35 entry 42.
  QTest::newRow("pale blue, colour index 37") << 44 << 0x99CCFFu;
  QTest::newRow("light green, colour index 35") << 42 << 0xCCFFCCu;
  QTest::newRow("custom palette") << 20 << 0x123456u;
}

void TestRender::fillShowsThePaletteColour() {
  QFETCH(int, colorIndex);
  QFETCH(uint, rgb);
  Workbook book;
  book.palette.set(20, 0x123456);
  CellFormat f;
  f.pattern = FillPattern::Solid;
  f.fillColor = static_cast<uint16_t>(colorIndex);
  book.setFormat(0, {1, 1}, f);
  book.setFormat(0, {1, 2}, f);
  const QImage image = paintRange(book, 0, {0, 0, 3, 3});
  const QRgb fill = 0xFF000000u | rgb;
  QCOMPARE(image.pixel(cellRect(1, 1).center()), fill);
  QCOMPARE(image.pixel(128, 30), fill);  // the grid line between the two filled cells
  QCOMPARE(image.pixel(cellRect(1, 3).center()), kWhite);
  QCOMPARE(image.pixel(192, 70), kGrid);  // a grid line between unfilled cells stays
}

void TestRender::borderWidthsAndColours_data() {
  QTest::addColumn<int>("style");
  QTest::addColumn<int>("colorIndex");
  QTest::addColumn<int>("thickness");
  QTest::addColumn<uint>("rgb");
  QTest::newRow("thin automatic") << int(LineStyle::Thin) << int(kAutoColor) << 1 << 0x000000u;
  QTest::newRow("medium automatic") << int(LineStyle::Medium) << int(kAutoColor) << 2 << 0x000000u;
  QTest::newRow("thick") << int(LineStyle::Thick) << int(kAutoColor) << 3 << 0x000000u;
  QTest::newRow("medium red") << int(LineStyle::Medium) << 10 << 2 << 0xFF0000u;
}

void TestRender::borderWidthsAndColours() {
  QFETCH(int, style);
  QFETCH(int, colorIndex);
  QFETCH(int, thickness);
  QFETCH(uint, rgb);
  Workbook book;
  book.sheet(0).window.showGridlines = false;
  CellFormat f;
  f.bottom = {LineStyle(style), uint16_t(colorIndex)};
  f.right = f.bottom;
  book.setFormat(0, {1, 1}, f);
  const QImage image = paintRange(book, 0, {0, 0, 3, 3});
  const QRgb line = 0xFF000000u | rgb;

  // The horizontal line under B2 (grid line y = 40), across the middle of the cell.
  int count = 0;
  for (int y = 35; y <= 45; ++y) count += image.pixel(96, y) == line ? 1 : 0;
  QCOMPARE(count, thickness);
  QVERIFY(image.pixel(96, 40) == line);
  // The vertical line on the right of B2 (grid line x = 128).
  count = 0;
  for (int x = 123; x <= 133; ++x) count += image.pixel(x, 30) == line ? 1 : 0;
  QCOMPARE(count, thickness);
  // Nothing around it.
  QCOMPARE(image.pixel(96, 10), kWhite);
  QCOMPARE(image.pixel(30, 40), kWhite);
}

void TestRender::alignment_data() {
  QTest::addColumn<Value>("value");
  QTest::addColumn<int>("hAlign");
  QTest::addColumn<QString>("side");  // where the ink is: left, right or centre

  QTest::newRow("general text") << Value(QStringLiteral("Mom")) << int(HAlign::General) << "left";
  QTest::newRow("general number") << Value(45.0) << int(HAlign::General) << "right";
  QTest::newRow("general boolean") << Value(true) << int(HAlign::General) << "centre";
  QTest::newRow("general error") << Value(ErrorCode::NA) << int(HAlign::General) << "centre";
  QTest::newRow("right text") << Value(QStringLiteral("Mom")) << int(HAlign::Right) << "right";
  QTest::newRow("centred text") << Value(QStringLiteral("Mom")) << int(HAlign::Center) << "centre";
  QTest::newRow("left number") << Value(45.0) << int(HAlign::Left) << "left";
}

void TestRender::alignment() {
  QFETCH(Value, value);
  QFETCH(int, hAlign);
  QFETCH(QString, side);
  Workbook book;
  CellFormat f;
  f.hAlign = HAlign(hAlign);
  put(book, {1, 1}, value, f);
  const QImage image = paintRange(book, 0, {0, 0, 3, 3});
  const QRect cell = cellRect(1, 1);
  const QRect ink = inkBox(image, cell);
  QVERIFY(!ink.isEmpty());
  QVERIFY2(ink.width() < 40, qPrintable(describe(ink)));
  const int centre = cell.left() + 32;
  if (side == QLatin1String("left")) {
    QVERIFY2(ink.left() >= cell.left() + 2 && ink.left() <= cell.left() + 5,
             qPrintable(describe(ink)));
  } else if (side == QLatin1String("right")) {
    QVERIFY2(ink.right() <= cell.left() + 62 && ink.right() >= cell.left() + 58,
             qPrintable(describe(ink)));
  } else {
    QVERIFY2(std::abs((ink.left() + ink.right() + 1) / 2 - centre) <= 2, qPrintable(describe(ink)));
  }
  // Bottom alignment: the text sits in the lower part of the row.
  QVERIFY2(ink.bottom() >= cell.top() + 13, qPrintable(describe(ink)));
}

void TestRender::mergedTitleIsCentred() {
  Workbook book;
  CellFormat f;
  f.hAlign = HAlign::Center;
  put(book, {0, 0}, QStringLiteral("Family"), f);
  book.sheet(0).merge({0, 0, 0, 4});
  const QImage image = paintRange(book, 0, {0, 0, 2, 5});
  const QRect merged(0, 0, 5 * 64 + 1, 21);
  const QRect ink = inkBox(image, merged);
  QVERIFY(!ink.isEmpty());
  QVERIFY2(std::abs((ink.left() + ink.right() + 1) / 2 - 160) <= 2, qPrintable(describe(ink)));
  // One cell: no grid lines inside, but the outline is there.
  for (int x : {64, 128, 256}) QCOMPARE(image.pixel(x, 2), kWhite);
  QCOMPARE(image.pixel(320, 2), kGrid);
  QCOMPARE(image.pixel(64, 22), kGrid);
}

void TestRender::textOverflowsIntoEmptyNeighbours() {
  Workbook book;
  const QString longText = QStringLiteral("A very long present description");
  put(book, {0, 0}, longText);  // B1 and C1 empty
  put(book, {1, 0}, longText);
  put(book, {1, 1}, 7.0);  // B2 holds a number
  CellFormat right;
  right.hAlign = HAlign::Right;
  put(book, {2, 3}, longText, right);    // runs to the left over C3 and B3
  put(book, {3, 0}, 123456789012345.0);  // numbers never run on
  const QImage image = paintRange(book, 0, {0, 0, 4, 4});

  QVERIFY(!inkBox(image, cellRect(0, 1)).isEmpty());
  QVERIFY(!inkBox(image, cellRect(0, 2)).isEmpty());
  QCOMPARE(image.pixel(64, 2), kWhite);  // the grid line under the text is gone
  // Next to a filled cell the text is cut at the cell's edge.
  const QRect b2 = inkBox(image, cellRect(1, 1));
  QVERIFY2(b2.left() > 64 + 40, qPrintable(describe(b2)));
  QVERIFY(!inkBox(image, cellRect(2, 2)).isEmpty());
  QVERIFY(!inkBox(image, cellRect(2, 1)).isEmpty());
  QVERIFY(inkBox(image, cellRect(3, 1)).isEmpty());
}

void TestRender::hyperlinkLookIsBlueAndUnderlined() {
  Workbook book;
  CellFormat f;
  f.font.colorIndex = 12;
  f.font.underline = Underline::Single;
  put(book, {2, 4}, QStringLiteral("mom@x.com"), f);
  const QImage image = paintRange(book, 0, {0, 0, 3, 5});
  const QRect cell = cellRect(2, 4);
  const QRect ink = inkBox(image, cell);
  QVERIFY(!ink.isEmpty());
  int bestRow = 0;
  for (int y = ink.top(); y <= ink.bottom(); ++y) {
    int blue = 0;
    for (int x = ink.left(); x <= ink.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (qBlue(p) > 200 && qRed(p) < 120 && qGreen(p) < 120) ++blue;
    }
    bestRow = std::max(bestRow, blue);
  }
  // An underline is a row of blue pixels under nearly all of the text.
  QVERIFY2(bestRow >= ink.width() * 8 / 10, qPrintable(QString::number(bestRow)));
}

void TestRender::formatColourAndWrap() {
  Workbook book;
  CellFormat red;
  red.numberFormat = QStringLiteral("0;[Red]-0");
  put(book, {0, 0}, -42.0, red);
  CellFormat wrap;
  wrap.wrap = true;
  put(book, {1, 0}, QStringLiteral("one two three four five six"), wrap);
  book.sheet(0).rows[1].heightTwips = 1200;  // 80 px
  const QImage image = paintRange(book, 0, {0, 0, 2, 2});

  const QRect ink = inkBox(image, cellRect(0, 0));
  bool anyRed = false;
  for (int y = ink.top(); y <= ink.bottom(); ++y)
    for (int x = ink.left(); x <= ink.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      anyRed = anyRed || (qRed(p) > 200 && qGreen(p) < 100 && qBlue(p) < 100);
    }
  QVERIFY(anyRed);

  const QRect tall(0, 20, 65, 81);
  const QRect lines = inkBox(image, tall);
  QVERIFY2(lines.height() > 30, qPrintable(describe(lines)));  // more than one line
  QVERIFY(inkBox(image, QRect(64, 20, 65, 81)).isEmpty());     // nothing runs into B2
}

void TestRender::numbersThatDoNotFit_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<QString>("format");
  QTest::addColumn<int>("widthPx");
  QTest::addColumn<QString>("pattern");  // regular expression of the shown text

  QTest::newRow("fits") << 89.0 << "\"$\"#,##0" << 64 << "^\\$89$";
  QTest::newRow("formatted too wide") << 123456789.0 << "#,##0" << 40 << "^#+$";
  QTest::newRow("general drops decimals") << 3.14159265358 << "General" << 40 << "^3\\.1\\d*$";
  QTest::newRow("general exponent") << 123456789012.0 << "General" << 50 << "^1\\.?\\d*E\\+11$";
  QTest::newRow("general full") << 3.14159265358 << "General" << 100 << "^3\\.141592654$";
}

void TestRender::numbersThatDoNotFit() {
  QFETCH(double, value);
  QFETCH(QString, format);
  QFETCH(int, widthPx);
  QFETCH(QString, pattern);
  Workbook book;
  book.sheet(0).columns[0].width = uint16_t(widthPx * 256 / 7);
  CellFormat f;
  f.numberFormat = format;
  put(book, {0, 0}, value, f);
  const QString shown = shownText(book, 0, {0, 0});
  QVERIFY2(QRegularExpression(pattern).match(shown).hasMatch(), qPrintable(shown));
  // What is shown stays inside the cell.
  const QImage image = paintRange(book, 0, {0, 0, 0, 1});
  const QRect ink = inkBox(image, QRect(0, 0, widthPx + 1, 21));
  QVERIFY(!ink.isEmpty());
  QVERIFY(inkBox(image, QRect(widthPx, 0, 65, 21)).isEmpty());
}

void TestRender::badRangesAreRefused() {
  Workbook book;
  const Range reversed{3, 0, 2, 0};
  const Range offTheSheet{0, 0, kMaxRows, 0};
  const Range tooLarge{0, 0, kMaxRows - 1, kMaxColumns - 1};
  const Range fine{0, 0, 1, 1};
  QVERIFY_THROWS_EXCEPTION(sheet::Error, paintRange(book, 0, reversed));
  QVERIFY_THROWS_EXCEPTION(sheet::Error, paintRange(book, 0, offTheSheet));
  QVERIFY_THROWS_EXCEPTION(sheet::Error, paintRange(book, 0, tooLarge));
  QVERIFY_THROWS_EXCEPTION(sheet::Error, paintRange(book, 1, fine));
}

void TestRender::reportSample() {
  const Workbook book = reportSheet();
  const Range used = book.sheet(0).usedRange();
  QCOMPARE(used, *parseA1Range(QStringLiteral("A1:T25")));
  const QImage image = paintRange(book, 0, used);

  const QString temp = qEnvironmentVariable("TEMP", QDir::tempPath());
  const QString path = QDir(temp).filePath(QStringLiteral("render-sample.png"));
  QVERIFY(image.save(path, "PNG"));
  qInfo("picture: %s (%dx%d)", qPrintable(path), image.width(), image.height());
  std::vector<qint64> times;
  for (int i = 0; i < 21; ++i) {
    QElapsedTimer timer;
    timer.start();
    const QImage again = paintRange(book, 0, used);
    times.push_back(timer.nsecsElapsed());
    QCOMPARE(again, image);  // painting is repeatable
  }
  std::sort(times.begin(), times.end());
  qInfo("painting A1:T25 takes %.2f ms (median of 21)", times[10] / 1e6);

  // Rows: four of 20 px and 21 of 19 px.
  QCOMPARE(image.height(), 4 * 20 + 21 * 19 + 1);
  // The Family block is pale blue, the Relatives block light green.
  QCOMPARE(image.pixel(20, 85) & 0xFFFFFF, 0x99CCFFu);
  int x = 0;
  for (int c = 0; c < 5; ++c)
    x += columnWidthToPixels(
        book.sheet(0).columns.count(c) ? book.sheet(0).columns.at(c).width : 2340, 7);
  QCOMPARE(image.pixel(x + 20, 85) & 0xFFFFFF, 0xCCFFCCu);
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
