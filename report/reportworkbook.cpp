#include "report/reportworkbook.h"

#include <QFileInfo>

#include "base/failure.h"

namespace report {

void requireReportWorkbook(const QString& path, const QString& purpose) {
  const QFileInfo info(path);
  if (!path.isEmpty() && info.isFile() && info.size() > 0) return;
  const QString where =
      path.isEmpty() ? QString() : QStringLiteral(" ('%1' no longer exists or is empty)").arg(path);
  fail(QStringLiteral("There is no report workbook to %1%2. Go back and start the report again.")
           .arg(purpose, where));
}

void ReportWorkbook::remove() {
  if (created_) DeleteFileQuietly(path_);
  *this = ReportWorkbook();
}

void copyReportWorkbook(const QString& workbook, const QString& target, FileAccess access) {
  requireReportWorkbook(workbook, QStringLiteral("save"));
  using Kind = FileSourceError::Kind;
  try {
    writeNaming(QStringLiteral("the workbook"), [&] { copyFile(workbook, target, access); });
  } catch (const FileSourceError& error) {
    switch (error.kind()) {
      case Kind::Link:
        fail(QStringLiteral("The report workbook '%1' has been replaced by a link; it is not "
                            "copied.")
                 .arg(workbook));
      case Kind::NotAFile:
        fail(QStringLiteral("The report workbook '%1' is not a file.").arg(workbook));
      case Kind::Unreadable:
        fail(QStringLiteral("The report workbook '%1' cannot be read: %2")
                 .arg(workbook, error.reason()));
      case Kind::Missing:
      case Kind::Empty:
        // Gone or emptied between the check and the copy.
        requireReportWorkbook(QString(), QStringLiteral("save"));
    }
    throw;
  }
}

}  // namespace report
