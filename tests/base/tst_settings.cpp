// The settings store: values stored and read back, absent keys, hand-edited and damaged files,
// unwritable and unreadable stores, and a file and folders for their owner alone.
#include <QtTest>

#include "base/failure.h"
#include "base/files.h"
#include "base/settings.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
  f.write(bytes);
}

}  // namespace

class TestSettings : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void settingsRoundTrip_data();
  void settingsRoundTrip();
  void settingsAbsentKey();
  void settingsLiveInConfigFolder();
  void settingsEditedByHand();
  void settingsUnwritable();
  void settingsArePrivate();
  void settingsUnreadable();

 private:
  QTemporaryDir config_;
  QTemporaryDir work_;
};

void TestSettings::initTestCase() {
  QVERIFY(config_.isValid() && work_.isValid());
  // A fresh settings folder for every run, set before the store is first used.
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
}

void TestSettings::settingsRoundTrip_data() {
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

void TestSettings::settingsRoundTrip() {
  QFETCH(QString, value);
  const QString key = QStringLiteral("Round Trip %1").arg(QTest::currentDataTag());
  SaveSetting("Quillmoor", "Tinselwick", key, value);
  QCOMPARE(GetSetting("Quillmoor", "Tinselwick", key, "fallback"), value);
  SaveSetting("Quillmoor", "Tinselwick", key, value + "!");  // replaces the old value
  QCOMPARE(GetSetting("Quillmoor", "Tinselwick", key), value + "!");
}

void TestSettings::settingsAbsentKey() {
  QCOMPARE(GetSetting("Quillmoor", "Tinselwick", "Never Written", "fallback"),
           QStringLiteral("fallback"));
  QVERIFY(GetSetting("Quillmoor", "Tinselwick", "Never Written").isEmpty());
  QVERIFY(GetSetting("Nobody", "Nothing", "Inventory List").isEmpty());
}

void TestSettings::settingsLiveInConfigFolder() {
  SaveSetting("Quillmoor", "Tinselwick", "Marker", "marker-7f3a");
  bool found = false;
  QDirIterator it(config_.path(), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile f(it.next());
    if (f.open(QIODevice::ReadOnly) && f.readAll().contains("marker-7f3a")) found = true;
  }
  QVERIFY2(found, "the value is not stored under XDG_CONFIG_HOME");
}

void TestSettings::settingsEditedByHand() {
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

void TestSettings::settingsUnwritable() {
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
void TestSettings::settingsArePrivate() {
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

void TestSettings::settingsUnreadable() {
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

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
