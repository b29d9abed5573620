// The program's start-up as main() does it, ending as soon as the main window has been shown
// and painted: what the start-up benchmark times as a whole process.
#include <QApplication>
#include <QTimer>

#include "app/application.h"

int main(int argc, char* argv[]) {
  QApplication qtApp(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quillmoor"));
  QApplication::setQuitOnLastWindowClosed(false);
  Application app;
  if (!app.start()) return 1;
  QTimer::singleShot(0, &qtApp, [] { QCoreApplication::exit(0); });
  return QApplication::exec();
}
