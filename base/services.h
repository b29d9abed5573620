#pragma once
// Replaceable platform services: the random source and the URL launcher.
#include <QString>
#include <functional>

// A uniform random source seeded from the time of day.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Reseeds from the seconds since midnight.
  virtual void randomize() = 0;
  // A uniform draw from [0, 1).
  virtual double next() = 0;
};

// Opens an address in the user's browser without waiting for it.
class UrlLauncher {
 public:
  virtual ~UrlLauncher() = default;
  virtual void open(const QString& url) = 0;
};

RandomSource& randomSource();
void setRandomSource(RandomSource* replacement);  // nullptr restores the default
UrlLauncher& urlLauncher();
void setUrlLauncher(UrlLauncher* replacement);  // nullptr restores the default
// The launcher used when none is installed (nullptr: the address is written to standard error);
// the windows install the desktop's.
void setDefaultUrlLauncher(UrlLauncher* launcher);
