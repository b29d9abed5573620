#include "spreadsheet/render/numberformat.h"

#include <QDate>
#include <QStringList>
#include <cmath>
#include <vector>

namespace sheet {

namespace {

// ---------------------------------------------------------------------------------------------
// The general format

// A non-negative number with a fixed number of decimals, rounded half away from zero after
// cutting it to the 15 significant digits a spreadsheet keeps (so 2.5 shows as 3 and 1.005
// with two decimals as 1.01).
QString fixedDigits(double x, int decimals) {
  if (x == 0.0 || !std::isfinite(x)) return QString::number(0.0, 'f', decimals);
  // d.dddddddddddddde+XX: the 15 significant digits and the power of ten of the first one.
  const QString e = QString::number(x, 'e', 14);
  const int ePos = e.indexOf(u'e');
  QString digits = e.left(1) + e.mid(2, ePos - 2);
  int intLen = e.mid(ePos + 1).toInt() + 1;  // digits before the decimal point
  const int keep = intLen + decimals;        // digits that the result shows
  if (keep < 0) {
    digits.clear();
  } else if (keep < digits.size()) {
    const bool up = digits[keep] >= u'5';
    digits.truncate(keep);
    if (up) {
      int i = keep - 1;
      for (; i >= 0 && digits[i] == u'9'; --i) digits[i] = u'0';
      if (i >= 0) {
        digits[i] = QChar(digits[i].unicode() + 1);
      } else {
        digits.prepend(u'1');
        ++intLen;
      }
    }
  } else {
    digits = digits.leftJustified(keep, u'0');
  }
  QString integer, fraction;
  if (intLen > 0) {
    integer = digits.left(intLen).leftJustified(intLen, u'0');
    fraction = digits.mid(intLen);
  } else {
    integer = QStringLiteral("0");
    fraction = QString(-intLen, u'0') + digits;
  }
  fraction = fraction.left(decimals).leftJustified(decimals, u'0');
  if (digits.isEmpty()) integer = QStringLiteral("0");
  return decimals > 0 ? integer + u'.' + fraction : integer;
}

// Digits of a number text other than leading zeros ("0.00120" has 3).
int significantDigits(const QString& text) {
  int count = 0;
  bool started = false;
  for (QChar c : text) {
    if (c == u'E') break;
    if (!c.isDigit()) continue;
    if (c != u'0') started = true;
    if (started) ++count;
  }
  // Trailing zeros of an integer ("1200") are significant enough for the comparison below.
  return count;
}

QString stripFraction(QString text) {
  if (!text.contains(u'.')) return text;
  while (text.endsWith(u'0')) text.chop(1);
  if (text.endsWith(u'.')) text.chop(1);
  return text;
}

// "1.23457E+11": as many mantissa digits as fit into maxChars.
QString generalScientific(double a, int maxChars) {
  int exponent = static_cast<int>(std::floor(std::log10(a)));
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int expDigits = std::abs(exponent) >= 100 ? 3 : 2;
    const int mantissaChars = maxChars - 2 - expDigits;
    if (mantissaChars < 1) return {};
    const int decimals = mantissaChars >= 3 ? mantissaChars - 2 : 0;
    const double mantissa = a / std::pow(10.0, exponent);
    QString m = fixedDigits(mantissa, decimals);
    if (m.startsWith(QLatin1String("10"))) {  // 9.99999 rounded up to 10.0000
      ++exponent;
      continue;
    }
    if (m.startsWith(u'0')) {  // pow() imprecision left a mantissa below 1
      --exponent;
      continue;
    }
    m = stripFraction(m);
    const QString exp = QString::number(std::abs(exponent)).rightJustified(expDigits, u'0');
    return m + (exponent < 0 ? QLatin1String("E-") : QLatin1String("E+")) + exp;
  }
  return {};
}

// "123.456789": as many decimals as fit into maxChars; empty when the integer part does not fit.
QString generalDecimal(double a, int maxChars) {
  const int exponent = static_cast<int>(std::floor(std::log10(a)));
  const int intDigits = exponent >= 0 ? exponent + 1 : 1;
  if (intDigits > maxChars) return {};
  int decimals = maxChars - intDigits - 1;
  if (decimals < 0) decimals = 0;
  // Limit to what a double holds, so that 0.1 does not show as 0.1000000000000000055.
  decimals = std::min(decimals, std::max(0, 15 - intDigits - (exponent < 0 ? exponent : 0)));
  QString text = stripFraction(fixedDigits(a, decimals));
  if (text.size() > maxChars) {  // rounding carried into a new integer digit
    text = stripFraction(fixedDigits(a, std::max(0, decimals - 1)));
    if (text.size() > maxChars) return {};
  }
  return text;
}

// ---------------------------------------------------------------------------------------------
// Format sections

enum class Kind { Literal, Digit, Point, Percent, Exponent, Text, General, Date };

struct Token {
  Kind kind;
  QString text;       // Literal: the text
  QChar digit;        // Digit: '0', '#' or '?'
  bool plus = false;  // Exponent: "E+" shows the sign of positive exponents too
};

struct Section {
  std::vector<Token> tokens;
  std::optional<uint16_t> color;
  bool thousands = false;
  int scale = 0;  // trailing commas: divide by 1000 per comma
  int percents = 0;
  bool hasDigits = false;
  bool hasGeneral = false;
  bool hasText = false;
  bool hasExponent = false;
  bool hasDate = false;
};

std::optional<uint16_t> colorByName(const QString& name) {
  static const struct {
    const char* name;
    uint16_t index;
  } kColors[] = {{"black", 8}, {"white", 9},   {"red", 10},     {"green", 11},
                 {"blue", 12}, {"yellow", 13}, {"magenta", 14}, {"cyan", 15}};
  const QString lower = name.toLower();
  for (const auto& c : kColors)
    if (lower == QLatin1String(c.name)) return c.index;
  if (lower.startsWith(QLatin1String("color"))) {
    bool ok = false;
    const int n = lower.mid(5).toInt(&ok);
    if (ok && n >= 1 && n <= 56) return static_cast<uint16_t>(n + 7);
  }
  return std::nullopt;
}

bool isPlaceholder(QChar c) {
  return c == u'0' || c == u'#' || c == u'?';
}

// Splits a format into its sections at ";" outside quotes, brackets and escapes.
QStringList splitSections(const QString& format) {
  QStringList sections;
  QString current;
  bool quoted = false;
  bool bracket = false;
  for (int i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (quoted) {
      quoted = c != u'"';
    } else if (bracket) {
      bracket = c != u']';
    } else if (c == u'"') {
      quoted = true;
    } else if (c == u'[') {
      bracket = true;
    } else if ((c == u'\\' || c == u'_' || c == u'*') && i + 1 < format.size()) {
      current += c;
      current += format[++i];
      continue;
    } else if (c == u';') {
      sections << current;
      current.clear();
      continue;
    }
    current += c;
  }
  sections << current;
  return sections;
}

Section parseSection(const QString& s) {
  Section sec;
  bool afterPoint = false;
  bool inExponent = false;
  auto literal = [&](const QString& text) {
    if (!sec.tokens.empty() && sec.tokens.back().kind == Kind::Literal)
      sec.tokens.back().text += text;
    else
      sec.tokens.push_back({Kind::Literal, text, {}});
  };
  auto lastIsDigit = [&] {
    for (auto it = sec.tokens.rbegin(); it != sec.tokens.rend(); ++it)
      if (it->kind != Kind::Literal) return it->kind == Kind::Digit;
    return false;
  };
  for (int i = 0; i < s.size(); ++i) {
    const QChar c = s[i];
    if (c == u'"') {
      const int end = s.indexOf(u'"', i + 1);
      const int stop = end < 0 ? s.size() : end;
      literal(s.mid(i + 1, stop - i - 1));
      i = stop;
    } else if (c == u'\\') {
      if (i + 1 < s.size()) literal(QString(s[++i]));
    } else if (c == u'_') {
      if (i + 1 < s.size()) ++i;
      literal(QStringLiteral(" "));
    } else if (c == u'*') {
      if (i + 1 < s.size()) ++i;  // a repeat character fills the cell: nothing of its own
    } else if (c == u'[') {
      const int end = s.indexOf(u']', i + 1);
      const int stop = end < 0 ? s.size() : end;
      const QString inner = s.mid(i + 1, stop - i - 1);
      if (inner.startsWith(u'$')) {
        // [$€-407]: a currency symbol with a locale
        const int dash = inner.indexOf(u'-');
        literal(inner.mid(1, dash < 0 ? -1 : dash - 1));
      } else if (auto color = colorByName(inner)) {
        sec.color = color;
      }  // conditions and elapsed-time codes are not shown
      i = stop;
    } else if (isPlaceholder(c)) {
      sec.tokens.push_back({Kind::Digit, {}, c});
      sec.hasDigits = true;
    } else if (c == u'.' && !afterPoint && !inExponent) {
      sec.tokens.push_back({Kind::Point, {}, {}});
      afterPoint = true;
    } else if (c == u',' && lastIsDigit() && !afterPoint && !inExponent) {
      if (i + 1 < s.size() && isPlaceholder(s[i + 1]))
        sec.thousands = true;
      else
        ++sec.scale;
    } else if (c == u',' && lastIsDigit()) {
      ++sec.scale;
    } else if (c == u'%') {
      sec.tokens.push_back({Kind::Percent, {}, {}});
      ++sec.percents;
    } else if ((c == u'E' || c == u'e') && i + 1 < s.size() &&
               (s[i + 1] == u'+' || s[i + 1] == u'-') && sec.hasDigits && !inExponent) {
      Token t{Kind::Exponent, {}, {}};
      t.plus = s[i + 1] == u'+';
      sec.tokens.push_back(t);
      sec.hasExponent = true;
      inExponent = true;
      ++i;
    } else if (c == u'@') {
      sec.tokens.push_back({Kind::Text, {}, {}});
      sec.hasText = true;
    } else if ((c == u'G' || c == u'g') &&
               s.mid(i, 7).compare(QLatin1String("general"), Qt::CaseInsensitive) == 0) {
      sec.tokens.push_back({Kind::General, {}, {}});
      sec.hasGeneral = true;
      i += 6;
    } else if (QStringLiteral("dmyhsDMYHS").contains(c)) {
      // Date and time codes: a run of one letter ("yyyy", "mmm", "hh").
      int run = 1;
      while (i + run < s.size() && s[i + run].toLower() == c.toLower()) ++run;
      sec.tokens.push_back({Kind::Date, QString(run, c.toLower()), {}});
      sec.hasDate = true;
      i += run - 1;
    } else if (s.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
      sec.tokens.push_back({Kind::Date, QStringLiteral("AM/PM"), {}});
      sec.hasDate = true;
      i += 4;
    } else if (s.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
      sec.tokens.push_back({Kind::Date, QStringLiteral("A/P"), {}});
      sec.hasDate = true;
      i += 2;
    } else {
      literal(QString(c));
    }
  }
  // Trailing commas after the last digit placeholder scale; a comma followed by more
  // placeholders was already taken as the thousands separator above.
  return sec;
}

// Digit placeholders of the integer part, the fraction and the exponent.
struct Placeholders {
  QString integer, fraction, exponent;
};

Placeholders placeholdersOf(const Section& sec) {
  Placeholders p;
  int part = 0;  // 0 integer, 1 fraction, 2 exponent
  for (const Token& t : sec.tokens) {
    if (t.kind == Kind::Point && part == 0) part = 1;
    if (t.kind == Kind::Exponent) part = 2;
    if (t.kind != Kind::Digit) continue;
    (part == 0 ? p.integer : part == 1 ? p.fraction : p.exponent) += t.digit;
  }
  return p;
}

// The number text of a section for a non-negative value.
QString formatNumber(const Section& sec, double x) {
  if (sec.hasGeneral || (!sec.hasDigits && sec.hasText)) {
    QString out;
    for (const Token& t : sec.tokens) {
      if (t.kind == Kind::Literal) out += t.text;
      if (t.kind == Kind::General || t.kind == Kind::Text) out += generalNumber(x);
      if (t.kind == Kind::Percent) out += u'%';
    }
    return out;
  }
  for (int i = 0; i < sec.percents; ++i) x *= 100.0;
  for (int i = 0; i < sec.scale; ++i) x /= 1000.0;
  const Placeholders ph = placeholdersOf(sec);

  int exponent = 0;
  if (sec.hasExponent && x != 0.0) {
    const int intCount = std::max<int>(1, ph.integer.size());
    exponent = static_cast<int>(std::floor(std::log10(x)));
    if (intCount > 1 && ph.integer.contains(u'#'))  // engineering style: multiples of the count
      exponent = static_cast<int>(std::floor(static_cast<double>(exponent) / intCount)) * intCount;
    else
      exponent -= intCount - 1;
    x /= std::pow(10.0, exponent);
    // Rounding may carry the mantissa to the next power of ten.
    const QString probe = fixedDigits(x, ph.fraction.size());
    if (probe.section(u'.', 0, 0).size() > intCount) {
      x /= 10.0;
      ++exponent;
    }
  }

  const QString fixed = fixedDigits(x, ph.fraction.size());
  QString intDigits = fixed.section(u'.', 0, 0);
  QString fracDigits = fixed.section(u'.', 1, 1);
  if (intDigits == QLatin1String("0")) intDigits.clear();

  // Fraction: '#' drops trailing zeros, '?' turns them into spaces.
  int lastSignificant = -1;
  for (int j = 0; j < fracDigits.size(); ++j)
    if (fracDigits[j] != u'0') lastSignificant = j;

  QString out;
  const int n = ph.integer.size();
  int part = 0;  // 0 integer, 1 fraction, 2 exponent
  int intIndex = 0;
  int fracIndex = 0;
  int expIndex = 0;
  const QString expDigits = QString::number(std::abs(exponent));
  auto emitIntDigit = [&](QChar digit, int position) {
    out += digit;
    if (sec.thousands && position > 0 && position % 3 == 0) out += u',';
  };
  for (const Token& t : sec.tokens) {
    switch (t.kind) {
      case Kind::Literal:
        out += t.text;
        break;
      case Kind::Percent:
        out += u'%';
        break;
      case Kind::Text:
      case Kind::General:
      case Kind::Date:
        break;
      case Kind::Point:
        if (n == 0) {
          for (int q = 0; q < intDigits.size(); ++q)
            emitIntDigit(intDigits[q], intDigits.size() - 1 - q);
        }
        out += u'.';
        if (part == 0) part = 1;
        break;
      case Kind::Exponent:
        part = 2;
        out += u'E';
        if (exponent < 0)
          out += u'-';
        else if (t.plus)
          out += u'+';
        break;
      case Kind::Digit: {
        if (part == 0) {
          const int position = n - 1 - intIndex;  // from the right, 0 = units
          if (intIndex == 0) {
            // The first placeholder takes every digit that has no placeholder of its own.
            const int extra = intDigits.size() - n;
            for (int q = 0; q < extra; ++q) emitIntDigit(intDigits[q], intDigits.size() - 1 - q);
          }
          const int index = intDigits.size() - 1 - position;
          if (index >= 0)
            emitIntDigit(intDigits[index], position);
          else if (t.digit == u'0')
            emitIntDigit(u'0', position);
          else if (t.digit == u'?')
            out += u' ';
          ++intIndex;
        } else if (part == 1) {
          const QChar d = fracIndex < fracDigits.size() ? fracDigits[fracIndex] : QChar(u'0');
          if (t.digit == u'0' || fracIndex <= lastSignificant)
            out += d;
          else if (t.digit == u'?')
            out += u' ';
          ++fracIndex;
        } else {
          // Exponent digits, right-aligned like the integer part.
          const int count = ph.exponent.size();
          const int position = count - 1 - expIndex;
          if (expIndex == 0 && expDigits.size() > count)
            out += expDigits.left(expDigits.size() - count);
          const int index = expDigits.size() - 1 - position;
          if (index >= 0)
            out += expDigits[index];
          else if (t.digit == u'0')
            out += u'0';
          else if (t.digit == u'?')
            out += u' ';
          ++expIndex;
        }
        break;
      }
    }
  }
  return out;
}

// A serial date and time of the 1900 date system (1 is 1 January 1900, 60 the 29 February 1900
// that the system counts although it never was).
QString formatDate(const Section& sec, double serial) {
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  static const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
  if (serial < 0 || serial >= 2958466) return QString(10, u'#');
  qint64 seconds = std::llround(serial * 86400.0);
  const qint64 days = seconds / 86400;
  seconds %= 86400;
  int year = 1900, month = 1, day = 0;                   // serial 0 shows as 0 January 1900
  const int weekday = static_cast<int>((days + 6) % 7);  // serial 1 counts as a Sunday
  if (days == 60) {
    month = 2;
    day = 29;
  } else if (days > 0) {
    const QDate date = QDate(1899, 12, days < 60 ? 31 : 30).addDays(days);
    year = date.year();
    month = date.month();
    day = date.day();
  }
  const int hour = static_cast<int>(seconds / 3600);
  const int minute = static_cast<int>(seconds / 60 % 60);
  const int second = static_cast<int>(seconds % 60);
  bool twelveHours = false;
  for (const Token& t : sec.tokens)
    twelveHours = twelveHours || (t.kind == Kind::Date && t.text.contains(u'/'));

  auto two = [](int n) { return QString::number(n).rightJustified(2, u'0'); };
  QString out;
  for (size_t k = 0; k < sec.tokens.size(); ++k) {
    const Token& t = sec.tokens[k];
    if (t.kind == Kind::Literal) out += t.text;
    if (t.kind != Kind::Date) continue;
    const QChar code = t.text[0];
    const int n = t.text.size();
    if (t.text == QLatin1String("AM/PM")) {
      out += hour < 12 ? QLatin1String("AM") : QLatin1String("PM");
    } else if (t.text == QLatin1String("A/P")) {
      out += hour < 12 ? u'A' : u'P';
    } else if (code == u'y') {
      out += n <= 2 ? two(year % 100) : QString::number(year);
    } else if (code == u'd') {
      const QString name = QString::fromLatin1(kDays[weekday]);
      out += n == 1 ? QString::number(day) : n == 2 ? two(day) : n == 3 ? name.left(3) : name;
    } else if (code == u'h') {
      const int h = twelveHours ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
      out += n == 1 ? QString::number(h) : two(h);
    } else if (code == u's') {
      out += n == 1 ? QString::number(second) : two(second);
    } else {  // 'm': minutes next to hours or seconds, the month otherwise
      bool minutes = false;
      for (size_t j = k; j-- > 0;) {
        if (sec.tokens[j].kind != Kind::Date) continue;
        minutes = sec.tokens[j].text[0] == u'h';
        break;
      }
      for (size_t j = k + 1; j < sec.tokens.size() && !minutes && n <= 2; ++j) {
        if (sec.tokens[j].kind != Kind::Date) continue;
        minutes = sec.tokens[j].text[0] == u's';
        break;
      }
      const QString name = QString::fromLatin1(kMonths[month - 1]);
      if (minutes && n <= 2)
        out += n == 1 ? QString::number(minute) : two(minute);
      else
        out += n == 1   ? QString::number(month)
               : n == 2 ? two(month)
               : n == 3 ? name.left(3)
               : n == 4 ? name
                        : name.left(1);
    }
  }
  return out;
}

QString formatTextSection(const Section& sec, const QString& text) {
  QString out;
  for (const Token& t : sec.tokens) {
    if (t.kind == Kind::Literal) out += t.text;
    if (t.kind == Kind::Text) out += text;
  }
  return out;
}

}  // namespace

QString generalNumber(double value, int maxChars) {
  if (value == 0.0 || !std::isfinite(value)) return value == 0.0 ? QStringLiteral("0") : QString();
  const double a = std::abs(value);
  const QString sign = value < 0 ? QStringLiteral("-") : QString();
  const int exponent = static_cast<int>(std::floor(std::log10(a)));
  const QString decimal = generalDecimal(a, maxChars);
  const QString scientific = generalScientific(a, maxChars);
  const bool decimalShowsSomething = !decimal.isEmpty() && decimal != QLatin1String("0");
  // Very small numbers always use the exponent form; otherwise the decimal form wins unless the
  // exponent form keeps more significant digits.
  if (decimalShowsSomething && exponent >= -5 &&
      (scientific.isEmpty() || significantDigits(decimal) >= significantDigits(scientific)))
    return sign + decimal;
  if (!scientific.isEmpty()) return sign + scientific;
  return {};
}

bool isGeneralFormat(const QString& numberFormat) {
  const QString f = numberFormat.trimmed();
  return f.isEmpty() || f.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0;
}

FormattedValue formatValue(const Value& value, const QString& numberFormat) {
  if (isEmpty(value)) return {};
  if (const bool* b = std::get_if<bool>(&value))
    return {*b ? QStringLiteral("TRUE") : QStringLiteral("FALSE"), std::nullopt};
  if (const ErrorCode* e = std::get_if<ErrorCode>(&value)) return {errorText(*e), std::nullopt};

  if (isGeneralFormat(numberFormat)) {
    if (const QString* s = std::get_if<QString>(&value)) return {*s, std::nullopt};
    return {generalNumber(std::get<double>(value)), std::nullopt};
  }

  const QStringList parts = splitSections(numberFormat);
  if (const QString* s = std::get_if<QString>(&value)) {
    if (parts.size() >= 4) {
      const Section sec = parseSection(parts[3]);
      return {formatTextSection(sec, *s), sec.color};
    }
    const Section first = parseSection(parts[0]);
    if (parts.size() == 1 && first.hasText) return {formatTextSection(first, *s), first.color};
    return {*s, std::nullopt};
  }

  const double x = std::get<double>(value);
  int index = 0;
  bool minus = false;
  if (x < 0) {
    if (parts.size() >= 2)
      index = 1;
    else
      minus = true;
  } else if (x == 0 && parts.size() >= 3) {
    index = 2;
  }
  const Section sec = parseSection(parts[index]);
  if (sec.hasDate) return {formatDate(sec, x), sec.color};
  QString text = formatNumber(sec, std::abs(x));
  if (minus) text.prepend(u'-');
  return {text, sec.color};
}

QString displayText(const Value& value, const QString& numberFormat) {
  return formatValue(value, numberFormat).text;
}

}  // namespace sheet
