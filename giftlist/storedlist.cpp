#include "giftlist/storedlist.h"

QString storedListKey(int category) {
  const QString base = QStringLiteral("Inventory List");
  if (category == 0) return base;
  return base + QChar(u' ') + categoryName(category);
}

QString serializeEntry(const GiftEntry& entry) {
  QString out;
  for (int i = 0; i < GiftEntry::kFieldCount; ++i) {
    if (i > 0) out += kFieldSeparator;
    out += entry.field(i);
  }
  return out + kRecordSeparator;
}

QString serializeList(const std::vector<GiftEntry>& entries) {
  QString out;
  for (const GiftEntry& e : entries) out += serializeEntry(e);
  return out;
}

std::vector<QStringList> parseStoredList(const QString& value) {
  std::vector<QStringList> records;
  if (value.isEmpty()) return records;
  const QStringList pieces = value.split(kRecordSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
  for (const QString& piece : pieces) {
    if (piece.isEmpty()) continue;
    records.push_back(piece.split(kFieldSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive));
  }
  return records;
}
