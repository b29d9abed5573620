// Grabs the README's pictures: the main window with the sample data, the preview of its
// report, and the report picture itself. Run offscreen: screenshots <output folder>.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "giftlist/form1.h"
#include "preview/form2.h"

int main(int argc, char** argv) {
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));  // never the user's lists
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(out);
  Form1 form;
  if (!form.Form_Load()) return 1;
  form.show();
  form.PushButton6_Click();
  QCoreApplication::processEvents();
  form.grab().save(out + QStringLiteral("/main-window.png"));
  form.PushButton1_Click();
  QCoreApplication::processEvents();
  Form2* preview = form.form2();
  QCoreApplication::processEvents();
  preview->grab().save(out + QStringLiteral("/preview-window.png"));
  preview->Zoom_Ori->picture().save(out + QStringLiteral("/report-picture.png"));
  QFile::copy(preview->mExcelFile, out + QStringLiteral("/report.xls"));
  preview->PushButton8_Click();
  return 0;
}
