#include "base/prompts.h"

#include <QStringList>
#include <cstdio>

#include "base/apptitle.h"

namespace {

// Without windows, every message goes to standard error and questions get their default answer.
class StandardErrorPrompts final : public Prompts {
 public:
  int message(const QString& text, int style, const QString& title) override {
    return consoleMessage(text, style, title);
  }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString openFileName(const QString&, const QString&) override { return {}; }
  bool choosePrinter(QPrinter&) override { return false; }
};

StandardErrorPrompts standardErrorPrompts;
Prompts* defaultPrompts = &standardErrorPrompts;
Prompts* installed = nullptr;

}  // namespace

Prompts& prompts() {
  return installed ? *installed : *defaultPrompts;
}

void setDefaultPrompts(Prompts* prompts) {
  defaultPrompts = prompts ? prompts : &standardErrorPrompts;
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
  return consoleMessage(text, style, title);
}

int consoleMessage(const QString& text, int style, const QString& title) {
  std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(screenLines(text)));
  std::fflush(stderr);
  // A question gets its default answer.
  if ((style & 0x7) != msg::YesNo) return msg::Ok;
  return (style & msg::DefaultButton2) ? msg::No : msg::Yes;
}
