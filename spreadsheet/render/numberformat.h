#pragma once
// Number formats as a spreadsheet shows values on screen: "General", "0.00", "#,##0",
// "$#,##0_);($#,##0)", "0%", "0.00E+00", "@", with up to four sections separated by ";"
// (positive; negative; zero; text), literal text in quotes or after a backslash, "_x" padding,
// "*x" repeat characters (shown once) and colours in brackets ([Red], [Color10]).
#include <QString>
#include <cstdint>
#include <optional>

#include "spreadsheet/model/value.h"

namespace sheet {

struct FormattedValue {
  QString text;
  // A colour the format asks for ([Red] ...), as a palette index 8..63.
  std::optional<uint16_t> colorIndex;
};

// The text a cell shows for a value in a number format, as if its column were wide enough.
FormattedValue formatValue(const Value& value, const QString& numberFormat);
QString displayText(const Value& value, const QString& numberFormat);

// The general format with at most `maxChars` characters for the digits, the decimal point and
// the exponent (the sign is not counted). A spreadsheet uses 11 in a wide enough column and
// fewer when a narrow column makes it drop decimals. Empty when the number cannot be shown in
// that many characters.
QString generalNumber(double value, int maxChars = 11);

// True for a format whose number text may be shortened to fit the column (the general format,
// alone or as the section that the value uses).
bool isGeneralFormat(const QString& numberFormat);

}  // namespace sheet
