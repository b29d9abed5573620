// A report run with a temporary folder that is missing, not a folder, unwritable or full: a
// missing one falls back to the system's; the others report through the trap, the run ends
// (no endless draw of names) with the preview shown, and the stored lists are untouched.
#include <sys/mount.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <cerrno>
#include <cstring>

#include "report/excel1.h"
#include "tests/badinput/badinput.h"

using namespace badinput;

class TempFolderTest : public QObject {
  Q_OBJECT
 private slots:
  void reportRun_data();
  void reportRun();
};

void TempFolderTest::reportRun_data() {
  QTest::addColumn<QString>("temp");        // TEMP; "@" is the row's sandbox, "tmpfs" a small mount
  QTest::addColumn<int>("room");            // bytes left free on the tmpfs
  QTest::addColumn<QString>("firstError");  // "" = the run goes through
  QTest::addColumn<bool>("picture");        // the preview shows a picture

  QTest::newRow("missing") << "@/gone" << 0 << "" << true;
  QTest::newRow("a file, not a folder") << "@/plain" << 0 << "" << true;
  QTest::newRow("unset") << "" << 0 << "" << true;
  // Root ignores permissions; /proc takes no new file from anybody.
  QTest::newRow("unwritable") << "/proc" << 0 << "XmasList.GenerateReport0@116" << false;
  QTest::newRow("full") << "tmpfs" << 0 << "XmasList.GenerateReport0@116" << false;
  // The template fits, the workbook does not.
  QTest::newRow("full before the workbook")
      << "tmpfs" << 8 * 1024 << "XmasList.GenerateReport0@174" << false;
  // The template and the workbook fit, the picture of the sheet does not.
  QTest::newRow("full before the picture")
      << "tmpfs" << 40 * 1024 << "Excel1.saveCellsActivesheet@112" << false;
}

void TempFolderTest::reportRun() {
  QFETCH(QString, temp);
  QFETCH(int, room);
  QFETCH(QString, firstError);
  QFETCH(bool, picture);

  Sandbox box;
  QVERIFY(writeAll(box.path("plain"), "a plain file"));
  QVERIFY(QDir().mkpath(box.path("system")));
  // The system's temporary folder, for the fall-back.
  const QByteArray oldTmpdir = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(box.path("system")));
  auto restoreTmpdir = qScopeGuard([&] {
    if (oldTmpdir.isEmpty())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", oldTmpdir);
  });

  const QString mountPoint = box.path("small");
  bool mounted = false;
  auto unmount = qScopeGuard([&] {
    if (mounted) ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH);
  });
  if (temp == QLatin1String("tmpfs")) {
    QVERIFY(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
      QSKIP(qPrintable("no tmpfs can be mounted here: " +
                       QString::fromLocal8Bit(std::strerror(errno))));
    mounted = true;
    // Fill all but `room` bytes.
    QFile filler(mountPoint + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(512, 'f');
    qint64 written = 0;
    while ((room == 0 || written + block.size() <= 64 * 1024 - room) &&
           filler.write(block) == block.size() && filler.flush())
      written += block.size();
    filler.close();
    temp = mountPoint;
  }
  temp.replace(QStringLiteral("@"), box.path());
  if (temp.isEmpty())
    qunsetenv("TEMP");
  else
    qputenv("TEMP", QFile::encodeName(temp));

  storeList(0,
            QStringLiteral("Mom||SEP1||Shoes||SEP1||Ryka||SEP1||$89||SEP1||m@x.example||SEP2||"));
  storeList(1, QStringLiteral("Ann||SEP1||||SEP1||Tea||SEP1||9.5||SEP1||||SEP2||"));
  storeList(2, QString());
  storeList(3, QString());
  const std::array<QString, 4> lists = storedLists();

  auto form = openMainWindow();
  QVERIFY(form);
  QElapsedTimer clock;
  clock.start();
  PreviewWindow* preview = runReport(form);
  QVERIFY2(clock.elapsed() < 20000, "the run must not loop");

  const QStringList steps = errorSteps(box.prompts);
  if (firstError.isEmpty()) {
    QVERIFY2(steps.isEmpty(), dialogs(box.prompts));
    QVERIFY(preview->workbookPath().startsWith(box.path("system") + QChar(u'/')));
    QVERIFY(QFileInfo(preview->workbookPath()).isFile());
  } else {
    QVERIFY2(!steps.isEmpty() && steps.first() == firstError, dialogs(box.prompts));
    QVERIFY2(steps.count(QStringLiteral("XmasList.GenerateReport0@172")) <= 1,
             "a folder that refuses new files is reported once");
    // Every failure says why, in words.
    for (const ShownMessage& m : box.prompts.errors())
      QVERIFY2(!m.text.startsWith(QLatin1String("Unknown failure")), qPrintable(m.text));
  }
  QVERIFY(form->pointer() != MainWindow::Pointer::Hourglass);
  // Nothing of the run is left in the folder but the workbook the preview holds.
  const QString folder = temporaryFolder();
  QCOMPARE(QDir(folder).entryList({QStringLiteral("tinselwick-*"), QStringLiteral("template.xlt"),
                                   QStringLiteral("temp.bmp")},
                                  QDir::AllEntries | QDir::Hidden),
           QStringList());
  if (firstError.endsWith(QLatin1String("@116"))) {
    // A run whose template could not be written stops there, and the main window stays.
    QCOMPARE(steps, QStringList{firstError});
    QVERIFY(!preview || !preview->isVisible());
    QVERIFY(form->isVisible());
    box.prompts.clear();
    form->Form_QueryUnload();
    QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
    QCOMPARE(storedLists(), lists);
    return;
  }
  QVERIFY(preview && preview->isVisible());
  QVERIFY(!form->isVisible());
  QCOMPARE(form->pointer(), MainWindow::Pointer::Default);
  QCOMPARE(preview->Zoom_Ori->picture().isNull(), !picture);
  const QStringList workbooks = QDir(folder).entryList({QStringLiteral("Wrenfold*")});
  const bool saved = firstError.isEmpty() || firstError.startsWith(QLatin1String("Excel1"));
  if (saved) {
    // The workbook holding the user's lists is readable by its owner alone.
    QCOMPARE(workbooks.size(), 1);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(preview->workbookPath()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
  } else {
    // No workbook was saved: the name claimed for it is gone and the preview holds none, so
    // saving says so, writes nothing and leaves the user's file as it was.
    QVERIFY2(workbooks.isEmpty(), qPrintable(workbooks.join(u' ')));
    QVERIFY(preview->workbookPath().isEmpty());
    QVERIFY(writeAll(box.path("mine.xls"), "the user's workbook"));
    box.prompts.clear();
    box.prompts.savePaths.push_back(box.path("mine.xls"));
    box.prompts.answers.push_back(msg::Yes);
    preview->PushButton6_Click();
    QCOMPARE(errorSteps(box.prompts), QStringList{"Form2.PushButton6_Click@106"});
    QVERIFY(!box.prompts.texts().contains(QStringLiteral("Done.")));
    QCOMPARE(readAll(box.path("mine.xls")), QByteArray("the user's workbook"));
  }

  // Back to the main window, and the lists are stored as they came.
  preview->PushButton8_Click();
  QVERIFY(form->isVisible());
  QVERIFY(!QFileInfo::exists(preview->workbookPath()));
  box.prompts.clear();
  form->Form_QueryUnload();
  QVERIFY2(box.prompts.errors().isEmpty(), dialogs(box.prompts));
  QCOMPARE(storedLists(), lists);
}

QTEST_MAIN(TempFolderTest)
#include "tst_tempfolder.moc"
