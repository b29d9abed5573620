// The one way the program writes a file: a new file beside the target, synced and renamed over
// it; targets that are no regular file refused; a link at the target replaced, not followed;
// the usual mode or owner-only; and the copy of the report workbook.
#include <sys/stat.h>

#include <QtTest>

#include "base/failure.h"
#include "base/files.h"

namespace {

mode_t modeOf(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString failureOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const Failure& f) {
    return QString::fromUtf8(f.what());
  }
  return QString();
}

}  // namespace

class TestFiles : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void write_data();
  void write();
  void copy_data();
  void copy();
  void createExclusively();
  void replacedFileKeepsItsMode_data();
  void replacedFileKeepsItsMode();

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  QString path(const QString& name) const { return dir_->filePath(name); }
};

void TestFiles::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  ::umask(022);
  QFile old(path("old"));
  QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the old file") > 0);
}

void TestFiles::write_data() {
  QTest::addColumn<QString>("target");  // "link" is a link to "old"; "fifo" a named pipe
  QTest::addColumn<bool>("ownerOnly");
  QTest::addColumn<QString>("refused");  // part of the failure text; "" = written
  QTest::newRow("new file, usual mode") << "new" << false << "";
  QTest::newRow("new file, owner only") << "new" << true << "";
  QTest::newRow("replaces a file") << "old" << false << "";
  QTest::newRow("replaces a link, not what it points at") << "link" << true << "";
  QTest::newRow("a folder") << "folder" << false << "is a folder";
  QTest::newRow("a named pipe") << "fifo" << false << "is not a file";
  QTest::newRow("a missing folder") << "missing/new" << false << "does not exist";
}

void TestFiles::write() {
  QFETCH(QString, target);
  QFETCH(bool, ownerOnly);
  QFETCH(QString, refused);
  QVERIFY(QDir(dir_->path()).mkdir("folder"));
  QVERIFY(QFile::link(path("old"), path("link")));
  QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
  const mode_t before = modeOf(path(target));

  const QString failure = failureOf([&] {
    writeFileAtomically(path(target), "new bytes",
                        ownerOnly ? FileAccess::OwnerOnly : FileAccess::Usual);
  });

  QVERIFY2(failure.contains(refused), qPrintable(failure));
  if (refused.isEmpty()) {
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(readAll(path(target)), QByteArray("new bytes"));
    QVERIFY(S_ISREG(modeOf(path(target))));
    QCOMPARE(modeOf(path(target)) & 0777, ownerOnly ? mode_t(0600) : mode_t(0644));
  } else {
    QCOMPARE(modeOf(path(target)), before);  // what was there is left as it was
  }
  if (target != QLatin1String("old")) QCOMPARE(readAll(path("old")), QByteArray("the old file"));
  // Nothing half-written is left beside the target.
  QCOMPARE(QDir(dir_->path())
               .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System)
               .size(),
           target == QLatin1String("new") && refused.isEmpty() ? 5 : 4);
}

void TestFiles::copy_data() {
  using Kind = FileSourceError::Kind;
  QTest::addColumn<QString>("source");
  QTest::addColumn<int>("refused");  // -1: copied
  QTest::newRow("a file") << "old" << -1;
  QTest::newRow("a link in its place") << "link" << int(Kind::Link);
  QTest::newRow("an empty file") << "empty" << int(Kind::Empty);
  QTest::newRow("nothing") << "missing" << int(Kind::Missing);
  QTest::newRow("no name") << "" << int(Kind::Missing);
  QTest::newRow("a pipe") << "fifo" << int(Kind::NotAFile);
}

void TestFiles::copy() {
  QFETCH(QString, source);
  QFETCH(int, refused);
  QVERIFY(QFile::link(path("old"), path("link")));
  QFile(path("empty")).open(QIODevice::WriteOnly);
  QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
  const QString from = source.isEmpty() ? QString() : path(source);
  int kind = -1;
  try {
    copyFile(from, path("copy"));
  } catch (const FileSourceError& e) {
    kind = int(e.kind());
  }
  QCOMPARE(kind, refused);
  if (refused < 0)
    QCOMPARE(readAll(path("copy")), QByteArray("the old file"));
  else
    QVERIFY(!QFileInfo::exists(path("copy")));
}

void TestFiles::createExclusively() {
  QVERIFY(createFileExclusively(path("claimed")));
  QCOMPARE(modeOf(path("claimed")) & 0777, mode_t(0600));
  QVERIFY(!createFileExclusively(path("claimed")));
  QVERIFY(QFile::link(path("nowhere"), path("dangling")));
  QVERIFY(!createFileExclusively(path("dangling")));  // a dangling link takes the name too
  QVERIFY(!QFileInfo::exists(path("nowhere")));
  QVERIFY(!failureOf([&] { createFileExclusively(path("missing/claimed")); }).isEmpty());
}

// A file that is replaced keeps the permission bits its owner gave it; a file its owner made
// read-only is refused and left as it is. The umask is the system's business, not changed.
void TestFiles::replacedFileKeepsItsMode_data() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("refused");
  QTest::newRow("private") << 0600 << false;
  QTest::newRow("shared with the group") << 0660 << false;
  QTest::newRow("executable") << 0755 << false;
  QTest::newRow("read-only") << 0444 << true;
}

void TestFiles::replacedFileKeepsItsMode() {
  QFETCH(int, mode);
  QFETCH(bool, refused);
  QCOMPARE(::chmod(QFile::encodeName(path("old")).constData(), mode_t(mode)), 0);
  for (const bool copy : {false, true}) {
    const QString failure = failureOf([&] {
      if (copy)
        copyFile(path("old"), path("old"));
      else
        writeFileAtomically(path("old"), "new bytes", FileAccess::Usual);
    });
    QCOMPARE(failure.contains("is read-only"), refused);
    QCOMPARE(modeOf(path("old")) & 07777, mode_t(mode));
    QCOMPARE(readAll(path("old")), refused ? QByteArray("the old file") : QByteArray("new bytes"));
  }
  const mode_t mask = ::umask(022);
  QCOMPARE(mask, mode_t(022));
}

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
