// Tinselwick: keeps the Christmas gift lists and turns them into a formatted workbook.
#include <QApplication>

#include "app/application.h"

int main(int argc, char* argv[]) {
  QApplication qtApp(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quillmoor"));
  QApplication::setQuitOnLastWindowClosed(false);  // the windows end the program themselves
  Application app;
  if (!app.start()) return 1;  // no spreadsheet host: the window is never shown
  return QApplication::exec();
}
