// The report run and the layout, driven against a recording host.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "giftlist/giftbook.h"
#include "giftlist/saverules.h"
#include "report/excel1.h"
#include "report/layout.h"
#include "report/reportjob.h"
#include "report/reportworkbook.h"
#include "spreadsheet/biff/workbookio.h"
#include "tests/support/fakehost.h"
#include "tests/support/testsupport.h"

namespace {

class FakeWindows final : public report::ReportWindows {
 public:
  void setMainPointerBusy(bool busy) override { events << (busy ? "busy" : "idle"); }
  void setPreviewPicture(const QImage& p) override {
    picture = p;
    events << "picture";
  }
  void setPreviewWorkbook(const report::ReportWorkbook& made) override {
    workbook = made.path();
    events << "workbook";
  }
  void showPreview() override { events << "show preview"; }
  void hideMain() override { events << "hide main"; }
  bool wantsPicture() const override { return picture_; }

  GiftBook book;
  bool picture_ = true;
  QImage picture;
  QString workbook;
  QStringList events;
};

GiftEntry entry(const QString& name, const QString& cost = QString()) {
  return {name, QStringLiteral("likes"), QStringLiteral("present"), cost, QString()};
}

int indexOf(const QStringList& lines, const QString& line, int from = 0) {
  return static_cast<int>(lines.indexOf(line, from));
}

}  // namespace

class ReportJobTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    temp_ = std::make_unique<QTemporaryDir>();
    qputenv("TEMP", QFile::encodeName(temp_->path()));
  }

  void runsTheStepsInOrderAndHandsOver() {
    FakePrompts prompts;
    FakeHostLog log;
    FakeHostFactory factory(log);
    FakeWindows windows;
    windows.book.list(0).add(entry(QStringLiteral("Mom"), QStringLiteral("$89")));

    report::GenerateReport0(windows.book, windows, 1);

    QVERIFY2(prompts.errors().isEmpty(), qPrintable(prompts.texts().join('\n')));
    QCOMPARE(log.instances, 2);  // one instance after the other
    const QStringList& l = log.lines;
    // Host settings before the work, restored before the save; alerts off before each close.
    QVERIFY(indexOf(l, "ScreenUpdating=False") < indexOf(l, "DisplayAlerts=False"));
    // The template lies in a folder of the run's own inside TEMP.
    const QStringList opened = l.filter(QRegularExpression("^Open .*/template\\.xlt$"));
    QCOMPARE(opened.size(), 1);
    const QString runFolder = QFileInfo(opened.first().mid(5)).absolutePath();
    QCOMPARE(QFileInfo(runFolder).absolutePath(), temp_->path());
    QVERIFY(QFileInfo(runFolder).fileName().startsWith("tinselwick-"));
    QVERIFY(indexOf(l, "Cursor=2") < indexOf(l, opened.first()));
    QVERIFY(indexOf(l, "Name=Xmas") > 0);
    const int firstCell = indexOf(l, "Select $A3:$A3");
    QVERIFY(firstCell > 0);
    QCOMPARE(l.mid(firstCell, 5), (QStringList{"Select $A3:$A3", "FormulaR1C1=Mom", "Merge",
                                               "WrapText=False", "Select $B3:$B3"}));
    QVERIFY(l.contains("FormulaR1C1=$89"));
    const QStringList finishing = {"Select A1:E24", "ColorIndex=37", "Select D25", "ColorIndex=37",
                                   "Select F1:J24", "ColorIndex=35", "Select I25", "ColorIndex=35",
                                   "Sheets(1)",     "AutoFit",       "Select B6",  "Sheets(1)",
                                   "Sheet.Select"};
    const int fin = indexOf(l, "Select A1:E24");
    QCOMPARE(l.mid(fin, finishing.size()), finishing);
    const QStringList restore = {"Visible=False",      "Cursor=-4143",      "ScreenUpdating=True",
                                 "DisplayAlerts=True", "EnableEvents=True", "EnableCancelKey=1"};
    QCOMPARE(l.mid(fin + finishing.size(), restore.size()), restore);

    // The saved workbook: Wrenfold + eight digits 1-9 in the temporary folder, format 56.
    QRegularExpression saved("^SaveAs (.*/Wrenfold[1-9]{8}\\.xls) 56$");
    QString savePath;
    for (const QString& line : l)
      if (auto m = saved.match(line); m.hasMatch()) savePath = m.captured(1);
    QVERIFY2(!savePath.isEmpty(), qPrintable(l.join('\n')));
    QCOMPARE(QFileInfo(savePath).absolutePath(), temp_->path());
    const int save = indexOf(l, QStringLiteral("SaveAs %1 56").arg(savePath));
    QCOMPARE(l.mid(save + 1, 4), (QStringList{"DisplayAlerts=False", "Close", "Quit", "Create"}));
    QVERIFY(indexOf(l, "Open " + savePath) > save);
    QVERIFY(l.contains("CopyPicture"));
    QCOMPARE(l.last(), QStringLiteral("Quit"));

    QCOMPARE(windows.events,
             (QStringList{"busy", "idle", "picture", "workbook", "show preview", "hide main"}));
    QCOMPARE(windows.workbook, savePath);
    QCOMPARE(windows.picture.size(), QSize(40, 30));
    // The workbook alone outlives the run; its own folder is gone.
    QCOMPARE(QDir(temp_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QFileInfo(savePath).fileName()});
  }

  // Files of those names that someone else put in TEMP (another user, or the person) are
  // neither opened nor removed, and a named pipe there does not stop the run.
  void leavesOtherFilesInTheTemporaryFolderAlone_data() {
    QTest::addColumn<bool>("pipe");
    QTest::addColumn<bool>("picture");
    QTest::newRow("files, with a picture") << false << true;
    QTest::newRow("files, without a picture") << false << false;
    QTest::newRow("a pipe at template.xlt") << true << true;
  }
  void leavesOtherFilesInTheTemporaryFolderAlone() {
    QFETCH(bool, pipe);
    QFETCH(bool, picture);
    FakePrompts prompts;
    const QString planted = temp_->path() + "/template.xlt";
    if (pipe) {
      QCOMPARE(::mkfifo(QFile::encodeName(planted).constData(), 0644), 0);
    } else {
      QFile other(planted);
      QVERIFY(other.open(QIODevice::WriteOnly) && other.write("someone else's") > 0);
    }
    QFile bitmap(temp_->path() + "/temp.bmp");
    QVERIFY(bitmap.open(QIODevice::WriteOnly) && bitmap.write("a picture of mine") > 0);
    bitmap.close();
    FakeWindows windows;
    windows.picture_ = picture;
    windows.book.list(0).add(entry(QStringLiteral("Mom"), QStringLiteral("$89")));

    report::GenerateReport0(windows.book, windows, 1);  // the engine, not a fake

    QVERIFY2(prompts.errors().isEmpty(), qPrintable(prompts.texts().join('\n')));
    QVERIFY(windows.events.contains("show preview"));
    QCOMPARE(windows.picture.isNull(), !picture);
    QVERIFY(QFileInfo(windows.workbook).size() > 0);
    if (!pipe) {
      QFile other(planted);
      QVERIFY(other.open(QIODevice::ReadOnly));
      QCOMPARE(other.readAll(), QByteArray("someone else's"));
    }
    QVERIFY(bitmap.open(QIODevice::ReadOnly));
    QCOMPARE(bitmap.readAll(), QByteArray("a picture of mine"));
  }

  // Every cost the save check takes for a number is a number in the report, and "Total cost"
  // adds it up, in the locale's own notation.
  void costsInTheUsersLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("costs");
    QTest::addColumn<double>("total");
    QTest::newRow("de_DE") << "de_DE" << QStringList{"19,99", "$10,50",      "1.234,50",
                                                     "7",     "\u221212,50", "1,5E3 $"}
                           << 2759.49;
    QTest::newRow("fr_FR") << "fr_FR"
                           << QStringList{"19,99", "1 234,50", "1\u00a0000", "1\u202f000,01", "$2"}
                           << 3256.5;
    QTest::newRow("ru_RU") << "ru_RU" << QStringList{"0,5", "1\u00a0234,5", "$-1,5", "+3"}
                           << 1236.5;
    QTest::newRow("en_US") << "en_US" << QStringList{"19.99", "$1,234.50", "-$5",    "1e2",
                                                     "$1e3",  "5$",        "\u22122"}
                           << 2352.49;
  }
  void costsInTheUsersLocale() {
    QFETCH(QString, locale);
    QFETCH(QStringList, costs);
    QFETCH(double, total);
    FakePrompts prompts;
    QLocale::setDefault(QLocale(locale));
    auto back = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    FakeWindows windows;
    windows.picture_ = false;
    for (const QString& cost : costs) {
      QVERIFY2(isAcceptableCost(cost, QLocale()), qPrintable(cost));
      windows.book.list(0).add(entry("n" + cost, cost));
    }
    report::GenerateReport0(windows.book, windows, 1);
    QVERIFY2(prompts.errors().isEmpty(), qPrintable(prompts.texts().join('\n')));
    QFile saved(windows.workbook);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const sheet::Workbook book = sheet::readWorkbookBytes(saved.readAll());
    for (int i = 0; i < costs.size(); ++i) {
      const sheet::Cell* cell = book.sheet(0).cell({2 + i, 3});
      QVERIFY(cell);
      QVERIFY2(describeValue(cell->value).startsWith("n:"), qPrintable(costs[i]));
    }
    QCOMPARE(std::get<double>(book.sheet(0).cell({24, 3})->value), total);
  }

  // The host opens a workbook through the program's file module: a failure names the file and
  // says what is wrong with it, and a pipe at its name does not block.
  void openingAWorkbookThatIsNone_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("absent") << "absent"
                            << "cannot be opened: No such file";
    QTest::newRow("text") << "text"
                          << "is not an Excel 97-2003 workbook";
    QTest::newRow("a pipe") << "pipe"
                            << "cannot be opened: it is not a file";
  }
  void openingAWorkbookThatIsNone() {
    QFETCH(QString, kind);
    QFETCH(QString, why);
    const QString path = temp_->filePath("report.xls");
    if (kind == "text") {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly) && f.write("Family;Relatives\n") > 0);
    }
    if (kind == "pipe") QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    std::unique_ptr<report::Host> host = report::createHost();
    try {
      host->openWorkbook(path);
      QFAIL("opened");
    } catch (const Failure& f) {
      const QString text = QString::fromUtf8(f.what());
      QVERIFY2(text.startsWith("'" + path + "' ") && text.contains(why), qPrintable(text));
    }
  }

  void drawsANewNameWhileTheNameIsTaken() {
    FakePrompts prompts;
    FakeHostLog log;
    FakeHostFactory factory(log);
    FixedRandom random;
    // First name: all digits 1 (draw 0.0); it exists. Second: all digits 9 (draw 0.99).
    for (int i = 0; i < 8; ++i) random.draws.push_back(0.0);
    for (int i = 0; i < 8; ++i) random.draws.push_back(0.99);
    QFile taken(temp_->path() + "/Wrenfold11111111.xls");
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.write("someone else's");
    taken.close();
    FakeWindows windows;

    report::GenerateReport0(windows.book, windows, 1);

    QCOMPARE(windows.workbook, temp_->path() + "/Wrenfold99999999.xls");
    QCOMPARE(random.reseeds, 16);  // every digit reseeds
    QFile check(taken.fileName());
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("someone else's"));
  }

  void aLinkPlantedInTheTemporaryFolderIsNotFollowed() {
    FakePrompts prompts;
    FakeHostLog log;
    FakeHostFactory factory(log);
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.path() + "/precious.txt";
    for (const char* name : {"template.xlt", "temp.bmp"}) {
      QFile f(victim + name);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("the user's own words");
      f.close();
      QVERIFY(QFile::link(victim + name, temp_->path() + "/" + name));
    }
    FakeWindows windows;
    report::GenerateReport0(windows.book, windows, 1);
    QVERIFY2(prompts.errors().isEmpty(), qPrintable(prompts.texts().join('\n')));
    for (const char* name : {"template.xlt", "temp.bmp"}) {
      QFile f(victim + name);
      QVERIFY(f.open(QIODevice::ReadOnly));
      QCOMPARE(f.readAll(), QByteArray("the user's own words"));
    }
    QVERIFY(windows.events.contains("show preview"));
  }

  void aRunThatFindsNoFreeNameSavesNothing() {
    FakePrompts prompts;
    FakeHostLog log;
    FakeHostFactory factory(log);
    FixedRandom random;  // every draw 0.5: every name is Wrenfold55555555
    QFile taken(temp_->path() + "/Wrenfold55555555.xls");
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.write("someone else's");
    taken.close();
    FakeWindows windows;

    report::GenerateReport0(windows.book, windows, 1);

    const QStringList texts = prompts.texts();
    QCOMPARE(texts.filter("GenerateReport0 at line 172").size(), 1);
    QVERIFY(texts.filter("GenerateReport0 at line 172").first().startsWith("No free name"));
    QCOMPARE(texts.filter("GenerateReport0 at line 174").size(), 1);
    QVERIFY(windows.workbook.isEmpty());  // the preview would delete nothing
    QVERIFY(taken.open(QIODevice::ReadOnly));
    QCOMPARE(taken.readAll(), QByteArray("someone else's"));
  }

  void aHostThatCannotStartReportsEveryStepAndStillShowsThePreview() {
    FakePrompts prompts;
    report::setHostFactory(
        []() -> std::unique_ptr<report::Host> { fail(QStringLiteral("No host here.")); });
    FakeWindows windows;
    windows.book.list(0).add(entry(QStringLiteral("Mom")));

    report::GenerateReport0(windows.book, windows, 1);
    report::setHostFactory({});

    QStringList failingSteps;
    for (const auto& e : prompts.errors()) {
      const auto m = QRegularExpression("\\.(\\w+) at line (\\d+)").match(e.text);
      failingSteps << m.captured(1) + ":" + m.captured(2);
    }
    // Every host step of the run fails in turn, and the layout's cell steps too.
    for (const char* step :
         {"GenerateReport0:102", "GenerateReport0:104", "GenerateReport0:118", "GenerateReport:102",
          "GenerateReport:110", "GenerateReport:158", "GenerateReport0:140", "GenerateReport0:174",
          "GenerateReport0:184", "GenerateReport0:190", "GenerateReport0:200"})
      QVERIFY2(failingSteps.contains(QString::fromLatin1(step)), step);
    QVERIFY(!failingSteps.contains("GenerateReport0:116"));  // the template is still written
    QVERIFY(windows.events.contains("show preview"));
    QVERIFY(windows.events.contains("hide main"));
    QVERIFY(windows.picture.isNull());
    QVERIFY(!QFile::exists(temp_->path() + "/template.xlt"));
  }

  void aRefusedCellReportsItsStepAndTheRunGoesOn() {
    FakePrompts prompts;
    FakeHostLog log;
    log.failWhen = [](const QString& line) { return line == "FormulaR1C1==1+"; };
    FakeHostFactory factory(log);
    FakeWindows windows;
    windows.book.list(2).add(entry(QStringLiteral("Ann"), QStringLiteral("=1+")));
    windows.book.list(2).add(entry(QStringLiteral("Bob"), QStringLiteral("5")));

    report::GenerateReport0(windows.book, windows, 1);

    QCOMPARE(prompts.errors().size(), 1);
    QVERIFY(prompts.errors()[0].text.contains("XmasList.GenerateReport at line 136"));
    QVERIFY(log.lines.contains("FormulaR1C1=Bob"));
    QVERIFY(log.lines.contains("FormulaR1C1=5"));
    QVERIFY(windows.events.contains("show preview"));
  }

  void entriesBeyondTheTwentySecondAreLeftOutOnce() {
    FakePrompts prompts;
    FakeHostLog log;
    FakeHostFactory factory(log);
    FakeWindows windows;
    for (int i = 1; i <= 25; ++i) windows.book.list(1).add(entry(QStringLiteral("R%1").arg(i)));

    report::GenerateReport0(windows.book, windows, 1);

    QCOMPARE(prompts.errors().size(), 1);
    QVERIFY(prompts.errors()[0].text.startsWith(
        "Only the first 22 entries of Relatives fit the report.\r\n"));
    QVERIFY(prompts.errors()[0].text.contains("GenerateReport at line 116"));
    QVERIFY(log.lines.contains("Select $F24:$F24"));
    QVERIFY(!log.lines.contains("Select $F25:$F25"));
    QCOMPARE(windows.book.list(1).count(), 25);  // the list keeps its entries
  }

  void thePageIsSetUpInOrder() {
    FakeHostLog log;
    FakeHost host(log);
    report::SetupPage(host, QStringLiteral("A1:T25"));
    QCOMPARE(
        log.lines.mid(1),
        (QStringList{"PageSetup.PrintArea=A1:T25", "PageSetup.LeftMargin=50.4",
                     "PageSetup.RightMargin=50.4", "PageSetup.TopMargin=36",
                     "PageSetup.BottomMargin=36", "PageSetup.HeaderMargin=0",
                     "PageSetup.FooterMargin=0", "PageSetup.PrintComments=-4142",
                     "PageSetup.Orientation=2", "PageSetup.PaperSize=9", "PageSetup.Zoom=False",
                     "PageSetup.FitToPagesWide=1", "PageSetup.FitToPagesTall=1"}));
  }

  void theFileFormatFollowsTheVersion_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("format");
    QTest::newRow("16.0") << "C"
                          << "16.0" << 56;
    QTest::newRow("16.0 comma locale") << "de_DE"
                                       << "16.0" << 56;
    QTest::newRow("16,0 comma locale") << "de_DE"
                                       << "16,0" << 56;
    QTest::newRow("11.0") << "C"
                          << "11.0" << -4143;
    QTest::newRow("11.5 rounds to 12") << "C"
                                       << "11.5" << 56;
    QTest::newRow("12.0") << "en_US"
                          << "12.0" << 56;
    QTest::newRow("9.0") << "fr_FR"
                         << "9.0" << -4143;
  }
  void theFileFormatFollowsTheVersion() {
    QFETCH(QString, locale);
    QFETCH(QString, version);
    QFETCH(int, format);
    QLocale::setDefault(QLocale(locale));
    FakeHostLog log;
    log.version = version;
    FakeHost host(log);
    const int got = report::SaveFormatForExcel(&host);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(got, format);
  }

  void aVersionThatIsNoNumberFails() {
    FakeHostLog log;
    log.version = QStringLiteral("sixteen");
    FakeHost host(log);
    QVERIFY_THROWS_EXCEPTION(Failure, report::SaveFormatForExcel(&host));
  }

  void anUnwritableTemporaryFolderIsReported() {
    FakePrompts prompts;
    FakeHostLog log;
    FakeHostFactory factory(log);
    FakeWindows windows;
    // /proc is a folder in which nobody, root included, can create files.
    qputenv("TEMP", "/proc");
    report::GenerateReport0(windows.book, windows, 1);
    // The run stops where its template could not be written: it opens nothing it did not write.
    QCOMPARE(prompts.errors().size(), 1);
    QVERIFY(prompts.texts().first().contains("GenerateReport0 at line 116"));
    QVERIFY(!log.lines.join('\n').contains("Open "));
    QVERIFY(windows.events.isEmpty());
  }

 private:
  std::unique_ptr<QTemporaryDir> temp_;
};

QTEST_MAIN(ReportJobTest)
#include "tst_reportjob.moc"
