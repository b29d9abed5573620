#include "spreadsheet/biff/framer.h"

#include <algorithm>

#include "spreadsheet/biff/recordids.h"

namespace sheet::biff {

void RecordWriter::header(uint16_t id) {
  header_ = out_.size();
  const char h[4] = {char(id & 0xFF), char(id >> 8), 0, 0};
  out_.append(h, 4);
}

void RecordWriter::closeRecord() {
  const qsizetype length = out_.size() - header_ - 4;
  out_[header_ + 2] = char(length & 0xFF);
  out_[header_ + 3] = char(length >> 8);
}

void RecordWriter::startContinue() {
  closeRecord();
  header(CONTINUE);
}

int RecordWriter::room() const {
  return kMaxRecordData - int(out_.size() - header_ - 4);
}

qsizetype RecordWriter::write(uint16_t id, const QByteArray& data) {
  header(id);
  const qsizetype at = out_.size();
  qsizetype done = 0;
  for (;;) {
    const qsizetype n = std::min<qsizetype>(data.size() - done, kMaxRecordData);
    out_.append(data.constData() + done, n);
    done += n;
    if (done >= data.size()) break;
    startContinue();
  }
  closeRecord();
  header_ = -1;
  return at;
}

void RecordWriter::begin(uint16_t id) {
  header(id);
}

void RecordWriter::add(const QByteArray& data, int keepWith) {
  if (data.size() + keepWith > room()) startContinue();
  out_.append(data);
}

void RecordWriter::addChars(const QString& s, bool wide) {
  const int width = wide ? 2 : 1;
  qsizetype i = 0;
  while (i < s.size()) {
    int fit = room() / width;
    if (fit == 0) {
      startContinue();
      out_.append(char(wide ? 0x01 : 0x00));
      fit = room() / width;
    }
    const qsizetype n = std::min<qsizetype>(fit, s.size() - i);
    const qsizetype at = out_.size();
    out_.resize(at + n * width);
    char* d = out_.data() + at;
    for (qsizetype k = 0; k < n; ++k) {
      const char16_t c = s.at(i + k).unicode();
      if (wide) {
        d[2 * k] = char(c & 0xFF);
        d[2 * k + 1] = char(c >> 8);
      } else {
        d[k] = char(c);
      }
    }
    i += n;
  }
}

void RecordWriter::end() {
  closeRecord();
  header_ = -1;
}

void RecordWriter::patch32(qsizetype at, uint32_t v) {
  for (int k = 0; k < 4; ++k) out_[at + k] = char((v >> (8 * k)) & 0xFF);
}

}  // namespace sheet::biff
