// Typed input (FormulaR1C1 = text): what each typed text becomes, with its number format.
#include <QtTest>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"
#include "tests/support/enginesupport.h"

using namespace sheet;

namespace {

const CellRef kCell{2, 3};  // D3

}  // namespace

class TestTypedInput : public QObject {
  Q_OBJECT

 private slots:
  void entries_data();
  void entries();
  void formatOfFormattedCell_data();
  void formatOfFormattedCell();
  void emptyTextClearsContentKeepsFormat();
  void refusedEntries_data();
  void refusedEntries();
  void longestText();
  void totalFollowsEntries();
};

// Typed text into a General cell: the value and the cell's number format afterwards.
void TestTypedInput::entries_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("value");
  QTest::addColumn<QString>("numberFormat");
  QTest::newRow("whole number") << "89"
                                << "n:89"
                                << "General";
  QTest::newRow("blanks around") << "  12 "
                                 << "n:12"
                                 << "General";
  QTest::newRow("negative") << "-5"
                            << "n:-5"
                            << "General";
  QTest::newRow("plus sign") << "+5"
                             << "n:5"
                             << "General";
  QTest::newRow("decimals") << "0.25"
                            << "n:0.25"
                            << "General";
  QTest::newRow("leading point") << ".5"
                                 << "n:0.5"
                                 << "General";
  QTest::newRow("accounting negative") << "(12)"
                                       << "n:-12"
                                       << "General";
  QTest::newRow("thousands") << "1,250"
                             << "n:1250"
                             << "#,##0";
  QTest::newRow("thousands with decimals") << "1,250.5"
                                           << "n:1250.5"
                                           << "#,##0.00";
  QTest::newRow("millions") << "-1,000,000"
                            << "n:-1000000"
                            << "#,##0";
  QTest::newRow("exponent") << "1.5E3"
                            << "n:1500"
                            << "0.00E+00";
  QTest::newRow("negative exponent") << "2e-2"
                                     << "n:0.02"
                                     << "0.00E+00";
  QTest::newRow("currency") << "$89"
                            << "n:89"
                            << "$#,##0";
  QTest::newRow("currency with cents") << "$1,250.50"
                                       << "n:1250.5"
                                       << "$#,##0.00";
  QTest::newRow("minus before dollar") << "-$5"
                                       << "n:-5"
                                       << "$#,##0";
  QTest::newRow("minus after dollar") << "$-5"
                                      << "n:-5"
                                      << "$#,##0";
  QTest::newRow("blank after dollar") << "$ 89"
                                      << "n:89"
                                      << "$#,##0";
  QTest::newRow("percent") << "15%"
                           << "n:0.15"
                           << "0%";
  QTest::newRow("percent with decimals") << "12.5%"
                                         << "n:0.125"
                                         << "0.00%";
  QTest::newRow("true") << "true"
                        << "b:TRUE"
                        << "General";
  QTest::newRow("false") << " FALSE "
                         << "b:FALSE"
                         << "General";
  QTest::newRow("error value") << "#n/a"
                               << "e:#N/A"
                               << "General";
  QTest::newRow("apostrophe number") << "'123"
                                     << "t:123"
                                     << "General";
  QTest::newRow("apostrophe formula") << "'=1+2"
                                      << "t:=1+2"
                                      << "General";
  QTest::newRow("apostrophe alone") << "'"
                                    << "t:"
                                    << "General";
  QTest::newRow("word") << "Teddy bear"
                        << "t:Teddy bear"
                        << "General";
  QTest::newRow("blanks kept in text") << " toy "
                                       << "t: toy "
                                       << "General";
  QTest::newRow("email") << "ann@example.com"
                         << "t:ann@example.com"
                         << "General";
  QTest::newRow("number and word") << "12 apples"
                                   << "t:12 apples"
                                   << "General";
  QTest::newRow("dollar alone") << "$"
                                << "t:$"
                                << "General";
  QTest::newRow("point alone") << "."
                               << "t:."
                               << "General";
  QTest::newRow("bad grouping") << "1,25"
                                << "t:1,25"
                                << "General";
  QTest::newRow("grouping after point") << "1.250,5"
                                        << "t:1.250,5"
                                        << "General";
  QTest::newRow("two points") << "1.2.3"
                              << "t:1.2.3"
                              << "General";
  QTest::newRow("two signs") << "--5"
                             << "t:--5"
                             << "General";
  QTest::newRow("currency and percent") << "$5%"
                                        << "t:$5%"
                                        << "General";
  QTest::newRow("too large") << "1e400"
                             << "t:1e400"
                             << "General";
  QTest::newRow("euro") << "€5"
                        << "t:€5"
                        << "General";
  QTest::newRow("formula") << "=1+2"
                           << "n:3"
                           << "General";
  QTest::newRow("formula reading a cell") << "=R[-1]C&\"!\""
                                          << "t:above!"
                                          << "General";
  QTest::newRow("formula unknown name") << "=hello"
                                        << "e:#NAME?"
                                        << "General";
}

void TestTypedInput::entries() {
  QFETCH(QString, typed);
  QFETCH(QString, value);
  QFETCH(QString, numberFormat);
  Workbook book;
  enterTyped(book, 0, {kCell.row - 1, kCell.col}, QStringLiteral("above"));
  enterTyped(book, 0, kCell, typed);
  const Cell* cell = book.sheet(0).cell(kCell);
  QVERIFY(cell);
  QCOMPARE(describeValue(cell->value), value);
  QCOMPARE(book.formats.at(cell->format).numberFormat, numberFormat);
  QCOMPARE(cell->hasFormula(), typed.startsWith(u'='));
}

// A cell with a number format of its own keeps it, whatever number is typed.
void TestTypedInput::formatOfFormattedCell_data() {
  QTest::addColumn<QString>("format");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("value");
  QTest::newRow("number into currency") << "$#,##0"
                                        << "42"
                                        << "n:42";
  QTest::newRow("currency into percent") << "0%"
                                         << "$5"
                                         << "n:5";
  QTest::newRow("percent into currency") << "$#,##0.00"
                                         << "50%"
                                         << "n:0.5";
  QTest::newRow("text into currency") << "$#,##0"
                                      << "free"
                                      << "t:free";
}

void TestTypedInput::formatOfFormattedCell() {
  QFETCH(QString, format);
  QFETCH(QString, typed);
  QFETCH(QString, value);
  Workbook book;
  CellFormat f;
  f.numberFormat = format;
  f.fillColor = 13;
  f.pattern = FillPattern::Solid;
  book.setFormat(0, kCell, f);
  enterTyped(book, 0, kCell, typed);
  QCOMPARE(describeValue(book.sheet(0).cell(kCell)->value), value);
  QVERIFY(book.formatOf(0, kCell) == f);
}

void TestTypedInput::emptyTextClearsContentKeepsFormat() {
  Workbook book;
  enterTyped(book, 0, kCell, QStringLiteral("$89"));
  const uint32_t currency = book.sheet(0).cell(kCell)->format;
  QVERIFY(currency != 0);
  enterTyped(book, 0, kCell, QString());
  QVERIFY(isEmpty(book.sheet(0).cell(kCell)->value));
  QCOMPARE(book.sheet(0).cell(kCell)->format, currency);

  enterTyped(book, 0, {0, 0}, QStringLiteral("=1+1"));
  enterTyped(book, 0, {0, 0}, QString());
  QVERIFY(!book.sheet(0).cell({0, 0}));  // an unformatted cell goes away
}

void TestTypedInput::refusedEntries_data() {
  QTest::addColumn<QString>("typed");
  QTest::newRow("equals sign alone") << "=";
  QTest::newRow("broken formula") << "=1+";
  QTest::newRow("text after formula") << "=SUM(1) x";
  QTest::newRow("open text") << "=\"abc";
}

void TestTypedInput::refusedEntries() {
  QFETCH(QString, typed);
  Workbook book;
  enterTyped(book, 0, kCell, QStringLiteral("before"));
  QVERIFY_THROWS_EXCEPTION(FormulaError, enterTyped(book, 0, kCell, typed));
  QCOMPARE(describeValue(book.sheet(0).cell(kCell)->value), "t:before");
  QVERIFY(!book.sheet(0).cell(kCell)->hasFormula());
}

void TestTypedInput::longestText() {
  Workbook book;
  enterTyped(book, 0, kCell, QString(32767, u'x'));
  QCOMPARE(std::get<QString>(book.sheet(0).cell(kCell)->value).size(), 32767);
  QVERIFY_THROWS_EXCEPTION(Error, enterTyped(book, 0, kCell, QString(32768, u'x')));
  QCOMPARE(std::get<QString>(book.sheet(0).cell(kCell)->value).size(), 32767);
}

// The report's cost column: numbers and number texts count in the total, other texts do not.
void TestTypedInput::totalFollowsEntries() {
  Workbook book;
  const CellRef total{24, 3};  // D25
  book.sheet(0).cellAt(total).formula = formula::parseA1(QStringLiteral("SUM(D3:D24)"), total);
  recalculate(book);
  QCOMPARE(describeValue(book.sheet(0).cell(total)->value), "n:0");
  const QStringList costs = {"$89", "25", "ask mum", "$1,250.50", "'40", "15%"};
  for (int i = 0; i < costs.size(); ++i) enterTyped(book, 0, {2 + i, 3}, costs[i]);
  QCOMPARE(describeValue(book.sheet(0).cell(total)->value), "n:1364.65");
  enterTyped(book, 0, {2, 3}, QString());
  QCOMPARE(describeValue(book.sheet(0).cell(total)->value), "n:1275.65");
  enterTyped(book, 0, {total.row, 4}, QStringLiteral("=R[0]C[-1]*2"));
  QCOMPARE(describeValue(book.sheet(0).cell({total.row, 4})->value), "n:2551.3");
}

QTEST_GUILESS_MAIN(TestTypedInput)
#include "tst_typedinput.moc"
