// Fuzz target of the stored-list reader: any stored value must split into records without a
// crash, and records of five separator-free fields must survive a store and a restore.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "giftlist/saverules.h"
#include "giftlist/storedlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString value =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const std::vector<QStringList> records = parseStoredList(value);
  std::vector<GiftEntry> entries;
  for (const QStringList& fields : records) {
    if (fields.isEmpty()) std::abort();  // an empty piece is skipped, never a record
    GiftEntry e;
    for (int i = 0; i < GiftEntry::kFieldCount; ++i) e.field(i) = fields.value(i);
    entries.push_back(e);
  }
  // Storing what was read and reading it again gives the same records, field for field,
  // whenever no record is all empty and every record is one that saving accepts (a field that
  // holds a separator, or part of one at its ends, can form another separator next to the
  // separators: the format has no escapes, so saving refuses such fields).
  const std::vector<QStringList> again = parseStoredList(serializeList(entries));
  bool comparable = true;
  for (const GiftEntry& e : entries) {
    bool allEmpty = true;
    for (int i = 0; i < GiftEntry::kFieldCount; ++i) {
      allEmpty = allEmpty && e.field(i).isEmpty();
    }
    if (allEmpty || holdsSeparator(e)) comparable = false;
  }
  if (comparable) {
    if (again.size() != entries.size()) std::abort();
    for (size_t r = 0; r < again.size(); ++r)
      for (int i = 0; i < GiftEntry::kFieldCount; ++i)
        if (again[r].value(i) != entries[r].field(i)) std::abort();
  }
  return 0;
}
