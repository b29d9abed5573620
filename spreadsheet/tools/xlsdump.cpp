// xlsdump: prints every record of a workbook file's "Workbook" stream: stream position,
// identifier, name, data length and the data in hex. A debugging aid for the file format.
//
//   xlsdump FILE [--max-bytes N]     (N bytes of data shown per record, 64 by default; 0 = all)
#include <QByteArray>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "spreadsheet/biff/recordids.h"
#include "spreadsheet/cfb/compoundfile.h"
#include "spreadsheet/model/error.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [--max-bytes N]\n", argv[0]);
    return 2;
  }
  long maxBytes = 64;
  if (argc >= 4 && std::strcmp(argv[2], "--max-bytes") == 0) maxBytes = std::atol(argv[3]);
  QFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(file.errorString()));
    return 1;
  }
  QByteArray stream;
  try {
    const QByteArray bytes = file.readAll();
    stream = sheet::cfb::readStream(bytes, QStringLiteral("Workbook"));
  } catch (const sheet::Error& e) {
    std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
    return 1;
  }
  const auto* p = reinterpret_cast<const uint8_t*>(stream.constData());
  const auto size = size_t(stream.size());
  size_t pos = 0;
  int records = 0;
  while (pos + 4 <= size) {
    const uint16_t id = uint16_t(p[pos] | (p[pos + 1] << 8));
    const size_t length = size_t(p[pos + 2] | (p[pos + 3] << 8));
    const char* name = sheet::biff::recordName(id);
    std::printf("%08zx  %04X  %-16s %5zu ", pos, id, name ? name : "?", length);
    const size_t available = std::min(length, size - pos - 4);
    const size_t shown = maxBytes > 0 ? std::min(available, size_t(maxBytes)) : available;
    for (size_t k = 0; k < shown; ++k) std::printf(" %02x", p[pos + 4 + k]);
    if (shown < length) std::printf(" ...");
    std::printf("\n");
    if (available < length) {
      std::printf("%08zx  record runs past the end of the stream\n", pos);
      return 1;
    }
    pos += 4 + length;
    ++records;
  }
  std::printf("%d records, %zu bytes\n", records, size);
  return 0;
}
