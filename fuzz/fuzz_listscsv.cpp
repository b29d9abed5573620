// Fuzz target of reading the lists back from CSV. Refusing the input with Failure is fine;
// crashes, hangs, leaks and other exceptions are not. Lists that read pass the entry rules, and
// written again as CSV they read back the same.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "base/failure.h"
#include "giftlist/giftbook.h"
#include "giftlist/saverules.h"
#include "planner/importlists.h"
#include "planner/listscsv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  // Never read as a workbook: the CSV reader alone.
  if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("\xD0\xCF\x11\xE0")) return 0;
  ImportedLists lists;
  try {
    lists = readImportedLists(bytes);
  } catch (const Failure&) {
    return 0;
  }
  GiftBook book;
  for (int c = 0; c < kCategoryCount; ++c) {
    const auto& list = lists.lists[size_t(c)];
    if (list.size() > size_t(kMaxRecords)) std::abort();
    for (const GiftEntry& entry : list) {
      if (trimSpaces(entry.name).isEmpty() || holdsSeparator(entry)) std::abort();
      book.list(c).add(entry);
    }
  }
  try {
    const ImportedLists again = readImportedLists(listsAsCsv(book, nullptr));
    if (again.lists != lists.lists || !again.leftOut.isEmpty()) std::abort();
  } catch (const Failure&) {
    std::abort();
  }
  return 0;
}
