#pragma once
// The whole program in a test: the application object with its gift book and windows. `->` and
// `*` reach the main window, app() the rest.
#include <memory>

#include "app/application.h"

class TestProgram {
 public:
  TestProgram() : app_(std::make_unique<Application>()) {}

  // The program after its start-up, with the main window shown; empty when the start-up
  // refused.
  static TestProgram started() {
    TestProgram program;
    if (!program.app_->start()) program.reset();
    return program;
  }

  MainWindow* operator->() const { return &app_->mainWindow(); }
  MainWindow& operator*() const { return app_->mainWindow(); }
  MainWindow* get() const { return app_ ? &app_->mainWindow() : nullptr; }
  explicit operator bool() const { return app_ != nullptr; }
  void reset() { app_.reset(); }
  Application& app() const { return *app_; }

 private:
  std::unique_ptr<Application> app_;
};
