#pragma once
// The report's pages from the report workbook on disk, read back through a spreadsheet host: so
// what is printed or exported is exactly what "Save Results To Excel File" saves.
#include <QByteArray>
#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;

namespace report {

// The paper and orientation of the report sheet's page set-up.
QPageLayout reportPageLayout(const QString& workbookPath);
// The report sheet's pages as a PDF document.
QByteArray reportPdf(const QString& workbookPath);
// Writes the report as an Excel workbook (.xlsx) at `target`, made from the same sheet; a failed
// export leaves nothing behind.
void exportReportXlsx(const QString& workbookPath, const QString& target);
// The report as the bytes of an Excel workbook (.xlsx).
QByteArray reportXlsx(const QString& workbookPath);
// The report workbook's bytes, as "Save Results To Excel File" saves them.
QByteArray reportWorkbookBytes(const QString& workbookPath);
// Prints the report sheet's pages on the device, laid out on the paper and in the orientation
// the device has (what the print dialog ended with).
void printReport(const QString& workbookPath, QPagedPaintDevice& device);

}  // namespace report
