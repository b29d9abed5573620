// Tinselwick: keeps the Christmas gift lists and turns them into a formatted workbook.
#include <QApplication>

#include "giftlist/form1.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quillmoor"));
  QApplication::setQuitOnLastWindowClosed(false);  // the windows end the program themselves
  Form1 form;
  if (!form.Form_Load()) return 1;  // no spreadsheet host: the window is never shown
  form.show();
  return QApplication::exec();
}
