// Tinselwick: keeps the Christmas gift lists and turns them into a formatted workbook.
#include <QApplication>

#include "app/application.h"
#include "app/commandline.h"

int main(int argc, char* argv[]) {
  // Without windows the program needs no display.
  if (runsWithoutWindows(argc, argv)) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    quietToolkit();
  }
  QApplication qtApp(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quillmoor"));
  QApplication::setApplicationVersion(QStringLiteral(TINSELWICK_VERSION));
  const CommandLine command = parseCommandLine(qtApp);
  if (command.output != CommandLine::Output::None) return writeReportFile(command);

  QApplication::setQuitOnLastWindowClosed(false);  // the windows end the program themselves
  Application app;
  if (!app.start()) return 1;  // no spreadsheet host: the window is never shown
  return QApplication::exec();
}
