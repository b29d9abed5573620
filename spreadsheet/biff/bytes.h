#pragma once
// Little-endian byte building and bounds-checked reading for BIFF8 records, with the format's
// string layouts.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>
#include <vector>

#include "spreadsheet/model/error.h"

namespace sheet::biff {

// True when every character fits in one byte, so the string is stored "compressed".
bool fitsCompressed(const QString& s);

// Builds a record body.
class Out {
 public:
  Out& u8(uint8_t v) {
    b_.append(char(v));
    return *this;
  }
  Out& u16(uint16_t v) {
    const char x[2] = {char(v & 0xFF), char(v >> 8)};
    b_.append(x, 2);
    return *this;
  }
  Out& u32(uint32_t v) {
    const char x[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                       char(v >> 24)};
    b_.append(x, 4);
    return *this;
  }
  Out& f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    u32(uint32_t(bits));
    return u32(uint32_t(bits >> 32));
  }
  Out& zeros(int n) {
    b_.append(n, '\0');
    return *this;
  }
  Out& bytes(const QByteArray& b) {
    b_.append(b);
    return *this;
  }
  // The option byte (bit 0: two bytes per character) and the characters.
  Out& charsWithFlags(const QString& s);
  // XLUnicodeString: character count (2 bytes), option byte, characters.
  Out& string16(const QString& s) {
    u16(uint16_t(s.size()));
    return charsWithFlags(s);
  }
  // ShortXLUnicodeString: character count (1 byte), option byte, characters.
  Out& string8(const QString& s) {
    u8(uint8_t(s.size()));
    return charsWithFlags(s);
  }
  void patch16(qsizetype at, uint16_t v) {
    b_[at] = char(v & 0xFF);
    b_[at + 1] = char(v >> 8);
  }
  qsizetype size() const { return b_.size(); }
  const QByteArray& data() const { return b_; }
  QByteArray take() { return std::move(b_); }

 private:
  QByteArray b_;
};

// Reads a record body; every read past its end throws FormatError. `breaks` are the positions
// where the data of a CONTINUE record starts (they matter inside strings).
class In {
 public:
  In(const uint8_t* data, size_t size, const std::vector<uint32_t>* breaks = nullptr)
      : p_(data), n_(size), breaks_(breaks) {}
  explicit In(const QByteArray& b, const std::vector<uint32_t>* breaks = nullptr)
      : In(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()), breaks) {}

  size_t pos() const { return pos_; }
  size_t size() const { return n_; }
  size_t remaining() const { return n_ - pos_; }
  bool atEnd() const { return pos_ >= n_; }
  const uint8_t* here() const { return p_ + pos_; }

  uint8_t u8() {
    need(1);
    return p_[pos_++];
  }
  uint16_t u16() {
    need(2);
    const uint16_t v = uint16_t(p_[pos_] | (p_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t u32() {
    need(4);
    const uint32_t v = uint32_t(p_[pos_]) | (uint32_t(p_[pos_ + 1]) << 8) |
                       (uint32_t(p_[pos_ + 2]) << 16) | (uint32_t(p_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
  }
  double f64() {
    const uint64_t lo = u32();
    const uint64_t hi = u32();
    const uint64_t bits = lo | (hi << 32);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
  }
  void skip(size_t n) {
    need(n);
    pos_ += n;
  }
  // XLUnicodeString (2-byte count), ShortXLUnicodeString (1-byte count).
  QString string16() { return stringBody(u16()); }
  QString string8() { return stringBody(u8()); }
  // XLUnicodeRichExtendedString (shared strings): optional formatting runs and phonetic data
  // are skipped.
  QString richString();
  // Option byte and `count` characters; a CONTINUE boundary inside the characters is followed
  // by a new option byte.
  QString stringBody(size_t count) { return chars(count, u8()); }

 private:
  QString chars(size_t count, uint8_t flags);
  void need(size_t n) const {
    if (n > n_ - pos_) throw FormatError("damaged workbook: record too short");
  }

  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;
  const std::vector<uint32_t>* breaks_;
};

}  // namespace sheet::biff
