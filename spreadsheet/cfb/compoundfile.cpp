#include "spreadsheet/cfb/compoundfile.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <functional>

#include "spreadsheet/model/error.h"

namespace sheet::cfb {

namespace {

constexpr uint32_t kFreeSect = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSect = 0xFFFFFFFD;
constexpr uint32_t kDifSect = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kMaxRegSect = 0xFFFFFFFA;

constexpr int kSectorSize = 512;  // version 3
constexpr int kMiniSectorSize = 64;
constexpr uint32_t kMiniCutoff = 4096;
constexpr int kEntrySize = 128;
constexpr int kHeaderDifat = 109;
constexpr int kIdsPerSector = kSectorSize / 4;  // 128

constexpr uint8_t kTypeEmpty = 0;
constexpr uint8_t kTypeStorage = 1;
constexpr uint8_t kTypeStream = 2;
constexpr uint8_t kTypeRoot = 5;
constexpr uint8_t kRed = 0;
constexpr uint8_t kBlack = 1;

const uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

[[noreturn]] void damaged(const char* what) {
  throw FormatError(std::string("damaged compound file: ") + what);
}

void put16(uint8_t* p, uint16_t v) {
  qToLittleEndian(v, p);
}
void put32(uint8_t* p, uint32_t v) {
  qToLittleEndian(v, p);
}
uint16_t get16(const uint8_t* p) {
  return qFromLittleEndian<uint16_t>(p);
}
uint32_t get32(const uint8_t* p) {
  return qFromLittleEndian<uint32_t>(p);
}

uint64_t ceilDiv(uint64_t a, uint64_t b) {
  return (a + b - 1) / b;
}

// ---------------------------------------------------------------------------------------------
// Writer

struct DirEntry {
  QString name;
  uint8_t type = kTypeEmpty;
  uint8_t color = kBlack;
  uint32_t left = kNoStream;
  uint32_t right = kNoStream;
  uint32_t child = kNoStream;
  uint32_t start = kEndOfChain;
  uint32_t size = 0;
};

// Directory entry (128 bytes):
//   0  64  name, UTF-16LE, zero-terminated
//  64   2  name length in bytes, terminator included
//  66   1  object type (1 storage, 2 stream, 5 root)
//  67   1  colour in the red-black tree (0 red, 1 black)
//  68   4  left sibling, 72 4 right sibling, 76 4 child (0xFFFFFFFF: none)
//  80  16  CLSID (zero)
//  96   4  state bits
// 100   8  creation time, 108 8 modification time (zero)
// 116   4  starting sector
// 120   8  stream size
void writeEntry(uint8_t* p, const DirEntry& e) {
  std::memset(p, 0, kEntrySize);
  if (e.type != kTypeEmpty) {
    for (int i = 0; i < e.name.size(); ++i) put16(p + 2 * i, e.name.at(i).unicode());
    put16(p + 64, uint16_t((e.name.size() + 1) * 2));
  }
  p[66] = e.type;
  p[67] = e.color;
  put32(p + 68, e.left);
  put32(p + 72, e.right);
  put32(p + 76, e.child);
  put32(p + 116, e.type == kTypeEmpty ? 0 : e.start);
  put32(p + 120, e.size);
}

// Builds a balanced binary search tree over entries[first..last] (sorted order given by
// `order`); returns the subtree root. Depths are recorded for the colouring.
uint32_t buildTree(std::vector<DirEntry>& entries, const std::vector<uint32_t>& order, int lo,
                   int hi, int depth, std::vector<int>& depths) {
  if (lo > hi) return kNoStream;
  const int mid = lo + (hi - lo) / 2;
  const uint32_t node = order[mid];
  depths[node] = depth;
  entries[node].left = buildTree(entries, order, lo, mid - 1, depth + 1, depths);
  entries[node].right = buildTree(entries, order, mid + 1, hi, depth + 1, depths);
  return node;
}

// ---------------------------------------------------------------------------------------------
// Reader

class Reader {
 public:
  explicit Reader(const QByteArray& file) : file_(file) {}

  // Parses the header, FAT, directory and mini stream.
  void open();
  // Walks the directory tree; calls `visit` for every stream with its path.
  void forEachStream(const std::function<void(const QString& path, uint32_t entry)>& visit);
  QByteArray streamData(uint32_t entry);
  QString entryName(uint32_t entry) const;

 private:
  const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(file_.constData()); }
  // Appends `count` bytes of sector `s` starting at `offset` (zero where a last, partial sector
  // of the file ends early).
  void appendSector(QByteArray& out, uint32_t s, uint32_t offset, uint32_t count) const;
  // The sectors of a chain in `table`, at most `maxLength` of them.
  std::vector<uint32_t> chain(uint32_t start, const std::vector<uint32_t>& table,
                              uint64_t maxLength) const;
  QByteArray chainData(uint32_t start, uint64_t size);
  const uint8_t* entry(uint32_t index) const { return dir_.data() + size_t(index) * kEntrySize; }

  const QByteArray& file_;
  uint32_t sectorShift_ = 9;
  uint32_t sectorSize_ = 512;
  uint64_t sectorCount_ = 0;  // sectors present in the file
  bool version4_ = false;
  std::vector<uint32_t> fat_;
  std::vector<uint32_t> miniFat_;
  std::vector<uint8_t> dir_;
  uint32_t entryCount_ = 0;
  QByteArray miniStream_;
};

void Reader::appendSector(QByteArray& out, uint32_t s, uint32_t offset, uint32_t count) const {
  if (s >= sectorCount_) damaged("sector index out of range");
  const uint64_t begin = (uint64_t(s) + 1) * sectorSize_ + offset;
  const uint64_t size = uint64_t(file_.size());
  const uint64_t available = begin >= size ? 0 : std::min<uint64_t>(count, size - begin);
  out.append(file_.constData() + begin, qsizetype(available));
  if (available < count) out.append(qsizetype(count - available), '\0');
}

std::vector<uint32_t> Reader::chain(uint32_t start, const std::vector<uint32_t>& table,
                                    uint64_t maxLength) const {
  std::vector<uint32_t> out;
  std::vector<bool> seen;
  uint32_t s = start;
  while (s != kEndOfChain && out.size() < maxLength) {
    if (s >= table.size()) damaged("sector index out of range");
    if (seen.empty()) seen.resize(table.size());
    if (seen[s]) damaged("cyclic sector chain");
    seen[s] = true;
    out.push_back(s);
    s = table[s];
  }
  return out;
}

QByteArray Reader::chainData(uint32_t start, uint64_t size) {
  if (size > uint64_t(file_.size())) damaged("stream larger than the file");
  const uint64_t needed = ceilDiv(size, sectorSize_);
  const std::vector<uint32_t> sectors = chain(start, fat_, needed);
  if (sectors.size() < needed) damaged("stream size exceeds its sector chain");
  QByteArray out;
  out.reserve(qsizetype(needed * sectorSize_));
  for (uint32_t s : sectors) appendSector(out, s, 0, sectorSize_);
  out.truncate(qsizetype(size));
  return out;
}

void Reader::open() {
  if (file_.size() < 512) damaged("truncated header");
  const uint8_t* h = bytes();
  if (std::memcmp(h, kSignature, 8) != 0) damaged("bad signature");
  if (get16(h + 28) != 0xFFFE) damaged("bad byte order mark");
  const uint16_t major = get16(h + 26);
  sectorShift_ = get16(h + 30);
  if (!((major == 3 && sectorShift_ == 9) || (major == 4 && sectorShift_ == 12)))
    damaged("unsupported version or sector size");
  version4_ = major == 4;
  sectorSize_ = 1u << sectorShift_;
  if (get16(h + 32) != 6) damaged("unsupported mini sector size");
  if (get32(h + 56) != kMiniCutoff) damaged("unsupported mini stream cutoff");
  if (uint64_t(file_.size()) < sectorSize_) damaged("truncated header");
  sectorCount_ = ceilDiv(uint64_t(file_.size()), sectorSize_) - 1;

  const uint32_t fatCount = get32(h + 44);
  const uint32_t firstDir = get32(h + 48);
  const uint32_t firstMiniFat = get32(h + 60);
  const uint32_t miniFatCount = get32(h + 64);
  uint32_t difatNext = get32(h + 68);
  const uint32_t difatCount = get32(h + 72);
  if (fatCount == 0 || fatCount > sectorCount_) damaged("wrong number of FAT sectors");
  if (difatCount > sectorCount_) damaged("wrong number of DIFAT sectors");

  // The FAT sectors: 109 in the header, the rest in the DIFAT chain.
  std::vector<uint32_t> fatSectors;
  fatSectors.reserve(fatCount);
  for (int i = 0; i < kHeaderDifat && fatSectors.size() < fatCount; ++i)
    fatSectors.push_back(get32(h + 76 + 4 * i));
  {
    std::vector<bool> seen(sectorCount_);
    const uint32_t perSector = sectorSize_ / 4 - 1;
    for (uint32_t n = 0; fatSectors.size() < fatCount; ++n) {
      if (n >= difatCount || difatNext > kMaxRegSect) damaged("DIFAT chain too short");
      if (difatNext >= sectorCount_) damaged("sector index out of range");
      if (seen[difatNext]) damaged("cyclic DIFAT chain");
      seen[difatNext] = true;
      QByteArray d;
      appendSector(d, difatNext, 0, sectorSize_);
      const auto* p = reinterpret_cast<const uint8_t*>(d.constData());
      for (uint32_t i = 0; i < perSector && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(get32(p + 4 * i));
      difatNext = get32(p + 4 * perSector);
    }
  }
  fat_.reserve(size_t(fatCount) * (sectorSize_ / 4));
  {
    QByteArray raw;
    raw.reserve(qsizetype(fatCount) * sectorSize_);
    for (uint32_t s : fatSectors) appendSector(raw, s, 0, sectorSize_);
    const auto* p = reinterpret_cast<const uint8_t*>(raw.constData());
    for (qsizetype i = 0; i + 4 <= raw.size(); i += 4) fat_.push_back(get32(p + i));
  }

  // Directory.
  const std::vector<uint32_t> dirSectors = chain(firstDir, fat_, sectorCount_ + 1);
  if (dirSectors.empty()) damaged("no directory");
  {
    QByteArray raw;
    for (uint32_t s : dirSectors) appendSector(raw, s, 0, sectorSize_);
    dir_.assign(raw.begin(), raw.end());
    entryCount_ = uint32_t(dir_.size() / kEntrySize);
  }
  if (entry(0)[66] != kTypeRoot) damaged("no root entry");

  // Mini FAT and mini stream (the root entry's data).
  if (miniFatCount > 0 && firstMiniFat != kEndOfChain) {
    const std::vector<uint32_t> sectors = chain(firstMiniFat, fat_, sectorCount_ + 1);
    QByteArray raw;
    for (uint32_t s : sectors) appendSector(raw, s, 0, sectorSize_);
    const auto* p = reinterpret_cast<const uint8_t*>(raw.constData());
    miniFat_.reserve(size_t(raw.size() / 4));
    for (qsizetype i = 0; i + 4 <= raw.size(); i += 4) miniFat_.push_back(get32(p + i));
  }
  const uint8_t* root = entry(0);
  uint64_t rootSize = qFromLittleEndian<uint64_t>(root + 120);
  if (!version4_) rootSize &= 0xFFFFFFFFu;
  const uint32_t rootStart = get32(root + 116);
  if (rootSize > 0 && rootStart != kEndOfChain) miniStream_ = chainData(rootStart, rootSize);
}

QString Reader::entryName(uint32_t index) const {
  const uint8_t* e = entry(index);
  const uint16_t bytes = get16(e + 64);
  if (bytes > 64 || bytes % 2 != 0) damaged("bad directory entry name");
  QString name;
  for (int i = 0; i + 1 < bytes / 2; ++i) {
    const char16_t c = get16(e + 2 * i);
    if (c == 0) break;
    name.append(QChar(c));
  }
  return name;
}

void Reader::forEachStream(const std::function<void(const QString& path, uint32_t entry)>& visit) {
  std::vector<bool> seen(entryCount_);
  seen[0] = true;
  // (entry, path prefix); an explicit stack keeps deep trees off the call stack.
  std::vector<std::pair<uint32_t, QString>> stack;
  stack.emplace_back(get32(entry(0) + 76), QString());
  while (!stack.empty()) {
    auto [index, prefix] = stack.back();
    stack.pop_back();
    if (index == kNoStream) continue;
    if (index >= entryCount_) damaged("directory entry index out of range");
    if (seen[index]) damaged("cyclic directory tree");
    seen[index] = true;
    const uint8_t* e = entry(index);
    const uint8_t type = e[66];
    if (type != kTypeStorage && type != kTypeStream) damaged("bad directory entry type");
    const QString name = entryName(index);
    stack.emplace_back(get32(e + 68), prefix);
    stack.emplace_back(get32(e + 72), prefix);
    if (type == kTypeStorage)
      stack.emplace_back(get32(e + 76), prefix + name + QLatin1Char('/'));
    else
      visit(prefix + name, index);
  }
}

QByteArray Reader::streamData(uint32_t index) {
  const uint8_t* e = entry(index);
  uint64_t size = qFromLittleEndian<uint64_t>(e + 120);
  if (!version4_) size &= 0xFFFFFFFFu;
  const uint32_t start = get32(e + 116);
  if (size == 0) return QByteArray();
  if (size >= kMiniCutoff) return chainData(start, size);
  const uint64_t needed = ceilDiv(size, kMiniSectorSize);
  const std::vector<uint32_t> sectors = chain(start, miniFat_, needed);
  if (sectors.size() < needed) damaged("stream size exceeds its sector chain");
  QByteArray out;
  out.reserve(qsizetype(needed * kMiniSectorSize));
  for (uint32_t s : sectors) {
    const uint64_t offset = uint64_t(s) * kMiniSectorSize;
    if (offset + kMiniSectorSize > uint64_t(miniStream_.size()))
      damaged("mini sector outside the mini stream");
    out.append(miniStream_.constData() + offset, kMiniSectorSize);
  }
  out.truncate(qsizetype(size));
  return out;
}

}  // namespace

namespace detail {

FatLayout fatLayout(uint64_t contentSectors) {
  FatLayout l;
  for (;;) {
    const uint64_t total = contentSectors + l.fatSectors + l.difatSectors;
    const auto fat = uint32_t(ceilDiv(total, kIdsPerSector));
    const uint32_t difat =
        fat > kHeaderDifat ? uint32_t(ceilDiv(fat - kHeaderDifat, kIdsPerSector - 1)) : 0;
    if (fat == l.fatSectors && difat == l.difatSectors) return l;
    l.fatSectors = fat;
    l.difatSectors = difat;
  }
}

int compareNames(const QString& a, const QString& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (qsizetype i = 0; i < a.size(); ++i) {
    const char16_t x = a.at(i).toUpper().unicode();
    const char16_t y = b.at(i).toUpper().unicode();
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace detail

bool hasSignature(const QByteArray& file) {
  return file.size() >= 8 && std::memcmp(file.constData(), kSignature, 8) == 0;
}

// Header (512 bytes):
//   0   8  signature D0 CF 11 E0 A1 B1 1A E1
//   8  16  CLSID (zero)
//  24   2  minor version 0x003E, 26 2 major version 3
//  28   2  byte order 0xFFFE
//  30   2  sector shift 9 (512 bytes), 32 2 mini sector shift 6 (64 bytes)
//  34   6  reserved
//  40   4  number of directory sectors (0 in version 3)
//  44   4  number of FAT sectors
//  48   4  first directory sector
//  52   4  transaction signature (0)
//  56   4  mini stream cutoff 4096
//  60   4  first mini FAT sector, 64 4 number of mini FAT sectors
//  68   4  first DIFAT sector, 72 4 number of DIFAT sectors
//  76 436  the first 109 FAT sector numbers
QByteArray write(const std::vector<Stream>& streams) {
  for (size_t i = 0; i < streams.size(); ++i) {
    const QString& n = streams[i].name;
    if (n.isEmpty() || n.size() > 31 || n.contains(QLatin1Char('/')))
      throw Error("compound file: bad stream name '" + n.toStdString() + "'");
    for (size_t j = 0; j < i; ++j)
      if (detail::compareNames(n, streams[j].name) == 0)
        throw Error("compound file: stream '" + n.toStdString() + "' given twice");
  }

  const size_t n = streams.size();
  std::vector<DirEntry> entries(1 + n);
  entries[0].name = QStringLiteral("Root Entry");
  entries[0].type = kTypeRoot;

  // Mini stream layout.
  uint32_t miniSectors = 0;
  std::vector<uint32_t> miniFat;
  for (size_t i = 0; i < n; ++i) {
    const auto size = uint32_t(streams[i].data.size());
    DirEntry& e = entries[1 + i];
    e.name = streams[i].name;
    e.type = kTypeStream;
    e.size = size;
    if (size == 0 || size >= kMiniCutoff) continue;
    const auto count = uint32_t(ceilDiv(size, kMiniSectorSize));
    e.start = miniSectors;
    for (uint32_t k = 0; k < count; ++k)
      miniFat.push_back(k + 1 < count ? miniSectors + k + 1 : kEndOfChain);
    miniSectors += count;
  }
  const auto miniStreamSectors =
      uint32_t(ceilDiv(uint64_t(miniSectors) * kMiniSectorSize, kSectorSize));
  const auto miniFatSectors = uint32_t(ceilDiv(miniFat.size(), kIdsPerSector));
  const auto dirSectors = uint32_t(ceilDiv(entries.size(), kSectorSize / kEntrySize));
  uint64_t bigSectors = 0;
  for (const Stream& s : streams)
    if (uint64_t(s.data.size()) >= kMiniCutoff) bigSectors += ceilDiv(s.data.size(), kSectorSize);
  const uint64_t content = dirSectors + miniFatSectors + miniStreamSectors + bigSectors;
  const detail::FatLayout layout = detail::fatLayout(content);
  const uint64_t totalSectors = content + layout.fatSectors + layout.difatSectors;
  if (totalSectors >= kMaxRegSect) throw Error("compound file: streams too large");

  std::vector<uint32_t> fat(size_t(layout.fatSectors) * kIdsPerSector, kFreeSect);
  uint32_t next = 0;
  auto allocate = [&](uint32_t count) -> uint32_t {
    if (count == 0) return kEndOfChain;
    const uint32_t first = next;
    for (uint32_t k = 0; k < count; ++k)
      fat[first + k] = k + 1 < count ? first + k + 1 : kEndOfChain;
    next += count;
    return first;
  };
  const uint32_t fatStart = next;
  for (uint32_t k = 0; k < layout.fatSectors; ++k) fat[next++] = kFatSect;
  const uint32_t difatStart = next;
  for (uint32_t k = 0; k < layout.difatSectors; ++k) fat[next++] = kDifSect;
  const uint32_t dirStart = allocate(dirSectors);
  const uint32_t miniFatStart = allocate(miniFatSectors);
  entries[0].start = allocate(miniStreamSectors);
  entries[0].size = miniSectors * kMiniSectorSize;
  for (size_t i = 0; i < n; ++i) {
    const auto size = uint64_t(streams[i].data.size());
    if (size >= kMiniCutoff) entries[1 + i].start = allocate(uint32_t(ceilDiv(size, kSectorSize)));
  }

  // Directory tree: a balanced search tree; nodes on an incomplete last level are red, which
  // keeps every path's count of black nodes equal.
  if (n > 0) {
    std::vector<uint32_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = uint32_t(1 + i);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
      return detail::compareNames(entries[a].name, entries[b].name) < 0;
    });
    std::vector<int> depths(entries.size(), 0);
    entries[0].child = buildTree(entries, order, 0, int(n) - 1, 0, depths);
    const int maxDepth = *std::max_element(depths.begin() + 1, depths.end());
    const bool perfect = n + 1 == (size_t(1) << (maxDepth + 1));
    for (size_t i = 1; i < entries.size(); ++i)
      entries[i].color = (!perfect && depths[i] == maxDepth && maxDepth > 0) ? kRed : kBlack;
  }

  QByteArray out(qsizetype(kSectorSize + totalSectors * kSectorSize), '\0');
  auto* base = reinterpret_cast<uint8_t*>(out.data());
  auto sector = [&](uint64_t s) { return base + kSectorSize + s * kSectorSize; };

  uint8_t* h = base;
  std::memcpy(h, kSignature, 8);
  put16(h + 24, 0x003E);
  put16(h + 26, 3);
  put16(h + 28, 0xFFFE);
  put16(h + 30, 9);
  put16(h + 32, 6);
  put32(h + 44, layout.fatSectors);
  put32(h + 48, dirStart);
  put32(h + 56, kMiniCutoff);
  put32(h + 60, miniFatStart);
  put32(h + 64, miniFatSectors);
  put32(h + 68, layout.difatSectors ? difatStart : kEndOfChain);
  put32(h + 72, layout.difatSectors);
  for (int i = 0; i < kHeaderDifat; ++i)
    put32(h + 76 + 4 * i, uint32_t(i) < layout.fatSectors ? fatStart + i : kFreeSect);

  // DIFAT sectors: 127 FAT sector numbers each, then the next DIFAT sector.
  uint32_t listed = kHeaderDifat;
  for (uint32_t d = 0; d < layout.difatSectors; ++d) {
    uint8_t* p = sector(difatStart + d);
    for (int i = 0; i < kIdsPerSector - 1; ++i, ++listed)
      put32(p + 4 * i, listed < layout.fatSectors ? fatStart + listed : kFreeSect);
    put32(p + 4 * (kIdsPerSector - 1),
          d + 1 < layout.difatSectors ? difatStart + d + 1 : kEndOfChain);
  }
  for (size_t i = 0; i < fat.size(); ++i) put32(sector(fatStart) + 4 * i, fat[i]);

  const uint32_t dirSlots = dirSectors * (kSectorSize / kEntrySize);
  for (uint32_t i = 0; i < dirSlots; ++i) {
    DirEntry e;
    if (i < entries.size()) e = entries[i];
    writeEntry(sector(dirStart) + size_t(i) * kEntrySize, e);
  }
  if (miniFatSectors) {
    uint8_t* p = sector(miniFatStart);
    for (uint32_t i = 0; i < miniFatSectors * kIdsPerSector; ++i)
      put32(p + 4 * i, i < miniFat.size() ? miniFat[i] : kFreeSect);
  }
  for (size_t i = 0; i < n; ++i) {
    const QByteArray& data = streams[i].data;
    if (data.isEmpty()) continue;
    const DirEntry& e = entries[1 + i];
    uint8_t* dst = uint64_t(data.size()) >= kMiniCutoff
                       ? sector(e.start)
                       : sector(entries[0].start) + size_t(e.start) * kMiniSectorSize;
    std::memcpy(dst, data.constData(), size_t(data.size()));
  }
  return out;
}

std::vector<Stream> read(const QByteArray& file) {
  Reader r(file);
  r.open();
  std::vector<Stream> out;
  r.forEachStream([&](const QString& path, uint32_t e) { out.push_back({path, r.streamData(e)}); });
  return out;
}

QByteArray readStream(const QByteArray& file, const QString& name) {
  Reader r(file);
  r.open();
  uint32_t found = kNoStream;
  r.forEachStream([&](const QString& path, uint32_t e) {
    if (found == kNoStream && detail::compareNames(path, name) == 0) found = e;
  });
  if (found == kNoStream)
    throw FormatError("compound file has no '" + name.toStdString() + "' stream");
  return r.streamData(found);
}

}  // namespace sheet::cfb
