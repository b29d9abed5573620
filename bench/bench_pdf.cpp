// The report as a PDF document and as an Excel workbook (.xlsx), with 88 entries (22 in every
// list): made in the process from the report workbook; by `tinselwick --pdf` as a whole process
// from the stored lists; and, to compare with, by LibreOffice converting the same workbook
// (`tinselwick --xls`) headless to PDF, .xlsx and CSV. Beside them the exchange of the lists:
// the CSV export, and the lists read back from the report workbook (.xls and .xlsx). The
// whole-process figures are wall-clock times.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <csignal>

#include "app/application.h"
#include "base/failure.h"
#include "base/services.h"
#include "base/settings.h"
#include "giftlist/storedlist.h"
#include "planner/importlists.h"
#include "planner/listscsv.h"
#include "planner/planner.h"
#include "report/printing.h"
#include "windows/mainwindow.h"
#include "windows/previewwindow.h"

namespace {

// The entries of bench_report's fill(): the same 88 for every benchmark here.
GiftEntry entry(int category, int i) {
  return {QStringLiteral("Person %1-%2").arg(category).arg(i),
          QStringLiteral("books, music and long walks"),
          QStringLiteral("A present for person %1").arg(i), QStringLiteral("$%1").arg(10 + i),
          QStringLiteral("person%1@example.com").arg(i)};
}

// A folder of the run's own; no spaces in its path (soffice takes its profile as a URL).
QString scratch() {
  return QDir::tempPath() + QStringLiteral("/tinselwick-bench-XXXXXX");
}

// The settings folder of the whole run (never the user's), holding the 88 entries stored.
QTemporaryDir* config = nullptr;
// The built program, one folder up from the benchmarks.
QString program;

// Form_Load opens the home page once in a hundred starts: never a browser from a benchmark.
class NoBrowser final : public UrlLauncher {
 public:
  void open(const QString&) override {}
};

void storeEntries() {
  for (int c = 0; c < 4; ++c) {
    std::vector<GiftEntry> list;
    for (int i = 1; i <= 22; ++i) list.push_back(entry(c, i));
    SaveSetting(kSettingsApplication, kSettingsSection, storedListKey(c), serializeList(list));
  }
}

QProcessEnvironment programEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config->path());
  env.insert(QStringLiteral("XDG_DATA_HOME"), config->path() + QStringLiteral("/data"));
  return env;
}

// Runs the program with `arguments`; true when it ended with 0 and `output` is a non-empty file.
bool runToFile(const QString& executable, const QStringList& arguments,
               const QProcessEnvironment& env, const QString& output, int timeoutMs) {
  QFile::remove(output);
  QProcess p;
  p.setProcessEnvironment(env);
  // A group of its own: soffice is a script that starts the office, and a hung office goes too.
  p.setChildProcessModifier([] { ::setpgid(0, 0); });
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.start(executable, arguments);
  if (!p.waitForFinished(timeoutMs)) {
    ::kill(-static_cast<pid_t>(p.processId()), SIGKILL);
    p.waitForFinished();
    return false;
  }
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 &&
         QFileInfo(output).size() > 0;
}

// The report workbook of the 88 entries, made by the report run; false (with the reason given
// to the state) when it cannot be.
bool makeReportWorkbook(benchmark::State& state, const QString& workbook) {
  {
    Application app;
    MainWindow& form = app.mainWindow();
    if (!form.Form_Load()) {
      state.SkipWithError("no spreadsheet host");
      return false;
    }
    int entries = 0;
    for (int c = 0; c < 4; ++c) entries += form.list(c).count();
    if (entries != 88) {
      state.SkipWithError("the stored lists were not loaded");
      return false;
    }
    form.show();
    form.PushButton1_Click();
    QCoreApplication::processEvents();
    PreviewWindow* preview = app.preview();
    if (preview->workbookPath().isEmpty() || !QFile::copy(preview->workbookPath(), workbook)) {
      state.SkipWithError("the report run left no workbook");
      return false;
    }
    preview->PushButton8_Click();  // "< Back": removes the run's own workbook
  }
  return true;
}

void BM_ReportPdf(benchmark::State& state) {
  QTemporaryDir dir(scratch());
  const QString workbook = dir.filePath(QStringLiteral("report.xls"));
  if (!makeReportWorkbook(state, workbook)) return;
  qsizetype bytes = 0;
  for (auto _ : state) {
    try {
      bytes = report::reportPdf(workbook).size();
    } catch (const Failure& failure) {
      state.SkipWithError(failure.what());
      return;
    }
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ReportPdf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReportXlsx(benchmark::State& state) {
  QTemporaryDir dir(scratch());
  const QString workbook = dir.filePath(QStringLiteral("report.xls"));
  if (!makeReportWorkbook(state, workbook)) return;
  const QString xlsx = dir.filePath(QStringLiteral("report.xlsx"));
  for (auto _ : state) {
    try {
      report::exportReportXlsx(workbook, xlsx);
    } catch (const Failure& failure) {
      state.SkipWithError(failure.what());
      return;
    }
  }
  state.counters["bytes"] = static_cast<double>(QFileInfo(xlsx).size());
}
BENCHMARK(BM_ReportXlsx)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CommandLinePdf(benchmark::State& state) {
  QTemporaryDir dir(scratch());
  const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
  const QProcessEnvironment env = programEnvironment();
  for (auto _ : state) {
    if (!runToFile(program, {QStringLiteral("--pdf"), pdf}, env, pdf, 30000)) {
      state.SkipWithError("tinselwick --pdf did not end cleanly with the file written");
      return;
    }
  }
  state.counters["bytes"] = static_cast<double>(QFileInfo(pdf).size());
}
BENCHMARK(BM_CommandLinePdf)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The four lists, with their statuses, as CSV.
void BM_ListsCsv(benchmark::State& state) {
  QTemporaryDir dir(scratch());
  GiftBook book;
  for (int c = 0; c < 4; ++c)
    for (int i = 1; i <= 22; ++i) book.list(c).add(entry(c, i));
  Planner planner(book, dir.path());
  planner.setStatus(0, entry(0, 1).name, GiftStatus::Bought);
  qsizetype bytes = 0;
  for (auto _ : state) bytes = listsAsCsv(book, &planner).size();
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ListsCsv)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// The lists read back from the report workbook: arg 0 the .xls, arg 1 the same as .xlsx; from
// the file's name to the 88 entries checked against the entry rules.
void BM_ReadBack(benchmark::State& state) {
  QTemporaryDir dir(scratch());
  QString workbook = dir.filePath(QStringLiteral("report.xls"));
  if (!makeReportWorkbook(state, workbook)) return;
  if (state.range(0) == 1) {
    const QString xlsx = dir.filePath(QStringLiteral("report.xlsx"));
    report::exportReportXlsx(workbook, xlsx);
    workbook = xlsx;
  }
  int entries = 0;
  for (auto _ : state) {
    try {
      entries = readListsFile(workbook).count();
    } catch (const Failure& failure) {
      state.SkipWithError(failure.what());
      return;
    }
  }
  if (entries != 88) state.SkipWithError("the lists did not come back whole");
  state.counters["entries"] = entries;
}
BENCHMARK(BM_ReadBack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// LibreOffice converting the report workbook: arg 0 to a PDF, arg 1 to an Excel workbook, arg 2
// to CSV.
void BM_LibreOffice(benchmark::State& state) {
  const QString format = state.range(0) == 0   ? QStringLiteral("pdf")
                         : state.range(0) == 1 ? QStringLiteral("xlsx")
                                               : QStringLiteral("csv");
  const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
  if (soffice.isEmpty()) {
    state.SkipWithError("soffice is not installed");
    return;
  }
  QTemporaryDir dir(scratch());
  const QString workbook = dir.filePath(QStringLiteral("report.xls"));
  if (!runToFile(program, {QStringLiteral("--xls"), workbook}, programEnvironment(), workbook,
                 30000)) {
    state.SkipWithError("tinselwick --xls did not end cleanly with the file written");
    return;
  }
  // A profile of its own, made by the untimed first run and kept for every timed one.
  const QString profile =
      QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString(QUrl::FullyEncoded);
  const QString outDir = dir.filePath(QStringLiteral("out"));
  const QString pdf = outDir + QStringLiteral("/report.") + format;
  const QStringList arguments = {QStringLiteral("-env:UserInstallation=") + profile,
                                 QStringLiteral("--headless"),
                                 QStringLiteral("--convert-to"),
                                 format,
                                 QStringLiteral("--outdir"),
                                 outDir,
                                 workbook};
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  if (!runToFile(soffice, arguments, env, pdf, 60000)) {
    state.SkipWithError("soffice did not convert the workbook");
    return;
  }
  for (auto _ : state) {
    if (!runToFile(soffice, arguments, env, pdf, 60000)) {
      state.SkipWithError("soffice did not convert the workbook");
      return;
    }
  }
  state.counters["bytes"] = static_cast<double>(QFileInfo(pdf).size());
}
BENCHMARK(BM_LibreOffice)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settings(scratch());
  config = &settings;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));  // never the user's lists
  qputenv("XDG_DATA_HOME",
          QFile::encodeName(settings.path() + QStringLiteral("/data")));  // nor the planner
  QApplication app(argc, argv);
  program =
      QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../tinselwick"));
  NoBrowser noBrowser;
  setUrlLauncher(&noBrowser);
  storeEntries();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  setUrlLauncher(nullptr);
  return 0;
}
