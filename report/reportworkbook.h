#pragma once
// The report workbook's own rules: whether there is one to save, print, export or copy, and its
// copy to where the user saves it, with failures told in the words of the report.
#include <QString>

#include "base/files.h"

namespace report {

// Throws Failure saying that there is no report workbook to `purpose` ("save", "print", ...)
// when `path` is empty or names nothing or an empty file.
void requireReportWorkbook(const QString& path, const QString& purpose);

// Copies the report workbook to `target` (the preview's save, the command line's --xls): a
// workbook that is gone, or replaced by a link, a pipe or a folder, is said so; a refused target
// is told as one for the workbook.
void copyReportWorkbook(const QString& workbook, const QString& target,
                        FileAccess access = FileAccess::Usual);

}  // namespace report
