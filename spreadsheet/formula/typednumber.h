#pragma once
// How a spreadsheet reads a typed text as a number, independent of the user's locale (US
// English conventions): "1,250.50", "-$5", "15%", "1.5E3", "(12)".
#include <QString>
#include <optional>

namespace sheet {

struct TypedNumber {
  enum class Style { Plain, Thousands, Currency, Percent, Scientific };
  double value = 0;
  Style style = Style::Plain;
  bool decimals = false;  // typed with digits after the decimal point
};

std::optional<TypedNumber> recogniseNumber(QStringView text);

// The number format a spreadsheet gives a General cell for a number typed in that style, or an
// empty text for plain numbers.
QString numberFormatFor(const TypedNumber& n);

}  // namespace sheet
