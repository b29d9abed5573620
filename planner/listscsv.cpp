#include "planner/listscsv.h"

#include <QStringList>

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
