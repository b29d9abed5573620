// Screen geometry: fonts at 96 dpi, column widths and row heights in pixels.
#include <QFontInfo>
#include <QtTest>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/metrics.h"

using namespace sheet;

class TestRenderGeometry : public QObject {
  Q_OBJECT

 private slots:
  void fonts_data();
  void fonts();
  void columnWidthRoundTrip();
  void columnWidths_data();
  void columnWidths();
  void rowHeights_data();
  void rowHeights();
  void sheetGeometry();
};

void TestRenderGeometry::fonts_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("twips");
  QTest::addColumn<QString>("family");
  QTest::addColumn<int>("pixelSize");
  QTest::addColumn<int>("digitWidth");

  QTest::newRow("Calibri 11") << "Calibri" << 220 << "Carlito" << 15 << 7;
  QTest::newRow("Arial 10") << "Arial" << 200 << "Liberation Sans" << 13 << 7;
  QTest::newRow("Calibri 20") << "Calibri" << 400 << "Carlito" << 27 << 13;
}

void TestRenderGeometry::fonts() {
  QFETCH(QString, name);
  QFETCH(int, twips);
  QFETCH(QString, family);
  QFETCH(int, pixelSize);
  QFETCH(int, digitWidth);

  Font font;
  font.name = name;
  font.heightTwips = static_cast<uint16_t>(twips);
  const QFont qf = screenFont(font);
  QCOMPARE(QFontInfo(qf).family(), family);
  QCOMPARE(qf.pixelSize(), pixelSize);
  QCOMPARE(maxDigitWidth(font), digitWidth);
}

void TestRenderGeometry::columnWidthRoundTrip() {
  // Every pixel width is reachable and comes back unchanged.
  for (int digit : {6, 7, 8, 9}) {
    for (int px = 1; px <= 1500; ++px)
      QCOMPARE(columnWidthToPixels(pixelsToColumnWidth(px, digit), digit), px);
  }
}

void TestRenderGeometry::columnWidths_data() {
  QTest::addColumn<int>("width256");
  QTest::addColumn<int>("pixels");

  QTest::newRow("default 8.43") << 2340 << 64;
  QTest::newRow("10 characters") << 10 * 256 << 70;
  QTest::newRow("one character") << 256 << 7;
  QTest::newRow("zero") << 0 << 0;
  QTest::newRow("widest") << 255 * 256 << 1785;
}

void TestRenderGeometry::columnWidths() {
  QFETCH(int, width256);
  QFETCH(int, pixels);
  QCOMPARE(columnWidthToPixels(static_cast<uint16_t>(width256), 7), pixels);
}

void TestRenderGeometry::rowHeights_data() {
  QTest::addColumn<int>("twips");
  QTest::addColumn<int>("pixels");
  QTest::newRow("15 pt") << 300 << 20;
  QTest::newRow("14.25 pt") << 285 << 19;
  QTest::newRow("12.75 pt") << 255 << 17;
  QTest::newRow("30 pt") << 600 << 40;
  QTest::newRow("rounds half up") << 293 << 20;
  QTest::newRow("rounds down") << 292 << 19;
}

void TestRenderGeometry::rowHeights() {
  QFETCH(int, twips);
  QFETCH(int, pixels);
  QCOMPARE(rowHeightToPixels(static_cast<uint16_t>(twips)), pixels);
}

void TestRenderGeometry::sheetGeometry() {
  Workbook book;
  Worksheet& ws = book.sheet(0);
  ws.columns[2].width = 20 * 256;
  ws.columns[3].hidden = true;
  ws.columns[3].width = 20 * 256;
  ws.columns[4].format = 0;  // column information without a width of its own
  ws.rows[1].heightTwips = 600;
  ws.rows[2].hidden = true;

  const SheetGeometry g(book, 0);
  QCOMPARE(g.digitWidth(), 7);
  QCOMPARE(g.columnWidth(0), 64);
  QCOMPARE(g.columnWidth(2), 140);
  QCOMPARE(g.columnWidth(3), 0);
  QCOMPARE(g.columnWidth(4), 64);
  QCOMPARE(g.rowHeight(0), 20);
  QCOMPARE(g.rowHeight(1), 40);
  QCOMPARE(g.rowHeight(2), 0);

  // The default width follows the sheet's default character count, padded to 8 pixels.
  ws.defaultColumnWidthChars = 10;
  QCOMPARE(SheetGeometry(book, 0).columnWidth(0), 80);
  ws.defaultRowHeightTwips = 285;
  QCOMPARE(SheetGeometry(book, 0).rowHeight(5), 19);
}

QTEST_MAIN(TestRenderGeometry)
#include "tst_render_geometry.moc"
