#pragma once
// Test doubles shared by the tests: scripted prompts, a fixed random source, a recording URL
// launcher, and paths of the source and build trees.
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>

#include "base/prompts.h"
#include "base/services.h"
#include "spreadsheet/model/value.h"
#include "spreadsheet/model/workbook.h"

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
  // Answers from `printTo`: a PDF file the printer then writes to; none (empty) cancels.
  bool choosePrinter(QPrinter& printer) override;

  std::deque<int> answers;        // msg::Yes / msg::No for Yes/No boxes
  std::deque<QString> savePaths;  // paths the save dialog returns ("" = cancelled)
  QList<ShownMessage> messages;
  QStringList saveDialogTitles;
  QStringList saveDialogFilters;
  QStringList saveDialogInitialNames;
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

QString sourcePath(const QString& relative);  // a file of the source tree
QString python3();                            // /usr/bin/python3 as found by CMake, or ""
QString soffice();                            // LibreOffice's soffice, or "" when absent

// Runs a program; returns its exit code (-1 when it could not start) and its output.
int runProgram(const QString& program, const QStringList& args, QString* out = nullptr,
               int timeoutMs = 120000);

// "n:7.5", "t:abc", "b:TRUE", "e:#DIV/0!", "empty": one text per value, for table rows.
QString describeValue(const sheet::Value& v);

// Reads a workbook file (the engine reads bytes only); throws Failure or the engine's errors.
sheet::Workbook loadWorkbookFile(const QString& path);
// Writes a workbook file as the program writes every file; throws Failure.
void saveWorkbookFile(const sheet::Workbook& book, const QString& path);
