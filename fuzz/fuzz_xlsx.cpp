// Fuzz target of the .xlsx reader and of reading the lists back from a report: the input as an
// .xlsx file. Refusing it with FormatError (or, for the lists, Failure) is fine; crashes, hangs,
// reads out of bounds, leaks and other exceptions are not. A sheet that reads gives cells inside
// the bounds of an Excel 97-2003 sheet only.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "base/failure.h"
#include "planner/importlists.h"
#include "spreadsheet/model/error.h"
#include "spreadsheet/xlsx/xlsxread.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  try {
    const sheet::Workbook book = sheet::readXlsxBytes(bytes);
    if (book.sheets.size() != 1) std::abort();
    for (const auto& [at, cell] : book.sheet(0).cells())
      if (at.row < 0 || at.row >= sheet::kMaxRows || at.col < 0 || at.col >= sheet::kMaxColumns ||
          cell.format >= book.formats.size())
        std::abort();
  } catch (const sheet::FormatError&) {
  }
  // The same bytes as a file of lists, whatever its first bytes are.
  QByteArray xlsx = bytes;
  if (!xlsx.startsWith("PK\x03\x04")) xlsx.prepend("PK\x03\x04");
  try {
    const ImportedLists lists = readImportedLists(xlsx);
    for (const auto& list : lists.lists)
      if (list.size() > size_t(kMaxRecords)) std::abort();
  } catch (const Failure&) {
  }
  return 0;
}
