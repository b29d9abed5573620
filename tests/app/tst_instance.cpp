// One window program per settings file: a second start on the same file brings the first to the
// front and leaves at once; other settings files do not meet; a crashed program's lock is taken
// over.
#include <QLockFile>
#include <QProcess>
#include <QtTest>

#include "app/instance.h"
#include "base/settings.h"
#include "giftlist/storedlist.h"
#include "tests/support/testsupport.h"

class TestInstance : public QObject {
  Q_OBJECT
 private slots:
  void secondStartAsksTheFirst();
  void aCrashedProgramsLockIsTakenOver();
  void theProgramStartedTwice();
};

void TestInstance::secondStartAsksTheFirst() {
  QTemporaryDir dir;
  int activated = 0;
  SingleInstance first(dir.filePath("a/Quillmoor.ini"));
  QCOMPARE(first.start([&] { ++activated; }), SingleInstance::Start::First);
  SingleInstance other(dir.filePath("b/Quillmoor.ini"));  // another settings file
  QCOMPARE(other.start([] {}), SingleInstance::Start::First);
  QVERIFY(other.lockPath() != first.lockPath());

  SingleInstance second(dir.filePath("a/Quillmoor.ini"));
  QCOMPARE(second.start([] {}), SingleInstance::Start::Answered);
  QTRY_COMPARE(activated, 1);
}

void TestInstance::aCrashedProgramsLockIsTakenOver() {
  QTemporaryDir dir;
  const QString settings = dir.filePath("Quillmoor.ini");
  QString lockPath;
  {
    SingleInstance probe(settings);
    lockPath = probe.lockPath();
  }
  // The lock of a program that is gone: a lock as Qt writes it, with the number of a process
  // that no longer runs.
  QByteArray contents;
  {
    QLockFile own(lockPath);
    QVERIFY(own.tryLock(0));
    QFile written(lockPath);
    QVERIFY(written.open(QIODevice::ReadOnly));
    contents = written.readAll();
  }
  QProcess gone;
  gone.start("/bin/true");
  QVERIFY(gone.waitForStarted());
  const qint64 pid = gone.processId();
  QVERIFY(gone.waitForFinished());
  contents.replace(0, contents.indexOf('\n'), QByteArray::number(pid));
  QFile lock(lockPath);
  QVERIFY(lock.open(QIODevice::WriteOnly) && lock.write(contents) == contents.size());
  lock.close();
  SingleInstance again(settings);
  QCOMPARE(again.start([] {}), SingleInstance::Start::First);
}

void TestInstance::theProgramStartedTwice() {
  // The real program on a private settings folder: the second start is answered and leaves with
  // status 0 (one that is not answered waits a second and leaves with 1), and the first goes on.
  QTemporaryDir dir;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  env.insert("XDG_RUNTIME_DIR", dir.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  QProcess first;
  first.setProcessEnvironment(env);
  first.start(QStringLiteral(TINSEL_BINARY_DIR "/tinselwick"));
  QVERIFY(first.waitForStarted());
  // The first program is up once its socket is there.
  QTRY_VERIFY_WITH_TIMEOUT(
      !QDir(dir.path()).entryList({"tinselwick-*.socket"}, QDir::System).isEmpty(), 10000);
  QProcess second;
  second.setProcessEnvironment(env);
  second.start(QStringLiteral(TINSEL_BINARY_DIR "/tinselwick"));
  QVERIFY(second.waitForFinished(5000));
  QCOMPARE(second.exitStatus(), QProcess::NormalExit);
  QCOMPARE(second.exitCode(), 0);
  QCOMPARE(first.state(), QProcess::Running);
  first.terminate();
  first.waitForFinished();
}

QTEST_MAIN(TestInstance)
#include "tst_instance.moc"
