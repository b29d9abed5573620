// The command line: the report of the stored lists written as a PDF or a workbook without a
// window or a display, failures on standard error with a non-zero status, and nothing touched
// when the file cannot be written.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "app/commandline.h"
#include "app/instance.h"
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
  void standardOutput();
  void nothingWrittenAfterAFailure_data();
  void nothingWrittenAfterAFailure();
  void helpVersionAndUsage();
  void summary();
  void whichArgumentsNeedNoWindow_data();
  void whichArgumentsNeedNoWindow();
  void importReplacesTheLists();

 private:
  Run tinselwick(const QStringList& args, const QString& config = QString());
  QTemporaryDir dir_;
};

void TestCommandLine::initTestCase() {
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.filePath("config"));
  SaveSetting(kSettingsApplication, kSettingsSection, storedListKey(0),
              "Mom||SEP1||walks||SEP1||Ryka Walking Shoes||SEP1||$89||SEP1||||SEP2||");
  QVERIFY(QDir().mkpath(dir_.filePath("out")));
}

Run TestCommandLine::tinselwick(const QStringList& args, const QString& config) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", config.isEmpty() ? dir_.filePath("config") : config);
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
  QTest::addColumn<QString>("option");
  QTest::addColumn<QString>("file");
  QTest::addColumn<QString>("why");
  QTest::newRow("missing folder") << "--pdf" << dir_.filePath("nowhere/report.pdf")
                                  << "does not exist";
  QTest::newRow("a folder, PDF") << "--pdf" << dir_.filePath("out")
                                 << "is a folder. Choose a file name for the PDF.";
  QTest::newRow("a folder, workbook")
      << "--xls" << dir_.filePath("out") << "is a folder. Choose a file name for the workbook.";
  QTest::newRow("read-only") << "--pdf" << dir_.filePath("out/locked.pdf") << "is read-only";
}

void TestCommandLine::unwritableFile() {
  QFETCH(QString, option);
  QFETCH(QString, file);
  QFETCH(QString, why);
  QFile locked(dir_.filePath("out/locked.pdf"));
  QVERIFY(locked.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
          !locked.exists());
  QVERIFY(locked.open(QIODevice::WriteOnly) && locked.write("mine") == 4);
  locked.close();
  QVERIFY(locked.setPermissions(QFileDevice::ReadOwner));
  const QStringList before = QDir(dir_.filePath("out")).entryList(QDir::Files | QDir::Hidden);
  const Run run = tinselwick({option, file});
  QCOMPARE(run.status, 1);
  QVERIFY2(QString::fromUtf8(run.err).contains(why), run.err.constData());
  QVERIFY(run.err.contains("Tinselwick.CommandLine at line 100"));
  QVERIFY(run.out.isEmpty());
  QCOMPARE(QDir(dir_.filePath("out")).entryList(QDir::Files | QDir::Hidden), before);
  QVERIFY(locked.open(QIODevice::ReadOnly));
  QCOMPARE(locked.readAll(), QByteArray("mine"));
}

void TestCommandLine::standardOutput() {
  // "-" writes the file to standard output, and nothing else goes there.
  const Run pdf = tinselwick({"--pdf", "-"});
  QCOMPARE(pdf.status, 0);
  QVERIFY(pdf.out.startsWith("%PDF") && pdf.out.trimmed().endsWith("%%EOF"));
  QCOMPARE(pdf.err, QByteArray());
  const Run xls = tinselwick({"--xls=-"});
  QCOMPARE(xls.status, 0);
  const sheet::Workbook book = sheet::readWorkbookBytes(xls.out);
  QCOMPARE(std::get<QString>(book.sheet(0).cell({2, 0})->value), QStringLiteral("Mom"));
}

void TestCommandLine::nothingWrittenAfterAFailure_data() {
  QTest::addColumn<QByteArray>("settings");  // the settings file; "folder" puts a folder there
  QTest::newRow("settings file is a folder") << QByteArray("folder");
  QTest::newRow("a value that is not text")
      << QByteArray("[Tinselwick]\nInventory%20List%20Relatives=@Rect(1 2 3 4)\n");
  QTest::newRow("a damaged line") << QByteArray("[Tinselwick]\nInventory%20List=a\nb\n");
}

void TestCommandLine::nothingWrittenAfterAFailure() {
  QFETCH(QByteArray, settings);
  // A folder of its own, so the good settings of the other tests stay as they are.
  QTemporaryDir home;
  const QString file = home.filePath("Quillmoor/Quillmoor.ini");
  QVERIFY(QDir().mkpath(settings == "folder" ? file : home.filePath("Quillmoor")));
  if (settings != "folder") {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(settings) == settings.size());
  }
  const QString target = dir_.filePath("out/good.pdf");
  QFile good(target);
  QVERIFY(good.open(QIODevice::WriteOnly) && good.write("a good report") > 0);
  good.close();
  const Run run = tinselwick({"--pdf", target}, home.path());
  QCOMPARE(run.status, 1);
  QVERIFY(run.out.isEmpty());
  QVERIFY2(run.err.contains("Form1.Form_Load at line 126"), run.err.constData());
  QVERIFY2(run.err.contains("'" + target.toUtf8() + "' was not written"), run.err.constData());
  QVERIFY(!run.err.contains("when Tinselwick closes"));  // the command line stores nothing
  QVERIFY(good.open(QIODevice::ReadOnly));
  QCOMPARE(good.readAll(), QByteArray("a good report"));
  if (settings != "folder") {
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), settings);
  }
}

void TestCommandLine::helpVersionAndUsage() {
  const Run version = tinselwick({"--version"});
  QCOMPARE(version.status, 0);
  QCOMPARE(version.out, QByteArray("tinselwick " TINSEL_VERSION "\n"));
  const Run help = tinselwick({"--help"});
  QCOMPARE(help.status, 0);
  QVERIFY(help.out.contains("--pdf <file>") && help.out.contains("--xls <file>"));
  QVERIFY(help.out.contains("Exit status: 0"));
  // What is not understood prints why and the usage, with status 2.
  const Run all = tinselwick({"--help-all"});
  QCOMPARE(all.status, 0);
  QVERIFY(all.out.contains("--pdf <file>"));
  for (const QStringList& args :
       {QStringList{"--pdf"}, QStringList{"--pdf="}, QStringList{"--"}, QStringList{"--frobnicate"},
        QStringList{"stray"}, QStringList{"--pdf", "a.pdf", "--xls", "b.xls"}}) {
    const Run run = tinselwick(args);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains("Usage:"), run.err.constData());
    QVERIFY(run.out.isEmpty());
  }
  QVERIFY(tinselwick({"--pdf="}).err.contains("a file name is missing after --pdf"));
}

void TestCommandLine::summary() {
  const QString folder = dir_.filePath("data/Quillmoor/Tinselwick");
  QVERIFY(QDir().mkpath(folder));
  auto planner = [&](const QByteArray& bytes) {
    QFile f(folder + "/planner.json");
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
  };
  planner(R"({"format":"Tinselwick planner","version":1,"budgets":{"Family":100},)"
          R"("statuses":{"Family":{"Mom":"bought"}},"seasons":[]})");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("data")));
  const Run text = tinselwick({"--summary"});
  QCOMPARE(text.status, 0);
  QCOMPARE(text.err, QByteArray());
  QStringList lines = QString::fromUtf8(text.out).split(u'\n', Qt::SkipEmptyParts);
  for (QString& line : lines) line = line.simplified();
  QCOMPARE(lines.size(), 6);
  QCOMPARE(lines[0], "List Entries Budget Spent Left To buy Bought Wrapped Given");
  QCOMPARE(lines[1], "Family 1 $100.00 $89.00 $11.00 0 1 0 0");
  QCOMPARE(lines[2], "Relatives 0 - $0.00 - 0 0 0 0");
  QCOMPARE(lines[5], "All lists 1 $100.00 $89.00 $11.00 0 1 0 0");

  const Run json = tinselwick({"--summary", "--json"});
  QCOMPARE(json.status, 0);
  const QJsonObject root = QJsonDocument::fromJson(json.out).object();
  const QJsonObject family = root["lists"].toArray().first().toObject();
  QCOMPARE(family["list"].toString(), "Family");
  QCOMPARE(family["spent"].toDouble(), 89.0);
  QCOMPARE(family["left"].toDouble(), 11.0);
  QCOMPARE(family["status"].toObject()["bought"].toInt(), 1);
  QVERIFY(root["lists"].toArray()[1].toObject()["budget"].isNull());
  QCOMPARE(root["all"].toObject()["entries"].toInt(), 1);

  // The lists as CSV, with their statuses, on standard output.
  const Run csv = tinselwick({"--csv", "-"});
  QCOMPARE(csv.status, 0);
  QVERIFY(csv.out.startsWith("\xEF\xBB\xBFList,Name,Likes,Present,Cost,Email,Status\r\n"));
  QVERIFY2(csv.out.contains("Family,Mom,walks,Ryka Walking Shoes,$89,,Bought\r\n"), csv.out);

  // A damaged planner file: the reason, status 1, and the file left as it is.
  planner("{damaged");
  const Run damaged = tinselwick({"--summary"});
  QCOMPARE(damaged.status, 1);
  QVERIFY2(damaged.err.contains("is damaged") && damaged.out.isEmpty(), damaged.err.constData());
  QVERIFY(QFile::exists(folder + "/planner.json"));
  QCOMPARE(tinselwick({"--csv", "-"}).status, 1);
  QCOMPARE(tinselwick({"--json"}).status, 2);
  qputenv("XDG_DATA_HOME", env.value("XDG_DATA_HOME").toLocal8Bit());
}

// The toolkit's own options keep the window; the program's options, and whatever is not
// understood, are answered without one.
void TestCommandLine::whichArgumentsNeedNoWindow_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<bool>("withoutWindows");
  QTest::newRow("none") << QStringList{} << false;
  QTest::newRow("a style") << QStringList{"-style", "fusion"} << false;
  QTest::newRow("a style, two dashes") << QStringList{"--style=fusion", "--reverse"} << false;
  QTest::newRow("a platform") << QStringList{"--platform", "xcb"} << false;
  QTest::newRow("a report") << QStringList{"--pdf", "a.pdf"} << true;
  QTest::newRow("a style and a report") << QStringList{"-style", "fusion", "--xls=a"} << true;
  QTest::newRow("help of all") << QStringList{"--help-all"} << true;
  QTest::newRow("short help") << QStringList{"-h"} << true;
  QTest::newRow("unknown") << QStringList{"--frobnicate"} << true;
  QTest::newRow("stray") << QStringList{"stray"} << true;
  QTest::newRow("two dashes alone") << QStringList{"--"} << true;
}

void TestCommandLine::whichArgumentsNeedNoWindow() {
  QFETCH(QStringList, args);
  QFETCH(bool, withoutWindows);
  std::vector<QByteArray> bytes{"tinselwick"};
  for (const QString& a : args) bytes.push_back(a.toUtf8());
  std::vector<char*> argv;
  for (QByteArray& b : bytes) argv.push_back(b.data());
  QCOMPARE(runsWithoutWindows(int(argv.size()), argv.data()), withoutWindows);
}

// Last: it replaces the stored lists the other cases make their reports of.
void TestCommandLine::importReplacesTheLists() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("import-data")));
  const QString file = dir_.filePath("out/lists.csv");
  QFile csv(file);
  QVERIFY(csv.open(QIODevice::WriteOnly));
  csv.write(
      "\xEF\xBB\xBFList,Name,Likes,Present,Cost,Email,Status\r\n"
      "Friends,Sam,games,Carcassonne,$35,,Wrapped\r\nFriends,Sam,,,,,\r\n"
      "Relatives,Aunt,,Tea,,,\r\n");
  csv.close();
  // Not while a window program holds the same lists.
  {
    SingleInstance window(settingsFilePath(kSettingsApplication));
    QCOMPARE(window.start([] {}), SingleInstance::Start::First);
    const Run refused = tinselwick({"--import", file});
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains("is running"), refused.err.constData());
  }
  QVERIFY(tinselwick({"--csv", "-"}).out.contains("Family,Mom"));
  const Run run = tinselwick({"--import", file});
  QCOMPARE(run.status, 0);
  QVERIFY2(run.out.contains("Imported 2 entries of \"lists.csv\". The lists as they were are kept "
                            "as the planner's season \"Before opening lists.csv\"."),
           run.out.constData());
  QVERIFY2(run.err.contains("1 entry is left out:\nLine 3 (Friends), \"Sam\""),
           run.err.constData());
  const QByteArray now = tinselwick({"--csv", "-"}).out;
  QVERIFY2(now.contains("Friends,Sam,games,Carcassonne,$35,,Wrapped\r\n") && !now.contains("Mom"),
           now.constData());
  // A file that is no list: status 1, the lists as they were.
  const Run bad = tinselwick({"--import", dir_.filePath("missing.xls")});
  QCOMPARE(bad.status, 1);
  QVERIFY2(bad.err.contains("cannot be read"), bad.err.constData());
  QCOMPARE(tinselwick({"--csv", "-"}).out, now);
  qputenv("XDG_DATA_HOME", env.value("XDG_DATA_HOME").toLocal8Bit());
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
