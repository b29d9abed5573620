#pragma once
// Test doubles of the program shared by the tests above the engine: scripted prompts, a fixed
// random source, a recording URL launcher, and a workbook written as the program writes files.
// The engine's own helpers are in enginesupport.h.
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>

#include "base/prompts.h"
#include "base/services.h"
#include "spreadsheet/model/workbook.h"
#include "tests/support/enginesupport.h"

struct ShownMessage {
  QString text;
  int style = 0;
  QString title;
};

// Records every dialog and answers from queues. Installed on construction, removed on
// destruction. A message box with no queued answer gets OK (or Yes for a Yes/No box).
class FakePrompts final : public Prompts {
 public:
  FakePrompts() { setPrompts(this); }
  ~FakePrompts() override { setPrompts(nullptr); }

  int message(const QString& text, int style, const QString& title) override;
  QString saveFileName(const QString& title, const QString& filter,
                       const QString& initialName) override;
  // Answers from `openPaths` in turn; none left cancels.
  QString openFileName(const QString& title, const QString& filter) override;
  // Answers from `printTo`: a PDF file the printer then writes to; none (empty) cancels.
  bool choosePrinter(QPrinter& printer) override;

  std::deque<int> answers;        // msg::Yes / msg::No for Yes/No boxes
  std::deque<QString> savePaths;  // paths the save dialog returns ("" = cancelled)
  QList<ShownMessage> messages;
  QStringList saveDialogTitles;
  QStringList saveDialogFilters;
  QStringList saveDialogInitialNames;
  std::deque<QString> openPaths;  // paths the open dialog returns ("" = cancelled)
  QStringList openDialogTitles;
  QStringList openDialogFilters;
  QString printTo;
  int printDialogs = 0;

  QStringList texts() const;
  // Messages titled "Application Error".
  QList<ShownMessage> errors() const;
  void clear() { messages.clear(); }
};

// Returns the queued draws in turn (then 0.5), counts reseeds.
class FixedRandom final : public RandomSource {
 public:
  FixedRandom() { setRandomSource(this); }
  ~FixedRandom() override { setRandomSource(nullptr); }
  void randomize() override { ++reseeds; }
  double next() override;
  std::deque<double> draws;
  int reseeds = 0;
};

class RecordingLauncher final : public UrlLauncher {
 public:
  RecordingLauncher() { setUrlLauncher(this); }
  ~RecordingLauncher() override { setUrlLauncher(nullptr); }
  void open(const QString& url) override { opened << url; }
  QStringList opened;
};

// Writes a workbook file as the program writes every file; throws Failure.
void saveWorkbookFile(const sheet::Workbook& book, const QString& path);
