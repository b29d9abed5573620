// Saving the report where it cannot go, or after its temporary workbook was tampered with: the
// user gets the save step's error dialog (never "Done."), an existing file at the target keeps
// its bytes, nothing half-written is left behind, and the stored lists stay as they were.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/badinput/badinput.h"

using namespace badinput;

namespace {

const QByteArray kOld("the user's own workbook, which must survive a failed save");
const QByteArray kSecret("another file that a planted link points at");

// The hidden temporary files a save leaves in a folder.
QStringList leftovers(const QString& folder) {
  // The new file beside the target, as base/files names it.
  return QDir(folder).entryList({QStringLiteral(".tinselwick-*")},
                                QDir::Files | QDir::Hidden | QDir::System);
}

// A 64 KiB tmpfs, filled up completely; unmounted on destruction.
class FullDisk {
 public:
  explicit FullDisk(const QString& folder) : folder_(folder) {
    QDir().mkpath(folder);
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0) {
      why_ = QString::fromLocal8Bit(std::strerror(errno));
      return;
    }
    mounted_ = true;
  }
  ~FullDisk() {
    if (mounted_) ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  QString why() const { return why_; }
  // Fills what is left with a file of its own.
  void fill() {
    QFile filler(folder_ + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly)) return;
    const QByteArray block(512, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
  }

 private:
  QString folder_;
  QString why_;
  bool mounted_ = false;
};

}  // namespace

class SaveTargetTest : public QObject {
  Q_OBJECT
 private slots:
  void failedSaves_data();
  void failedSaves();
};

void SaveTargetTest::failedSaves_data() {
  QTest::addColumn<QString>("target");    // a path; "@" stands for the row's sandbox
  QTest::addColumn<bool>("existing");     // the user's old file is written at the target first
  QTest::addColumn<QString>("tamper");    // what happens to the temporary workbook first
  QTest::addColumn<QString>("expected");  // part of the error text; "" = a good save

  QTest::newRow("ordinary save") << "@/out/report.xls" << true << ""
                                 << "";
  // Root ignores permissions; /proc takes no new file from anybody.
  QTest::newRow("read-only folder") << "/proc/tinselwick-report.xls" << false << ""
                                    << "cannot be written";
  QTest::newRow("read-only file") << "/proc/version" << false << ""
                                  << "is read-only";
  // Made read-only by its owner: refused, root or not.
  QTest::newRow("a file its owner locked") << "@/out/locked.xls" << true << ""
                                           << "is read-only, so the workbook is not written";
  QTest::newRow("parent is a file") << "@/plain/report.xls" << false << ""
                                    << "does not exist";
  // Root may create files in /dev: renaming over /dev/full would replace the device.
  QTest::newRow("/dev/full") << "/dev/full" << false << ""
                             << "is not a file";
  QTest::newRow("a device file") << "@/device" << false << ""
                                 << "is not a file";
  QTest::newRow("disk full") << "@/small/report.xls" << true << ""
                             << "cannot be written";
  QTest::newRow("a folder") << "@/out" << false << ""
                            << "is a folder";
  QTest::newRow("workbook deleted") << "@/out/report.xls" << true << "deleted"
                                    << "There is no report workbook to save";
  QTest::newRow("workbook replaced by a link") << "@/out/report.xls" << true << "link"
                                               << "has been replaced by a link";
  QTest::newRow("workbook replaced by a dangling link") << "@/out/report.xls" << true << "dangling"
                                                        << "There is no report workbook to save";
  QTest::newRow("workbook replaced by a pipe") << "@/out/report.xls" << true << "pipe"
                                               << "There is no report workbook to save";
}

void SaveTargetTest::failedSaves() {
  QFETCH(QString, target);
  QFETCH(bool, existing);
  QFETCH(QString, tamper);
  QFETCH(QString, expected);

  Sandbox box;
  target.replace(QStringLiteral("@"), box.path());
  QVERIFY(QDir().mkpath(box.path("out")));
  QVERIFY(writeAll(box.path("plain"), "a plain file"));
  std::unique_ptr<FullDisk> disk;
  if (target.contains(QStringLiteral("/small/"))) {
    disk = std::make_unique<FullDisk>(box.path("small"));
    if (!disk->mounted()) QSKIP(qPrintable("no tmpfs can be mounted here: " + disk->why()));
  }
  if (target.endsWith(QLatin1String("/device")) &&
      ::mknod(QFile::encodeName(target).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
    QSKIP(qPrintable("no device file can be made here: " +
                     QString::fromLocal8Bit(std::strerror(errno))));
  if (existing) QVERIFY(writeAll(target, kOld));
  if (target.endsWith(QLatin1String("/locked.xls")))
    QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
  if (disk) disk->fill();
  const bool wasFile = QFileInfo(target).isFile();
  const QByteArray before = wasFile ? readAll(target) : QByteArray();
  const bool special =
      QFileInfo(target).exists() && !QFileInfo(target).isFile() && !QFileInfo(target).isDir();
  struct stat deviceBefore {};
  if (special) QCOMPARE(::stat(QFile::encodeName(target).constData(), &deviceBefore), 0);

  storeList(0,
            QStringLiteral("Mom||SEP1||Shoes||SEP1||Ryka||SEP1||$89||SEP1||mom@x.example||SEP2||"));
  storeList(1, QString());
  storeList(2, QStringLiteral("Kim||SEP1||||SEP1||Book||SEP1||12||SEP1||||SEP2||"));
  storeList(3, QString());
  const std::array<QString, 4> lists = storedLists();

  auto form = openMainWindow();
  QVERIFY(form);
  PreviewWindow* preview = runReport(form);
  QVERIFY(preview && preview->isVisible());
  QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  const QString workbook = preview->workbookPath();
  const QByteArray workbookBytes = readAll(workbook);
  QVERIFY(workbookBytes.size() > 4096);

  if (tamper == QLatin1String("deleted")) {
    QVERIFY(QFile::remove(workbook));
  } else if (tamper == QLatin1String("link") || tamper == QLatin1String("dangling")) {
    QVERIFY(writeAll(box.path("secret"), kSecret));
    QVERIFY(QFile::remove(workbook));
    const QString pointsAt = box.path(tamper == QLatin1String("link") ? "secret" : "nowhere");
    QVERIFY(QFile::link(pointsAt, workbook));
  } else if (tamper == QLatin1String("pipe")) {
    QVERIFY(QFile::remove(workbook));
    QCOMPARE(::mkfifo(QFile::encodeName(workbook).constData(), 0600), 0);
  }

  box.prompts.clear();
  box.prompts.savePaths.push_back(target);
  box.prompts.answers.push_back(msg::Yes);  // to "overwrite?", when asked
  preview->PushButton6_Click();

  const QStringList texts = box.prompts.texts();
  if (expected.isEmpty()) {
    QCOMPARE(texts.last(), QStringLiteral("Done."));
    QCOMPARE(readAll(target), workbookBytes);
  } else {
    // A workbook that is gone is noticed before the file dialog (step 106), anything else when
    // it is copied (step 114).
    const bool gone = expected.startsWith(QLatin1String("There is no report workbook"));
    QCOMPARE(errorSteps(box.prompts),
             QStringList{gone ? "Form2.PushButton6_Click@106" : "Form2.PushButton6_Click@114"});
    QVERIFY2(box.prompts.errors().first().text.contains(expected), dialogs(box.prompts));
    QVERIFY(!texts.contains(QStringLiteral("Done.")));
    // The target is as it was: the old file's bytes, the same device, or nothing at all.
    if (wasFile) {
      QCOMPARE(readAll(target), before);
    } else if (special) {
      struct stat deviceAfter {};
      QCOMPARE(::stat(QFile::encodeName(target).constData(), &deviceAfter), 0);
      QVERIFY(S_ISCHR(deviceAfter.st_mode) || S_ISBLK(deviceAfter.st_mode));
      QCOMPARE(deviceAfter.st_rdev, deviceBefore.st_rdev);
    } else if (!QFileInfo(target).isDir()) {
      QVERIFY(!QFileInfo::exists(target));
    }
  }
  if (tamper == QLatin1String("link")) QCOMPARE(readAll(box.path("secret")), kSecret);
  if (tamper.isEmpty()) QCOMPARE(readAll(workbook), workbookBytes);
  QCOMPARE(leftovers(QFileInfo(target).absolutePath()), QStringList());
  QCOMPARE(leftovers(target), QStringList());

  // The lists are stored as they came.
  form->Form_QueryUnload();
  QCOMPARE(storedLists(), lists);
  QVERIFY(box.prompts.errors().size() <= 1);
}

QTEST_MAIN(SaveTargetTest)
#include "tst_savetarget.moc"
