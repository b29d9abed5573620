// The base helpers: file tests and quiet deletion, the temporary folder, the application title
// and the settings store.
#include <QWidget>
#include <QtTest>

#include "base/apptitle.h"
#include "base/failure.h"
#include "base/files.h"
#include "base/settings.h"
#include "tests/support/testsupport.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
  f.write(bytes);
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
  void settingsArePrivate();
  void settingsUnreadable();
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
  writeFile(file,
            "[Other]\nInventory%20List=not this one\n[Tinselwick]\nInventory%20List=Mom||SEP1||a, "
            "b||SEP2||\nPlain=x\nTight=a,b\nWide=a ,  b , c\n");
  // Exactly as it stands in the file.
  QCOMPARE(GetSetting("Edited", "Tinselwick", "Inventory List"),
           QStringLiteral("Mom||SEP1||a, b||SEP2||"));
  QCOMPARE(GetSetting("Edited", "Tinselwick", "Plain"), QStringLiteral("x"));
  QCOMPARE(GetSetting("Edited", "Tinselwick", "Tight"), QStringLiteral("a,b"));
  QCOMPARE(GetSetting("Edited", "Tinselwick", "Wide"), QStringLiteral("a ,  b , c"));
  // A value the program writes with commas comes back as written.
  SaveSetting("Edited", "Tinselwick", "Written", "x,y, z");
  QCOMPARE(GetSetting("Edited", "Tinselwick", "Written"), QStringLiteral("x,y, z"));
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

// The settings hold names and e-mail addresses: the file and the folders made for it are their
// owner's alone, and a file that others could read loses those bits when it is written.
void TestHelpers::settingsArePrivate() {
  QTemporaryDir root;
  auto modeOf = [](const QString& path) {
    return QFileInfo(path).permissions() &
           ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
  };
  const QString config = root.filePath("new/config");
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
  const QString file = settingsFilePath("Quillmoor");
  SaveSetting("Quillmoor", "Tinselwick", "Inventory List", "x");
  const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  QCOMPARE(modeOf(file), owner);
  QCOMPARE(modeOf(config + "/Quillmoor"), owner | QFileDevice::ExeOwner);
  QCOMPARE(modeOf(config), owner | QFileDevice::ExeOwner);
  // An older file readable by everyone becomes private; a stricter mode stays.
  QVERIFY(QFile::setPermissions(file, owner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
  SaveSetting("Quillmoor", "Tinselwick", "Inventory List", "y");
  QCOMPARE(modeOf(file), owner);
  QCOMPARE(GetSetting("Quillmoor", "Tinselwick", "Inventory List"), QStringLiteral("y"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
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
