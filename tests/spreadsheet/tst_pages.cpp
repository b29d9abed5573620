// A sheet's printed pages from its page set-up: paper, scale and origin for fit-to-page, zoom
// and areas split into pages of whole columns and rows, margins and centring; and the pages
// painted on a PDF device.
#include <QBuffer>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QtTest>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/pages.h"

using namespace sheet;

namespace {

// A sheet of default cells (64 x 20 pixels, 48 x 15 points at 100 %) used up to rows x cols.
Workbook sheetOf(int rows, int cols) {
  Workbook book;
  book.sheet(0).cellAt({rows - 1, cols - 1}).value = QStringLiteral("last");
  book.sheet(0).cellAt({0, 0}).value = 1.0;
  return book;
}

}  // namespace

class TestPages : public QObject {
  Q_OBJECT
 private slots:
  void paper_data();
  void paper();
  void fitToPage_data();
  void fitToPage();
  void splitDownThenAcross();
  void marginsAndCentring();
  void printArea();
  void paintedOnPdf();
};

void TestPages::paper_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<QSize>("points");  // portrait
  QTest::newRow("Letter") << 1 << QSize(612, 792);
  QTest::newRow("Legal") << 5 << QSize(612, 1008);
  QTest::newRow("A3") << 8 << QSize(842, 1191);
  QTest::newRow("A4") << 9 << QSize(595, 842);
  QTest::newRow("A5") << 11 << QSize(420, 595);
  QTest::newRow("unknown code") << 200 << QSize(612, 792);
}

void TestPages::paper() {
  QFETCH(int, code);
  QFETCH(QSize, points);
  Workbook book = sheetOf(2, 2);
  book.sheet(0).page.paperSize = code;
  book.sheet(0).page.landscape = true;
  const PrintLayout layout = printLayout(book, 0);
  QCOMPARE(layout.paper.sizePoints(), points);
  QCOMPARE(layout.pageLayout().fullRect(QPageLayout::Point).size().toSize(), points.transposed());
}

void TestPages::fitToPage_data() {
  QTest::addColumn<int>("cols");
  QTest::addColumn<int>("fitWidth");
  QTest::addColumn<int>("zoom");
  QTest::addColumn<int>("pages");
  // Landscape A4 with 0.7" side margins leaves 741.2 points: 60 columns of 48 points fit at 25 %.
  QTest::newRow("60 columns on one page") << 60 << 1 << 25 << 1;
  QTest::newRow("two pages wide") << 60 << 2 << 51 << 2;
  QTest::newRow("never above 100 %") << 3 << 1 << 100 << 1;
}

void TestPages::fitToPage() {
  QFETCH(int, cols);
  QFETCH(int, fitWidth);
  QFETCH(int, zoom);
  QFETCH(int, pages);
  Workbook book = sheetOf(30, cols);
  PageSetup& page = book.sheet(0).page;
  page.paperSize = kPaperA4;
  page.landscape = true;
  page.fitToPage = true;
  page.fitWidth = fitWidth;
  page.fitHeight = 1;
  const PrintLayout layout = printLayout(book, 0);
  QCOMPARE(layout.zoomPercent, double(zoom));
  QCOMPARE(layout.pointsPerPixel, 0.75 * zoom / 100);
  QCOMPARE(int(layout.pages.size()), pages);
  QCOMPARE(layout.pages.front().origin, QPointF(0.7 * 72, 0.75 * 72));
  // Each page's columns fit between the margins.
  for (const PrintedPage& p : layout.pages)
    QVERIFY(p.cells.cols() * 64 * layout.pointsPerPixel <= 842 - 2 * 0.7 * 72);
}

void TestPages::splitDownThenAcross() {
  // Letter portrait at 100 %: 511.2 x 684 points hold 10 columns and 45 rows.
  Workbook book = sheetOf(80, 20);
  const PrintLayout layout = printLayout(book, 0);
  QCOMPARE(layout.zoomPercent, 100.0);
  QCOMPARE(int(layout.pages.size()), 4);
  QCOMPARE(layout.pages[0].cells, (Range{0, 0, 44, 9}));
  QCOMPARE(layout.pages[1].cells, (Range{45, 0, 79, 9}));
  QCOMPARE(layout.pages[2].cells, (Range{0, 10, 44, 19}));
  QCOMPARE(layout.pages[3].cells, (Range{45, 10, 79, 19}));
  // At 50 % it all goes on one page.
  book.sheet(0).page.scale = 50;
  QCOMPARE(int(printLayout(book, 0).pages.size()), 1);
}

void TestPages::marginsAndCentring() {
  Workbook book = sheetOf(2, 2);  // 96 x 30 points
  PageSetup& page = book.sheet(0).page;
  page.leftMargin = 1;
  page.topMargin = 0.5;
  QCOMPARE(printLayout(book, 0).pages.front().origin, QPointF(72, 36));
  page.hCenter = true;
  page.vCenter = true;
  const double roomWidth = 612 - 72 - 0.7 * 72;
  const double roomHeight = 792 - 36 - 0.75 * 72;
  QCOMPARE(printLayout(book, 0).pages.front().origin,
           QPointF(72 + (roomWidth - 96) / 2, 36 + (roomHeight - 30) / 2));
}

void TestPages::printArea() {
  Workbook book = sheetOf(10, 10);
  QCOMPARE(printLayout(book, 0).pages.front().cells, (Range{0, 0, 9, 9}));  // the used range
  book.setPrintArea(0, {1, 1, 2, 2});
  QCOMPARE(printLayout(book, 0).pages.front().cells, (Range{1, 1, 2, 2}));
  QVERIFY(printLayout(Workbook(), 0).pages.empty());  // nothing to print
}

void TestPages::paintedOnPdf() {
  Workbook book = sheetOf(80, 20);
  QByteArray pdf;
  QBuffer buffer(&pdf);
  QVERIFY(buffer.open(QIODevice::WriteOnly));
  {
    QPdfWriter writer(&buffer);
    printSheet(book, 0, writer);
  }
  const QString text = QString::fromLatin1(pdf);
  QCOMPARE(int(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]")))), 4);
  QVERIFY(text.contains(QStringLiteral("/MediaBox [0 0 612.000000 792.000000]")));
  QVERIFY(text.contains(QStringLiteral("/FontFile2")));  // the cells' font, embedded
}

QTEST_MAIN(TestPages)
#include "tst_pages.moc"
