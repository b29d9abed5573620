// Stored lists a careless or hostile world leaves in the settings store: a value of 50 MB,
// random bytes, malformed records, and a store that cannot be read or written. The window
// starts with what can be restored and reports what cannot; a damaged file is kept beside the
// new one on close, and a store that cannot be written is reported, never destroyed.
#include <sys/mount.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>

#include "tests/badinput/badinput.h"

using namespace badinput;

namespace {

QString record(const QString& name, const QString& likes = QStringLiteral("tea")) {
  return name + QStringLiteral("||SEP1||") + likes +
         QStringLiteral("||SEP1||mug||SEP1||12||SEP1||x@y.example||SEP2||");
}

QByteArray randomBytes(qsizetype size, quint32 seed) {
  QRandomGenerator random(seed);
  QByteArray bytes(size, Qt::Uninitialized);
  for (char& b : bytes) b = static_cast<char>(random.bounded(256));
  return bytes;
}

// The process's peak resident memory, in MiB.
double peakMemoryMiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:"))
      return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
  return 0;
}

// The settings file of the current settings folder.
QString settingsFile() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, kSettingsApplication,
                   kSettingsApplication)
      .fileName();
}

}  // namespace

class StoredValueTest : public QObject {
  Q_OBJECT
 private slots:
  void hugeValues_data();
  void hugeValues();
  void damagedValues_data();
  void damagedValues();
  void unusableStore_data();
  void unusableStore();
  void aValueThatIsNotText();
  void aFileChangedWhileTheProgramRuns();
  void closingWhenTheListsCannotBeStored_data();
  void closingWhenTheListsCannotBeStored();
};

void StoredValueTest::hugeValues_data() {
  QTest::addColumn<QString>("value");
  QTest::addColumn<int>("records");
  const qsizetype fiftyMB = 50 * 1000 * 1000;
  QTest::newRow("one field of 50 MB") << record("Big", QString(fiftyMB, u'l')) << 1;
  // About 600,000 short records, far beyond the 22 a list takes through saving.
  const QString one = record(QStringLiteral("Kim"));
  QTest::newRow("50 MB of records")
      << one.repeated(fiftyMB / one.size() / 2) << int(fiftyMB / one.size() / 2);
}

void StoredValueTest::hugeValues() {
  QFETCH(QString, value);
  QFETCH(int, records);
  Sandbox box;
  // Written as the file, so the start-up reads it from disk.
  QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).path()));
  QVERIFY(writeAll(settingsFile(),
                   "[Tinselwick]\nInventory%20List%20Relatives=" + value.toUtf8() + "\n"));
  value.clear();
  QElapsedTimer clock;
  clock.start();
  const double memoryBefore = peakMemoryMiB();

  auto form = openMainWindow();
  QVERIFY(form);
  QCOMPARE(form->list(1).count(), records);
  QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  const qint64 started = clock.restart();
  form->Form_QueryUnload();
  const qint64 stored = clock.elapsed();
  QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  const double memory = peakMemoryMiB() - memoryBefore;
  qInfo("start-up %lld ms, store %lld ms, peak memory grew by %.0f MiB", started, stored, memory);
  // Bounds that catch an endless or quadratic restore or store, even in a sanitizer build (a
  // normal build takes about 0.5 s and 2 s, and some 250 MiB).
  QVERIFY(started < 30000);
  QVERIFY(stored < 30000);
  QVERIFY(memory < 2048);
  // The list comes back whole on the next start.
  form.reset();
  auto again = openMainWindow();
  QCOMPARE(again->list(1).count(), records);
  QCOMPARE(again->list(1).at(records).name, records == 1 ? QStringLiteral("Big") : "Kim");
}

void StoredValueTest::damagedValues_data() {
  QTest::addColumn<QByteArray>("file");  // added to the settings file, or the whole file
  QTest::addColumn<int>("records");      // restored into "Relatives"; -1: any number
  QTest::addColumn<int>("errors");       // dialogs at the start: missing fields; -1: any
  QTest::addColumn<bool>("damaged");     // the settings reader refuses the file

  const QByteArray head = "[Tinselwick]\nInventory%20List%20Relatives=";
  QTest::newRow("random bytes as the value")
      << head + randomBytes(4096, 24).replace('\n', ' ').replace('\r', ' ') + "\n"
      << -1 << -1 << false;
  QTest::newRow("random bytes as the file") << randomBytes(65536, 25) << 0 << -1 << true;
  QTest::newRow("random UTF-8 text as the value") << head +
                                                         QString::fromUtf8(randomBytes(4096, 26))
                                                             .toUtf8()
                                                             .replace('\n', ' ')
                                                             .replace('\r', ' ') +
                                                         "\n"
                                                  << -1 << -1 << false;
  QTest::newRow("invalid UTF-8") << head +
                                        "Ann\xff\xfe\xc0\x80||SEP1||a||SEP1||b||SEP1||1||SEP1||"
                                        "e||SEP2||\n"
                                 << 1 << 0 << false;
  QTest::newRow("record without its end") << head + "Ann||SEP1||tea\n" << 1 << 3 << false;
  QTest::newRow("record of a name only") << head + "Ann||SEP2||Bo||SEP2||\n" << 2 << 8 << false;
  QTest::newRow("record with extra fields")
      << head + "Ann||SEP1||a||SEP1||b||SEP1||1||SEP1||e||SEP1||extra||SEP1||more||SEP2||\n"
      << 1 << 0 << false;
  QTest::newRow("empty records") << head + "||SEP2||||SEP2||||SEP2||\n" << 0 << 0 << false;
  QTest::newRow("only field separators") << head + QByteArray("||SEP1||").repeated(100) + "\n"
                                         << 1 << 0 << false;
  QTest::newRow("unclosed quote") << head + "\"Ann||SEP1||a\n" << -1 << -1 << false;
  QTest::newRow("NUL bytes") << head + QByteArray("A\0n\0n", 5) + "\n" << -1 << -1 << false;
  QTest::newRow("section header only") << QByteArray("[Tinselwick") << 0 << -1 << true;
  // Good lists with one damaged line after them: none of them may be lost on close.
  QTest::newRow("good lists, then a broken section header")
      << head + "Ann||SEP1||a||SEP1||b||SEP1||1||SEP1||e||SEP2||\n[Broken\n"
      << 1 << -1 << true;
  QTest::newRow("a wrapped line among the lists")
      << head + "Ann||SEP1||a||SEP1||b||SEP1||1||SEP1||e||SEP2||\nthe rest of a wrapped line\n"
      << 1 << 0 << true;
  QTest::newRow("a junk line in another section")
      << QByteArray("[Other]\njunk line\n") << 0 << 0 << true;
}

void StoredValueTest::damagedValues() {
  QFETCH(QByteArray, file);
  QFETCH(int, records);
  QFETCH(int, errors);
  QFETCH(bool, damaged);
  Sandbox box;
  storeList(0, record(QStringLiteral("Mom")));
  QByteArray whole = readAll(settingsFile());
  whole = file.startsWith('[') && file.contains('\n') ? whole + "\n" + file : file;
  QVERIFY(writeAll(settingsFile(), whole));

  auto form = openMainWindow();
  QVERIFY(form);
  if (records >= 0) QCOMPARE(form->list(1).count(), records);
  const QStringList started = errorSteps(box.prompts);
  const bool appended = whole != file;  // the stored "Family" list is still in the file
  QStringList missingFields = started;
  if (damaged) {
    // What could be read is restored, and the read says once that the file is damaged.
    QCOMPARE(started.count(QStringLiteral("Form1.Form_Load@126")), 1);
    QCOMPARE(started.first(), QStringLiteral("Form1.Form_Load@126"));
    const QString text = box.prompts.errors().first().text;
    QVERIFY2(text.contains(QLatin1String("is damaged")) && text.contains(settingsFile()),
             qPrintable(text));
    if (appended) QCOMPARE(form->list(0).at(1).name, QStringLiteral("Mom"));
    missingFields.removeFirst();
    // The close keeps the damaged file whole under a free name beside it (a name that is taken
    // stays as it is), says where, and writes the lists anew.
    QVERIFY(writeAll(settingsFile() + ".damaged", "an older damaged file"));
    box.prompts.clear();
    form->Form_QueryUnload();
    QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
    QCOMPARE(box.prompts.texts().size(), 1);
    QVERIFY(box.prompts.texts().first().contains(settingsFile() + ".damaged.2"));
    QCOMPARE(readAll(settingsFile() + ".damaged.2"), whole);
    QCOMPARE(readAll(settingsFile() + ".damaged"), QByteArray("an older damaged file"));
  }
  if (errors >= 0) QCOMPARE(missingFields.size(), errors);
  for (const QString& step : missingFields)  // a record's missing fields, one by one
    QVERIFY2(QRegularExpression(QStringLiteral("^Form1.Form_Load@1(28|30|32|34)$"))
                 .match(step)
                 .hasMatch(),
             qPrintable(step));
  // The lists restored are stored on close, and come back the same on the next start.
  box.prompts.clear();
  form->Form_QueryUnload();
  QVERIFY2(box.prompts.messages.isEmpty(), dialogs(box.prompts));
  std::array<std::vector<GiftEntry>, 4> shown;
  for (int c = 0; c < kCategoryCount; ++c) shown[size_t(c)] = form->list(c).entries();
  form.reset();
  auto again = openMainWindow();
  QVERIFY(again);
  QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  for (int c = 0; c < kCategoryCount; ++c) QVERIFY(again->list(c).entries() == shown[size_t(c)]);
}

void StoredValueTest::unusableStore_data() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("config folder is a file") << "file";
  QTest::newRow("settings file is a folder") << "folder";
  QTest::newRow("settings file is a pipe") << "pipe";
  QTest::newRow("config folder under /proc") << "proc";
  QTest::newRow("config folder full") << "full";
}

void StoredValueTest::unusableStore() {
  QFETCH(QString, kind);
  Sandbox box;
  storeList(0, record(QStringLiteral("Mom")));
  QString file = settingsFile();  // named before a pipe takes its place
  bool mounted = false;
  auto unmount = qScopeGuard([&] {
    if (mounted) ::umount2(QFile::encodeName(box.path("small")).constData(), MNT_DETACH);
  });
  if (kind == QLatin1String("file")) {
    QVERIFY(writeAll(box.path("plain"), "a plain file"));
    Sandbox::useSettingsFolder(box.path("plain"));
  } else if (kind == QLatin1String("folder")) {
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkpath(file));
  } else if (kind == QLatin1String("pipe")) {
    QVERIFY(QFile::remove(file));
    QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
  } else if (kind == QLatin1String("proc")) {
    Sandbox::useSettingsFolder(QStringLiteral("/proc/tinselwick"));
  } else if (kind == QLatin1String("full")) {
    const QString small = box.path("small");
    QVERIFY(QDir().mkpath(small));
    if (::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=64k") != 0)
      QSKIP(qPrintable("no tmpfs can be mounted here: " +
                       QString::fromLocal8Bit(std::strerror(errno))));
    mounted = true;
    Sandbox::useSettingsFolder(small);
    storeList(0, record(QStringLiteral("Mom")));
    file = settingsFile();
    QFile filler(small + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(512, 'f')) == 512 && filler.flush()) {
    }
  }
  const QByteArray kept = QFileInfo(file).isFile() ? readAll(file) : QByteArray();

  QElapsedTimer clock;
  clock.start();
  auto form = openMainWindow();
  QVERIFY(form);
  QVERIFY(clock.elapsed() < 5000);
  for (const QString& step : errorSteps(box.prompts))
    QVERIFY2(step.startsWith(QLatin1String("Form1.Form_Load@126")), qPrintable(step));
  // Something typed in this session, and the close that cannot store it.
  saveEntry(*form, {QStringLiteral("Dad"), QString(), QString(), QString(), QString()});
  box.prompts.clear();
  form->Form_QueryUnload();
  QVERIFY(clock.elapsed() < 5000);
  const QStringList steps = errorSteps(box.prompts);
  QVERIFY2(!steps.isEmpty(), "a store that fails is reported");
  for (const QString& step : steps) QCOMPARE(step, QStringLiteral("Form1.Form_QueryUnload@102"));
  QVERIFY(box.prompts.errors().first().text.startsWith(QLatin1String("The settings file '")));
  // What was stored before is still there.
  if (kind == QLatin1String("full")) QVERIFY(!kept.isEmpty());
  if (!kept.isEmpty()) QCOMPARE(readAll(file), kept);
}

// A value the reader gives as something else than text (an old or hand-edited file) is damage:
// the keys after it are still read, and the close keeps the file before it writes anew.
void StoredValueTest::aValueThatIsNotText() {
  Sandbox box;
  storeList(0, QString());
  const QByteArray file = "[Tinselwick]\nInventory%20List=" + record("Mom").toUtf8() +
                          "\nInventory%20List%20Relatives=@Rect(1 2 3 4)\n"
                          "Inventory%20List%20Friends=" +
                          record("Kim").toUtf8() +
                          "\nInventory%20List%20Knowable%20people=" + record("Zoe").toUtf8() + "\n";
  QVERIFY(writeAll(settingsFile(), file));
  auto form = openMainWindow();
  QVERIFY(form);
  QCOMPARE(errorSteps(box.prompts), QStringList{"Form1.Form_Load@126"});
  QVERIFY(box.prompts.errors().first().text.contains("is damaged"));
  const QStringList names = {"Mom", "", "Kim", "Zoe"};
  for (int c = 0; c < kCategoryCount; ++c)
    QCOMPARE(form->list(c).count() ? form->list(c).at(1).name : QString(), names[c]);
  box.prompts.clear();
  QVERIFY(form->Form_QueryUnload());
  QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  QCOMPARE(readAll(settingsFile() + ".damaged"), file);
  QCOMPARE(storedLists()[2], record("Kim"));
  QCOMPARE(storedLists()[3], record("Zoe"));
}

// A settings file that someone else changed while the program ran (a hand edit, another
// program) is kept beside the new one, and the close says so.
void StoredValueTest::aFileChangedWhileTheProgramRuns() {
  Sandbox box;
  storeList(0, record(QStringLiteral("Mom")));
  auto form = openMainWindow();
  QVERIFY(form);
  const QByteArray edited = readAll(settingsFile()) + "[Notes]\nwritten=by hand\n";
  QVERIFY(writeAll(settingsFile(), edited));
  box.prompts.clear();
  QVERIFY(form->Form_QueryUnload());
  QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  QCOMPARE(box.prompts.texts().size(), 1);
  QVERIFY(box.prompts.texts().first().contains("changed by another program"));
  QVERIFY(box.prompts.texts().first().contains(settingsFile() + ".changed"));
  QCOMPARE(readAll(settingsFile() + ".changed"), edited);
  QCOMPARE(storedList(0), record("Mom"));
  // The program's own writes are no change: the next close says nothing.
  box.prompts.clear();
  QVERIFY(form->Form_QueryUnload());
  QVERIFY2(box.prompts.messages.isEmpty(), dialogs(box.prompts));
}

// A close that cannot store the lists asks whether to close anyway (No by default); No keeps the
// window open, with everything typed, for a close that can store them.
void StoredValueTest::closingWhenTheListsCannotBeStored_data() {
  QTest::addColumn<bool>("preview");  // the preview is the window closed
  QTest::addColumn<int>("answer");
  QTest::newRow("main window, No, then again") << false << int(msg::No);
  QTest::newRow("main window, Yes") << false << int(msg::Yes);
  QTest::newRow("preview, No, then again") << true << int(msg::No);
  QTest::newRow("preview, Yes") << true << int(msg::Yes);
}

void StoredValueTest::closingWhenTheListsCannotBeStored() {
  QFETCH(bool, preview);
  QFETCH(int, answer);
  Sandbox box;
  storeList(0, record(QStringLiteral("Mom")));
  auto form = openMainWindow();
  QVERIFY(form);
  saveEntry(*form, {QStringLiteral("Dad"), QString(), QString(), QString(), QString()});
  QWidget* window = form.get();
  if (preview) window = runReport(form);
  QVERIFY(window && window->isVisible());
  // The disk is taken away: the settings file's name is now a folder.
  const QString file = settingsFile();
  QVERIFY(QFile::remove(file) && QDir().mkpath(file));

  box.prompts.clear();
  box.prompts.answers.push_back(answer);
  window->close();
  QCOMPARE(errorSteps(box.prompts), QStringList{"Form1.Form_QueryUnload@102"});
  const ShownMessage question = box.prompts.messages.last();
  QVERIFY2(question.text.contains("Close anyway, losing the changes"), qPrintable(question.text));
  QCOMPARE(question.style, msg::YesNo | msg::Exclamation | msg::DefaultButton2);
  QCOMPARE(window->isVisible(), answer == msg::No);
  if (answer == msg::Yes) return;
  if (preview) QVERIFY(QFileInfo(form.app().preview()->workbookPath()).isFile());  // still there

  // Room again: the close goes through and keeps what was typed.
  QVERIFY(QDir().rmdir(file));
  box.prompts.clear();
  window->close();
  QVERIFY2(box.prompts.messages.isEmpty(), dialogs(box.prompts));
  QVERIFY(!window->isVisible());
  QCOMPARE(storedList(0),
           record("Mom") + QStringLiteral("Dad||SEP1||||SEP1||||SEP1||||SEP1||||SEP2||"));
}

QTEST_MAIN(StoredValueTest)
#include "tst_storedvalue.moc"
