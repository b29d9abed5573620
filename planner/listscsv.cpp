#include "planner/listscsv.h"

#include <QStringDecoder>
#include <QStringList>

#include "base/failure.h"
#include "giftlist/giftbook.h"
#include "planner/planner.h"

namespace {

bool runsAsFormula(const QString& text) {
  if (text.isEmpty()) return false;
  const QChar first = text.front();
  return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' ||
         first == u'\r' || first == u'\'';
}

// RFC 4180: a field with a comma, a quote or a line break is quoted, its quotes doubled; so is
// one with blanks at its ends, which some programs would trim otherwise.
QString quoted(const QString& field) {
  const bool quote = field.contains(u',') || field.contains(u'"') || field.contains(u'\n') ||
                     field.contains(u'\r') ||
                     (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace()));
  if (!quote) return field;
  QString doubled = field;
  doubled.replace(QStringLiteral("\""), QStringLiteral("\"\""));
  return QChar(u'"') + doubled + QChar(u'"');
}

}  // namespace

QString csvField(const QString& text) {
  return runsAsFormula(text) ? QChar(u'\'') + text : text;
}

QString csvFieldText(const QString& field) {
  return field.startsWith(u'\'') && runsAsFormula(field.mid(1)) ? field.mid(1) : field;
}

QByteArray listsAsCsv(const GiftBook& book, const Planner* planner) {
  QStringList header = {QStringLiteral("List"),    QStringLiteral("Name"), QStringLiteral("Likes"),
                        QStringLiteral("Present"), QStringLiteral("Cost"), QStringLiteral("Email")};
  if (planner) header << QStringLiteral("Status");
  QString text = header.join(u',') + QStringLiteral("\r\n");
  for (int c = 0; c < kCategoryCount; ++c) {
    for (const GiftEntry& entry : book.list(c).entries()) {
      QStringList row = {categoryName(c)};
      for (int f = 0; f < GiftEntry::kFieldCount; ++f) row << entry.field(f);
      if (planner) row << statusText(planner->status(c, entry.name));
      for (QString& field : row) field = quoted(csvField(field));
      text += row.join(u',') + QStringLiteral("\r\n");
    }
  }
  return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

void readCsvRecords(const QByteArray& bytes, const std::function<void(const CsvRecord&)>& take) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) fail(QStringLiteral("The file is not UTF-8 text."));
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  CsvRecord record{1, {}};
  QString field;
  int line = 1;
  bool quotedField = false;  // the field began with a quote
  bool inQuotes = false;
  bool afterQuote = false;  // the quote that closed the field has been read
  auto endField = [&] {
    if (record.fields.size() >= kCsvFieldLimit)
      fail(QStringLiteral("Line %1 has more than %2 fields.").arg(record.line).arg(kCsvFieldLimit));
    record.fields << field;
    field.clear();
    quotedField = inQuotes = afterQuote = false;
  };
  auto endRecord = [&] {
    endField();
    // A line with nothing on it is no record.
    if (!(record.fields.size() == 1 && record.fields[0].isEmpty())) take(record);
    record = {line, {}};
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (inQuotes) {
      if (c == u'"') {
        if (i + 1 < text.size() && text[i + 1] == u'"') {
          field += u'"';
          ++i;
        } else {
          inQuotes = false;
          afterQuote = true;
        }
      } else {
        if (c == u'\n' || (c == u'\r' && !(i + 1 < text.size() && text[i + 1] == u'\n'))) ++line;
        field += c;
      }
      continue;
    }
    if (c == u',') {
      endField();
    } else if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      ++line;
      endRecord();
    } else if (afterQuote) {
      fail(QStringLiteral("Line %1 has text after the closing quote of a field.").arg(line));
    } else if (c == u'"') {
      if (!field.isEmpty() || quotedField)
        fail(QStringLiteral("Line %1 has a quote inside a field that is not quoted.").arg(line));
      quotedField = inQuotes = true;
    } else {
      field += c;
    }
  }
  if (inQuotes) fail(QStringLiteral("The quoted field on line %1 never ends.").arg(record.line));
  if (!field.isEmpty() || !record.fields.isEmpty() || quotedField) endRecord();
}
