// Column auto-fit: columns take the width of their widest displayed text.
#include <QtTest>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/autofit.h"
#include "spreadsheet/render/metrics.h"

using namespace sheet;

namespace {

void put(Workbook& book, CellRef at, const Value& value, const CellFormat& format = {}) {
  book.setFormat(0, at, format);
  book.sheet(0).cellAt(at).value = value;
}

int columnPixels(const Workbook& book, int col) {
  return SheetGeometry(book, 0).columnWidth(col);
}

}  // namespace

class TestAutoFit : public QObject {
  Q_OBJECT

 private slots:
  void widestTextDecides();
  void longTextWidensShortTextNarrows();
  void emptyColumnsKeepTheirWidth();
  void mergedCellsAreIgnored();
  void widerFontGivesWiderColumn_data();
  void widerFontGivesWiderColumn();
  void numbersAreMeasuredAsShown();
  void hiddenColumnsStayHidden();
};

void TestAutoFit::widestTextDecides() {
  Workbook book;
  put(book, {0, 0}, QStringLiteral("Name"));
  put(book, {5, 0}, QStringLiteral("Christopher Columbus"));
  put(book, {9, 0}, QStringLiteral("Ann"));
  autoFitColumns(book, 0);

  const Font font;
  const int expected =
      static_cast<int>(std::ceil(textWidth(font, QStringLiteral("Christopher Columbus")))) +
      kAutoFitPadding;
  QCOMPARE(columnPixels(book, 0), expected);
  QCOMPARE(fittedColumnPixels(book, 0, 0), expected);
  // The stored width is in 1/256 of the digit width and shows as those pixels.
  QCOMPARE(columnWidthToPixels(book.sheet(0).columns.at(0).width, 7), expected);
}

void TestAutoFit::longTextWidensShortTextNarrows() {
  Workbook book;
  put(book, {0, 0}, QStringLiteral("A rather long description of a present"));
  put(book, {0, 1}, QStringLiteral("x"));
  autoFitColumns(book, 0);
  QVERIFY2(columnPixels(book, 0) > 200, qPrintable(QString::number(columnPixels(book, 0))));
  QVERIFY(columnPixels(book, 1) < 64);
  QVERIFY(columnPixels(book, 1) > kAutoFitPadding);
}

void TestAutoFit::emptyColumnsKeepTheirWidth() {
  Workbook book;
  Worksheet& ws = book.sheet(0);
  ws.columns[1].width = 3000;
  CellFormat filled;
  filled.pattern = FillPattern::Solid;
  filled.fillColor = 44;
  book.setFormat(0, {3, 2}, filled);  // formatted, no content
  put(book, {4, 3}, QString());       // an empty text
  put(book, {0, 0}, QStringLiteral("Family"));
  autoFitColumns(book, 0);

  QCOMPARE(ws.columns.at(1).width, uint16_t(3000));
  QCOMPARE(columnPixels(book, 2), 64);
  QCOMPARE(columnPixels(book, 3), 64);
  QCOMPARE(columnPixels(book, 4), 64);
  QVERIFY(columnPixels(book, 0) != 64);
  QCOMPARE(fittedColumnPixels(book, 0, 2), 0);
}

void TestAutoFit::mergedCellsAreIgnored() {
  Workbook book;
  Worksheet& ws = book.sheet(0);
  put(book, {0, 0}, QStringLiteral("Knowable people and their many presents"));
  ws.merge({0, 0, 0, 4});
  put(book, {1, 0}, QStringLiteral("Name"));
  put(book, {2, 2}, QStringLiteral("A long text in a merged area"));
  ws.merge({2, 2, 3, 2});  // merged down only: still a merge
  autoFitColumns(book, 0);

  const int nameWidth =
      static_cast<int>(std::ceil(textWidth(Font{}, QStringLiteral("Name")))) + kAutoFitPadding;
  QCOMPARE(columnPixels(book, 0), nameWidth);
  QCOMPARE(columnPixels(book, 2), 64);
}

void TestAutoFit::widerFontGivesWiderColumn_data() {
  QTest::addColumn<QString>("fontName");
  QTest::addColumn<int>("twips");
  QTest::addColumn<bool>("bold");

  QTest::newRow("bigger") << "Calibri" << 320 << false;
  QTest::newRow("bold") << "Calibri" << 220 << true;
  QTest::newRow("Arial 11 is wider than Calibri 11") << "Arial" << 220 << false;
}

void TestAutoFit::widerFontGivesWiderColumn() {
  QFETCH(QString, fontName);
  QFETCH(int, twips);
  QFETCH(bool, bold);

  Workbook book;
  const QString text = QStringLiteral("Total cost of presents");
  put(book, {0, 0}, text);
  CellFormat wide;
  wide.font.name = fontName;
  wide.font.heightTwips = static_cast<uint16_t>(twips);
  wide.font.bold = bold;
  put(book, {0, 1}, text, wide);
  autoFitColumns(book, 0);
  QVERIFY2(
      columnPixels(book, 1) > columnPixels(book, 0),
      qPrintable(QStringLiteral("%1 vs %2").arg(columnPixels(book, 1)).arg(columnPixels(book, 0))));
}

void TestAutoFit::numbersAreMeasuredAsShown() {
  Workbook book;
  CellFormat currency;
  currency.numberFormat = QStringLiteral("$#,##0.00");
  put(book, {0, 0}, 1250.5);
  put(book, {0, 1}, 1250.5, currency);
  put(book, {0, 2}, 1.0 / 3.0);  // general: 11 characters
  autoFitColumns(book, 0);

  const Font font;
  auto fitted = [&](const char* text) {
    return static_cast<int>(std::ceil(textWidth(font, QString::fromLatin1(text)))) +
           kAutoFitPadding;
  };
  QCOMPARE(columnPixels(book, 0), fitted("1250.5"));
  QCOMPARE(columnPixels(book, 1), fitted("$1,250.50"));
  QCOMPARE(columnPixels(book, 2), fitted("0.333333333"));
}

void TestAutoFit::hiddenColumnsStayHidden() {
  Workbook book;
  put(book, {0, 0}, QStringLiteral("secret"));
  book.sheet(0).columns[0].hidden = true;
  autoFitColumns(book, 0);
  QCOMPARE(columnPixels(book, 0), 0);
}

QTEST_MAIN(TestAutoFit)
#include "tst_autofit.moc"
