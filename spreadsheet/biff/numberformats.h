#pragma once
// Built-in number formats of BIFF8: formats a file refers to by id without a FORMAT record.
#include <QString>
#include <cstdint>

namespace sheet::biff {

// The format code of a built-in id as an English-language spreadsheet shows it, or an empty
// string for an id that has none.
QString builtinNumberFormat(uint16_t id);

// The id under which the writer stores a format code without a FORMAT record: only formats that
// read the same in every locale are stored that way. -1 for the others.
int portableBuiltinId(const QString& code);

// First id of a workbook's own number formats.
inline constexpr uint16_t kFirstCustomFormat = 164;

}  // namespace sheet::biff
