// The shared helpers: file tests and quiet deletion, the application title, the settings store,
// the skin file and the hand pointer beside the program.
#include <QWidget>
#include <QtEndian>
#include <QtTest>

#include "app/failure.h"
#include "app/helpers.h"
#include "tests/support/testsupport.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
  f.write(bytes);
}

template <typename T>
void put(QByteArray& out, T value) {
  char bytes[sizeof(T)];
  qToLittleEndian(value, bytes);
  out.append(bytes, sizeof(T));
}

// A 32x32, 32-bit .cur file with one image and the given hotspot.
QByteArray curFile(quint16 hotX, quint16 hotY) {
  const int size = 32;
  QByteArray image;
  put<quint32>(image, 40);       // BITMAPINFOHEADER size
  put<qint32>(image, size);      // width
  put<qint32>(image, size * 2);  // height: colour and mask halves
  put<quint16>(image, 1);        // planes
  put<quint16>(image, 32);       // bits per pixel
  put<quint32>(image, 0);        // BI_RGB
  put<quint32>(image, 0);        // image size (may be 0 for BI_RGB)
  put<qint32>(image, 0);
  put<qint32>(image, 0);
  put<quint32>(image, 0);
  put<quint32>(image, 0);
  for (int i = 0; i < size * size; ++i) put<quint32>(image, 0xFF3366CCu);  // BGRA, opaque
  image.append(QByteArray(size * size / 8, '\0'));                         // AND mask
  QByteArray file;
  put<quint16>(file, 0);  // reserved
  put<quint16>(file, 2);  // cursor
  put<quint16>(file, 1);  // one image
  file.append(char(size));
  file.append(char(size));
  file.append(char(0));  // colours
  file.append(char(0));  // reserved
  put<quint16>(file, hotX);
  put<quint16>(file, hotY);
  put<quint32>(file, quint32(image.size()));
  put<quint32>(file, 6 + 16);  // offset of the image
  return file + image;
}

}  // namespace

class TestHelpers : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cleanup();
  void fileExists_data();
  void fileExists();
  void deleteMissingFileIsQuiet();
  void deleteReadOnlyFile();
  void deleteNamesExactlyOneFile_data();
  void deleteNamesExactlyOneFile();
  void deleteLeavesFolders();
  void applicationTitle_data();
  void applicationTitle();
  void settingsRoundTrip_data();
  void settingsRoundTrip();
  void settingsAbsentKey();
  void settingsLiveInConfigFolder();
  void settingsEditedByHand();
  void settingsUnwritable();
  void settingsUnreadable();
  void skinMissing();
  void skinApplied();
  void skinBroken_data();
  void skinBroken();
  void handCursorAbsent();
  void handCursorGarbage_data();
  void handCursorGarbage();
  void handCursorFromFile_data();
  void handCursorFromFile();
  void temporaryFolderFromTemp();

 private:
  QTemporaryDir config_;
  QTemporaryDir work_;
};

void TestHelpers::initTestCase() {
  QVERIFY(config_.isValid() && work_.isValid());
  // A fresh settings folder for every run, set before the store is first used.
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
  setProgramFolderForTesting(work_.path());
}

void TestHelpers::cleanup() {
  QFile::remove(work_.filePath("HAND-M.CUR"));
  QDir(work_.filePath("x")).removeRecursively();
}

void TestHelpers::fileExists_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<bool>("exists");
  writeFile(work_.filePath("plain.txt"), "x");
  QTest::newRow("file") << work_.filePath("plain.txt") << true;
  QTest::newRow("folder") << work_.path() << true;
  QTest::newRow("empty path") << QString() << false;
  QTest::newRow("missing") << work_.filePath("missing.txt") << false;
  QTest::newRow("in missing folder") << work_.filePath("nowhere/plain.txt") << false;
  QFile::link(work_.filePath("nowhere"), work_.filePath("dangling"));
  QTest::newRow("dangling link") << work_.filePath("dangling") << false;
}

void TestHelpers::fileExists() {
  QFETCH(QString, path);
  QFETCH(bool, exists);
  QCOMPARE(FileExists(path), exists);
  // A name is taken by anything at all that has it, a dangling link too.
  QCOMPARE(NameTaken(path), exists || QFileInfo(path).isSymLink());
}

void TestHelpers::deleteMissingFileIsQuiet() {
  FakePrompts prompts;
  DeleteFileQuietly(work_.filePath("never-there.xls"));
  DeleteFileQuietly(QString());
  QVERIFY(prompts.messages.isEmpty());
}

void TestHelpers::deleteReadOnlyFile() {
  FakePrompts prompts;
  const QString path = work_.filePath("readonly.xls");
  writeFile(path, "data");
  QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser));
  DeleteFileQuietly(path);
  QVERIFY(!QFileInfo::exists(path));
  QVERIFY(prompts.messages.isEmpty());
}

void TestHelpers::deleteNamesExactlyOneFile_data() {
  QTest::addColumn<QString>("named");
  QTest::addColumn<QStringList>("neighbours");
  QTest::newRow("question mark") << "gifts?.xls" << QStringList{"gifts1.xls", "gifts2.xls"};
  QTest::newRow("star") << "*.xls" << QStringList{"a.xls", "b.xls"};
  QTest::newRow("brackets") << "gift[12].xls" << QStringList{"gift1.xls", "gift2.xls"};
}

void TestHelpers::deleteNamesExactlyOneFile() {
  QFETCH(QString, named);
  QFETCH(QStringList, neighbours);
  QTemporaryDir dir;
  writeFile(dir.filePath(named), "named");
  for (const QString& n : neighbours) writeFile(dir.filePath(n), "neighbour");
  DeleteFileQuietly(dir.filePath(named));
  QVERIFY(!QFileInfo::exists(dir.filePath(named)));
  for (const QString& n : neighbours) QVERIFY2(QFileInfo::exists(dir.filePath(n)), qPrintable(n));
  // A pattern that names no file of its own deletes nothing either.
  DeleteFileQuietly(dir.filePath(named));
  for (const QString& n : neighbours) QVERIFY2(QFileInfo::exists(dir.filePath(n)), qPrintable(n));
}

void TestHelpers::deleteLeavesFolders() {
  const QString folder = work_.filePath("keepme");
  QVERIFY(QDir().mkpath(folder));
  DeleteFileQuietly(folder);
  QVERIFY(QFileInfo(folder).isDir());
}

void TestHelpers::applicationTitle_data() {
  QTest::addColumn<QString>("product");
  QTest::addColumn<QString>("title");
  QTest::newRow("product") << QString::fromUtf16(kProductName) << "Tinselwick Christmas Gift List";
  QTest::newRow("short name loses a word") << "Gift Maker"
                                           << "Gift";
  QTest::newRow("exactly 40 loses a word") << "abcdefghij abcdefghij abcdefghij abcdefg"
                                           << "abcdefghij abcdefghij abcdefghij";
  QTest::newRow("41 before last blank loses more") << "abcdefghij abcdefghij abcdefghij abcdefghi z"
                                                   << "abcdefghij abcdefghij abcdefghij";
  QTest::newRow("exactly 40 after one cut") << "abcdefghij abcdefghij abcdefghij abcdefg z"
                                            << "abcdefghij abcdefghij abcdefghij abcdefg";
  QTest::newRow("no blank") << "Tinselwick"
                            << "Tinselwick";
  QTest::newRow("trailing blank") << "Gift List "
                                  << "Gift List";
}

void TestHelpers::applicationTitle() {
  QFETCH(QString, product);
  QFETCH(QString, title);
  QCOMPARE(deriveApplicationTitle(product), title);
}

void TestHelpers::settingsRoundTrip_data() {
  QTest::addColumn<QString>("value");
  QTest::newRow("plain") << "Mom||SEP1||a||SEP1||b||SEP1||$89||SEP1||||SEP2||";
  QTest::newRow("empty") << "";
  QTest::newRow("blanks") << "  two leading, two trailing  ";
  QTest::newRow("non-Latin") << "Бабушка 奶奶 🎄🎁";
  QTest::newRow("line breaks") << "a\r\nb\rc\nd\te";
  QTest::newRow("ini syntax") << "[Tinselwick]\nkey=value; comment # x \"quoted\" \\ back";
  QTest::newRow("list-like") << "a, b, c";
  QTest::newRow("variant-like") << "@Variant(\\0\\0\\0\\x7f) @Invalid()";
  QTest::newRow("number-like") << "0089";
  QTest::newRow("huge") << QString(100000, QChar(u'ж'));
}

void TestHelpers::settingsRoundTrip() {
  QFETCH(QString, value);
  const QString key = QStringLiteral("Round Trip %1").arg(QTest::currentDataTag());
  SaveSetting("Quillmoor", "Tinselwick", key, value);
  QCOMPARE(GetSetting("Quillmoor", "Tinselwick", key, "fallback"), value);
  SaveSetting("Quillmoor", "Tinselwick", key, value + "!");  // replaces the old value
  QCOMPARE(GetSetting("Quillmoor", "Tinselwick", key), value + "!");
}

void TestHelpers::settingsAbsentKey() {
  QCOMPARE(GetSetting("Quillmoor", "Tinselwick", "Never Written", "fallback"),
           QStringLiteral("fallback"));
  QVERIFY(GetSetting("Quillmoor", "Tinselwick", "Never Written").isEmpty());
  QVERIFY(GetSetting("Nobody", "Nothing", "Inventory List").isEmpty());
}

void TestHelpers::settingsLiveInConfigFolder() {
  SaveSetting("Quillmoor", "Tinselwick", "Marker", "marker-7f3a");
  bool found = false;
  QDirIterator it(config_.path(), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile f(it.next());
    if (f.open(QIODevice::ReadOnly) && f.readAll().contains("marker-7f3a")) found = true;
  }
  QVERIFY2(found, "the value is not stored under XDG_CONFIG_HOME");
}

void TestHelpers::settingsEditedByHand() {
  // Unquoted commas make the reader split a value into a list; its text still comes back.
  const QString file =
      QSettings(QSettings::IniFormat, QSettings::UserScope, "Edited", "Edited").fileName();
  QVERIFY(QDir().mkpath(QFileInfo(file).path()));
  writeFile(file, "[Tinselwick]\nInventory%20List=Mom||SEP1||a, b||SEP2||\nPlain=x\n");
  QCOMPARE(GetSetting("Edited", "Tinselwick", "Inventory List"),
           QStringLiteral("Mom||SEP1||a, b||SEP2||"));
  QCOMPARE(GetSetting("Edited", "Tinselwick", "Plain"), QStringLiteral("x"));
}

void TestHelpers::settingsUnwritable() {
  // A config folder under a plain file cannot be created, whoever runs the test.
  const QString blocker = work_.filePath("blocker");
  writeFile(blocker, "not a folder");
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocker + "/config");
  bool failed = false;
  try {
    SaveSetting("Quillmoor", "Tinselwick", "Inventory List", "x||SEP2||");
  } catch (const Failure& f) {
    failed = !QString::fromUtf8(f.what()).isEmpty();
  }
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
  QVERIFY(failed);
}

void TestHelpers::settingsUnreadable() {
  // The settings file is a folder: it can be neither read nor written.
  QTemporaryDir root;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.path());
  const QString file =
      QSettings(QSettings::IniFormat, QSettings::UserScope, "Quillmoor", "Quillmoor").fileName();
  QVERIFY(QDir().mkpath(file));
  bool readFailed = false;
  try {
    GetSetting("Quillmoor", "Tinselwick", "Inventory List");
  } catch (const Failure&) {
    readFailed = true;
  }
  bool writeFailed = false;
  try {
    SaveSetting("Quillmoor", "Tinselwick", "Inventory List", "x");
  } catch (const Failure&) {
    writeFailed = true;
  }
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
  QVERIFY(readFailed);
  QVERIFY(writeFailed);
}

void TestHelpers::skinMissing() {
  QWidget form;
  const QPalette before = form.palette();
  ApplySkin(&form);  // no x/o.cjs: nothing happens, nothing fails
  QVERIFY(form.styleSheet().isEmpty());
  QCOMPARE(form.palette(), before);
  // A folder of that name is not a skin file.
  QVERIFY(QDir().mkpath(work_.filePath("x/o.cjs")));
  ApplySkin(&form);
  QVERIFY(form.styleSheet().isEmpty());
}

void TestHelpers::skinApplied() {
  QVERIFY(QDir().mkpath(work_.filePath("x")));
  const QByteArray sheet = "QPushButton { color: #123456; }\nQLabel { font-weight: bold; }\n";
  writeFile(work_.filePath("x/o.cjs"), sheet);
  QWidget form;
  ApplySkin(&form);
  QCOMPARE(form.styleSheet(), QString::fromUtf8(sheet));
  QCOMPARE(form.palette().color(QPalette::Window), form.palette().color(QPalette::Button));
}

void TestHelpers::skinBroken_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::newRow("unbalanced braces") << QByteArray("QPushButton { color: red;");
  QTest::newRow("stray close") << QByteArray("} QLabel { color: red; }");
  QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  QTest::newRow("bad UTF-8") << QByteArray("QLabel { color: \xff\xfe; }");
}

void TestHelpers::skinBroken() {
  QFETCH(QByteArray, content);
  QVERIFY(QDir().mkpath(work_.filePath("x")));
  writeFile(work_.filePath("x/o.cjs"), content);
  QWidget form;
  QVERIFY_THROWS_EXCEPTION(Failure, ApplySkin(&form));
  QVERIFY(form.styleSheet().isEmpty());
}

void TestHelpers::handCursorAbsent() {
  QVERIFY(!loadHandCursor().has_value());
}

void TestHelpers::handCursorGarbage_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::newRow("empty") << QByteArray();
  QTest::newRow("text") << QByteArray("this is not a cursor at all, just some text");
  QTest::newRow("icon type") << curFile(1, 1).replace(2, 1, "\x01");
  QTest::newRow("no images") << curFile(1, 1).replace(4, 1, QByteArray(1, '\0'));
  QTest::newRow("truncated picture") << curFile(1, 1).left(40);
}

void TestHelpers::handCursorGarbage() {
  QFETCH(QByteArray, content);
  writeFile(work_.filePath("HAND-M.CUR"), content);
  QVERIFY_THROWS_EXCEPTION(Failure, loadHandCursor());
}

void TestHelpers::handCursorFromFile_data() {
  QTest::addColumn<int>("x");
  QTest::addColumn<int>("y");
  QTest::newRow("top left") << 0 << 0;
  QTest::newRow("finger tip") << 6 << 1;
  QTest::newRow("bottom right") << 31 << 31;
}

void TestHelpers::handCursorFromFile() {
  QFETCH(int, x);
  QFETCH(int, y);
  writeFile(work_.filePath("HAND-M.CUR"), curFile(quint16(x), quint16(y)));
  const std::optional<QCursor> cursor = loadHandCursor();
  QVERIFY(cursor.has_value());
  QCOMPARE(cursor->hotSpot(), QPoint(x, y));
  QCOMPARE(cursor->pixmap().size(), QSize(32, 32));
  QCOMPARE(cursor->pixmap().toImage().pixel(10, 10), qRgba(0x33, 0x66, 0xCC, 0xFF));
}

void TestHelpers::temporaryFolderFromTemp() {
  const QByteArray saved = qgetenv("TEMP");
  qputenv("TEMP", QFile::encodeName(work_.path() + "/"));
  const QString withTemp = temporaryFolder();
  qputenv("TEMP", QFile::encodeName(work_.filePath("missing-folder")));
  const QString withMissing = temporaryFolder();
  qputenv("TEMP", saved);
  QCOMPARE(withTemp, work_.path());
  QCOMPARE(withMissing, QDir::tempPath());
}

QTEST_MAIN(TestHelpers)
#include "tst_helpers.moc"
