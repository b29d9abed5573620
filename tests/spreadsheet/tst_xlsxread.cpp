// The .xlsx reader's parts: shared strings without their phonetic runs, shared formulas shifted
// to each cell, number formats from cellXfs, and the damage it refuses.
#include <QHash>
#include <QtTest>

#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"
#include "spreadsheet/xlsx/xlsxread.h"

namespace {

// A package of one sheet, with the given worksheet XML, shared strings and styles.
sheet::Workbook read(const QByteArray& sheetXml, const QByteArray& strings = {},
                     const QByteArray& styles = {}) {
  QHash<QString, QByteArray> parts;
  parts["_rels/.rels"] =
      "<Relationships><Relationship Id='a' Type='x/officeDocument' Target='/xl/book.xml'/>"
      "</Relationships>";
  parts["xl/book.xml"] =
      "<workbook xmlns:r='urn:r'><sheets><sheet name='Xmas' r:id='s'/></sheets></workbook>";
  parts["xl/_rels/book.xml.rels"] =
      "<Relationships><Relationship Id='s' Type='x/worksheet' Target='sheets/one.xml'/>"
      "<Relationship Id='t' Type='x/sharedStrings' Target='strings.xml'/>"
      "<Relationship Id='u' Type='x/styles' Target='../xl/styles.xml'/></Relationships>";
  parts["xl/sheets/one.xml"] = "<worksheet><sheetData>" + sheetXml + "</sheetData></worksheet>";
  // Shared strings with a declaration of their own are given whole.
  if (!strings.isEmpty())
    parts["xl/strings.xml"] = strings.startsWith("<!") ? strings : "<sst>" + strings + "</sst>";
  if (!styles.isEmpty()) parts["xl/styles.xml"] = "<styleSheet>" + styles + "</styleSheet>";
  return sheet::readXlsxParts([&](const QString& name) {
    return parts.contains(name) ? std::optional<QByteArray>(parts.value(name)) : std::nullopt;
  });
}

}  // namespace

class XlsxReadTest : public QObject {
  Q_OBJECT
 private slots:
  void cellsFormulasAndFormats();
  void damageIsRefused_data();
  void damageIsRefused();
};

void XlsxReadTest::cellsFormulasAndFormats() {
  const sheet::Workbook book = read(
      "<row r='3'><c r='A3' t='s'><v>0</v></c><c r='D3' s='1'><v>89</v></c>"
      "<c r='E3'><f t='shared' ref='E3:E4' si='0'>D3*2</f><v>178</v></c></row>"
      "<row r='4'><c r='E4'><f t='shared' si='0'/><v>0</v></c><c t='inlineStr'><is><t>x</t></is>"
      "</c></row>",
      "<si><r><t>Ry</t></r><r><t>ka</t></r><rPh><t>ignored</t></rPh></si>",
      "<numFmts count='1'><numFmt numFmtId='164' formatCode='\"$\"#,##0'/></numFmts>"
      "<dxfs><dxf><numFmt numFmtId='164' formatCode='0.0'/></dxf></dxfs>"
      "<cellXfs><xf numFmtId='0'/><xf numFmtId='164'/></cellXfs>");
  const sheet::Worksheet& ws = book.sheet(0);
  QCOMPARE(ws.name(), QStringLiteral("Xmas"));
  QCOMPARE(std::get<QString>(ws.cell({2, 0})->value), QStringLiteral("Ryka"));
  QCOMPARE(std::get<double>(ws.cell({2, 3})->value), 89.0);
  QCOMPARE(book.formatOf(0, {2, 3}).numberFormat, QStringLiteral("\"$\"#,##0"));
  // The follower of a shared formula refers to its own row.
  QCOMPARE(sheet::formula::toA1(*ws.cell({3, 4})->formula, {3, 4}), QStringLiteral("D4*2"));
  QCOMPARE(std::get<QString>(ws.cell({3, 5})->value), QStringLiteral("x"));  // after E4
}

void XlsxReadTest::damageIsRefused_data() {
  QTest::addColumn<QByteArray>("sheetXml");
  QTest::addColumn<QByteArray>("strings");
  QTest::newRow("rows out of order") << QByteArray("<row r='5'/><row r='4'/>") << QByteArray();
  QTest::newRow("cells out of order")
      << QByteArray("<row r='1'><c r='B1'/><c r='A1'/></row>") << QByteArray();
  QTest::newRow("a bad reference") << QByteArray("<row r='1'><c r='A0'/></row>") << QByteArray();
  QTest::newRow("no such text") << QByteArray("<row><c t='s'><v>3</v></c></row>")
                                << QByteArray("<si><t>a</t></si>");
  QTest::newRow("not a number") << QByteArray("<row><c><v>1e999</v></c></row>") << QByteArray();
  QTest::newRow("no such format") << QByteArray("<row><c s='7'><v>1</v></c></row>") << QByteArray();
  QTest::newRow("malformed") << QByteArray("<row><c><v>1</c></row>") << QByteArray();
  QTest::newRow("a DTD") << QByteArray()
                         << QByteArray(
                                "<!DOCTYPE sst [<!ENTITY e 'x'>]><sst><si><t>&e;</t></si></sst>");
}

void XlsxReadTest::damageIsRefused() {
  QFETCH(QByteArray, sheetXml);
  QFETCH(QByteArray, strings);
  QVERIFY_THROWS_EXCEPTION(sheet::FormatError, read(sheetXml, strings));
}

QTEST_GUILESS_MAIN(XlsxReadTest)
#include "tst_xlsxread.moc"
