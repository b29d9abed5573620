#include "spreadsheet/model/value.h"

namespace sheet {

QString errorText(ErrorCode code) {
  switch (code) {
    case ErrorCode::Null:
      return QStringLiteral("#NULL!");
    case ErrorCode::Div0:
      return QStringLiteral("#DIV/0!");
    case ErrorCode::Value:
      return QStringLiteral("#VALUE!");
    case ErrorCode::Ref:
      return QStringLiteral("#REF!");
    case ErrorCode::Name:
      return QStringLiteral("#NAME?");
    case ErrorCode::Num:
      return QStringLiteral("#NUM!");
    case ErrorCode::NA:
      return QStringLiteral("#N/A");
  }
  return QStringLiteral("#VALUE!");
}

std::optional<ErrorCode> errorFromText(const QString& text) {
  static const ErrorCode all[] = {ErrorCode::Null, ErrorCode::Div0, ErrorCode::Value,
                                  ErrorCode::Ref,  ErrorCode::Name, ErrorCode::Num,
                                  ErrorCode::NA};
  for (ErrorCode code : all) {
    if (text.compare(errorText(code), Qt::CaseInsensitive) == 0) return code;
  }
  return std::nullopt;
}

std::optional<ErrorCode> errorFromCode(uint8_t code) {
  switch (code) {
    case 0x00:
      return ErrorCode::Null;
    case 0x07:
      return ErrorCode::Div0;
    case 0x0F:
      return ErrorCode::Value;
    case 0x17:
      return ErrorCode::Ref;
    case 0x1D:
      return ErrorCode::Name;
    case 0x24:
      return ErrorCode::Num;
    case 0x2A:
      return ErrorCode::NA;
    default:
      return std::nullopt;
  }
}

}  // namespace sheet
