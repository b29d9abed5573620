#pragma once
// Gift lists read back from a file: a report workbook (.xls or .xlsx, Tinselwick's own, a kept
// season's, or one a spreadsheet program saved again) or the lists' CSV. The entries pass the
// entry window's rules; those that do not are left out, each with its reason.
#include <QByteArray>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "giftlist/giftentry.h"
#include "planner/season.h"

struct ImportedLists {
  std::array<std::vector<GiftEntry>, kCategoryCount> lists;
  // The statuses a CSV file gave, other than "To buy".
  std::array<QHash<QString, GiftStatus>, kCategoryCount> statuses;
  // Whether the file gives statuses at all (a CSV with a Status column; a workbook has none).
  bool hasStatuses = false;
  // The entries left out: "Family, row 7, "Ann": the list has an entry of that name already."
  // The first kLeftOutNamed of them; the rest are counted only.
  QStringList leftOut;
  int leftOutUnnamed = 0;
  int count() const;
};

// The entries left out, as a message says them: a blank line, "2 entries are left out:" and one
// line each, the first `most` of them; empty when none is.
QString leftOutText(const ImportedLists& lists, int most = 12);

// The most bytes a file read back may have, and the most entries left out that are named.
inline constexpr qint64 kImportFileLimit = 8 * 1024 * 1024;
inline constexpr int kLeftOutNamed = 1000;

// Reads the lists of a file's bytes, whatever its name says: a compound file is read as an
// Excel 97-2003 workbook, a zip archive as an .xlsx workbook, anything else as CSV. A cost that
// is a number comes back as the sheet shows it ("$89"), in the locale's notation; a formula as
// its formula. Throws Failure saying why when the bytes are no report or CSV of the lists.
ImportedLists readImportedLists(const QByteArray& bytes, const QLocale& locale = QLocale());
// The same of a file; throws Failure naming the file when it cannot be read.
ImportedLists readListsFile(const QString& path, const QLocale& locale = QLocale());
