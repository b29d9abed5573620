#include "planner/importlists.h"

#include <QFileInfo>
#include <algorithm>
#include <new>

#include "base/failure.h"
#include "base/files.h"
#include "giftlist/saverules.h"
#include "planner/listscsv.h"
#include "report/sheetplan.h"
#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/model/error.h"
#include "spreadsheet/render/numberformat.h"
#include "spreadsheet/xlsx/xlsxread.h"

int ImportedLists::count() const {
  int n = 0;
  for (const auto& list : lists) n += int(list.size());
  return n;
}

QString leftOutText(const ImportedLists& lists, int most) {
  if (lists.leftOut.isEmpty()) return {};
  const qsizetype n = lists.leftOut.size() + lists.leftOutUnnamed;
  QString text = n == 1 ? QStringLiteral("\n\n1 entry is left out:")
                        : QStringLiteral("\n\n%1 entries are left out:").arg(n);
  const qsizetype shown = std::min<qsizetype>(lists.leftOut.size(), most);
  for (qsizetype i = 0; i < shown; ++i) text += u'\n' + lists.leftOut[i];
  if (n > shown) text += QStringLiteral("\n\u2026 and %1 more.").arg(n - shown);
  return text;
}

namespace {

// The entry window's rules, for entries read in list order: a name, no separator, one entry per
// name, at most the record limit.
class Taker {
 public:
  explicit Taker(ImportedLists& lists) : lists_(lists) {}
  // Takes the entry, or lists it as left out; `where` says where the file has it.
  bool take(int category, const GiftEntry& entry, const QString& where) {
    std::vector<GiftEntry>& list = lists_.lists[size_t(category)];
    QString why;
    if (trimSpaces(entry.name).isEmpty())
      why = QStringLiteral("it has no name.");
    else if (holdsSeparator(entry))
      why = QStringLiteral("entries cannot contain ||SEP1|| or ||SEP2||.");
    else if (std::any_of(list.begin(), list.end(),
                         [&](const GiftEntry& e) { return e.name == entry.name; }))
      why = QStringLiteral("the list has an entry of that name already.");
    else if (list.size() >= size_t(kMaxRecords))
      why = QStringLiteral("the list has its %1 entries already.").arg(kMaxRecords);
    if (why.isEmpty()) {
      list.push_back(entry);
      return true;
    }
    leaveOut(where + (trimSpaces(entry.name).isEmpty()
                          ? QString()
                          : QStringLiteral(", \"%1\"").arg(entry.name.left(60))),
             why);
    return false;
  }
  void leaveOut(const QString& where, const QString& why) {
    if (lists_.leftOut.size() < kLeftOutNamed)
      lists_.leftOut << QStringLiteral("%1: %2").arg(where, why);
    else
      ++lists_.leftOutUnnamed;
  }

 private:
  ImportedLists& lists_;
};

bool blank(const GiftEntry& entry) {
  for (int f = 0; f < GiftEntry::kFieldCount; ++f)
    if (!entry.field(f).isEmpty()) return false;
  return true;
}

// A number the sheet shows in its notation ("$1,234.50") in the locale's ("$1.234,50" in
// German), so that the cost rule reads it as the same amount.
QString inLocaleNotation(const QString& shown, const QLocale& locale) {
  QString text;
  for (const QChar c : shown) {
    if (c == u'.')
      text += locale.decimalPoint();
    else if (c == u',')
      text += locale.groupSeparator();
    else if (c == u'-')
      text += locale.negativeSign();
    else
      text += c;
  }
  return text;
}

// A field of the report as the sheet has it: a formula as its formula (in the notation the
// report typed it in), a value as the sheet shows it.
QString fieldText(const sheet::Workbook& book, int sheetIndex, sheet::CellRef at, bool cost,
                  const QLocale& locale) {
  const sheet::Cell* cell = book.sheet(sheetIndex).cell(at);
  if (!cell) return {};
  if (cell->formula) return u'=' + sheet::formula::toR1C1(*cell->formula, at);
  const sheet::Value& value = cell->value;
  if (sheet::isText(value)) {
    // A text that the report would type as something else ("=1+", "007", "TRUE") gets the
    // apostrophe that keeps it text, as it must have had to be text in the sheet.
    const QString& text = std::get<QString>(value);
    return sheet::typesAsItself(text) ? text : u'\'' + text;
  }
  if (sheet::isEmpty(value)) return {};
  const QString shown =
      sheet::displayText(value, book.formatOf(sheetIndex, at).numberFormat).trimmed();
  return cost && sheet::isNumber(value) ? inLocaleNotation(shown, locale) : shown;
}

QString cellText(const sheet::Workbook& book, int sheetIndex, int row, int col) {
  const sheet::Cell* cell = book.sheet(sheetIndex).cell({row - 1, col});
  return cell && sheet::isText(cell->value) ? std::get<QString>(cell->value).trimmed() : QString();
}

ImportedLists listsOfReport(const sheet::Workbook& book, const QLocale& locale) {
  int sheetIndex = 0;
  for (size_t s = 0; s < book.sheets.size(); ++s)
    if (book.sheets[s].name() == u"Xmas") sheetIndex = int(s);
  // The report's own titles and headings: anything else is no report of the lists.
  for (int b = 0; b < kCategoryCount; ++b) {
    const report::ListBlock& block = report::kListBlocks[size_t(b)];
    bool report =
        cellText(book, sheetIndex, report::kTitleRow, block.firstColumn) == categoryName(b);
    for (int f = 0; f < GiftEntry::kFieldCount && report; ++f)
      report = cellText(book, sheetIndex, report::kHeadingRow, block.column(f)) ==
               QString::fromUtf16(kColumnHeaders[size_t(f)]);
    if (!report)
      fail(
          QStringLiteral("It is no report of the gift lists: its first rows do not hold the "
                         "four lists' titles and headings."));
  }
  ImportedLists lists;
  Taker taker(lists);
  for (int b = 0; b < kCategoryCount; ++b) {
    const report::ListBlock& block = report::kListBlocks[size_t(b)];
    for (int row = report::kFirstEntryRow; row <= report::kLastEntryRow; ++row) {
      GiftEntry entry;
      for (int f = 0; f < GiftEntry::kFieldCount; ++f)
        entry.field(f) = fieldText(book, sheetIndex, {row - 1, block.column(f)},
                                   f == GiftEntry::kCostField, locale);
      if (blank(entry)) continue;
      taker.take(b, entry, QStringLiteral("%1, row %2").arg(categoryName(b)).arg(row));
    }
  }
  return lists;
}

// The CSV's columns, by their headings in any order; List and Name are needed.
struct CsvColumns {
  qsizetype count = 0;
  int list = -1;
  std::array<int, GiftEntry::kFieldCount> fields{};
  int status = -1;
};

CsvColumns csvColumns(const QStringList& header) {
  auto column = [&](const QString& name) {
    for (qsizetype i = 0; i < header.size(); ++i)
      if (header[i].trimmed().compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
  };
  CsvColumns columns;
  columns.count = header.size();
  columns.list = column(QStringLiteral("List"));
  for (int f = 0; f < GiftEntry::kFieldCount; ++f)
    columns.fields[size_t(f)] = column(QString::fromUtf16(kColumnHeaders[size_t(f)]));
  columns.status = column(QStringLiteral("Status"));
  if (columns.list < 0 || columns.fields[0] < 0)
    fail(
        QStringLiteral("It is no CSV of the gift lists: its first line has no \"List\" and "
                       "\"Name\" headings."));
  return columns;
}

// One record of the CSV after its heading line.
void takeCsvRecord(const CsvRecord& record, const CsvColumns& columns, ImportedLists& lists,
                   Taker& taker) {
  const QString where = QStringLiteral("Line %1").arg(record.line);
  if (record.fields.size() != columns.count) {
    taker.leaveOut(where, QStringLiteral("it has %1 fields, the heading line %2.")
                              .arg(record.fields.size())
                              .arg(columns.count));
    return;
  }
  auto value = [&](int col) { return col < 0 ? QString() : csvFieldText(record.fields[col]); };
  GiftEntry entry;
  for (int f = 0; f < GiftEntry::kFieldCount; ++f)
    entry.field(f) = value(columns.fields[size_t(f)]);
  const QString listName = value(columns.list);
  const int category = categoryIndex(listName.trimmed());
  if (category < 0) {
    if (!blank(entry) || !listName.trimmed().isEmpty())
      taker.leaveOut(where, QStringLiteral("there is no list \"%1\".").arg(listName.left(60)));
    return;
  }
  std::optional<GiftStatus> status = GiftStatus::ToBuy;
  if (const QString text = value(columns.status).trimmed(); !text.isEmpty()) {
    status.reset();
    for (GiftStatus s : kStatuses)
      if (text.compare(statusText(s), Qt::CaseInsensitive) == 0) status = s;
  }
  const QString place = QStringLiteral("%1 (%2)").arg(where, categoryName(category));
  if (!status) {
    taker.leaveOut(
        place, QStringLiteral("there is no status \"%1\".").arg(value(columns.status).left(60)));
    return;
  }
  if (taker.take(category, entry, place) && *status != GiftStatus::ToBuy)
    lists.statuses[size_t(category)].insert(entry.name, *status);
}

ImportedLists listsOfCsv(const QByteArray& bytes) {
  ImportedLists lists;
  Taker taker(lists);
  std::optional<CsvColumns> columns;
  // Each record as it is read: the file's lines are never all held at once.
  readCsvRecords(bytes, [&](const CsvRecord& record) {
    if (!columns) {
      columns = csvColumns(record.fields);
      lists.hasStatuses = columns->status >= 0;
    } else {
      takeCsvRecord(record, *columns, lists, taker);
    }
  });
  if (!columns) fail(QStringLiteral("It is empty."));
  return lists;
}

}  // namespace

ImportedLists readImportedLists(const QByteArray& bytes, const QLocale& locale) {
  try {
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
      return listsOfReport(sheet::readWorkbookBytes(bytes), locale);
    if (bytes.startsWith("PK\x03\x04")) return listsOfReport(sheet::readXlsxBytes(bytes), locale);
    return listsOfCsv(bytes);
  } catch (const sheet::Error& e) {
    fail(QStringLiteral("It cannot be read: %1.").arg(QString::fromUtf8(e.what())));
  } catch (const std::bad_alloc&) {
    // The readers are bounded; what is left is a machine short of memory, which is no reason to
    // end the program with the person's lists unstored.
    fail(QStringLiteral("There is not enough memory to read it."));
  }
}

ImportedLists readListsFile(const QString& path, const QLocale& locale) {
  const QString name = QFileInfo(path).fileName();
  QString why;
  const std::optional<QByteArray> bytes = readFile(path, kImportFileLimit + 1, why);
  if (!bytes) fail(QStringLiteral("\"%1\" cannot be read: %2").arg(name, why));
  if (bytes->size() > kImportFileLimit)
    fail(QStringLiteral("\"%1\" is larger than the %2 MiB a file of gift lists may have.")
             .arg(name, QString::number(kImportFileLimit >> 20)));
  try {
    return readImportedLists(*bytes, locale);
  } catch (const Failure& failure) {
    fail(
        QStringLiteral("\"%1\" cannot be opened. %2").arg(name, QString::fromUtf8(failure.what())));
  }
}
