// The compound file container: round trips of streams of every size class, the directory tree
// that other readers search, the FAT/DIFAT bookkeeping, and damaged files.
#include <QtEndian>
#include <QtTest>
#include <functional>

#include "spreadsheet/cfb/compoundfile.h"
#include "spreadsheet/model/error.h"

using namespace sheet;

namespace {

QByteArray pattern(qsizetype size, int seed) {
  QByteArray b(size, '\0');
  uint32_t x = uint32_t(seed) * 2654435761u + 1;
  for (qsizetype i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    b[i] = char(x >> 16);
  }
  return b;
}

uint32_t get32(const QByteArray& b, qsizetype at) {
  return qFromLittleEndian<uint32_t>(b.constData() + at);
}
void set32(QByteArray& b, qsizetype at, uint32_t v) {
  qToLittleEndian(v, b.data() + at);
}

// Byte offset of directory entry `i` (the directory of our writer is contiguous).
qsizetype entryOffset(const QByteArray& file, int i) {
  return 512 + qsizetype(get32(file, 48)) * 512 + qsizetype(i) * 128;
}

QString entryName(const QByteArray& file, int i) {
  const qsizetype at = entryOffset(file, i);
  const int len = qFromLittleEndian<uint16_t>(file.constData() + at + 64) / 2 - 1;
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + at), len);
}

}  // namespace

class TestCfb : public QObject {
  Q_OBJECT
 private slots:
  void roundTrip_data();
  void roundTrip();
  void directoryTreeIsOrderedRedBlack();
  void fatLayout_data();
  void fatLayout();
  void nameOrder_data();
  void nameOrder();
  void refusesBadNames();
  void corrupt_data();
  void corrupt();
  void readStreamFindsNameIgnoringCase();
};

void TestCfb::roundTrip_data() {
  QTest::addColumn<QList<qsizetype>>("sizes");
  QTest::newRow("empty stream") << QList<qsizetype>{0};
  QTest::newRow("one byte") << QList<qsizetype>{1};
  QTest::newRow("mini sector edges") << QList<qsizetype>{63, 64, 65, 127, 128};
  QTest::newRow("just below the cutoff") << QList<qsizetype>{4095};
  QTest::newRow("at the cutoff") << QList<qsizetype>{4096};
  QTest::newRow("just above the cutoff") << QList<qsizetype>{4097};
  QTest::newRow("mixed small and big") << QList<qsizetype>{100, 30000, 4000, 0, 513, 9000};
  QTest::newRow("mini FAT over one sector") << QList<qsizetype>{3000, 3000, 3000, 3000, 3000};
  QTest::newRow("many directory sectors") << QList<qsizetype>(40, 10);
  QTest::newRow("FAT over 109 sectors: DIFAT") << QList<qsizetype>{8 * 1024 * 1024 + 7, 20};
}

void TestCfb::roundTrip() {
  QFETCH(QList<qsizetype>, sizes);
  std::vector<cfb::Stream> streams;
  for (int i = 0; i < sizes.size(); ++i)
    streams.push_back({QStringLiteral("S%1").arg(i), pattern(sizes[i], i)});
  const QByteArray file = cfb::write(streams);
  QCOMPARE(file.size() % 512, 0);
  const std::vector<cfb::Stream> back = cfb::read(file);
  QCOMPARE(back.size(), streams.size());
  for (const cfb::Stream& s : streams) {
    auto it = std::find_if(back.begin(), back.end(), [&](auto& b) { return b.name == s.name; });
    QVERIFY2(it != back.end(), qPrintable(s.name));
    QCOMPARE(it->data.size(), s.data.size());
    QVERIFY2(it->data == s.data, qPrintable(s.name));
  }
  QCOMPARE(cfb::write(streams), file);  // deterministic
}

void TestCfb::directoryTreeIsOrderedRedBlack() {
  for (int n : {1, 2, 3, 4, 6, 7, 8, 15, 20}) {
    std::vector<cfb::Stream> streams;
    for (int i = 0; i < n; ++i)
      streams.push_back(
          {QString(QChar(u'a' + (i * 7) % 26)).repeated(1 + i % 5) + QString::number(i),
           QByteArray(10, 'x')});
    const QByteArray file = cfb::write(streams);
    // Walk the tree from the root entry's child: in order it must be sorted, no red node has
    // a red child and every path down has the same number of black nodes.
    QStringList inOrder;
    int blackHeight = -1;
    std::function<void(uint32_t, int, bool)> walk = [&](uint32_t e, int blacks, bool parentRed) {
      if (e == 0xFFFFFFFF) {
        if (blackHeight < 0) blackHeight = blacks;
        QCOMPARE(blacks, blackHeight);
        return;
      }
      const qsizetype at = entryOffset(file, int(e));
      const bool red = file[at + 67] == 0;
      QVERIFY(!(red && parentRed));
      walk(get32(file, at + 68), blacks + (red ? 0 : 1), red);
      inOrder << entryName(file, int(e));
      walk(get32(file, at + 72), blacks + (red ? 0 : 1), red);
    };
    walk(get32(file, entryOffset(file, 0) + 76), 0, false);
    QCOMPARE(inOrder.size(), n);
    for (int i = 1; i < inOrder.size(); ++i)
      QVERIFY2(cfb::detail::compareNames(inOrder[i - 1], inOrder[i]) < 0,
               qPrintable(inOrder.join(u',')));
  }
}

void TestCfb::fatLayout_data() {
  QTest::addColumn<quint64>("content");
  QTest::addColumn<uint>("fat");
  QTest::addColumn<uint>("difat");
  QTest::newRow("one sector") << quint64(1) << 1u << 0u;
  QTest::newRow("fills one FAT sector") << quint64(127) << 1u << 0u;
  QTest::newRow("needs a second FAT sector") << quint64(128) << 2u << 0u;
  // 109 FAT sectors describe 13952 sectors, 109 of them the FAT itself.
  QTest::newRow("last layout without DIFAT") << quint64(13952 - 109) << 109u << 0u;
  // One more sector needs a 110th FAT sector, which the header cannot list: one DIFAT sector.
  QTest::newRow("first layout with DIFAT") << quint64(13952 - 108) << 110u << 1u;
  // One DIFAT sector lists 127 more FAT sectors: 236 in all.
  QTest::newRow("one DIFAT sector full") << quint64(236 * 128 - 236 - 1) << 236u << 1u;
  QTest::newRow("second DIFAT sector") << quint64(236 * 128 - 236) << 237u << 2u;
}

void TestCfb::fatLayout() {
  QFETCH(quint64, content);
  QFETCH(uint, fat);
  QFETCH(uint, difat);
  const auto l = cfb::detail::fatLayout(content);
  QCOMPARE(l.fatSectors, fat);
  QCOMPARE(l.difatSectors, difat);
  // Every sector has a FAT entry, and no FAT sector is superfluous.
  QVERIFY(uint64_t(l.fatSectors) * 128 >= content + l.fatSectors + l.difatSectors);
  QVERIFY(uint64_t(l.fatSectors - 1) * 128 < content + l.fatSectors + l.difatSectors);
}

void TestCfb::nameOrder_data() {
  QTest::addColumn<QString>("a");
  QTest::addColumn<QString>("b");
  QTest::addColumn<int>("order");
  QTest::newRow("shorter first") << "Zz"
                                 << "aaa" << -1;
  QTest::newRow("case ignored") << "Workbook"
                                << "WORKBOOK" << 0;
  QTest::newRow("upper-case compare") << "abc"
                                      << "ABD" << -1;
  QTest::newRow("control char prefix") << "\x05SummaryInformation"
                                       << "Workbook" << 1;
  QTest::newRow("Cyrillic upper-cased")
      << QString::fromUtf8("лист") << QString::fromUtf8("ЛИСТ") << 0;
}

void TestCfb::nameOrder() {
  QFETCH(QString, a);
  QFETCH(QString, b);
  QFETCH(int, order);
  QCOMPARE(cfb::detail::compareNames(a, b), order);
  QCOMPARE(cfb::detail::compareNames(b, a), -order);
}

void TestCfb::refusesBadNames() {
  QVERIFY_THROWS_EXCEPTION(Error, cfb::write({{QString(), QByteArray("x")}}));
  QVERIFY_THROWS_EXCEPTION(Error, cfb::write({{QString(32, u'n'), QByteArray("x")}}));
  QVERIFY_THROWS_EXCEPTION(Error, cfb::write({{"Book", QByteArray("x")}, {"BOOK", QByteArray()}}));
}

void TestCfb::corrupt_data() {
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<QString>("message");

  // A file with a big stream (entry 1) and a small one (entry 2).
  const QByteArray good = cfb::write({{"Workbook", pattern(9000, 1)}, {"Small", pattern(300, 2)}});
  const uint32_t bigStart = get32(good, entryOffset(good, 1) + 116);
  const qsizetype fat0 = 512 + qsizetype(get32(good, 76)) * 512;

  QTest::newRow("empty") << QByteArray() << "truncated header";
  QTest::newRow("truncated header") << good.left(300) << "truncated header";
  QByteArray b = good;
  b[3] = 'X';
  QTest::newRow("bad signature") << b << "bad signature";
  QTest::newRow("random bytes") << pattern(4096, 9) << "bad signature";
  b = pattern(4096, 9);
  b.replace(0, 8, good.left(8));
  QTest::newRow("random bytes after a signature") << b << "damaged compound file";
  b = good;
  b[30] = 10;
  QTest::newRow("bad sector shift") << b << "sector size";
  b = good;
  set32(b, fat0 + 4 * (bigStart + 3), bigStart + 1);
  QTest::newRow("cyclic FAT chain") << b << "cyclic sector chain";
  b = good;
  set32(b, fat0 + 4 * (bigStart + 2), 5000000);
  QTest::newRow("chain leaves the FAT") << b << "sector index out of range";
  b = good;
  set32(b, entryOffset(b, 1) + 116, 4000);
  QTest::newRow("start sector beyond the file") << b << "sector index out of range";
  b = good;
  set32(b, 76, 90000);
  QTest::newRow("FAT sector beyond the file") << b << "sector index out of range";
  b = good;
  set32(b, 44, 200);
  QTest::newRow("FAT sector count larger than the file") << b << "FAT sectors";
  b = good;
  set32(b, entryOffset(b, 1) + 120, 10000);
  QTest::newRow("stream size beyond its chain") << b << "exceeds its sector chain";
  b = good;
  set32(b, entryOffset(b, 1) + 120, 500000000);
  QTest::newRow("stream size beyond the file") << b << "larger than the file";
  b = good;
  set32(b, entryOffset(b, 0) + 120, 64);
  QTest::newRow("mini sector outside the mini stream") << b << "mini";
  b = good;
  {
    const uint32_t child = get32(b, entryOffset(b, 0) + 76);
    set32(b, entryOffset(b, int(child)) + 68, child);
  }
  QTest::newRow("directory cycle") << b << "cyclic directory tree";
  b = good;
  set32(b, entryOffset(b, 0) + 76, 77);
  QTest::newRow("directory index out of range") << b << "directory entry index out of range";
  b = good;
  b[entryOffset(b, 0) + 66] = 1;
  QTest::newRow("no root entry") << b << "no root entry";
  b = good;
  b[entryOffset(b, 1) + 66] = 7;
  QTest::newRow("bad entry type") << b << "bad directory entry type";
  b = good;
  b[entryOffset(b, 1) + 64] = 90;
  QTest::newRow("name longer than its field") << b << "bad directory entry name";
  QTest::newRow("truncated in the middle") << good.left(good.size() / 2) << "damaged compound file";
}

void TestCfb::corrupt() {
  QFETCH(QByteArray, file);
  QFETCH(QString, message);
  try {
    const auto streams = cfb::read(file);
    QByteArray all;
    for (const auto& s : streams) all += s.data;
    QFAIL(qPrintable(QStringLiteral("read %1 bytes without complaint").arg(all.size())));
  } catch (const FormatError& e) {
    QVERIFY2(QString::fromUtf8(e.what()).contains(message), e.what());
  }
}

void TestCfb::readStreamFindsNameIgnoringCase() {
  const QByteArray file = cfb::write({{"Workbook", pattern(5000, 3)}, {"Other", "abc"}});
  QCOMPARE(cfb::readStream(file, "workbook"), pattern(5000, 3));
  QCOMPARE(cfb::readStream(file, "Other"), QByteArray("abc"));
  QVERIFY_THROWS_EXCEPTION(FormatError, cfb::readStream(file, "Book"));
}

QTEST_GUILESS_MAIN(TestCfb)
#include "tst_cfb.moc"
