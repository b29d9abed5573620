#include "tests/support/testsupport.h"

#include "base/files.h"

#include <QFile>
#include <QPrinter>
#include "spreadsheet/biff/workbookio.h"

#include <QProcess>

int FakePrompts::message(const QString& text, int style, const QString& title) {
  messages.append({text, style, title});
  if ((style & 0x7) == msg::YesNo) {
    if (answers.empty()) return msg::Yes;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  return msg::Ok;
}

QString FakePrompts::saveFileName(const QString& title, const QString& filter,
                                  const QString& initialName) {
  saveDialogTitles << title;
  saveDialogFilters << filter;
  saveDialogInitialNames << initialName;
  if (savePaths.empty()) return QString();
  QString p = savePaths.front();
  savePaths.pop_front();
  return p;
}

QString FakePrompts::openFileName(const QString& title, const QString& filter) {
  openDialogTitles << title;
  openDialogFilters << filter;
  if (openPaths.empty()) return QString();
  QString p = openPaths.front();
  openPaths.pop_front();
  return p;
}

QStringList FakePrompts::texts() const {
  QStringList out;
  for (const auto& m : messages) out << m.text;
  return out;
}

QList<ShownMessage> FakePrompts::errors() const {
  QList<ShownMessage> out;
  for (const auto& m : messages)
    if (m.title == QLatin1String("Application Error")) out << m;
  return out;
}

double FixedRandom::next() {
  if (draws.empty()) return 0.5;
  const double d = draws.front();
  draws.pop_front();
  return d;
}

void saveWorkbookFile(const sheet::Workbook& book, const QString& path) {
  writeFileAtomically(path, sheet::writeWorkbookBytes(book), FileAccess::Usual);
}

bool FakePrompts::choosePrinter(QPrinter& printer) {
  ++printDialogs;
  if (printTo.isEmpty()) return false;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(printTo);
  return true;
}
