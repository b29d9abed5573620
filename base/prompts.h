#pragma once
// The one way the program talks to the user through modal dialogs: message boxes given by their
// style numbers and the save-file dialog. Production uses QMessageBox / QFileDialog; tests
// install a scripted fake (tests/support/fakeprompts.h).
#include <QString>

class QPrinter;
class QWidget;

namespace msg {
// Message box styles, as numbers: OK only, Yes/No, OK with the warning icon.
inline constexpr int OkOnly = 0;
inline constexpr int YesNo = 4;
inline constexpr int Exclamation = 48;
// Added to a style: the second button (No) is the default.
inline constexpr int DefaultButton2 = 256;
// Buttons a message box returns.
inline constexpr int Ok = 1;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace msg

class Prompts {
 public:
  virtual ~Prompts() = default;
  // Shows a modal message box; returns the button pressed (msg::Ok, msg::Yes, msg::No).
  virtual int message(const QString& text, int style, const QString& title) = 0;
  // Shows the save-file dialog; returns the chosen full path, empty when cancelled.
  // filter is in the "Description (*.ext)|*.ext|" form.
  virtual QString saveFileName(const QString& title, const QString& filter,
                               const QString& initialName) = 0;
  // Shows the open-file dialog for an existing file; returns its full path, empty when cancelled.
  // filter is in the same form.
  virtual QString openFileName(const QString& title, const QString& filter) = 0;
  // Shows the print dialog for the printer; returns true when the user chose to print.
  virtual bool choosePrinter(QPrinter& printer) = 0;
};

// The prompts in use: a replacement when one is installed (tests, the command line), else the
// default: the windows' dialogs once the program installs them, standard error before.
Prompts& prompts();
// Installs a replacement (nullptr removes it). The caller keeps ownership.
void setPrompts(Prompts* replacement);
// Sets the default prompts (nullptr: standard error). The caller keeps ownership.
void setDefaultPrompts(Prompts* prompts);

// Writes a message to standard error as "<title>: <text>"; returns the default answer.
int consoleMessage(const QString& text, int style, const QString& title);

// Shows a message box titled with the application title (see apptitle.h).
int MsgBox(const QString& text, int style = msg::OkOnly);

// Turns the message texts' bare CR and CR LF breaks into line breaks for the screen.
QString screenLines(const QString& text);

// Turns a "Description (*.ext)|*.ext|Other|*.o|" filter into Qt's ";;"-separated form.
QString qtFileFilter(const QString& filter);

// The prompts of a program without windows: every message goes to standard error and counts as
// a failure when it is an "Application Error"; questions get their default answer, the file dialogs
// are cancelled and the print dialog refused. Installed on construction, removed on destruction.
class ConsolePrompts final : public Prompts {
 public:
  ConsolePrompts() { setPrompts(this); }
  ~ConsolePrompts() override { setPrompts(nullptr); }
  int message(const QString& text, int style, const QString& title) override;
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString openFileName(const QString&, const QString&) override { return {}; }
  bool choosePrinter(QPrinter&) override { return false; }
  int failures() const { return failures_; }

 private:
  int failures_ = 0;
};
