// The program's start-up as main() does it, ending as soon as the main window has been shown
// and painted: what the start-up benchmark times as a whole process.
#include <QApplication>
#include <QTimer>

#include "giftlist/form1.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Quillmoor"));
  QApplication::setQuitOnLastWindowClosed(false);
  Form1 form;
  if (!form.Form_Load()) return 1;
  form.show();
  QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
  return QApplication::exec();
}
