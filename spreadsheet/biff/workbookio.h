#pragma once
// Reading and writing workbooks as Excel 97-2003 files: a BIFF8 "Workbook" stream inside an
// OLE2 compound file.
#include <QByteArray>
#include <QString>

#include "spreadsheet/model/workbook.h"

namespace sheet {

// The file's bytes. Throws Error when the workbook holds something BIFF8 cannot store.
QByteArray writeWorkbookBytes(const Workbook& book);
// Reads a workbook from a compound file's bytes. Throws FormatError when they are not a BIFF8
// workbook or are damaged; never reads outside the bytes.
Workbook readWorkbookBytes(const QByteArray& bytes);


namespace biff {
// The BIFF8 "Workbook" stream alone, as written into the compound file and as read from it.
QByteArray writeWorkbookStream(const Workbook& book);
Workbook readWorkbookStream(const QByteArray& stream);
}  // namespace biff

}  // namespace sheet
