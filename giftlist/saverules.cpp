#include "giftlist/saverules.h"

#include <cmath>

#include "giftlist/giftlistmodel.h"
#include "giftlist/storedlist.h"

QString trimSpaces(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text[first] == QChar(u' ')) ++first;
  while (last > first && text[last - 1] == QChar(u' ')) --last;
  return text.mid(first, last - first);
}

namespace {

bool isSpaceLike(QChar c) {
  return c == u' ' || c == u'\u00a0' || c == u'\u202f';
}

// The cost as the locale's reader is given it: every "$" removed, blanks around it trimmed, and,
// in a locale that groups thousands with a space of some kind, a blank or no-break space between
// the digits taken as that space (people type the one their keyboard has).
QString numberPart(const QString& cost, const QLocale& locale) {
  QString number = cost;
  number.remove(QChar(u'$'));
  number = number.trimmed();
  const QString group = locale.groupSeparator();
  if (group.size() == 1 && isSpaceLike(group[0]))
    for (QChar& c : number)
      if (isSpaceLike(c)) c = group[0];
  return number;
}

}  // namespace

bool isAcceptableCost(const QString& cost, const QLocale& locale) {
  if (trimSpaces(cost).isEmpty()) return true;
  const QString number = numberPart(cost, locale);
  if (number.isEmpty()) return false;
  bool ok = false;
  const double value = locale.toDouble(number, &ok);
  // The parse also takes "nan" and "inf", which are words, not costs.
  return ok && std::isfinite(value);
}

QString costInTypedNotation(const QString& cost, const QLocale& locale) {
  if (trimSpaces(cost).isEmpty() || !isAcceptableCost(cost, locale)) return cost;
  const QString number = numberPart(cost, locale);
  const QString decimal = locale.decimalPoint();
  const QString group = locale.groupSeparator();
  const bool exponent = number.contains(locale.exponential(), Qt::CaseInsensitive);
  QString typed;
  for (const QChar c : number) {
    if (decimal == c)
      typed += u'.';
    else if (group == c)
      typed += exponent ? QString() : QStringLiteral(",");  // no grouping beside an exponent
    else if (locale.negativeSign() == c || c == u'\u2212')  // the locale's reader takes both
      typed += u'-';
    else if (locale.positiveSign() == c)
      typed += u'+';
    else
      typed += c;
  }
  // A currency amount is never written with an exponent: such a cost is the number alone.
  if (!cost.contains(u'$') || exponent) return typed;
  // The currency sign before the number, after a sign typed in front of it: "$12.50", "-$5".
  const QString trimmed = cost.trimmed();
  const bool signFirst = trimmed.startsWith(u'-') || trimmed.startsWith(u'+');
  if (signFirst && trimmed.mid(1).trimmed().startsWith(u'$') && typed.startsWith(trimmed[0]))
    return typed.left(1) + u'$' + typed.mid(1);
  return u'$' + typed;
}

bool isAcceptableEmail(const QString& email) {
  if (trimSpaces(email).isEmpty()) return true;
  return email.indexOf(QChar(u'@'), 1) >= 0;
}

bool holdsSeparator(const GiftEntry& entry) {
  // Besides a whole separator, a field that begins or ends with part of one can join with the
  // separator next to it and split the record when the list is read back; refuse any entry
  // that would not come back unchanged.
  const std::vector<QStringList> back = parseStoredList(serializeEntry(entry));
  if (back.size() != 1 || back[0].size() != GiftEntry::kFieldCount) return true;
  for (int i = 0; i < GiftEntry::kFieldCount; ++i)
    if (back[0][i] != entry.field(i)) return true;
  return false;
}

SaveResult saveGiftEntry(GiftListModel& list, const GiftEntry& fields, const QLocale& locale) {
  const QString separatorMessage = QStringLiteral("Entries cannot contain ||SEP1|| or ||SEP2||.");
  if (const auto position = list.findByName(fields.name)) {
    if (holdsSeparator(fields)) return {SaveOutcome::SeparatorInField, separatorMessage, false};
    list.update(*position, fields);
    return {SaveOutcome::Updated, QString(), false};
  }
  if (trimSpaces(fields.name).isEmpty())
    return {SaveOutcome::NameMissing, QStringLiteral("You forgot to input name."), false};
  if (holdsSeparator(fields)) return {SaveOutcome::SeparatorInField, separatorMessage, false};
  if (!isAcceptableCost(fields.cost, locale))
    return {SaveOutcome::CostNotNumber, QStringLiteral("Cost must be a number."), false};
  if (!isAcceptableEmail(fields.email))
    return {SaveOutcome::EmailInvalid, QStringLiteral("Email address not valid."), false};
  if (list.count() >= kMaxRecords)
    return {SaveOutcome::LimitReached, QStringLiteral("Max records reached"), true};
  list.add(fields);
  return {SaveOutcome::Added, QString(), true};
}
