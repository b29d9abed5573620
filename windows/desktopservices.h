#pragma once
// The desktop's dialogs (Qt message boxes, the file and print dialogs) and its browser, made the
// program's default prompts and URL launcher by installDesktopServices(). Tests and the command
// line install replacements of their own, which take precedence.
#include "base/prompts.h"

class QtPrompts final : public Prompts {
 public:
  int message(const QString& text, int style, const QString& title) override;
  QString openFileName(const QString& title, const QString& filter) override;
  QString saveFileName(const QString& title, const QString& filter,
                       const QString& initialName) override;
  bool choosePrinter(QPrinter& printer) override;
};

// Makes the Qt dialogs and the desktop's browser the defaults.
void installDesktopServices();
