#pragma once
// The gift lists as CSV, for a spreadsheet program, a family member or a backup: one row per
// entry under a header (List, Name, Likes, Present, Cost, Email, Status), UTF-8 with the
// byte-order mark Excel looks for, quoted by RFC 4180 with CR LF line ends.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class GiftBook;
class Planner;

// The CSV of the gift book's four lists, in list order; the Status column when a planner is
// given. A field a spreadsheet would run as a formula (it begins with "=", "+", "-", "@", a tab
// or a carriage return), and one that begins with an apostrophe, gets an apostrophe in front, so
// that it is shown as text; csvField() of the reader takes it off again.
QByteArray listsAsCsv(const GiftBook& book, const Planner* planner);

// One field as the CSV holds it (before the quoting): the apostrophe added where needed.
QString csvField(const QString& text);
// The text of a field read back: an apostrophe that csvField() added is taken off.
QString csvFieldText(const QString& field);

// One record of a CSV file, with the line it begins on (1-based).
struct CsvRecord {
  int line = 0;
  QStringList fields;
};
// The records of CSV bytes by RFC 4180: UTF-8 with or without a byte-order mark, fields split by
// commas, quoted fields with doubled quotes and line breaks, CR LF, LF or CR line ends; each is
// handed to `take` as soon as it is read (an empty line is none). Throws Failure saying where when
// the bytes are no UTF-8, a quote is out of place or a record has more than kCsvFieldLimit fields.
inline constexpr int kCsvFieldLimit = 64;
void readCsvRecords(const QByteArray& bytes, const std::function<void(const CsvRecord&)>& take);
