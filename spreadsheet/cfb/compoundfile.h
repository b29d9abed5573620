#pragma once
// OLE2 compound file ("structured storage"): a small file system of named streams inside one
// file. The engine stores its BIFF8 "Workbook" stream in one.
//
// Writer: version 3, 512-byte sectors, 64-byte mini sectors; streams shorter than 4096 bytes
// live in the mini stream. Only streams directly below the root storage are written.
// Reader: versions 3 and 4; every sector index, chain and size is checked, and anything
// damaged throws sheet::FormatError. It never reads outside the given bytes.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace sheet::cfb {

struct Stream {
  QString name;  // at most 31 UTF-16 code units; for a nested stream the reader gives "dir/name"
  QByteArray data;
};

// A compound file holding the streams, in the given order of the directory.
// Throws sheet::Error for a name that is empty, too long or given twice.
QByteArray write(const std::vector<Stream>& streams);

// Every stream of a compound file (streams inside storages as "storage/name").
std::vector<Stream> read(const QByteArray& file);

// The stream of that name directly below the root (names compare case-insensitively, as the
// format says). Throws sheet::FormatError when the file is damaged or has no such stream.
QByteArray readStream(const QByteArray& file, const QString& name);

// True when the bytes start with the compound file signature.
bool hasSignature(const QByteArray& file);

namespace detail {

// Sector bookkeeping of a file with `contentSectors` sectors of directory, mini FAT, mini stream
// and stream data: how many FAT sectors describe it (the FAT and DIFAT sectors included) and
// how many DIFAT sectors list the FAT sectors beyond the 109 that the header holds.
struct FatLayout {
  uint32_t fatSectors = 0;
  uint32_t difatSectors = 0;
};
FatLayout fatLayout(uint64_t contentSectors);

// Directory order of two entry names: shorter first, then by upper-cased UTF-16 code units.
int compareNames(const QString& a, const QString& b);

}  // namespace detail

}  // namespace sheet::cfb
