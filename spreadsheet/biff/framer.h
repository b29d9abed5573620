#pragma once
// The record framer: the one place that writes record headers (identifier, length) and splits
// data longer than one record into CONTINUE records.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace sheet::biff {

// A whole record: identifier and data (without its header).
struct RecordOut {
  uint16_t id;
  QByteArray data;
};

class RecordWriter {
 public:
  // A whole record. Data over 8224 bytes continues in CONTINUE records, split at the size
  // limit. Returns the stream position of the record's data.
  qsizetype write(uint16_t id, const QByteArray& data);
  qsizetype write(const RecordOut& r) { return write(r.id, r.data); }

  // A record built piece by piece, for records whose CONTINUE rules depend on the content
  // (shared strings): pieces added with add() are never split; a string's characters added
  // with addChars() are split between characters, and every CONTINUE record that starts inside
  // them begins with the string's option byte again.
  void begin(uint16_t id);
  // Adds `data`; when it, plus `keepWith` bytes that must follow in the same record, does not
  // fit, a CONTINUE record starts first.
  void add(const QByteArray& data, int keepWith = 0);
  void addChars(const QString& s, bool wide);
  void end();

  // Stream position of the next byte, and of the header of the record being built.
  qsizetype position() const { return out_.size(); }
  qsizetype recordStart() const { return header_; }

  void patch32(qsizetype at, uint32_t v);
  const QByteArray& bytes() const { return out_; }
  QByteArray take() { return std::move(out_); }

 private:
  void header(uint16_t id);
  void closeRecord();
  void startContinue();
  int room() const;

  QByteArray out_;
  qsizetype header_ = -1;  // header of the open record
};

}  // namespace sheet::biff
