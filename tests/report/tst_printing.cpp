// The report's pages: the PDF of the sample report as poppler reads it (one A4 landscape page,
// every name, present and total as text, fonts embedded), and the same page as LibreOffice
// prints it from the same workbook.
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "report/printing.h"
#include "tests/support/program.h"
#include "tests/support/testsupport.h"

namespace {

QString tool(const char* name) {
  return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// The page rendered at 50 dpi by poppler.
QImage renderedPage(const QString& pdf) {
  const QString prefix = pdf + QStringLiteral(".page");
  if (runProgram(tool("pdftoppm"), {"-r", "50", "-singlefile", pdf, prefix}) != 0) return {};
  return QImage(prefix + QStringLiteral(".ppm")).convertToFormat(QImage::Format_RGB32);
}

// Everything that is not white paper.
QRect printedArea(const QImage& page) {
  QRect area;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      if (qGray(page.pixel(x, y)) < 245) area |= QRect(x, y, 1, 1);
  return area;
}

// The block fills met from left to right across the middle of the printed area, each once.
QList<int> fillOrder(const QImage& page, const QRect& area) {
  const QRgb fills[] = {0x99CCFF, 0xCCFFCC, 0xFFCC99, 0xCCCCFF};
  QList<int> order;
  const int y = area.center().y();
  for (int x = area.left(); x <= area.right(); ++x) {
    const QRgb p = page.pixel(x, y);
    for (int f = 0; f < 4; ++f) {
      const int d =
          std::max({std::abs(qRed(p) - qRed(fills[f])), std::abs(qGreen(p) - qGreen(fills[f])),
                    std::abs(qBlue(p) - qBlue(fills[f]))});
      if (d < 24 && (order.isEmpty() || order.last() != f)) order << f;
    }
  }
  return order;
}

}  // namespace

class TestPrinting : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void samplePdfAsPopplerReadsIt();
  void sameAsLibreOfficePrintsIt();
  void printsOnThePrintersPaper();
  void namesInEveryScriptStayText();

 private:
  QTemporaryDir dir_;
  QString workbook_;  // the sample report, saved
  QString pdf_;       // its PDF
};

void TestPrinting::initTestCase() {
  if (tool("pdfinfo").isEmpty()) QSKIP("poppler-utils is not installed");
  qputenv("TEMP", QFile::encodeName(dir_.path()));
  FakePrompts prompts;
  TestProgram program = TestProgram::started();
  QVERIFY(program);
  program->PushButton6_Click();  // the samples
  program->PushButton1_Click();
  QVERIFY2(prompts.errors().isEmpty(), qPrintable(prompts.texts().join('\n')));
  workbook_ = dir_.filePath("report.xls");
  QVERIFY(QFile::copy(program.app().preview()->workbookPath(), workbook_));
  pdf_ = dir_.filePath("report.pdf");
  QFile out(pdf_);
  QVERIFY(out.open(QIODevice::WriteOnly));
  out.write(report::reportPdf(workbook_));
}

void TestPrinting::samplePdfAsPopplerReadsIt() {
  QString info, text, fonts;
  QCOMPARE(runProgram(tool("pdfinfo"), {pdf_}, &info), 0);
  QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
  QVERIFY2(
      info.contains(QRegularExpression(QStringLiteral("Page size:\\s+842 x 595 pts \\(A4\\)"))),
      qPrintable(info));
  QCOMPARE(runProgram(tool("pdftotext"), {"-layout", pdf_, "-"}, &text), 0);
  for (const char* shown : {"Family", "Relatives", "Friends", "Knowable people", "Mom", "Dad",
                            "Ryka Walking Shoes", "Mach 3 Razors", "Total cost", "$89", "119"})
    QVERIFY2(text.contains(QString::fromUtf8(shown)), shown);
  QCOMPARE(runProgram(tool("pdffonts"), {pdf_}, &fonts), 0);
  const QStringList rows = fonts.split(u'\n', Qt::SkipEmptyParts).mid(2);
  QVERIFY(!rows.isEmpty());
  for (const QString& row : rows)  // name, type, encoding, then "emb" yes/no
    QVERIFY2(row.contains(QRegularExpression(QStringLiteral("\\s+yes\\s+(yes|no)\\s+(yes|no)"))),
             qPrintable(row));
}

void TestPrinting::sameAsLibreOfficePrintsIt() {
  if (soffice().isEmpty()) QSKIP("LibreOffice (soffice) is not installed");
  const QString profile = QUrl::fromLocalFile(dir_.filePath("lo-profile")).toString();
  QString out;
  QCOMPARE(runProgram(soffice(),
                      {"-env:UserInstallation=" + profile, "--headless", "--convert-to", "pdf",
                       "--outdir", dir_.filePath("lo"), workbook_},
                      &out, 180000),
           0);
  const QImage ours = renderedPage(pdf_);
  const QImage theirs = renderedPage(dir_.filePath("lo/report.pdf"));
  QVERIFY(!ours.isNull() && !theirs.isNull());
  QCOMPARE(ours.size(), theirs.size());
  const QRect a = printedArea(ours), b = printedArea(theirs);
  const double pixelsPerMm = 50 / 25.4;
  QVERIFY2(
      std::abs(a.left() - b.left()) <= pixelsPerMm && std::abs(a.top() - b.top()) <= pixelsPerMm,
      qPrintable(QStringLiteral("ours %1,%2 LibreOffice %3,%4")
                     .arg(a.left())
                     .arg(a.top())
                     .arg(b.left())
                     .arg(b.top())));
  QVERIFY2(std::abs(a.width() - b.width()) <= 0.02 * b.width(),
           qPrintable(QStringLiteral("widths %1 and %2").arg(a.width()).arg(b.width())));
  QCOMPARE(fillOrder(ours, a), (QList<int>{0, 1, 2, 3}));
  QCOMPARE(fillOrder(theirs, b), (QList<int>{0, 1, 2, 3}));
  int differing = 0;
  for (int y = 0; y < ours.height(); ++y)
    for (int x = 0; x < ours.width(); ++x) {
      const QRgb p = ours.pixel(x, y), q = theirs.pixel(x, y);
      if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                    std::abs(qBlue(p) - qBlue(q))}) > 48)
        ++differing;
    }
  qInfo(
      "At 50 dpi: printed area ours %d,%d %dx%d, LibreOffice %d,%d %dx%d; %d of %d pixels "
      "differ (%.1f %%)",
      a.left(), a.top(), a.width(), a.height(), b.left(), b.top(), b.width(), b.height(), differing,
      int(ours.width() * ours.height()), 100.0 * differing / (ours.width() * ours.height()));
}

// Printed on the paper the print dialog ended with (here A4 portrait, as a printer may have it),
// the report is fitted to that paper: every block is on the page.
void TestPrinting::printsOnThePrintersPaper() {
  const QString portrait = dir_.filePath("portrait.pdf");
  {
    QPdfWriter printer(portrait);
    QVERIFY(printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                              QMarginsF(), QPageLayout::Point)));
    report::printReport(workbook_, printer);
  }
  QString info;
  QCOMPARE(runProgram(tool("pdfinfo"), {portrait}, &info), 0);
  QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595 x 842 pts"))),
           qPrintable(info));
  const QImage page = renderedPage(portrait);
  QVERIFY(!page.isNull());
  const QRect area = printedArea(page);
  QVERIFY2(area.right() < page.width() - 10, qPrintable(QString::number(area.right())));
  QCOMPARE(fillOrder(page, area), (QList<int>{0, 1, 2, 3}));
}

// A name in a script that the report's font lacks is drawn in a font that has it and stays
// searchable text in the PDF (the package recommends fonts for the world's scripts).
void TestPrinting::namesInEveryScriptStayText() {
  QString korean;
  runProgram(tool("fc-list"), {":lang=ko", "family"}, &korean);
  if (korean.trimmed().isEmpty()) QSKIP("no font for Korean is installed");
  const QString config = dir_.filePath("scripts-config");
  QVERIFY(QDir().mkpath(config + "/Quillmoor"));
  QFile settings(config + "/Quillmoor/Quillmoor.ini");
  QVERIFY(settings.open(QIODevice::WriteOnly));
  settings.write(QStringLiteral("[Tinselwick]\nInventory%20List=김민준||SEP1||a||SEP1||b||SEP1||5||"
                                "SEP1||||SEP2||Ζωή||SEP1||c||SEP1||d||SEP1||1||SEP1||||SEP2||\n")
                     .toUtf8());
  settings.close();
  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", config);
  program.setProcessEnvironment(env);
  const QString pdf = dir_.filePath("scripts.pdf");
  program.start(QStringLiteral(TINSEL_BINARY_DIR "/tinselwick"), {"--pdf", pdf});
  QVERIFY(program.waitForFinished(60000));
  QCOMPARE(program.exitCode(), 0);
  QString text;
  QCOMPARE(runProgram(tool("pdftotext"), {pdf, "-"}, &text), 0);
  for (const QString& name : {QStringLiteral("김민준"), QStringLiteral("Ζωή")})
    QVERIFY2(text.contains(name), qPrintable(text));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
