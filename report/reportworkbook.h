#pragma once
// The report workbook's own rules: whether there is one to save, print, export or copy, and its
// copy to where the user saves it, with failures told in the words of the report.
#include <QString>
#include <utility>

#include "base/files.h"

namespace report {

// The report workbook of one run, in the temporary folder: where it is, and whether the run
// created that file, so that only a file of the program's own is ever removed. The application
// holds the one of the report on show; "< Back", closing and a new report remove it.
class ReportWorkbook {
 public:
  ReportWorkbook() = default;
  ReportWorkbook(QString path, bool created) : path_(std::move(path)), created_(created) {}

  const QString& path() const { return path_; }
  // Removes the file when the run created it; afterwards there is no workbook.
  void remove();

 private:
  QString path_;
  bool created_ = false;
};

// Throws Failure saying that there is no report workbook to `purpose` ("save", "print", ...)
// when `path` is empty or names nothing or an empty file.
void requireReportWorkbook(const QString& path, const QString& purpose);

// Copies the report workbook to `target` (the preview's save, the command line's --xls): a
// workbook that is gone, or replaced by a link, a pipe or a folder, is said so; a refused target
// is told as one for the workbook.
void copyReportWorkbook(const QString& workbook, const QString& target,
                        FileAccess access = FileAccess::Usual);

}  // namespace report
