#pragma once
// The stored form of a gift list: the records in order, each as its five fields joined by
// "||SEP1||" and followed by "||SEP2||". No header, count or escapes.
#include <QString>
#include <QStringList>
#include <vector>

#include "giftlist/giftentry.h"

inline const QString kFieldSeparator = QStringLiteral("||SEP1||");
inline const QString kRecordSeparator = QStringLiteral("||SEP2||");

// Settings location of the lists: application, section, and one key per category.
inline const QString kSettingsApplication = QStringLiteral("Quillmoor");
inline const QString kSettingsSection = QStringLiteral("Tinselwick");
// "Inventory List" for "Family" (the key older versions used), "Inventory List <category>"
// for the others.
QString storedListKey(int category);

QString serializeList(const std::vector<GiftEntry>& entries);
QString serializeEntry(const GiftEntry& entry);

// Splits a stored value into its records' fields: empty records are skipped; a record may have
// fewer or more than five fields (the caller reports the missing ones and ignores the rest).
std::vector<QStringList> parseStoredList(const QString& value);
