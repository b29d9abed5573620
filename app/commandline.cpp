#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QImage>
#include <cstring>

#include "base/apptitle.h"
#include "base/failure.h"
#include "base/files.h"
#include "base/prompts.h"
#include "base/trap.h"
#include "giftlist/giftbook.h"
#include "report/printing.h"
#include "report/reportjob.h"

namespace {

// The report run's hand-over without windows: only the workbook's path is kept.
class FileHandOver final : public report::ReportWindows {
 public:
  void setMainPointerBusy(bool) override {}
  void setPreviewPicture(const QImage&) override {}
  void setPreviewWorkbook(const QString& path) override { workbook = path; }
  void showPreview() override {}
  void hideMain() override {}
  bool wantsPicture() const override { return false; }
  QString workbook;
};

}  // namespace

void quietToolkit() {
  // Standard error carries the failures alone: the toolkit's own notes (a missing runtime
  // folder, fonts it looked for) are not the user's business here; its errors still show.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
  });
}

bool runsWithoutWindows(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"--pdf", "--xls", "-h", "--help", "--help-all", "-v", "--version"}) {
      const size_t n = std::strlen(option);
      if (std::strncmp(argv[i], option, n) == 0 && (argv[i][n] == '\0' || argv[i][n] == '='))
        return true;
    }
  }
  return false;
}

CommandLine parseCommandLine(const QCoreApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Keeps the Christmas gift lists and turns them into a formatted workbook.\n"
                     "Without options, the main window opens."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption pdf(QStringLiteral("pdf"),
                               QStringLiteral("Makes the report of the stored lists as a PDF "
                                              "file, without a window."),
                               QStringLiteral("file"));
  const QCommandLineOption xls(QStringLiteral("xls"),
                               QStringLiteral("Makes the report of the stored lists as an Excel "
                                              "97-2003 workbook, without a window."),
                               QStringLiteral("file"));
  parser.addOption(pdf);
  parser.addOption(xls);
  parser.process(app);
  CommandLine command;
  if (parser.isSet(pdf) && parser.isSet(xls)) {
    std::fputs("tinselwick: give either --pdf or --xls, not both.\n", stderr);
    std::exit(1);
  }
  if (!parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "tinselwick: unexpected argument '%s'.\n",
                 qPrintable(parser.positionalArguments().first()));
    std::exit(1);
  }
  if (parser.isSet(pdf)) command = {CommandLine::Output::Pdf, parser.value(pdf)};
  if (parser.isSet(xls)) command = {CommandLine::Output::Xls, parser.value(xls)};
  return command;
}

int writeReportFile(const CommandLine& command) {
  ConsolePrompts console;  // every dialog's text goes to standard error
  SetApplicationTitle();
  GiftBook book;
  {
    Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_Load")};
    book.restore(trap, 126);
  }
  FileHandOver handOver;
  report::GenerateReport0(book, handOver, 1);
  Trap trap{QStringLiteral("Tinselwick"), QStringLiteral("CommandLine")};
  trap(100, [&] {
    if (command.output == CommandLine::Output::Xls)
      copyFile(handOver.workbook, command.file, FileAccess::Usual);
    else
      writeFileAtomically(command.file, report::reportPdf(handOver.workbook), FileAccess::Usual);
  });
  DeleteFileQuietly(handOver.workbook);
  return console.failures() == 0 ? 0 : 1;
}
