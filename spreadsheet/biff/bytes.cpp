#include "spreadsheet/biff/bytes.h"

#include <algorithm>

namespace sheet::biff {

bool fitsCompressed(const QString& s) {
  for (QChar c : s)
    if (c.unicode() > 0xFF) return false;
  return true;
}

Out& Out::charsWithFlags(const QString& s) {
  if (fitsCompressed(s)) {
    u8(0x00);
    const qsizetype at = b_.size();
    b_.resize(at + s.size());
    char* d = b_.data() + at;
    for (qsizetype i = 0; i < s.size(); ++i) d[i] = char(s.at(i).unicode());
  } else {
    u8(0x01);
    const qsizetype at = b_.size();
    b_.resize(at + 2 * s.size());
    char* d = b_.data() + at;
    for (qsizetype i = 0; i < s.size(); ++i) {
      const char16_t c = s.at(i).unicode();
      d[2 * i] = char(c & 0xFF);
      d[2 * i + 1] = char(c >> 8);
    }
  }
  return *this;
}

QString In::richString() {
  const uint16_t count = u16();
  const uint8_t flags = u8();
  const uint16_t runs = (flags & 0x08) ? u16() : 0;
  const uint32_t ext = (flags & 0x04) ? u32() : 0;
  QString s = chars(count, flags);
  skip(size_t(runs) * 4);
  skip(ext);
  return s;
}

QString In::chars(size_t count, uint8_t flags) {
  QString s;
  if (count == 0) return s;
  s.reserve(qsizetype(count));
  bool wide = flags & 0x01;
  // The first CONTINUE boundary at or after the characters' start.
  size_t bi = 0;
  if (breaks_) {
    bi = size_t(std::lower_bound(breaks_->begin(), breaks_->end(), uint32_t(pos_)) -
                breaks_->begin());
  }
  size_t left = count;
  while (left > 0) {
    if (breaks_ && bi < breaks_->size() && (*breaks_)[bi] == pos_) {
      wide = u8() & 0x01;
      ++bi;
    }
    const size_t end = (breaks_ && bi < breaks_->size()) ? (*breaks_)[bi] : n_;
    const size_t avail = (end - pos_) / (wide ? 2 : 1);
    if (avail == 0) {
      if (end == n_) throw FormatError("damaged workbook: string runs past its record");
      throw FormatError("damaged workbook: string split inside a character");
    }
    const size_t take = std::min(avail, left);
    if (wide) {
      for (size_t i = 0; i < take; ++i)
        s.append(QChar(char16_t(p_[pos_ + 2 * i] | (p_[pos_ + 2 * i + 1] << 8))));
      pos_ += 2 * take;
    } else {
      for (size_t i = 0; i < take; ++i) s.append(QChar(char16_t(p_[pos_ + i])));
      pos_ += take;
    }
    left -= take;
  }
  return s;
}

}  // namespace sheet::biff
