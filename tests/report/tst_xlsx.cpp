// The report as an Excel workbook (.xlsx): what openpyxl reads agrees with what xlrd reads of the
// .xls, LibreOffice shows both alike, and a failed export leaves nothing behind.
#include <sys/stat.h>

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "base/failure.h"
#include "giftlist/giftbook.h"
#include "report/printing.h"
#include "report/reportjob.h"
#include "report/reportworkbook.h"
#include "tests/support/testsupport.h"

namespace {}  // namespace

class XlsxTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void agreesWithTheXls();
  void libreOfficeShowsBothAlike();
  void gnumericShowsBothAlike();
  void aFailedExportLeavesNothing();

 private:
  QString convert(const QString& file, const QString& format);
  QTemporaryDir dir_;
  report::WorkbookHandOver report_;
  QString xlsx_;
};

void XlsxTest::initTestCase() {
  qputenv("TEMP", QFile::encodeName(dir_.path()));
  GiftBook book;
  book.list(0).add({"Mom", "gardening, homemade crafts", "Ryka Walking Shoes", "$89", ""});
  book.list(0).add({"Dad", "", "Mach 3 Razors", "$30", "dad@example.com"});
  book.list(1).add({"Aunt", "", QString::fromUtf8("Ёлка & 圣诞 \"quotes\""), "1,250.50", ""});
  book.list(2).add({"Sam", "games", "Carcassonne", "about 35", ""});
  book.list(3).add({"Neighbour", "", "Cookies", "-$5", ""});
  report::GenerateReport0(book, report_, 1);
  QVERIFY(!report_.workbookPath().isEmpty());
  xlsx_ = dir_.filePath("out/report.xlsx");
  QVERIFY(QDir().mkpath(dir_.filePath("out")));
  report::exportReportXlsx(report_.workbookPath(), xlsx_);
  QCOMPARE(QDir(dir_.filePath("out")).entryList(QDir::Files | QDir::Hidden),
           QStringList{"report.xlsx"});
}

void XlsxTest::agreesWithTheXls() {
  if (python3().isEmpty()) QSKIP("python3 is not installed");
  QString output;
  const int code = runProgram(
      python3(), {sourcePath("tests/report/xlsx_compare.py"), report_.workbookPath(), xlsx_},
      &output);
  QVERIFY2(code == 0, qPrintable(output));
  QVERIFY(output.contains("0 differences"));
}

QString XlsxTest::convert(const QString& file, const QString& format) {
  const QString out = dir_.filePath("lo-" + QFileInfo(file).suffix());
  QDir().mkpath(out);
  QString log;
  runProgram(soffice(),
             {"--headless", "--norestore",
              "-env:UserInstallation=" + QUrl::fromLocalFile(dir_.filePath("profile")).toString(),
              "--convert-to", format, "--outdir", out, file},
             &log, 180000);
  const QString converted =
      out + '/' + QFileInfo(file).completeBaseName() + '.' + format.section(':', 0, 0);
  if (!QFile::exists(converted)) qWarning().noquote() << log;
  return converted;
}

void XlsxTest::libreOfficeShowsBothAlike() {
  if (soffice().isEmpty()) QSKIP("LibreOffice (soffice) is not installed");
  const QString xls = dir_.filePath("report.xls");
  QVERIFY(QFile::copy(report_.workbookPath(), xls));
  auto bytes = [](const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing) " + path.toUtf8());
  };
  // The same values as LibreOffice shows them (its own totals included).
  const QString csv = "csv:Text - txt - csv (StarCalc):44,34,76";
  const QByteArray fromXls = bytes(convert(xls, csv));
  QVERIFY(fromXls.contains("Ryka Walking Shoes") && fromXls.contains("1,250.50"));
  QCOMPARE(bytes(convert(xlsx_, csv)), fromXls);
  // The same page: one page of the same size (A4 landscape) with the same text on it.
  const QString pdfXls = convert(xls, "pdf");
  const QString pdfXlsx = convert(xlsx_, "pdf");
  QString infoXls, infoXlsx, textXls, textXlsx;
  runProgram("pdfinfo", {pdfXls}, &infoXls);
  runProgram("pdfinfo", {pdfXlsx}, &infoXlsx);
  const QRegularExpression pages("Pages:\\s+(\\d+)"), size("Page size:\\s+([0-9.]+ x [0-9.]+)");
  QCOMPARE(pages.match(infoXlsx).captured(1), QStringLiteral("1"));
  QCOMPARE(pages.match(infoXls).captured(1), QStringLiteral("1"));
  QCOMPARE(size.match(infoXlsx).captured(1), size.match(infoXls).captured(1));
  // The same words in the same order (the spacing of a layout follows the widths to the pixel).
  runProgram("pdftotext", {pdfXls, "-"}, &textXls);
  runProgram("pdftotext", {pdfXlsx, "-"}, &textXlsx);
  QVERIFY(textXls.contains("Total cost"));
  QCOMPARE(textXlsx.simplified(), textXls.simplified());
}

void XlsxTest::gnumericShowsBothAlike() {
  const QString ssconvert = QStandardPaths::findExecutable("ssconvert");
  if (ssconvert.isEmpty()) QSKIP("Gnumeric's ssconvert is not installed");
  const QString xls = dir_.filePath("gnumeric.xls");
  QVERIFY(QFile::copy(report_.workbookPath(), xls));
  QStringList csv;
  for (const QString& source : {xls, xlsx_}) {
    const QString out = source + ".csv";
    QString log;
    runProgram(ssconvert, {source, out}, &log);
    QFile f(out);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(log));
    csv << QString::fromUtf8(f.readAll());
  }
  QVERIFY(csv[0].contains("Ryka Walking Shoes") && csv[0].contains("Total cost"));
  QCOMPARE(csv[1], csv[0]);
}

void XlsxTest::aFailedExportLeavesNothing() {
  // A folder that is not there, and a file its owner made read-only: refused, nothing written.
  QVERIFY_THROWS_EXCEPTION(
      Failure, report::exportReportXlsx(report_.workbookPath(), dir_.filePath("nowhere/r.xlsx")));
  const QString readOnly = dir_.filePath("ro/r.xlsx");
  QVERIFY(QDir().mkpath(dir_.filePath("ro")));
  QFile f(readOnly);
  QVERIFY(f.open(QIODevice::WriteOnly) && f.write("mine") == 4);
  f.close();
  QVERIFY(::chmod(QFile::encodeName(readOnly).constData(), 0444) == 0);
  try {
    report::exportReportXlsx(report_.workbookPath(), readOnly);
    QFAIL("a read-only file was written over");
  } catch (const Failure& refused) {
    QVERIFY2(QString::fromUtf8(refused.what()).contains("the Excel workbook"), refused.what());
  }
  QCOMPARE(QDir(dir_.filePath("ro")).entryList(QDir::Files | QDir::Hidden), QStringList{"r.xlsx"});
  QVERIFY(f.open(QIODevice::ReadOnly));
  QCOMPARE(f.readAll(), QByteArray("mine"));
  // Standard output's bytes are an .xlsx, with no file left in the temporary folder.
  const QByteArray bytes = report::reportXlsx(report_.workbookPath());
  QVERIFY(bytes.startsWith("PK\x03\x04"));
  QCOMPARE(QDir(dir_.path()).entryList({"tinselwick-*"}, QDir::Dirs), QStringList());
}

QTEST_MAIN(XlsxTest)
#include "tst_xlsx.moc"
