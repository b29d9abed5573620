// Store and restore of 88 entries (22 in every list) through the settings store, as closing
// and starting the main window do.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "base/apptitle.h"
#include "base/files.h"
#include "base/settings.h"
#include "giftlist/storedlist.h"

namespace {

std::vector<GiftEntry> entries(int category) {
  std::vector<GiftEntry> out;
  for (int i = 1; i <= 22; ++i)
    out.push_back({QStringLiteral("Person %1-%2").arg(category).arg(i),
                   QStringLiteral("books, music and long walks"),
                   QStringLiteral("A present for person %1").arg(i), QStringLiteral("$%1").arg(i),
                   QStringLiteral("person%1@example.com").arg(i)});
  return out;
}

void BM_StoreAndRestore88(benchmark::State& state) {
  std::vector<std::vector<GiftEntry>> lists;
  for (int c = 0; c < 4; ++c) lists.push_back(entries(c));
  size_t restored = 0;
  for (auto _ : state) {
    QList<std::pair<QString, QString>> values;
    for (int c = 0; c < 4; ++c)
      values.append({storedListKey(c), serializeList(lists[static_cast<size_t>(c)])});
    SaveSettings(kSettingsApplication, kSettingsSection, values);
    for (int c = 0; c < 4; ++c)
      restored +=
          parseStoredList(GetSetting(kSettingsApplication, kSettingsSection, storedListKey(c)))
              .size();
  }
  benchmark::DoNotOptimize(restored);
}
BENCHMARK(BM_StoreAndRestore88)->Unit(benchmark::kMicrosecond);

// The two halves on their own: the store (one atomic, synced write) and the restore.
void BM_Store88(benchmark::State& state) {
  QList<std::pair<QString, QString>> values;
  for (int c = 0; c < 4; ++c) values.append({storedListKey(c), serializeList(entries(c))});
  for (auto _ : state) SaveSettings(kSettingsApplication, kSettingsSection, values);
}
BENCHMARK(BM_Store88)->Unit(benchmark::kMicrosecond);

void BM_Restore88(benchmark::State& state) {
  size_t restored = 0;
  for (auto _ : state)
    for (int c = 0; c < 4; ++c)
      restored +=
          parseStoredList(GetSetting(kSettingsApplication, kSettingsSection, storedListKey(c)))
              .size();
  benchmark::DoNotOptimize(restored);
}
BENCHMARK(BM_Restore88)->Unit(benchmark::kMicrosecond);

void BM_SerializeAndParse88(benchmark::State& state) {
  std::vector<GiftEntry> all;
  for (int c = 0; c < 4; ++c)
    for (const GiftEntry& e : entries(c)) all.push_back(e);
  for (auto _ : state) {
    const QString value = serializeList(all);
    benchmark::DoNotOptimize(parseStoredList(value).size());
  }
}
BENCHMARK(BM_SerializeAndParse88)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));  // never the user's lists
  qputenv("XDG_DATA_HOME",
          QFile::encodeName(config.path() + QStringLiteral("/data")));  // nor the planner
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
