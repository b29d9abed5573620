#include "base/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>
#include <cstdio>

#include "base/apptitle.h"

namespace {

class QtPrompts final : public Prompts {
 public:
  int message(const QString& text, int style, const QString& title) override {
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

  QString saveFileName(const QString& title, const QString& filter,
                       const QString& initialName) override {
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

  bool choosePrinter(QPrinter& printer) override {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
  }
};

QtPrompts& qtPrompts() {
  static QtPrompts instance;
  return instance;
}

Prompts* installed = nullptr;

}  // namespace

Prompts& prompts() {
  return installed ? *installed : qtPrompts();
}

void setPrompts(Prompts* replacement) {
  installed = replacement;
}

int MsgBox(const QString& text, int style) {
  return prompts().message(text, style, applicationTitle());
}

QString screenLines(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QChar(u'\r'), QChar(u'\n'));
  return shown;
}

QString qtFileFilter(const QString& filter) {
  const QStringList parts = filter.split(QChar(u'|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) continue;
    QString patterns = parts[i + 1];
    patterns.replace(QChar(u';'), QChar(u' '));
    QString description = parts[i];
    // Qt reads the patterns from the last parentheses of an entry.
    if (!description.contains(QChar(u'('))) description += QStringLiteral(" (%1)").arg(patterns);
    entries << description;
  }
  return entries.join(QStringLiteral(";;"));
}

int ConsolePrompts::message(const QString& text, int style, const QString& title) {
  if (title == QLatin1String("Application Error")) ++failures_;
  std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(screenLines(text)));
  std::fflush(stderr);
  // A question gets its default answer.
  if ((style & 0x7) != msg::YesNo) return msg::Ok;
  return (style & msg::DefaultButton2) ? msg::No : msg::Yes;
}
