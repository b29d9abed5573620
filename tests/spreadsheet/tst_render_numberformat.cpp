// Number formats: the text a cell shows for its value.
#include <QtTest>

#include "spreadsheet/render/numberformat.h"

using namespace sheet;

Q_DECLARE_METATYPE(sheet::Value)

class TestNumberFormat : public QObject {
  Q_OBJECT

 private slots:
  void displayText_data();
  void displayText();
  void sectionColours_data();
  void sectionColours();
  void generalInNarrowColumns_data();
  void generalInNarrowColumns();
};

void TestNumberFormat::displayText_data() {
  QTest::addColumn<Value>("value");
  QTest::addColumn<QString>("format");
  QTest::addColumn<QString>("expected");

  const QString general = QStringLiteral("General");
  // The general format: integers without decimals, at most 11 characters, exponent form for
  // numbers that need more.
  QTest::newRow("general zero") << Value(0.0) << general << "0";
  QTest::newRow("general integer") << Value(42.0) << general << "42";
  QTest::newRow("general negative") << Value(-1234.5) << general << "-1234.5";
  QTest::newRow("general third") << Value(1.0 / 3.0) << general << "0.333333333";
  QTest::newRow("general two thirds rounds") << Value(2.0 / 3.0) << general << "0.666666667";
  QTest::newRow("general binary noise") << Value(0.1 + 0.2) << general << "0.3";
  QTest::newRow("general decimals cut") << Value(123456.789123) << general << "123456.7891";
  QTest::newRow("general 11 digits") << Value(12345678901.0) << general << "12345678901";
  QTest::newRow("general 12 digits") << Value(123456789012.0) << general << "1.23457E+11";
  QTest::newRow("general rounds up to 12 digits") << Value(99999999999.9) << general << "1E+11";
  QTest::newRow("general big") << Value(1e20) << general << "1E+20";
  QTest::newRow("general huge") << Value(1e100) << general << "1E+100";
  QTest::newRow("general small") << Value(0.00001) << general << "0.00001";
  QTest::newRow("general tiny") << Value(0.000001) << general << "1E-06";
  QTest::newRow("general small precise") << Value(0.0000123456) << general << "1.23456E-05";
  QTest::newRow("general lower case") << Value(7.0) << "general"
                                      << "7";

  // Fixed decimals, thousands, rounding half away from zero.
  QTest::newRow("0") << Value(1234.5) << "0"
                     << "1235";
  QTest::newRow("0 half") << Value(2.5) << "0"
                          << "3";
  QTest::newRow("0.00") << Value(1234.5) << "0.00"
                        << "1234.50";
  QTest::newRow("0.00 binary half") << Value(1.005) << "0.00"
                                    << "1.01";
  QTest::newRow("0.00 negative") << Value(-0.5) << "0.00"
                                 << "-0.50";
  QTest::newRow("#,##0") << Value(1234.5) << "#,##0"
                         << "1,235";
  QTest::newRow("#,##0 zero") << Value(0.0) << "#,##0"
                              << "0";
  QTest::newRow("#,##0 millions") << Value(-1234567.0) << "#,##0"
                                  << "-1,234,567";
  QTest::newRow("#,##0.00") << Value(1234567.891) << "#,##0.00"
                            << "1,234,567.89";
  QTest::newRow("#,##0, thousands scale") << Value(1234567.0) << "#,##0,"
                                          << "1,235";
  QTest::newRow("leading zeros") << Value(42.0) << "00000"
                                 << "00042";
  QTest::newRow("no integer digit") << Value(0.5) << "#.00"
                                    << ".50";
  QTest::newRow("optional decimals") << Value(1.5) << "0.0#"
                                     << "1.5";
  QTest::newRow("optional decimals used") << Value(1.25) << "0.0#"
                                          << "1.25";

  // Currency with sections, padding and literals.
  QTest::newRow("$#,##0") << Value(1250.0) << "$#,##0"
                          << "$1,250";
  QTest::newRow("$#,##0.00") << Value(1250.5) << "$#,##0.00"
                             << "$1,250.50";
  QTest::newRow("$#,##0 negative") << Value(-5.0) << "$#,##0"
                                   << "-$5";
  QTest::newRow("paren positive") << Value(89.0) << "$#,##0_);($#,##0)"
                                  << "$89 ";
  QTest::newRow("paren negative") << Value(-5.0) << "$#,##0_);($#,##0)"
                                  << "($5)";
  QTest::newRow("paren negative red") << Value(-1250.5) << "$#,##0.00_);[Red]($#,##0.00)"
                                      << "($1,250.50)";
  QTest::newRow("zero section") << Value(0.0) << "0.0;(0.0);\"zero\""
                                << "zero";
  QTest::newRow("quoted literal") << Value(5.0) << "\"Cost: \"0"
                                  << "Cost: 5";
  QTest::newRow("quoted suffix") << Value(1500.0) << "#,##0\" kg\""
                                 << "1,500 kg";
  QTest::newRow("backslash literal") << Value(3.0) << "0\\x"
                                     << "3x";
  QTest::newRow("semicolon in quotes") << Value(3.0) << "0\";\"0"
                                       << "0;3";
  QTest::newRow("currency with locale") << Value(5.0) << "[$\u20ac-407] #,##0.00"
                                        << "\u20ac 5.00";
  const QString accounting = QStringLiteral("_($* #,##0_);_($* (#,##0);_($* \"-\"_);_(@_)");
  QTest::newRow("accounting positive") << Value(1234.0) << accounting << " $1,234 ";
  QTest::newRow("accounting negative") << Value(-1234.0) << accounting << " $(1,234)";
  QTest::newRow("accounting zero") << Value(0.0) << accounting << " $- ";
  QTest::newRow("accounting text") << Value(QStringLiteral("n/a")) << accounting << " n/a ";

  // Percent and exponent.
  QTest::newRow("0%") << Value(0.15) << "0%"
                      << "15%";
  QTest::newRow("0.00%") << Value(0.1234) << "0.00%"
                         << "12.34%";
  QTest::newRow("0% big") << Value(12.5) << "0%"
                          << "1250%";
  QTest::newRow("0.00E+00") << Value(12345.0) << "0.00E+00"
                            << "1.23E+04";
  QTest::newRow("0.00E+00 small") << Value(0.00012) << "0.00E+00"
                                  << "1.20E-04";
  QTest::newRow("0.00E+00 carry") << Value(99999.0) << "0.00E+00"
                                  << "1.00E+05";
  QTest::newRow("##0.0E+0 engineering") << Value(12345.0) << "##0.0E+0"
                                        << "12.3E+3";

  // Dates and times of the 1900 date system.
  QTest::newRow("iso date") << Value(45285.0) << "yyyy-mm-dd"
                            << "2023-12-25";
  QTest::newRow("short month") << Value(45285.0) << "d-mmm-yy"
                               << "25-Dec-23";
  QTest::newRow("long date") << Value(45285.0) << "dddd, mmmm d, yyyy"
                             << "Monday, December 25, 2023";
  QTest::newRow("date and time") << Value(45285.5) << "m/d/yyyy h:mm"
                                 << "12/25/2023 12:00";
  QTest::newRow("minutes before seconds") << Value(0.5 + 61.0 / 86400) << "mm:ss"
                                          << "01:01";
  QTest::newRow("twelve hours") << Value(0.75) << "h:mm AM/PM"
                                << "6:00 PM";
  QTest::newRow("midnight twelve hours") << Value(0.0) << "hh:mm A/P"
                                         << "12:00 A";
  QTest::newRow("leap day 1900") << Value(60.0) << "yyyy-mm-dd"
                                 << "1900-02-29";
  QTest::newRow("after leap day") << Value(61.0) << "yyyy-mm-dd ddd"
                                  << "1900-03-01 Thu";
  QTest::newRow("negative date") << Value(-1.0) << "d-mmm"
                                 << "##########";

  // Text, booleans, errors and empty cells.
  QTest::newRow("text in number format") << Value(QStringLiteral("abc")) << "0.00"
                                         << "abc";
  QTest::newRow("text section") << Value(QStringLiteral("abc")) << "0;0;0;\"[\"@\"]\""
                                << "[abc]";
  QTest::newRow("@ with text") << Value(QStringLiteral("abc")) << "@"
                               << "abc";
  QTest::newRow("@ with number") << Value(42.0) << "@"
                                 << "42";
  QTest::newRow("true") << Value(true) << "0.00"
                        << "TRUE";
  QTest::newRow("false") << Value(false) << general << "FALSE";
  QTest::newRow("div0") << Value(ErrorCode::Div0) << "$#,##0"
                        << "#DIV/0!";
  QTest::newRow("n/a") << Value(ErrorCode::NA) << general << "#N/A";
  QTest::newRow("empty") << Value(Empty{}) << "0.00"
                         << "";
}

void TestNumberFormat::displayText() {
  QFETCH(Value, value);
  QFETCH(QString, format);
  QFETCH(QString, expected);
  QCOMPARE(sheet::displayText(value, format), expected);
}

void TestNumberFormat::sectionColours_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<QString>("format");
  QTest::addColumn<int>("colorIndex");  // -1: the font's own colour

  QTest::newRow("plain") << -5.0 << "0" << -1;
  QTest::newRow("negative red") << -5.0 << "0;[Red]-0" << 10;
  QTest::newRow("positive of red negative") << 5.0 << "0;[Red]-0" << -1;
  QTest::newRow("single blue section") << 5.0 << "[Blue]0" << 12;
  QTest::newRow("color number") << 5.0 << "[Color10]0" << 17;
  QTest::newRow("zero green") << 0.0 << "0;0;[Green]0" << 11;
}

void TestNumberFormat::sectionColours() {
  QFETCH(double, value);
  QFETCH(QString, format);
  QFETCH(int, colorIndex);
  const FormattedValue f = formatValue(Value(value), format);
  QCOMPARE(f.colorIndex ? int(*f.colorIndex) : -1, colorIndex);
  QVERIFY(!f.text.contains(u'['));
}

void TestNumberFormat::generalInNarrowColumns_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<int>("maxChars");
  QTest::addColumn<QString>("expected");

  QTest::newRow("drops decimals") << 123456.789 << 6 << "123457";
  QTest::newRow("keeps some decimals") << 0.123456 << 4 << "0.12";
  QTest::newRow("integer to exponent") << 1234567.0 << 5 << "1E+06";
  QTest::newRow("exponent with digits") << 12345678.0 << 7 << "1.2E+07";
  QTest::newRow("sign not counted") << -0.5 << 3 << "-0.5";
  QTest::newRow("nothing fits") << 1234567.0 << 3 << "";
}

void TestNumberFormat::generalInNarrowColumns() {
  QFETCH(double, value);
  QFETCH(int, maxChars);
  QFETCH(QString, expected);
  QCOMPARE(generalNumber(value, maxChars), expected);
}

QTEST_APPLESS_MAIN(TestNumberFormat)
#include "tst_render_numberformat.moc"
