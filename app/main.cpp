// Tinselwick: keeps the Christmas gift lists and turns them into a formatted workbook.
#include <QApplication>

#include "app/application.h"
#include "app/commandline.h"
#include "app/instance.h"
#include "base/apptitle.h"
#include "base/prompts.h"
#include "base/settings.h"
#include "giftlist/storedlist.h"
#include "windows/desktopservices.h"

int main(int argc, char* argv[]) {
  // Without windows the program needs no display.
  const bool withoutWindows = runsWithoutWindows(argc, argv);
  if (withoutWindows) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    quietToolkit();
  }
  QApplication qtApp(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quillmoor"));
  QApplication::setApplicationVersion(QStringLiteral(TINSELWICK_VERSION));
  const CommandLine command = parseCommandLine(qtApp, withoutWindows);
  if (command.output == CommandLine::Output::Summary) return printSummary(command);
  if (command.output == CommandLine::Output::Csv) return writeListsCsv(command);
  if (command.output == CommandLine::Output::Import) return importLists(command);
  if (command.output != CommandLine::Output::None) return writeReportFile(command);

  // One window program per settings file: a second start brings the first one's window to the
  // front and leaves.
  Application* running = nullptr;
  SingleInstance instance(settingsFilePath(kSettingsApplication));
  switch (instance.start([&running] {
    if (running) running->bringToFront();
  })) {
    case SingleInstance::Start::First:
      break;
    case SingleInstance::Start::Answered:
      return 0;
    case SingleInstance::Start::Silent:
      installDesktopServices();
      SetApplicationTitle();
      MsgBox(QStringLiteral("Tinselwick is already running with these gift lists, but it does not "
                            "answer. Close it, or wait until it answers, and start Tinselwick "
                            "again."),
             msg::Exclamation);
      return 1;
  }

  QApplication::setQuitOnLastWindowClosed(false);  // the windows end the program themselves
  Application app;
  running = &app;
  if (!app.start()) return 1;  // no spreadsheet host: the window is never shown
  return QApplication::exec();
}
