// The report run from "Start Creating Template" to the preview shown, with 88 entries
// (22 in every list), offscreen; and a zoom step of the preview.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/application.h"
#include "windows/mainwindow.h"
#include "windows/previewwindow.h"

namespace {

void fill(MainWindow& form) {
  for (int category = 0; category < 4; ++category) {
    for (int i = 1; i <= 22; ++i) {
      form.list(category).add({QStringLiteral("Person %1-%2").arg(category).arg(i),
                               QStringLiteral("books, music and long walks"),
                               QStringLiteral("A present for person %1").arg(i),
                               QStringLiteral("$%1").arg(10 + i),
                               QStringLiteral("person%1@example.com").arg(i)});
    }
  }
}

void BM_ReportRun(benchmark::State& state) {
  Application program;
  MainWindow& form = program.mainWindow();
  if (!form.Form_Load()) {
    state.SkipWithError("no spreadsheet host");
    return;
  }
  fill(form);
  form.show();
  for (auto _ : state) {
    form.PushButton1_Click();
    QCoreApplication::processEvents();  // the preview's activation sets the viewport up
    state.PauseTiming();
    program.preview()
        ->PushButton8_Click();  // "< Back": removes the workbook, shows the main window
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReportRun)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_ZoomStep(benchmark::State& state) {
  Application program;
  MainWindow& form = program.mainWindow();
  if (!form.Form_Load()) {
    state.SkipWithError("no spreadsheet host");
    return;
  }
  // The sample report: with 88 long entries the picture is wider than the viewport paints
  // (21700 twips), and zoom steps are refused for it.
  form.PushButton6_Click();
  form.show();
  form.PushButton1_Click();
  QCoreApplication::processEvents();
  PreviewWindow* preview = program.preview();
  if (preview->setupPending() || preview->imageWidth() <= 0) {
    state.SkipWithError("the preview was not set up");
    return;
  }
  bool out = true;
  for (auto _ : state) {
    // 1.0 -> 0.75 -> 1.0 -> ...: each step repaints the picture at the new size. (A report of
    // 25 rows is too tall for 1.25: the viewport refuses zoom steps above 1.0 for it.)
    if (out) {
      preview->PushButton2_Click();
    } else {
      preview->PushButton1_Click();
    }
    out = !out;
  }
  state.counters["zoom"] = static_cast<double>(preview->zoom());
  state.counters["width"] = static_cast<double>(preview->scaledWidth());
  preview->PushButton8_Click();
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));  // never the user's lists
  qputenv("XDG_DATA_HOME",
          QFile::encodeName(config.path() + QStringLiteral("/data")));  // nor the planner
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
