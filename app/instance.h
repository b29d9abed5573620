#pragma once
// One window program per settings file. The first start holds a lock named after the settings
// file and listens on a local socket of the same name; a second start on the same file asks the
// first, through the socket, to bring its window to the front, and leaves. Programs with other
// settings files do not see each other. A lock left by a program that crashed is taken over.
#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>

class SingleInstance {
 public:
  explicit SingleInstance(const QString& settingsFile);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  enum class Start {
    First,     // this program holds the lock and answers later starts
    Answered,  // another program holds it and was asked to come to the front
    Silent,    // another program holds it but did not answer within a second
  };
  // Takes the lock, or asks the program that holds it to come to the front. `onActivate` runs
  // whenever a later start asks this program to.
  Start start(std::function<void()> onActivate);

  // Takes the lock without answering later starts, for a change of the stored lists made without
  // a window. Returns why it cannot (a window program holds it, or the lock cannot be made), or
  // nothing when it is held.
  QString holdWithoutWindow();

  // The lock's and the socket's names (tests).
  const QString& lockPath() const { return lockPath_; }
  const QString& socketPath() const { return socketPath_; }

 private:
  bool askRunningProgram();

  QString lockPath_;
  QString socketPath_;
  QLockFile lock_;
  QLocalServer server_;
  std::function<void()> onActivate_;
};
