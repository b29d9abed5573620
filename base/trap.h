#pragma once
// The failure trap of the program's main routines. A trapped routine numbers its steps and
// runs each through a Trap: a step that throws shows the "Application Error" dialog with the
// module, routine, step number and description, and the routine goes on with its next step.
//
//   Trap trap{"Form1", "PushButton4_Click"};
//   trap(100, [&] { ... });
//   bool found = true;                         // a failing test runs the branch
//   trap(102, [&] { found = FileExists(p); });
//   if (found) trap(104, [&] { ... });
#include <QString>
#include <exception>
#include <utility>

// The project name and date written in front of every failure location.
inline constexpr char16_t kErrorLocationPrefix[] = u"in Yulebrook2021/08/31.";
// The address the user is asked to e-mail a screenshot to.
inline constexpr char16_t kSupportAddress[] = u"support@tinselwick.example";

// The text of the "Application Error" dialog.
QString applicationErrorText(const QString& module, const QString& routine, int step,
                             const QString& description);

// Shows the modal "Application Error" dialog (style 48) and returns when it is closed.
void ShowApplicationError(const QString& module, const QString& routine, int step,
                          const QString& description);

// How many "Application Error" dialogs the program has shown since it started: a caller that
// compares it before and after a run of routines knows whether any step of theirs failed.
int applicationErrorCount();

// The description of the exception in flight (call only inside a catch block).
QString currentFailureDescription();

class Trap {
 public:
  Trap(QString module, QString routine)
      : module_(std::move(module)), routine_(std::move(routine)) {}

  // Runs one step. Returns true when it finished without failure.
  template <typename Step>
  bool operator()(int step, Step&& body) {
    step_ = step;
    try {
      std::forward<Step>(body)();
      return true;
    } catch (...) {
      ShowApplicationError(module_, routine_, step, currentFailureDescription());
      ++failures_;
      return false;
    }
  }

  int step() const { return step_; }
  int failures() const { return failures_; }

 private:
  QString module_;
  QString routine_;
  int step_ = 0;
  int failures_ = 0;
};
