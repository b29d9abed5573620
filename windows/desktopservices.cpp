#include "windows/desktopservices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include "base/services.h"

namespace {

class DesktopLauncher final : public UrlLauncher {
 public:
  void open(const QString& url) override { QDesktopServices::openUrl(QUrl(url)); }
};

}  // namespace

int QtPrompts::message(const QString& text, int style, const QString& title) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(title);
  box.setText(screenLines(text));
  box.setTextFormat(Qt::PlainText);
  if ((style & 0x30) == msg::Exclamation) box.setIcon(QMessageBox::Warning);
  if ((style & 0x7) == msg::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton((style & msg::DefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  const int pressed = box.exec();
  if (pressed == QMessageBox::Yes) return msg::Yes;
  if (pressed == QMessageBox::No) return msg::No;
  return msg::Ok;
}

QString QtPrompts::saveFileName(const QString& title, const QString& filter,
                                const QString& initialName) {
  QFileDialog dialog(QApplication::activeWindow(), title, QString(), qtFileFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The program asks its own overwrite question.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setDefaultSuffix(QString());
  dialog.selectFile(initialName);
  if (dialog.exec() != QDialog::Accepted) return QString();
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

QString QtPrompts::openFileName(const QString& title, const QString& filter) {
  QFileDialog dialog(QApplication::activeWindow(), title, QString(), qtFileFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted) return QString();
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

bool QtPrompts::choosePrinter(QPrinter& printer) {
  QPrintDialog dialog(&printer, QApplication::activeWindow());
  return dialog.exec() == QDialog::Accepted;
}

void installDesktopServices() {
  static QtPrompts dialogs;
  static DesktopLauncher browser;
  setDefaultPrompts(&dialogs);
  setDefaultUrlLauncher(&browser);
}
