#pragma once
// The workbook as an Excel workbook (.xlsx), written by libxlsxwriter: values, formulas with
// their computed values, fonts, fills, borders, alignment, number formats, merges, column widths,
// row heights, the page set-up and the print area. The only code that includes the library.
#include <QString>

namespace sheet {

class Workbook;

// Writes the workbook at exactly `path`, which the library opens and writes itself (it writes
// only to a path): the caller chooses a private name and moves the file into place. Throws Error
// with the library's reason when it fails.
void writeXlsxFile(const Workbook& book, const QString& path);

}  // namespace sheet
