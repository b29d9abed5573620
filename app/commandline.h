#pragma once
// The command line: `tinselwick --pdf FILE`, `--xls FILE` or `--xlsx FILE` makes the report from
// the stored lists, through the same report run as "Start Creating Template", and writes it to FILE
// with no window; `--csv FILE` writes the lists as CSV; `--import FILE` reads lists back from a
// report or CSV file; `--summary [--json]` prints the planner's figures of the stored lists;
// `--help` and `--version` as usual.
#include <QString>

class QCoreApplication;

struct CommandLine {
  enum class Output { None, Pdf, Xls, Xlsx, Csv, Summary, Import };
  Output output = Output::None;
  QString file;
  bool json = false;  // the summary as JSON
};

// True when the arguments ask for no window (report files, help, version, or arguments that are
// not understood and get the usage): the program then runs on the offscreen platform and needs
// no display.
bool runsWithoutWindows(int argc, char* argv[]);
// Keeps the toolkit's notes and warnings off standard error (its errors still show there).
void quietToolkit();
// Parses the arguments of the running application; prints help, the version or a usage error
// and ends the process as QCommandLineParser does. Without windows, arguments that ask for no
// report are a usage error.
CommandLine parseCommandLine(const QCoreApplication& app, bool withoutWindows);
// Makes the report and writes it to the file. Failures go to standard error, each as the
// windows would show it; returns the exit status (0 when the file was written).
int writeReportFile(const CommandLine& command);
// Writes the stored lists, with their statuses, as CSV to the file ("-": standard output).
// Returns the exit status (0 when written).
int writeListsCsv(const CommandLine& command);
// Replaces the stored lists with those of a report workbook or a CSV file (command.file), after
// keeping the lists as they were as a season of the planner; entries left out are named on
// standard error. Refuses while a window program runs on the same settings file. Returns the exit
// status (0 when the lists were replaced and stored).
int importLists(const CommandLine& command);
// Prints the planner's summary of the stored lists: one line per list and one for all, as
// columns or as JSON. Returns the exit status (0 when printed).
int printSummary(const CommandLine& command);
