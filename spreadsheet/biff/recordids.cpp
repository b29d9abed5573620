#include "spreadsheet/biff/recordids.h"

namespace sheet::biff {

const char* recordName(uint16_t id) {
  switch (id) {
#define SHEET_BIFF_NAME(name, value) \
  case value:                        \
    return value == EOF_ ? "EOF" : #name;
    SHEET_BIFF_RECORDS(SHEET_BIFF_NAME)
#undef SHEET_BIFF_NAME
    default:
      return nullptr;
  }
}

}  // namespace sheet::biff
