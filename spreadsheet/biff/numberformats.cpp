#include "spreadsheet/biff/numberformats.h"

#include <array>

namespace sheet::biff {

namespace {

struct Builtin {
  uint16_t id;
  const char* code;
  bool portable;  // the same in every locale
};

const std::array<Builtin, 36> kBuiltins{{
    {0, "General", true},
    {1, "0", true},
    {2, "0.00", true},
    {3, "#,##0", true},
    {4, "#,##0.00", true},
    {5, "\"$\"#,##0_);\\(\"$\"#,##0\\)", false},
    {6, "\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)", false},
    {7, "\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)", false},
    {8, "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)", false},
    {9, "0%", true},
    {10, "0.00%", true},
    {11, "0.00E+00", true},
    {12, "# ?/?", true},
    {13, "# ?\?/??", true},
    {14, "m/d/yyyy", false},
    {15, "d-mmm-yy", false},
    {16, "d-mmm", false},
    {17, "mmm-yy", false},
    {18, "h:mm AM/PM", false},
    {19, "h:mm:ss AM/PM", false},
    {20, "h:mm", false},
    {21, "h:mm:ss", false},
    {22, "m/d/yyyy h:mm", false},
    {37, "#,##0_);\\(#,##0\\)", false},
    {38, "#,##0_);[Red]\\(#,##0\\)", false},
    {39, "#,##0.00_);\\(#,##0.00\\)", false},
    {40, "#,##0.00_);[Red]\\(#,##0.00\\)", false},
    {41, "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", false},
    {42, "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)", false},
    {43, "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"?\?_);_(@_)", false},
    {44, "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"?\?_);_(@_)", false},
    {45, "mm:ss", true},
    {46, "[h]:mm:ss", true},
    {47, "mm:ss.0", true},
    {48, "##0.0E+0", true},
    {49, "@", true},
}};

}  // namespace

QString builtinNumberFormat(uint16_t id) {
  for (const Builtin& b : kBuiltins)
    if (b.id == id) return QString::fromLatin1(b.code);
  return QString();
}

int portableBuiltinId(const QString& code) {
  for (const Builtin& b : kBuiltins)
    if (b.portable && code == QLatin1String(b.code)) return b.id;
  return -1;
}

}  // namespace sheet::biff
