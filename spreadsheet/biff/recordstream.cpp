#include "spreadsheet/biff/recordstream.h"

#include "spreadsheet/biff/recordids.h"
#include "spreadsheet/model/error.h"

namespace sheet::biff {

void damaged(const std::string& what) {
  throw FormatError("damaged workbook: " + what);
}

std::vector<Record> splitRecords(const QByteArray& stream) {
  std::vector<Record> records;
  const auto* p = reinterpret_cast<const uint8_t*>(stream.constData());
  const auto size = size_t(stream.size());
  size_t pos = 0;
  while (pos < size) {
    if (size - pos < 4) {
      // Padding after the last record.
      for (size_t k = pos; k < size; ++k)
        if (p[k] != 0) damaged("truncated record header");
      break;
    }
    const uint16_t id = uint16_t(p[pos] | (p[pos + 1] << 8));
    const size_t length = size_t(p[pos + 2] | (p[pos + 3] << 8));
    if (length > size - pos - 4) damaged("record runs past the end of the stream");
    const char* data = stream.constData() + pos + 4;
    if (id == CONTINUE && !records.empty()) {
      Record& r = records.back();
      r.breaks.push_back(uint32_t(r.data.size()));
      r.data.append(data, qsizetype(length));  // detaches from the stream
    } else {
      Record r;
      r.id = id;
      r.offset = uint32_t(pos);
      r.data = QByteArray::fromRawData(data, qsizetype(length));
      records.push_back(std::move(r));
    }
    pos += 4 + length;
  }
  return records;
}

}  // namespace sheet::biff
