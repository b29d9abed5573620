#include "report/printing.h"

#include "base/files.h"
#include "report/host.h"
#include "report/reportworkbook.h"

namespace report {

namespace {

// Opens the workbook in a host of its own and hands its active sheet to `use`.
template <typename Use>
auto withReportSheet(const QString& workbookPath, const QString& purpose, Use&& use) {
  requireReportWorkbook(workbookPath, purpose);
  std::unique_ptr<Host> host = createHost();
  HostWorkbook& book = host->openWorkbook(workbookPath);
  auto result = use(book.activeSheet());
  book.close();
  host->quit();
  return result;
}

}  // namespace

QPageLayout reportPageLayout(const QString& workbookPath) {
  return withReportSheet(workbookPath, QStringLiteral("print"),
                         [](HostSheet& sheet) { return sheet.pageLayout(); });
}

QByteArray reportPdf(const QString& workbookPath) {
  return withReportSheet(workbookPath, QStringLiteral("export"),
                         [](HostSheet& sheet) { return sheet.exportAsPdf(); });
}

void exportReportXlsx(const QString& workbookPath, const QString& target) {
  requireReportWorkbook(workbookPath, QStringLiteral("export"));
  std::unique_ptr<Host> host = createHost();
  HostWorkbook& book = host->openWorkbook(workbookPath);
  book.saveAs(target, kFormatOpenXmlWorkbook);
  book.close();
  host->quit();
}

QByteArray reportXlsx(const QString& workbookPath) {
  // Through a file of the program's own, in a folder of its own, removed at once.
  const QString folder = createPrivateFolder(temporaryFolder(), QStringLiteral("tinselwick-"));
  const QString file = folder + QStringLiteral("/report.xlsx");
  QString why;
  std::optional<QByteArray> bytes;
  try {
    exportReportXlsx(workbookPath, file);
    bytes = readFile(file, -1, why);
  } catch (...) {
    DeleteFileQuietly(file);
    removeEmptyFolder(folder);
    throw;
  }
  DeleteFileQuietly(file);
  removeEmptyFolder(folder);
  if (!bytes) fail(QStringLiteral("The Excel workbook cannot be read back: %1").arg(why));
  return *bytes;
}

QByteArray reportWorkbookBytes(const QString& workbookPath) {
  requireReportWorkbook(workbookPath, QStringLiteral("save"));
  QString why;
  const std::optional<QByteArray> bytes = readFile(workbookPath, -1, why);
  if (!bytes)
    fail(QStringLiteral("The report workbook '%1' cannot be read: %2").arg(workbookPath, why));
  return *bytes;
}

void printReport(const QString& workbookPath, QPagedPaintDevice& device) {
  withReportSheet(workbookPath, QStringLiteral("print"), [&device](HostSheet& sheet) {
    sheet.printOut(device, false);
    return true;
  });
}

}  // namespace report
