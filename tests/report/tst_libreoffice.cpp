// Workbooks written by the engine as LibreOffice (headless, private profile) reads them: the
// texts and the totals it recalculates (csv), and the printout its page set-up gives (pdf).
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "report/reporttemplate.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"
#include "tests/support/testsupport.h"

using namespace sheet;

namespace {

using Grid = QList<QStringList>;

// A csv line into fields (quoted fields may hold commas and doubled quotes).
QStringList csvFields(const QString& line) {
  QStringList out;
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line.at(i);
    if (quoted) {
      if (c == u'"' && i + 1 < line.size() && line.at(i + 1) == u'"') {
        field += u'"';
        ++i;
      } else if (c == u'"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == u'"') {
      quoted = true;
    } else if (c == u',') {
      out << field;
      field.clear();
    } else {
      field += c;
    }
  }
  out << field;
  return out;
}

// The report template, filled as a report run fills it.
Workbook reportBook() {
  Workbook b = reporttemplate::build();
  b.isTemplate = false;  // saved as a workbook
  b.sheet(0).setName("Xmas");
  const char* titles[] = {"Family", "Relatives", "Friends", "Knowable people"};
  for (int block = 0; block < 4; ++block) {
    b.sheet(0).cellAt({0, block * 5}).value = QString::fromLatin1(titles[block]);
    b.sheet(0).merge({0, block * 5, 0, block * 5 + 4});
    b.sheet(0).cellAt({24, block * 5 + 1}).value = QStringLiteral("Total cost");
    const int cost = block * 5 + 3;
    const CellRef total{24, cost};
    b.sheet(0).cellAt(total).formula = formula::parseA1(
        QStringLiteral("SUM(%1:%2)").arg(a1Name(CellRef{2, cost}), a1Name(CellRef{23, cost})),
        total);
  }
  const QStringList costs{"25", "$12.50", "n/a", "1,250.75", "-5", "15%", "", "0.1"};
  for (int i = 0; i < costs.size(); ++i) {
    enterTyped(b, 0, {2 + i, 0}, QStringLiteral("Person %1").arg(i));
    enterTyped(b, 0, {2 + i, 3}, costs[i]);
    enterTyped(b, 0, {2 + i, 8}, QString::number(i * 7));
  }
  enterTyped(b, 0, {2, 5}, QString::fromUtf8("Ёлка, 圣诞, 🎄"));
  enterTyped(b, 0, {3, 14}, "=R[-1]C[-1]*2");
  enterTyped(b, 0, {2, 13}, "40");
  recalculate(b);
  return b;
}

}  // namespace

class TestLibreOfficeReader : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void csvTextsAndRecalculatedTotals();
  void pdfPages_data();
  void pdfPages();

 private:
  // Converts with soffice; returns the converted file's path.
  QString convert(const QString& file, const QString& format);
  QTemporaryDir dir_;
};

void TestLibreOfficeReader::initTestCase() {
  if (soffice().isEmpty())
    QSKIP("LibreOffice (soffice) is not installed: LibreOffice checks skipped");
  QVERIFY(dir_.isValid());
}

QString TestLibreOfficeReader::convert(const QString& file, const QString& format) {
  const QString out = dir_.filePath("out");
  QDir().mkpath(out);
  QString log;
  const int code = runProgram(
      soffice(),
      {"--headless", "--norestore",
       "-env:UserInstallation=" + QUrl::fromLocalFile(dir_.filePath("profile")).toString(),
       "--convert-to", format, "--outdir", out, file},
      &log, 180000);
  const QString converted =
      out + '/' + QFileInfo(file).completeBaseName() + '.' + format.section(':', 0, 0);
  if (code != 0 || !QFile::exists(converted)) qWarning().noquote() << log;
  return converted;
}

void TestLibreOfficeReader::csvTextsAndRecalculatedTotals() {
  const Workbook book = reportBook();
  const QString path = dir_.filePath("report.xls");
  saveWorkbookFile(book, path);
  // 44 = comma, 34 = quote, 76 = UTF-8.
  QFile csv(convert(path, "csv:Text - txt - csv (StarCalc):44,34,76"));
  QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(csv.fileName()));
  Grid grid;
  for (const QString& line : QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts))
    grid << csvFields(line.trimmed());
  QVERIFY(grid.size() >= 25);
  auto at = [&](int r, int c) { return c < grid[r].size() ? grid[r][c] : QString(); };

  QCOMPARE(at(0, 0), QStringLiteral("Family"));
  QCOMPARE(at(0, 15), QStringLiteral("Knowable people"));
  QCOMPARE(at(2, 5), QString::fromUtf8("Ёлка, 圣诞, 🎄"));
  QCOMPARE(at(4, 3), QStringLiteral("n/a"));
  QCOMPARE(at(24, 1), QStringLiteral("Total cost"));
  // The totals LibreOffice computes itself equal the engine's.
  for (int c : {3, 8, 13, 18}) {
    const double ours = std::get<double>(book.sheet(0).cell({24, c})->value);
    bool ok = false;
    const double theirs = QString(at(24, c)).remove(',').remove('$').toDouble(&ok);
    QVERIFY2(ok, qPrintable(at(24, c)));
    QVERIFY2(qAbs(theirs - ours) < 1e-9, qPrintable(QString("%1 vs %2").arg(theirs).arg(ours)));
  }
  // 25 + 12.5 + 1250.75 - 5 + 0.15 + 0.1 (the text is skipped); 0 + 7 + ... + 49; 40.
  QCOMPARE(std::get<double>(book.sheet(0).cell({24, 3})->value), 1283.5);
  QCOMPARE(std::get<double>(book.sheet(0).cell({24, 8})->value), 196.0);
  QCOMPARE(at(3, 14), QStringLiteral("80"));
}

void TestLibreOfficeReader::pdfPages_data() {
  QTest::addColumn<bool>("fitLandscapeA4");
  QTest::addColumn<bool>("onePage");
  QTest::addColumn<QString>("mediaBox");  // width x height in points, rounded
  QTest::newRow("landscape A4, fit to 1 x 1 page") << true << true << "842x595";
  QTest::newRow("portrait Letter at 100 %") << false << false << "612x792";
}

void TestLibreOfficeReader::pdfPages() {
  QFETCH(bool, fitLandscapeA4);
  QFETCH(bool, onePage);
  QFETCH(QString, mediaBox);
  Workbook book = reportBook();
  Worksheet& ws = book.sheet(0);
  for (int c = 0; c < 20; ++c) ws.columns[c].width = 16 * 256;  // wider than any paper
  book.setPrintArea(0, {0, 0, 24, 19});
  if (fitLandscapeA4) {
    ws.page.paperSize = kPaperA4;
    ws.page.landscape = true;
    ws.page.fitToPage = true;
    ws.page.fitWidth = ws.page.fitHeight = 1;
    ws.page.topMargin = ws.page.bottomMargin = 0.5;
    ws.page.headerMargin = ws.page.footerMargin = 0;
  }
  const QString path = dir_.filePath(fitLandscapeA4 ? "fit.xls" : "plain.xls");
  saveWorkbookFile(book, path);
  QFile pdf(convert(path, "pdf"));
  QVERIFY2(pdf.open(QIODevice::ReadOnly), qPrintable(pdf.fileName()));
  const QString text = QString::fromLatin1(pdf.readAll());
  const int pages = int(text.count(QRegularExpression("/Type\\s*/Page[^s]")));
  QVERIFY(pages >= 1);
  QCOMPARE(pages == 1, onePage);
  const QRegularExpressionMatch box =
      QRegularExpression("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)\\s*\\]").match(text);
  QVERIFY(box.hasMatch());
  QCOMPARE(QStringLiteral("%1x%2")
               .arg(qRound(box.captured(1).toDouble()))
               .arg(qRound(box.captured(2).toDouble())),
           mediaBox);
}

QTEST_GUILESS_MAIN(TestLibreOfficeReader)
#include "tst_libreoffice.moc"
