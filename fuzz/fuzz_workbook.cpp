// Fuzz target of the workbook reader: the input as a whole file (compound file + BIFF8) and as
// a bare "Workbook" stream. Refusing the input with FormatError is fine; crashes, hangs, reads
// out of bounds and other exceptions are not. A workbook that reads is written again, and that
// file must read back and write to the same bytes.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/model/error.h"

namespace {

void rewriteIsStable(const sheet::Workbook& book) {
  QByteArray first;
  try {
    first = sheet::writeWorkbookBytes(book);
  } catch (const sheet::FormatError&) {
    std::abort();
  } catch (const sheet::Error&) {
    return;  // something BIFF8 cannot store (say, a formula the token writer refuses)
  }
  const sheet::Workbook again = sheet::readWorkbookBytes(first);  // must not throw
  if (sheet::writeWorkbookBytes(again) != first) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  try {
    rewriteIsStable(sheet::readWorkbookBytes(bytes));
  } catch (const sheet::FormatError&) {
  }
  try {
    rewriteIsStable(sheet::biff::readWorkbookStream(bytes));
  } catch (const sheet::FormatError&) {
  }
  return 0;
}
