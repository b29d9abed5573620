#pragma once
// Module Excel1: the routines of the report run that speak to the spreadsheet host about
// pictures, file formats and the locale.
#include <QString>

namespace report {

class Host;
class HostWorkbook;

// The picture of the used range of a workbook's active sheet, saved to `path` (own trap);
// returns true when it wrote the file.
bool saveCellsActivesheet(HostWorkbook& book, const QString& path);

// The file format for SaveAs from the host's version: 56 above version 11, else -4143.
// Creates (and quits) a host of its own when `host` is null.
int SaveFormatForExcel(Host* host);
// Replaces every "." and then every "," with the locale's decimal separator.
QString ToLocalDecimal(const QString& text);
QString LocalDecimalSeparator();

}  // namespace report
