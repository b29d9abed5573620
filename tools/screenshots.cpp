// Grabs the README's pictures: the main window with the sample data, the preview of its
// report, and the report picture itself. Run offscreen: screenshots <output folder>.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/application.h"
#include "windows/mainwindow.h"
#include "windows/previewwindow.h"

int main(int argc, char** argv) {
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));  // never the user's lists
  qputenv("XDG_DATA_HOME",
          QFile::encodeName(config.path() + QStringLiteral("/data")));  // nor the planner
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(out);
  Application program;
  MainWindow& form = program.mainWindow();
  if (!form.Form_Load()) return 1;
  form.show();
  form.PushButton6_Click();
  QCoreApplication::processEvents();
  form.grab().save(out + QStringLiteral("/main-window.png"));
  form.PushButton1_Click();
  QCoreApplication::processEvents();
  PreviewWindow* preview = program.preview();
  QCoreApplication::processEvents();
  preview->grab().save(out + QStringLiteral("/preview-window.png"));
  preview->Zoom_Ori->picture().save(out + QStringLiteral("/report-picture.png"));
  QFile::copy(preview->workbookPath(), out + QStringLiteral("/report.xls"));
  preview->PushButton8_Click();

  // The full report: 22 entries in every list.
  for (int category = 0; category < 4; ++category) {
    form.list(category).clear();
    for (int i = 1; i <= 22; ++i)
      form.list(category).add({QStringLiteral("Person %1").arg(i), QStringLiteral("music"),
                               QStringLiteral("A book"), QStringLiteral("$%1").arg(i),
                               QStringLiteral("p%1@example.com").arg(i)});
  }
  form.PushButton1_Click();
  QCoreApplication::processEvents();
  preview->Zoom_Ori->picture().save(out + QStringLiteral("/report-picture-full.png"));
  QFile::copy(preview->workbookPath(), out + QStringLiteral("/report-full.xls"));
  preview->PushButton8_Click();
  return 0;
}
