#pragma once
// Reading an Excel workbook (.xlsx): the first worksheet's cells, through libzip and Qt's XML
// stream reader. Bounded and strict: a damaged or oversized file is refused, never half-read.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "spreadsheet/model/workbook.h"

namespace sheet {

// The most bytes the reader unpacks from one file, all of its parts together, and the most cells
// it takes from the worksheet.
inline constexpr qint64 kXlsxUnpackedLimit = 64 * 1024 * 1024;
inline constexpr int kXlsxCellLimit = 500'000;

// Reads the first worksheet of a workbook's bytes into a workbook of one sheet: the sheet's name,
// each cell's value (a formula's as the file cached it), its formula where the engine reads it,
// and its number format. Cells beyond the 65,536 rows and 256 columns of an Excel 97-2003 sheet
// are left out. Throws FormatError when the bytes are not such a workbook, are damaged, or
// unpack to more than the limits.
Workbook readXlsxBytes(const QByteArray& bytes);

// The parts of a package by name ("xl/workbook.xml"); nothing for a part that is not there.
using XlsxParts = std::function<std::optional<QByteArray>(const QString&)>;
// The reader behind readXlsxBytes() over parts given by name, past the zip archive (the fuzz
// target of the parts' XML).
Workbook readXlsxParts(const XlsxParts& parts);

}  // namespace sheet
