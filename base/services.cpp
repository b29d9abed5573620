#include "base/services.h"

#include <QTime>
#include <cstdio>
#include <random>

namespace {

class TimeSeededRandom final : public RandomSource {
 public:
  // The time of day alone would give the same seed to every reseed within one millisecond
  // (the report name reseeds before each digit), so it is mixed with the generator's state.
  void randomize() override {
    engine_.seed(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay()) ^ engine_());
  }
  double next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_); }

 private:
  std::mt19937 engine_{std::random_device{}()};
};

// Without windows an address is only named, on standard error.
class NamingLauncher final : public UrlLauncher {
 public:
  void open(const QString& url) override {
    std::fprintf(stderr, "Open %s in a browser.\n", qPrintable(url));
  }
};

TimeSeededRandom defaultRandom;
NamingLauncher namingLauncher;
UrlLauncher* defaultLauncher = &namingLauncher;
RandomSource* installedRandom = nullptr;
UrlLauncher* launcher = nullptr;

}  // namespace

RandomSource& randomSource() {
  return installedRandom ? *installedRandom : defaultRandom;
}
void setRandomSource(RandomSource* replacement) {
  installedRandom = replacement;
}
UrlLauncher& urlLauncher() {
  return launcher ? *launcher : *defaultLauncher;
}
void setDefaultUrlLauncher(UrlLauncher* launcherToUse) {
  defaultLauncher = launcherToUse ? launcherToUse : &namingLauncher;
}
void setUrlLauncher(UrlLauncher* replacement) {
  launcher = replacement;
}
