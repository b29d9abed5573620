#include "spreadsheet/formula/typednumber.h"

#include <charconv>
#include <cmath>
#include <string>

namespace sheet {

namespace {

bool isDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

QStringView trimBlanks(QStringView s) {
  while (!s.isEmpty() && s.front() == u' ') s = s.mid(1);
  while (!s.isEmpty() && s.back() == u' ') s.chop(1);
  return s;
}

}  // namespace

std::optional<TypedNumber> recogniseNumber(QStringView text) {
  QStringView s = trimBlanks(text);
  if (s.isEmpty() || s.size() > 400) return std::nullopt;
  TypedNumber result;
  bool negative = false;
  bool currency = false;
  bool percent = false;

  // "(12)" is -12, as accountants write it.
  if (s.front() == u'(' && s.back() == u')') {
    negative = true;
    s = trimBlanks(s.mid(1, s.size() - 2));
  }
  auto sign = [&] {
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
      if (negative && s.front() == u'-') return false;  // "(-5)", "--5"
      if (s.front() == u'-') negative = true;
      s = s.mid(1);
    }
    return true;
  };
  // The sign may stand before or after the currency symbol: "-$5", "$-5".
  const bool hadSign = !s.isEmpty() && (s.front() == u'-' || s.front() == u'+');
  if (!sign()) return std::nullopt;
  if (!s.isEmpty() && s.front() == u'$') {
    currency = true;
    s = trimBlanks(s.mid(1));
    if (!hadSign && !sign()) return std::nullopt;
  }
  if (!s.isEmpty() && s.back() == u'%') {
    percent = true;
    s.chop(1);
  }
  if (s.isEmpty() || (currency && percent)) return std::nullopt;

  // Digits with thousands separators in groups of three, decimal point, exponent.
  std::string ascii;
  qsizetype i = 0;
  int intDigits = 0, groupDigits = 0, groups = 0;
  while (i < s.size() && (isDigit(s[i]) || s[i] == u',')) {
    if (s[i] == u',') {
      if (intDigits == 0 || (groups == 0 ? groupDigits > 3 : groupDigits != 3)) return std::nullopt;
      ++groups;
      groupDigits = 0;
    } else {
      ascii += static_cast<char>(s[i].unicode());
      ++intDigits;
      ++groupDigits;
    }
    ++i;
  }
  if (groups > 0 && groupDigits != 3) return std::nullopt;
  int fracDigits = 0;
  if (i < s.size() && s[i] == u'.') {
    ascii += '.';
    ++i;
    while (i < s.size() && isDigit(s[i])) {
      ascii += static_cast<char>(s[i++].unicode());
      ++fracDigits;
    }
  }
  if (intDigits + fracDigits == 0) return std::nullopt;
  bool exponent = false;
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    exponent = true;
    ascii += 'e';
    ++i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
      ascii += static_cast<char>(s[i++].unicode());
    int expDigits = 0;
    while (i < s.size() && isDigit(s[i])) {
      ascii += static_cast<char>(s[i++].unicode());
      ++expDigits;
    }
    if (expDigits == 0 || groups > 0 || currency || percent) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;

  double value = 0;
  auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec != std::errc() || ptr != ascii.data() + ascii.size() || !std::isfinite(value))
    return std::nullopt;
  if (percent) value /= 100;
  result.value = negative ? -value : value;
  result.decimals = fracDigits > 0;
  result.style = currency     ? TypedNumber::Style::Currency
                 : percent    ? TypedNumber::Style::Percent
                 : exponent   ? TypedNumber::Style::Scientific
                 : groups > 0 ? TypedNumber::Style::Thousands
                              : TypedNumber::Style::Plain;
  return result;
}

QString numberFormatFor(const TypedNumber& n) {
  switch (n.style) {
    case TypedNumber::Style::Plain:
      return {};
    case TypedNumber::Style::Thousands:
      return n.decimals ? QStringLiteral("#,##0.00") : QStringLiteral("#,##0");
    case TypedNumber::Style::Currency:
      // "$" is a literal in a number format: every reader shows these as dollar amounts.
      return n.decimals ? QStringLiteral("$#,##0.00") : QStringLiteral("$#,##0");
    case TypedNumber::Style::Percent:
      return n.decimals ? QStringLiteral("0.00%") : QStringLiteral("0%");
    case TypedNumber::Style::Scientific:
      return QStringLiteral("0.00E+00");
  }
  return {};
}

}  // namespace sheet
