// The command line: the report of the stored lists written as a PDF or a workbook without a
// window or a display, failures on standard error with a non-zero status, and nothing touched
// when the file cannot be written.
#include <QProcess>
#include <QtTest>

#include "base/settings.h"
#include "giftlist/storedlist.h"
#include "spreadsheet/biff/workbookio.h"
#include "tests/support/testsupport.h"

namespace {

struct Run {
  int status = -1;
  QByteArray out, err;
};

}  // namespace

class TestCommandLine : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void writesTheReport_data();
  void writesTheReport();
  void unwritableFile_data();
  void unwritableFile();
  void helpAndVersion();

 private:
  Run tinselwick(const QStringList& args);
  QTemporaryDir dir_;
};

void TestCommandLine::initTestCase() {
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.filePath("config"));
  SaveSetting(kSettingsApplication, kSettingsSection, storedListKey(0),
              "Mom||SEP1||walks||SEP1||Ryka Walking Shoes||SEP1||$89||SEP1||||SEP2||");
  QVERIFY(QDir().mkpath(dir_.filePath("out")));
}

Run TestCommandLine::tinselwick(const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
  env.remove("QT_QPA_PLATFORM");  // the program needs no display and picks its platform itself
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(TINSEL_BINARY_DIR "/tinselwick"), args);
  Run run;
  if (!p.waitForFinished(60000)) return run;
  run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = p.readAllStandardOutput();
  run.err = p.readAllStandardError();
  return run;
}

void TestCommandLine::writesTheReport_data() {
  QTest::addColumn<QString>("option");
  QTest::addColumn<QByteArray>("magic");
  QTest::newRow("PDF") << "--pdf" << QByteArray("%PDF");
  QTest::newRow("workbook") << "--xls" << QByteArray("\xD0\xCF\x11\xE0");
}

void TestCommandLine::writesTheReport() {
  QFETCH(QString, option);
  QFETCH(QByteArray, magic);
  const QString folder = dir_.filePath(option.mid(2));
  QVERIFY(QDir().mkpath(folder));
  const QString file = folder + "/report." + option.mid(2);
  QFile old(file);  // an existing file is replaced
  QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
  old.close();
  const Run run = tinselwick({option, file});
  QCOMPARE(run.status, 0);
  QCOMPARE(run.out + run.err, QByteArray());  // success prints nothing
  QVERIFY(old.open(QIODevice::ReadOnly));
  const QByteArray bytes = old.readAll();
  QVERIFY(bytes.startsWith(magic));
  if (option == QLatin1String("--xls")) {
    const sheet::Workbook book = sheet::readWorkbookBytes(bytes);
    QCOMPARE(std::get<QString>(book.sheet(0).cell({2, 0})->value), QStringLiteral("Mom"));
  }
  // Nothing of the run is left in the output folder or beside it.
  QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestCommandLine::unwritableFile_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<QString>("why");
  QTest::newRow("missing folder") << dir_.filePath("nowhere/report.pdf") << "does not exist";
  QTest::newRow("a folder") << dir_.filePath("out") << "is a folder";
}

void TestCommandLine::unwritableFile() {
  QFETCH(QString, file);
  QFETCH(QString, why);
  const QStringList before = QDir(dir_.filePath("out")).entryList(QDir::Files | QDir::Hidden);
  const Run run = tinselwick({"--pdf", file});
  QVERIFY(run.status != 0);
  QVERIFY2(QString::fromUtf8(run.err).contains(why), run.err.constData());
  QVERIFY(run.err.contains("Tinselwick.CommandLine at line 100"));
  QVERIFY(run.out.isEmpty());
  QCOMPARE(QDir(dir_.filePath("out")).entryList(QDir::Files | QDir::Hidden), before);
}

void TestCommandLine::helpAndVersion() {
  const Run version = tinselwick({"--version"});
  QCOMPARE(version.status, 0);
  QCOMPARE(version.out, QByteArray("tinselwick " TINSEL_VERSION "\n"));
  const Run help = tinselwick({"--help"});
  QCOMPARE(help.status, 0);
  QVERIFY(help.out.contains("--pdf <file>") && help.out.contains("--xls <file>"));
  QVERIFY(tinselwick({"--pdf"}).status != 0);  // a missing file name is an error
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
