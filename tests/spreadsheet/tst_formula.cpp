// Formulas: parsing in both notations and printing back, evaluation by spreadsheet rules,
// BIFF8 tokens, recalculation order and circular references.
#include <QtTest>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"
#include "tests/support/enginesupport.h"

using namespace sheet;

namespace {

QString hex(const std::vector<uint8_t>& bytes) {
  QStringList parts;
  for (uint8_t b : bytes) parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
  return parts.join(u' ');
}

std::vector<uint8_t> bytes(const QString& hexText) {
  std::vector<uint8_t> out;
  for (const QString& part : hexText.split(u' ', Qt::SkipEmptyParts))
    out.push_back(static_cast<uint8_t>(part.toUInt(nullptr, 16)));
  return out;
}

CellRef at(const QString& a1) {
  return parseA1Range(a1)->topLeft();
}

void setFormula(Workbook& book, const QString& a1Cell, const QString& a1Formula) {
  const CellRef c = at(a1Cell);
  book.sheet(0).cellAt(c).formula = formula::parseA1(a1Formula, c);
}

}  // namespace

class TestFormula : public QObject {
  Q_OBJECT

 private slots:
  void notations_data();
  void notations();
  void refused_data();
  void refused();
  void nestingLimit();
  void evaluation_data();
  void evaluation();
  void biffBytes_data();
  void biffBytes();
  void biffRoundTrip_data();
  void biffRoundTrip();
  void biffMalformed_data();
  void biffMalformed();
  void biffOversized();
  void recalculationOrder();
  void circularReferences_data();
  void circularReferences();
};

// R1C1 text typed in a cell, the cell, its A1 form, and the R1C1 form printed back.
void TestFormula::notations_data() {
  QTest::addColumn<QString>("r1c1");
  QTest::addColumn<QString>("host");
  QTest::addColumn<QString>("a1");
  QTest::addColumn<QString>("printed");
  QTest::newRow("template total") << "SUM(R[-22]C:R[-1]C)"
                                  << "D25"
                                  << "SUM(D3:D24)"
                                  << "SUM(R[-22]C:R[-1]C)";
  QTest::newRow("lower case") << "sum(r3c4:r5c6)"
                              << "A1"
                              << "SUM($D$3:$F$5)"
                              << "SUM(R3C4:R5C6)";
  QTest::newRow("own cell") << "RC"
                            << "B2"
                            << "B2"
                            << "RC";
  QTest::newRow("offsets") << "R[-1]C[2]"
                           << "C5"
                           << "E4"
                           << "R[-1]C[2]";
  QTest::newRow("mixed") << "R1C[1]+R[1]C1"
                         << "B2"
                         << "C$1+$A3"
                         << "R1C[1]+R[1]C1";
  QTest::newRow("whole row") << "SUM(R3)"
                             << "A1"
                             << "SUM($3:$3)"
                             << "SUM(R3)";
  QTest::newRow("relative row") << "SUM(R[1])"
                                << "A2"
                                << "SUM(3:3)"
                                << "SUM(R[1])";
  QTest::newRow("current row") << "COUNT(R)"
                               << "D5"
                               << "COUNT(5:5)"
                               << "COUNT(R)";
  QTest::newRow("row band") << "SUM(R3:R5)"
                            << "A1"
                            << "SUM($3:$5)"
                            << "SUM(R3:R5)";
  QTest::newRow("whole column") << "SUM(C4)"
                                << "A1"
                                << "SUM($D:$D)"
                                << "SUM(C4)";
  QTest::newRow("column before") << "SUM(C[-1])"
                                 << "C1"
                                 << "SUM(B:B)"
                                 << "SUM(C[-1])";
  QTest::newRow("column band") << "SUM(C1:C3)"
                               << "E1"
                               << "SUM($A:$C)"
                               << "SUM(C1:C3)";
  QTest::newRow("reversed corners") << "SUM(R[-1]C[1]:R3C1)"
                                    << "B5"
                                    << "SUM($A$3:C4)"
                                    << "SUM(R3C1:R[-1]C[1])";
  QTest::newRow("precedence") << "1+2*3-4/5"
                              << "A1"
                              << "1+2*3-4/5"
                              << "1+2*3-4/5";
  QTest::newRow("parentheses") << "(1+2)*3"
                               << "A1"
                               << "(1+2)*3"
                               << "(1+2)*3";
  QTest::newRow("unary and power") << "-2^-2"
                                   << "A1"
                                   << "-2^-2"
                                   << "-2^-2";
  QTest::newRow("percent") << "15%*R1C1"
                           << "B1"
                           << "15%*$A$1"
                           << "15%*R1C1";
  QTest::newRow("text") << "\"say \"\"hi\"\"\"&\"!\""
                        << "A1"
                        << "\"say \"\"hi\"\"\"&\"!\""
                        << "\"say \"\"hi\"\"\"&\"!\"";
  QTest::newRow("booleans") << "true<>FALSE"
                            << "A1"
                            << "TRUE<>FALSE"
                            << "TRUE<>FALSE";
  QTest::newRow("errors") << "#n/a&#DIV/0!"
                          << "A1"
                          << "#N/A&#DIV/0!"
                          << "#N/A&#DIV/0!";
  QTest::newRow("comparisons") << "1<=2=(3>=4)"
                               << "A1"
                               << "1<=2=(3>=4)"
                               << "1<=2=(3>=4)";
  QTest::newRow("blanks") << "  1 +  2 "
                          << "A1"
                          << "1+2"
                          << "1+2";
  QTest::newRow("numbers") << "0.1+1E+20+.5+2.50"
                           << "A1"
                           << "0.1+1E+20+0.5+2.5"
                           << "0.1+1E+20+0.5+2.5";
  QTest::newRow("large and small numbers") << "100000*0.00001+1E+15+1e-7"
                                           << "A1"
                                           << "100000*0.00001+1E+15+1E-07"
                                           << "100000*0.00001+1E+15+1E-07";
  QTest::newRow("if") << "IF(RC[-1]>=10,\"big\",\"small\")"
                      << "C3"
                      << "IF(B3>=10,\"big\",\"small\")"
                      << "IF(RC[-1]>=10,\"big\",\"small\")";
  QTest::newRow("omitted argument") << "ROUND(R1C1,)"
                                    << "B1"
                                    << "ROUND($A$1,)"
                                    << "ROUND(R1C1,)";
  QTest::newRow("unknown function") << "Foo(1,2)"
                                    << "A1"
                                    << "FOO(1,2)"
                                    << "FOO(1,2)";
  QTest::newRow("unknown name") << "A1"
                                << "B1"
                                << "A1"
                                << "A1";
  QTest::newRow("function name not a ref") << "ROUND(R2C2,1)"
                                           << "A1"
                                           << "ROUND($B$2,1)"
                                           << "ROUND(R2C2,1)";
  QTest::newRow("wraps over the top") << "R[-1]C"
                                      << "A1"
                                      << "A65536"
                                      << "R[-1]C";
}

void TestFormula::notations() {
  QFETCH(QString, r1c1);
  QFETCH(QString, host);
  QFETCH(QString, a1);
  QFETCH(QString, printed);
  const CellRef cell = at(host);
  auto f = formula::parseR1C1(r1c1, cell);
  QCOMPARE(formula::toA1(*f, cell), a1);
  QCOMPARE(formula::toR1C1(*f, cell), printed);
  // Back from A1 notation; in A1 notation "A1" is a cell, not a name, and A65536 seen from A1
  // is 65535 rows down, not one up.
  if (r1c1 != u"A1" && r1c1 != u"R[-1]C") {
    auto g = formula::parseA1(a1, cell);
    QCOMPARE(formula::toR1C1(*g, cell), printed);
    QCOMPARE(formula::toA1(*g, cell), a1);
  }
}

void TestFormula::refused_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("r1c1");
  QTest::newRow("empty") << "" << true;
  QTest::newRow("blank") << "   " << true;
  QTest::newRow("dangling operator") << "1+" << true;
  QTest::newRow("open parenthesis") << "(1+2" << true;
  QTest::newRow("extra parenthesis") << "1+2)" << true;
  QTest::newRow("open text") << "\"abc" << true;
  QTest::newRow("open call") << "SUM(1,2" << true;
  QTest::newRow("unknown error") << "#FOO!" << true;
  QTest::newRow("too few arguments") << "ROUND(1)" << true;
  QTest::newRow("too many arguments") << "NOT(1,2)" << true;
  QTest::newRow("no arguments") << "SUM()" << true;
  QTest::newRow("exponent missing") << "1e+" << true;
  QTest::newRow("two values") << "1 2" << true;
  QTest::newRow("second equals sign") << "=1" << true;
  QTest::newRow("mixed range") << "R3C4:C5" << true;
  QTest::newRow("offset outside sheet") << "R[70000]C" << true;
  QTest::newRow("long text") << "\"" + QString(256, u'a') + "\"" << true;
  QTest::newRow("too long") << "1" + QString("+1").repeated(4096) << true;
  QTest::newRow("A1 half range") << "A1:" << false;
  QTest::newRow("A1 column and cell") << "A:B3" << false;
  QTest::newRow("A1 stray dollar") << "$" << false;
}

void TestFormula::refused() {
  QFETCH(QString, text);
  QFETCH(bool, r1c1);
  try {
    if (r1c1) {
      formula::parseR1C1(text, {0, 0});
    } else {
      formula::parseA1(text, {0, 0});
    }
    QFAIL("accepted");
  } catch (const FormulaError& e) {
    QVERIFY2(QString::fromUtf8(e.what()).startsWith("The formula contains an error: "), e.what());
  }
}

void TestFormula::nestingLimit() {
  auto nested = [](int depth) { return QString(depth, u'(') + "1" + QString(depth, u')'); };
  QCOMPARE(formula::toA1(*formula::parseR1C1(nested(255), {}), {}), nested(255));
  QVERIFY_THROWS_EXCEPTION(FormulaError, formula::parseR1C1(nested(256), {}));
  QVERIFY_THROWS_EXCEPTION(FormulaError, formula::parseR1C1(nested(10000), {}));
  QVERIFY_THROWS_EXCEPTION(FormulaError, formula::parseR1C1(QString(5000, u'-') + "1", {}));
  QString calls = QString("ABS(").repeated(300) + "1" + QString(300, u')');
  QVERIFY_THROWS_EXCEPTION(FormulaError, formula::parseR1C1(calls, {}));
  QVERIFY_THROWS_EXCEPTION(FormulaError, formula::parseR1C1(QString(1 << 20, u'('), {}));
  // A long flat sum stays within the limits.
  const QString sum = "1" + QString("+1").repeated(999);
  Workbook book;
  QCOMPARE(describeValue(formula::evaluate(book, 0, {}, *formula::parseR1C1(sum, {}))), "n:1000");
}

// Formulas in A1 notation evaluated in C1 of a sheet holding:
//   A1 1, A2 2, A3 "3" (text), A4 "abc", A5 TRUE, A6 empty, A7 4.5, B1 "Hello", B2 "hello".
void TestFormula::evaluation_data() {
  QTest::addColumn<QString>("formula");
  QTest::addColumn<QString>("expected");
  QTest::newRow("sum skips text and booleans in ranges") << "SUM(A1:A7)"
                                                         << "n:7.5";
  QTest::newRow("sum of a text cell") << "SUM(A3)"
                                      << "n:0";
  QTest::newRow("sum converts direct text") << "SUM(\"3\",1)"
                                            << "n:4";
  QTest::newRow("sum counts direct booleans") << "SUM(TRUE,1)"
                                              << "n:2";
  QTest::newRow("sum of direct word") << "SUM(\"abc\")"
                                      << "e:#VALUE!";
  QTest::newRow("sum of whole column") << "SUM(A:A)"
                                       << "n:7.5";
  QTest::newRow("sum of whole rows") << "SUM(1:2)"
                                     << "n:3";
  QTest::newRow("average") << "AVERAGE(A1:A7)"
                           << "n:2.5";
  QTest::newRow("average of nothing") << "AVERAGE(A6)"
                                      << "e:#DIV/0!";
  QTest::newRow("min") << "MIN(A1:A7,5)"
                       << "n:1";
  QTest::newRow("max") << "MAX(A1:A7)"
                       << "n:4.5";
  QTest::newRow("max of nothing") << "MAX(A6,A4)"
                                  << "n:0";
  QTest::newRow("count") << "COUNT(A1:A7,\"7\",TRUE,\"x\")"
                         << "n:5";
  QTest::newRow("counta") << "COUNTA(A1:A7)"
                          << "n:6";
  QTest::newRow("number text in arithmetic") << "A3+1"
                                             << "n:4";
  QTest::newRow("literal number text") << "\"3\"+1"
                                       << "n:4";
  QTest::newRow("currency text in arithmetic") << "1+\"$5\""
                                               << "n:6";
  QTest::newRow("word in arithmetic") << "A4+1"
                                      << "e:#VALUE!";
  QTest::newRow("empty cell is zero") << "A6+1"
                                      << "n:1";
  QTest::newRow("boolean in arithmetic") << "A5+1"
                                         << "n:2";
  QTest::newRow("division by zero") << "1/0"
                                    << "e:#DIV/0!";
  QTest::newRow("division by empty") << "A1/A6"
                                     << "e:#DIV/0!";
  QTest::newRow("errors go left first") << "1/0+#N/A"
                                        << "e:#DIV/0!";
  QTest::newRow("error propagates") << "SUM(#N/A,1)"
                                    << "e:#N/A";
  QTest::newRow("unary minus before power") << "-2^2"
                                            << "n:4";
  QTest::newRow("power left to right") << "2^3^2"
                                       << "n:64";
  QTest::newRow("percent") << "50%*A1"
                           << "n:0.5";
  QTest::newRow("zero to zero") << "0^0"
                                << "e:#NUM!";
  QTest::newRow("root of negative") << "(-8)^0.5"
                                    << "e:#NUM!";
  QTest::newRow("overflow") << "1E+300*1E+300"
                            << "e:#NUM!";
  QTest::newRow("concatenation") << "A1&A6&\"x\"&A5"
                                 << "t:1xTRUE";
  QTest::newRow("number as text") << "1/4&\"|\"&1/3"
                                  << "t:0.25|0.333333333333333";
  QTest::newRow("text compare ignores case") << "B1=B2"
                                             << "b:TRUE";
  QTest::newRow("text order") << "\"a\"<\"B\""
                              << "b:TRUE";
  QTest::newRow("numbers before text") << "1E+100<\"a\""
                                       << "b:TRUE";
  QTest::newRow("text before booleans") << "\"z\"<FALSE"
                                        << "b:TRUE";
  QTest::newRow("empty equals zero") << "A6=0"
                                     << "b:TRUE";
  QTest::newRow("empty equals empty text") << "A6=\"\""
                                           << "b:TRUE";
  QTest::newRow("round half up") << "ROUND(2.5,0)"
                                 << "n:3";
  QTest::newRow("round half away from zero") << "ROUND(-2.5,0)"
                                             << "n:-3";
  QTest::newRow("round decimal digits") << "ROUND(2.675,2)"
                                        << "n:2.68";
  QTest::newRow("round to hundreds") << "ROUND(1250,-2)"
                                     << "n:1300";
  QTest::newRow("round digits truncated") << "ROUND(1.55,1.9)"
                                          << "n:1.6";
  QTest::newRow("int floors") << "INT(-1.5)"
                              << "n:-2";
  QTest::newRow("abs") << "ABS(-3)"
                       << "n:3";
  QTest::newRow("if true") << "IF(A1>0,\"pos\",\"neg\")"
                           << "t:pos";
  QTest::newRow("if without else") << "IF(A6,1)"
                                   << "b:FALSE";
  QTest::newRow("if omitted branch") << "IF(TRUE,,1)"
                                     << "n:0";
  QTest::newRow("if error condition") << "IF(1/0,1,2)"
                                      << "e:#DIV/0!";
  QTest::newRow("if only evaluates its branch") << "IF(TRUE,1,1/0)"
                                                << "n:1";
  QTest::newRow("if text condition") << "IF(\"maybe\",1,2)"
                                     << "e:#VALUE!";
  QTest::newRow("and") << "AND(TRUE,1,A1:A5)"
                       << "b:TRUE";
  QTest::newRow("or") << "OR(FALSE,0)"
                      << "b:FALSE";
  QTest::newRow("and of texts only") << "AND(A4)"
                                     << "e:#VALUE!";
  QTest::newRow("not") << "NOT(0)"
                       << "b:TRUE";
  QTest::newRow("len") << "LEN(\"abc\")"
                       << "n:3";
  QTest::newRow("len of number") << "LEN(1/4)"
                                 << "n:4";
  QTest::newRow("concatenate") << "CONCATENATE(\"a\",1,TRUE,A6)"
                               << "t:a1TRUE";
  QTest::newRow("upper") << "UPPER(B2)"
                         << "t:HELLO";
  QTest::newRow("lower") << "lower(B1)"
                         << "t:hello";
  QTest::newRow("unknown function") << "FOO(1)"
                                    << "e:#NAME?";
  QTest::newRow("unknown name") << "foo+1"
                                << "e:#NAME?";
  QTest::newRow("empty cell result") << "A6"
                                     << "n:0";
  QTest::newRow("text cell result") << "A4"
                                    << "t:abc";
  QTest::newRow("column range in a row") << "A1:A2"
                                         << "n:1";
  QTest::newRow("range outside its row") << "A2:A3"
                                         << "e:#VALUE!";
}

void TestFormula::evaluation() {
  QFETCH(QString, formula);
  QFETCH(QString, expected);
  Workbook book;
  Worksheet& ws = book.sheet(0);
  ws.cellAt(at("A1")).value = 1.0;
  ws.cellAt(at("A2")).value = 2.0;
  ws.cellAt(at("A3")).value = QStringLiteral("3");
  ws.cellAt(at("A4")).value = QStringLiteral("abc");
  ws.cellAt(at("A5")).value = true;
  ws.cellAt(at("A7")).value = 4.5;
  ws.cellAt(at("B1")).value = QStringLiteral("Hello");
  ws.cellAt(at("B2")).value = QStringLiteral("hello");
  const CellRef host = at("C1");
  QCOMPARE(describeValue(formula::evaluate(book, 0, host, *formula::parseA1(formula, host))),
           expected);
}

// Cell formulas as BIFF8 tokens, byte for byte.
void TestFormula::biffBytes_data() {
  QTest::addColumn<QString>("formula");
  QTest::addColumn<QString>("host");
  QTest::addColumn<QString>("tokens");
  QTest::newRow("template total") << "SUM(D3:D24)"
                                  << "D25"
                                  << "25 02 00 17 00 03 C0 03 C0 42 01 04 00";
  QTest::newRow("absolute ref plus int") << "$A$1+1"
                                         << "B1"
                                         << "44 00 00 00 00 1E 01 00 03";
  QTest::newRow("mixed ref") << "A$1*B2"
                             << "C3"
                             << "44 00 00 00 40 44 01 00 01 C0 05";
  QTest::newRow("fixed function") << "ROUND(1.5,0)"
                                  << "A1"
                                  << "1F 00 00 00 00 00 00 F8 3F 1E 00 00 41 1B 00";
  QTest::newRow("text") << "\"ab\""
                        << "A1"
                        << "17 02 00 61 62";
  QTest::newRow("wide text") << "\"\u20AC\""
                             << "A1"
                             << "17 01 01 AC 20";
  QTest::newRow("unary, percent, paren") << "-(5%)"
                                         << "A1"
                                         << "1E 05 00 14 15 13";
  QTest::newRow("bool and error") << "IF(TRUE,#N/A)"
                                  << "A1"
                                  << "1D 01 1C 2A 42 02 01 00";
  QTest::newRow("whole columns") << "COUNTA(A:C)"
                                 << "E1"
                                 << "25 00 00 FF FF 00 40 02 40 42 01 A9 00";
  QTest::newRow("whole rows") << "SUM($3:$5)"
                              << "A1"
                              << "25 02 00 04 00 00 00 FF 00 42 01 04 00";
  QTest::newRow("omitted argument") << "ROUND(1,)"
                                    << "A1"
                                    << "1E 01 00 16 41 1B 00";
  QTest::newRow("comparison") << "A1<>\"\""
                              << "B1"
                              << "44 00 00 00 C0 17 00 00 0E";
  QTest::newRow("unknown function") << "FOO(1)"
                                    << "A1"
                                    << "1C 1D";
}

void TestFormula::biffBytes() {
  QFETCH(QString, formula);
  QFETCH(QString, host);
  QFETCH(QString, tokens);
  const CellRef cell = at(host);
  QCOMPARE(hex(formula::encodeBiff(*formula::parseA1(formula, cell), cell)), tokens);
}

void TestFormula::biffRoundTrip_data() {
  QTest::addColumn<QString>("formula");
  QTest::addColumn<QString>("host");
  QTest::newRow("sum") << "SUM(D3:D24)"
                       << "D25";
  QTest::newRow("everything")
      << "IF(AND(A1>=1,OR(B2<>\"x\",NOT(C3))),-A1^2%,CONCATENATE(\"a\",LEN(B2)))"
      << "E5";
  QTest::newRow("aggregates") << "AVERAGE($A$1:B2)+MIN(1:2)+MAX(C:D)+COUNT(A1,2.5)+COUNTA(A1)"
                              << "F9";
  QTest::newRow("numbers") << "0.1+123456789+65535+65536+1E+300+0"
                           << "A1";
  QTest::newRow("functions") << "ROUND(ABS(INT(-2.5)),1)&UPPER(\"x\")&LOWER(\"Y\")"
                             << "A1";
  QTest::newRow("comparisons") << "(1<2)+(1<=2)+(1=2)+(1>=2)+(1>2)+(1<>2)"
                               << "A1";
  QTest::newRow("far cell") << "IV65536-$IV$65536"
                            << "A1";
  QTest::newRow("errors") << "#NULL!&#DIV/0!&#VALUE!&#REF!&#NAME?&#NUM!&#N/A"
                          << "B3";
}

void TestFormula::biffRoundTrip() {
  QFETCH(QString, formula);
  QFETCH(QString, host);
  const CellRef cell = at(host);
  const auto tokens = formula::encodeBiff(*formula::parseA1(formula, cell), cell);
  const auto back = formula::decodeBiff(tokens.data(), tokens.size(), cell);
  QCOMPARE(formula::toA1(*back, cell), formula);
  QCOMPARE(formula::encodeBiff(*back, cell), tokens);
}

void TestFormula::biffMalformed_data() {
  QTest::addColumn<QString>("tokens");
  QTest::newRow("nothing") << "";
  QTest::newRow("operator alone") << "03";
  QTest::newRow("cut integer") << "1E 01";
  QTest::newRow("cut number") << "1F 00 00 00";
  QTest::newRow("cut text") << "17 05 00 61 62";
  QTest::newRow("cut wide text") << "17 02 01 61 00 62";
  QTest::newRow("cut reference") << "44 00 00 00";
  QTest::newRow("cut area") << "25 02 00 17 00 03 C0 03";
  QTest::newRow("cut function") << "1E 01 00 42 01 04";
  QTest::newRow("two values") << "1E 01 00 1E 02 00";
  QTest::newRow("missing arguments") << "1E 01 00 42 03 04 00";
  QTest::newRow("sum without arguments") << "42 00 04 00";
  QTest::newRow("unknown function") << "1E 01 00 41 99 01";
  QTest::newRow("unknown error code") << "1C 55";
  QTest::newRow("unknown token") << "FF";
  QTest::newRow("shared formula") << "01 00 00 00 00";
  QTest::newRow("3-D reference") << "3A 00 00 00 00 00 00";
  QTest::newRow("cut jump table") << "1E 01 00 19 04 05 00 00 00";
  QTest::newRow("infinite number") << "1F 00 00 00 00 00 00 F0 7F";
}

void TestFormula::biffMalformed() {
  QFETCH(QString, tokens);
  const auto data = bytes(tokens);
  QVERIFY_THROWS_EXCEPTION(FormatError, formula::decodeBiff(data.data(), data.size(), {}));
}

void TestFormula::biffOversized() {
  // 30,000 numbers and 29,999 additions: more than a 16-bit token length can hold.
  std::vector<uint8_t> data = {0x1E, 0x01, 0x00};
  for (int i = 0; i < 29999; ++i) data.insert(data.end(), {0x1E, 0x01, 0x00, 0x03});
  QVERIFY(data.size() > 0xFFFF);
  QVERIFY_THROWS_EXCEPTION(FormatError, formula::decodeBiff(data.data(), data.size(), {}));
  // Within the length, a chain deeper than the engine evaluates is refused as well.
  data.resize(3 + 4 * 2000);
  QVERIFY_THROWS_EXCEPTION(FormatError, formula::decodeBiff(data.data(), data.size(), {}));
  data.resize(3 + 4 * 1000);
  Workbook book;
  QCOMPARE(describeValue(
               formula::evaluate(book, 0, {}, *formula::decodeBiff(data.data(), data.size(), {}))),
           "n:1001");
}

void TestFormula::recalculationOrder() {
  // A chain written bottom to top: A1 = A2 + 1, ..., A4999 = A5000 + 1, A5000 = 1.
  Workbook book;
  const int n = 5000;
  for (int r = 0; r < n - 1; ++r)
    book.sheet(0).cellAt({r, 0}).formula = formula::parseR1C1("R[1]C+1", {r, 0});
  book.sheet(0).cellAt({n - 1, 0}).formula = formula::parseR1C1("1", {n - 1, 0});
  recalculate(book);
  QCOMPARE(describeValue(book.sheet(0).cell({0, 0})->value), QString("n:%1").arg(n));

  // A total follows a change of its cells, also through another formula.
  setFormula(book, "D25", "SUM(D3:D24)");
  setFormula(book, "E25", "D25*2");
  book.sheet(0).cellAt(at("D3")).value = 89.0;
  book.sheet(0).cellAt(at("D4")).value = QStringLiteral("n/a");
  book.sheet(0).cellAt(at("D24")).value = 11.0;
  recalculate(book);
  QCOMPARE(describeValue(book.sheet(0).cell(at("D25"))->value), "n:100");
  QCOMPARE(describeValue(book.sheet(0).cell(at("E25"))->value), "n:200");
  book.sheet(0).cellAt(at("D3")).value = 1.0;
  recalculate(book);
  QCOMPARE(describeValue(book.sheet(0).cell(at("E25"))->value), "n:24");
}

// Formulas set in A1 notation; every cell of a circle shows 0, cells that read it go on.
void TestFormula::circularReferences_data() {
  QTest::addColumn<QStringList>("cells");
  QTest::addColumn<QStringList>("formulas");
  QTest::addColumn<QStringList>("expected");
  QTest::newRow("self") << QStringList{"A1"} << QStringList{"A1+1"} << QStringList{"n:0"};
  QTest::newRow("pair and reader")
      << QStringList{"A1", "B1", "C1"} << QStringList{"B1+1", "A1+1", "A1+5"}
      << QStringList{"n:0", "n:0", "n:5"};
  QTest::newRow("range holding itself")
      << QStringList{"A5", "A1"} << QStringList{"SUM(A:A)", "2"} << QStringList{"n:0", "n:2"};
  QTest::newRow("long circle") << QStringList{"A1", "A2", "A3", "A4"}
                               << QStringList{"A2", "A3", "A4", "A1*2"}
                               << QStringList{"n:0", "n:0", "n:0", "n:0"};
}

void TestFormula::circularReferences() {
  QFETCH(QStringList, cells);
  QFETCH(QStringList, formulas);
  QFETCH(QStringList, expected);
  Workbook book;
  for (int i = 0; i < cells.size(); ++i) setFormula(book, cells[i], formulas[i]);
  recalculate(book);
  for (int i = 0; i < cells.size(); ++i)
    QCOMPARE(describeValue(book.sheet(0).cell(at(cells[i]))->value), expected[i]);
}

QTEST_GUILESS_MAIN(TestFormula)
#include "tst_formula.moc"
