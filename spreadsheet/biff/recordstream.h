#pragma once
// The reader's view of a workbook stream: its records in order, each with the data of the
// CONTINUE records after it joined on.
#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

#include "spreadsheet/biff/bytes.h"

namespace sheet::biff {

// Throws FormatError("damaged workbook: <what>").
[[noreturn]] void damaged(const std::string& what);

// One record with the data of the CONTINUE records that follow it appended; `breaks` are the
// positions in `data` where each CONTINUE record's data starts.
struct Record {
  uint16_t id = 0;
  uint32_t offset = 0;  // stream position of the header
  QByteArray data;
  std::vector<uint32_t> breaks;
  In in() const { return In(data, &breaks); }
};

// The records of `stream`, which must outlive them (a record without CONTINUE records points
// into it). Zero bytes after the last record are padding; a header or a record running past
// the end is damage.
std::vector<Record> splitRecords(const QByteArray& stream);

}  // namespace sheet::biff
