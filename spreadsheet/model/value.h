#pragma once
// A cell's value: empty, number, text, boolean or error.
#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

namespace sheet {

// Spreadsheet error values with their BIFF8 codes.
enum class ErrorCode : uint8_t {
  Null = 0x00,   // #NULL!
  Div0 = 0x07,   // #DIV/0!
  Value = 0x0F,  // #VALUE!
  Ref = 0x17,    // #REF!
  Name = 0x1D,   // #NAME?
  Num = 0x24,    // #NUM!
  NA = 0x2A,     // #N/A
};

// The text a spreadsheet shows for an error value ("#DIV/0!").
QString errorText(ErrorCode code);
// The error a text names ("#div/0!" included: case does not matter), or nothing.
std::optional<ErrorCode> errorFromText(const QString& text);
// The error of a BIFF8 error code, or nothing for a code that names no error.
std::optional<ErrorCode> errorFromCode(uint8_t code);

struct Empty {
  friend bool operator==(Empty, Empty) { return true; }
};

using Value = std::variant<Empty, double, QString, bool, ErrorCode>;

inline bool isEmpty(const Value& v) {
  return std::holds_alternative<Empty>(v);
}
inline bool isNumber(const Value& v) {
  return std::holds_alternative<double>(v);
}
inline bool isText(const Value& v) {
  return std::holds_alternative<QString>(v);
}
inline bool isBoolean(const Value& v) {
  return std::holds_alternative<bool>(v);
}
inline bool isError(const Value& v) {
  return std::holds_alternative<ErrorCode>(v);
}

}  // namespace sheet
