// Start-up from process start to the main window shown, with 88 stored entries, offscreen: the
// start-up probe does what the program's main() does and leaves once its window is shown.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include "base/apptitle.h"
#include "base/files.h"
#include "base/settings.h"
#include "giftlist/storedlist.h"

namespace {

QString program;

void BM_StartupToWindowShown(benchmark::State& state) {
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  qputenv("XDG_DATA_HOME",
          QFile::encodeName(config.path() + QStringLiteral("/data")));  // nor the planner
  for (int c = 0; c < 4; ++c) {
    std::vector<GiftEntry> list;
    for (int i = 1; i <= 22; ++i)
      list.push_back({QStringLiteral("Person %1-%2").arg(c).arg(i), QStringLiteral("books"),
                      QStringLiteral("A present"), QStringLiteral("$%1").arg(i),
                      QStringLiteral("p%1@example.com").arg(i)});
    SaveSetting(kSettingsApplication, kSettingsSection, storedListKey(c), serializeList(list));
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
  env.insert(QStringLiteral("XDG_DATA_HOME"), config.path() + QStringLiteral("/data"));
  for (auto _ : state) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, {});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
      state.SkipWithError("the program did not start and end cleanly");
      return;
    }
  }
}
BENCHMARK(BM_StartupToWindowShown)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  program = QCoreApplication::applicationDirPath() + QStringLiteral("/startup_probe");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
