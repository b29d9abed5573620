// The report template the program carries: what our reader, xlrd and LibreOffice find in it.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include "base/files.h"
#include "report/reportjob.h"
#include "report/reporttemplate.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/workbook.h"
#include "tests/support/testsupport.h"

namespace {

using sheet::LineStyle;

QString writeTemplate(const QTemporaryDir& dir) {
  const QString path = dir.path() + "/template.xlt";
  writeFileAtomically(path, report::templateBytes(), FileAccess::Usual);
  return path;
}

}  // namespace

class TemplateTest : public QObject {
  Q_OBJECT
 private slots:
  void ourReaderSeesTheLayout() {
    const sheet::Workbook book = sheet::readWorkbookBytes(report::templateBytes());
    QVERIFY(book.isTemplate);
    QCOMPARE(book.sheets.size(), size_t(1));
    QVERIFY(book.palette.isStandard());
    const sheet::Worksheet& ws = book.sheet(0);
    QCOMPARE(ws.name(), QStringLiteral("xmas"));
    QCOMPARE(ws.usedRange(), (sheet::Range{0, 0, 24, 19}));
    auto text = [&](int r, int c) {
      const sheet::Cell* cell = ws.cell({r, c});
      return cell && sheet::isText(cell->value) ? std::get<QString>(cell->value) : QString();
    };
    const QStringList titles = {"Family", "Relatives", "Friends", "Knowable people"};
    const QStringList headings = {"Name", "Likes", "Present", "Cost", "Email"};
    for (int block = 0; block < 4; ++block) {
      const int first = 5 * block;
      QCOMPARE(text(0, first), titles[block]);
      QVERIFY(ws.mergeAt({0, first + 4}));
      QCOMPARE(*ws.mergeAt({0, first + 4}), (sheet::Range{0, first, 0, first + 4}));
      for (int i = 0; i < 5; ++i) QCOMPARE(text(1, first + i), headings[i]);
      QCOMPARE(text(24, first + 1), QStringLiteral("Total cost"));
      QCOMPARE(*ws.mergeAt({24, first + 2}), (sheet::Range{24, first + 1, 24, first + 2}));
      const sheet::Cell* total = ws.cell({24, first + 3});
      QVERIFY(total && total->hasFormula());
      QCOMPARE(sheet::formula::toA1(*total->formula, {24, first + 3}),
               QStringLiteral("SUM(%1:%2)")
                   .arg(sheet::a1Name(sheet::CellRef{2, first + 3}),
                        sheet::a1Name(sheet::CellRef{23, first + 3})));
      QCOMPARE(total->value, sheet::Value(0.0));
      QCOMPARE(book.formatOf(0, {0, first}).hAlign, sheet::HAlign::Center);
      QCOMPARE(book.formatOf(0, {24, first + 1}).hAlign, sheet::HAlign::Center);
    }
    // Rows 3..24 wrap; fonts are Calibri 11 except E3, which looks like a link.
    QVERIFY(book.formatOf(0, {2, 0}).wrap);
    QVERIFY(book.formatOf(0, {23, 19}).wrap);
    QVERIFY(!book.formatOf(0, {1, 0}).wrap);
    QCOMPARE(book.formatOf(0, {5, 5}).font.name, QStringLiteral("Calibri"));
    QCOMPARE(book.formatOf(0, {5, 5}).font.heightTwips, uint16_t(220));
    QCOMPARE(book.formatOf(0, {2, 4}).font.underline, sheet::Underline::Single);
    QCOMPARE(book.palette.rgb(book.formatOf(0, {2, 4}).font.colorIndex), 0x0000FFu);
    QCOMPARE(book.formatOf(0, {3, 4}).font.underline, sheet::Underline::None);
    // Fills.
    auto fill = [&](int r, int c) { return book.palette.rgb(book.formatOf(0, {r, c}).fillColor); };
    QCOMPARE(fill(0, 0), 0xFFFF99u);
    QCOMPARE(fill(23, 9), 0x00FF00u);
    QCOMPARE(fill(10, 12), 0xFFCC99u);
    QCOMPARE(fill(1, 19), 0xCCCCFFu);
    QCOMPARE(fill(24, 3), 0xFFFF00u);
    QCOMPARE(fill(24, 8), 0x339966u);
    QCOMPARE(fill(24, 13), 0xFF9900u);
    QCOMPARE(fill(24, 18), 0x333399u);
    QCOMPARE(book.formatOf(0, {24, 1}).pattern, sheet::FillPattern::None);
    // Borders by rule.
    auto f = [&](int r, int c) { return book.formatOf(0, {r, c}); };
    QCOMPARE(f(0, 0).left.style, LineStyle::Medium);  // title outline
    QCOMPARE(f(0, 0).top.style, LineStyle::Medium);
    QCOMPARE(f(0, 4).right.style, LineStyle::Medium);
    QCOMPARE(f(1, 1).bottom.style, LineStyle::Medium);  // below the headings
    QCOMPARE(f(5, 1).left.style, LineStyle::Thin);
    QCOMPARE(f(5, 3).left.style, LineStyle::Medium);  // both sides of Cost
    QCOMPARE(f(5, 3).right.style, LineStyle::Medium);
    QCOMPARE(f(5, 5).left.style, LineStyle::Medium);      // left of F
    QCOMPARE(f(1, 19).right.style, LineStyle::Medium);    // right of T: medium in row 2
    QCOMPARE(f(5, 19).right.style, LineStyle::Thin);      // thin below it
    QCOMPARE(f(5, 0).bottom.style, LineStyle::Thin);      // between entry rows
    QCOMPARE(f(23, 0).bottom.style, LineStyle::Medium);   // below row 24, first blocks
    QCOMPARE(f(23, 15).bottom.style, LineStyle::Thin);    // fourth block
    QCOMPARE(f(23, 18).bottom.style, LineStyle::Medium);  // S24
    QCOMPARE(f(24, 3).bottom.style, LineStyle::Medium);   // total outline
    QCOMPARE(f(24, 3).left.style, LineStyle::Medium);
    QCOMPARE(f(24, 16).top.style, LineStyle::Thin);  // above Q25:R25
    QCOMPARE(f(24, 1).top.style, LineStyle::Medium);
    // Rows, page and window as stored.
    QCOMPARE(ws.rowHeightTwips(0), uint16_t(300));
    QCOMPARE(ws.rowHeightTwips(2), uint16_t(285));
    QCOMPARE(ws.rowHeightTwips(23), uint16_t(300));
    QCOMPARE(ws.page.paperSize, sheet::kPaperLetter);
    QVERIFY(!ws.page.landscape);
    QVERIFY(!ws.page.fitToPage);
    QCOMPARE(ws.page.topMargin, 0.75);
    QCOMPARE(ws.page.headerMargin, 0.3);
    QVERIFY(!book.printArea(0));
    QVERIFY(ws.window.showGridlines);
    QCOMPARE(ws.window.zoomPercent, 80);
  }

  void xlrdSeesTheLayout() {
    if (python3().isEmpty()) QSKIP("no /usr/bin/python3");
    QTemporaryDir dir;
    const QString path = writeTemplate(dir);
    QString out;
    QCOMPARE(runProgram(python3(), {sourcePath("tests/report/xlrd_report.py"), path}, &out), 0);
    const QJsonObject seen = QJsonDocument::fromJson(out.toUtf8()).object();
    QVERIFY2(!seen.isEmpty(), qPrintable(out));
    QCOMPARE(seen["sheets"].toArray(), (QJsonArray{"xmas"}));
    const QJsonObject cells = seen["cells"].toObject();
    auto cell = [&](int r, int c) {
      return cells[QStringLiteral("%1,%2").arg(r).arg(c)].toObject();
    };
    QCOMPARE(cell(0, 15)["value"].toString(), QStringLiteral("Knowable people"));
    QCOMPARE(cell(1, 8)["value"].toString(), QStringLiteral("Cost"));
    QCOMPARE(cell(24, 3)["value"].toDouble(), 0.0);
    QCOMPARE(cell(0, 0)["fill"].toInt(), 43);
    QCOMPARE(cell(24, 18)["fill"].toInt(), 62);
    QCOMPARE(cell(2, 4)["underline"].toInt(), 1);
    QCOMPARE(cell(2, 4)["colour"].toInt(), 12);
    QCOMPARE(cell(5, 5)["font"].toString(), QStringLiteral("Calibri"));
    QCOMPARE(cell(5, 5)["bold"].toInt(), 0);
    QCOMPARE(cell(5, 3)["border"].toArray(), (QJsonArray{2, 2, 1, 1}));
    QCOMPARE(cell(3, 0)["wrap"].toInt(), 1);
    QCOMPARE(cell(0, 0)["halign"].toInt(), 2);
    QCOMPARE(seen["zoom"].toInt(), 80);
    QCOMPARE(seen["rowheights"].toObject()["2"].toInt(), 285);
    QCOMPARE(seen["formulas"].toArray(), (QJsonArray{2, 2, 2, 2}));  // numbers
    const QJsonArray merged = seen["merged"].toArray();
    QCOMPARE(merged.size(), 8);
    QVERIFY(merged.contains(QJsonArray{24, 25, 16, 18}));
  }

  void libreOfficeRecalculatesTheTotals() {
    if (soffice().isEmpty()) QSKIP("LibreOffice (soffice) is not installed: skipped");
    QTemporaryDir dir;
    // The template with numbers typed into the cost columns, saved as a workbook.
    sheet::Workbook book = sheet::readWorkbookBytes(report::templateBytes());
    sheet::enterTyped(book, 0, {2, 3}, QStringLiteral("$89"));
    sheet::enterTyped(book, 0, {3, 3}, QStringLiteral("30"));
    sheet::enterTyped(book, 0, {4, 3}, QStringLiteral("a few pounds"));
    sheet::enterTyped(book, 0, {2, 13}, QStringLiteral("12.5"));
    const QString path = dir.path() + "/filled.xls";
    saveWorkbookFile(book, path);
    QString out;
    const int rc = runProgram(
        soffice(),
        {"--headless", "--norestore", "-env:UserInstallation=file://" + dir.path() + "/profile",
         "--convert-to", "csv", "--outdir", dir.path(), path},
        &out, 180000);
    QCOMPARE(rc, 0);
    QFile csv(dir.path() + "/filled.csv");
    QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(out));
    const QStringList rows = QString::fromUtf8(csv.readAll()).split('\n');
    QVERIFY(rows.size() >= 25);
    const QStringList totals = rows[24].split(',');
    QCOMPARE(totals.value(3), QStringLiteral("119"));  // our total and LibreOffice's agree
    QCOMPARE(std::get<double>(book.sheet(0).cell({24, 3})->value), 119.0);
    QCOMPARE(totals.value(13), QStringLiteral("12.5"));
    QCOMPARE(rows[0].split(',').value(0), QStringLiteral("Family"));
  }
};

QTEST_MAIN(TemplateTest)
#include "tst_template.moc"
