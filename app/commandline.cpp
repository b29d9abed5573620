#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <utility>

#include "app/instance.h"
#include "base/apptitle.h"
#include "base/failure.h"
#include "base/files.h"
#include "base/prompts.h"
#include "base/settings.h"
#include "base/trap.h"
#include "giftlist/giftbook.h"
#include "giftlist/storedlist.h"
#include "planner/listscsv.h"
#include "planner/planner.h"
#include "report/printing.h"
#include "report/reportjob.h"
#include "report/reportworkbook.h"

void quietToolkit() {
  // Standard error carries the failures alone: the toolkit's own notes (a missing runtime
  // folder, fonts it looked for) are not the user's business here; its errors still show.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
  });
}

namespace {

// The toolkit's own options, which the toolkit takes with one dash or two ("-style fusion",
// "--platform xcb"); those marked with a value take the next argument too.
struct ToolkitOption {
  const char* name;
  bool value;
};
constexpr ToolkitOption kToolkitOptions[] = {{"platform", true},
                                             {"platformpluginpath", true},
                                             {"platformtheme", true},
                                             {"plugin", true},
                                             {"qwindowgeometry", true},
                                             {"geometry", true},
                                             {"qwindowtitle", true},
                                             {"title", true},
                                             {"qwindowicon", true},
                                             {"icon", true},
                                             {"style", true},
                                             {"stylesheet", true},
                                             {"session", true},
                                             {"display", true},
                                             {"name", true},
                                             {"qmljsdebugger", true},
                                             {"reverse", false},
                                             {"widgetcount", false},
                                             {"nograb", false},
                                             {"dograb", false},
                                             {"testability", false},
                                             {"sync", false}};

// The toolkit option an argument names, if any ("--style=fusion" names "style").
const ToolkitOption* toolkitOption(const char* arg) {
  if (arg[0] != '-') return nullptr;
  const char* name = arg + (arg[1] == '-' ? 2 : 1);
  const size_t length = std::strcspn(name, "=");
  for (const ToolkitOption& option : kToolkitOptions)
    if (std::strlen(option.name) == length && std::strncmp(name, option.name, length) == 0)
      return &option;
  return nullptr;
}

}  // namespace

bool runsWithoutWindows(int argc, char* argv[]) {
  // Every argument that is not the toolkit's is answered without a window: the program's own
  // options (a report file, help, the version), and anything not understood, which gets the
  // usage.
  for (int i = 1; i < argc; ++i) {
    const ToolkitOption* option = toolkitOption(argv[i]);
    if (!option) return true;
    if (option->value && !std::strchr(argv[i], '=')) ++i;  // its value
  }
  return false;
}

namespace {

// The exit statuses, as --help gives them.
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

[[noreturn]] void usageError(const QString& why, const QCommandLineParser& parser) {
  std::fprintf(stderr, "tinselwick: %s\n\n%s", qPrintable(why), qPrintable(parser.helpText()));
  std::exit(kExitUsage);
}

}  // namespace

CommandLine parseCommandLine(const QCoreApplication& app, bool withoutWindows) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Keeps the Christmas gift lists and turns them into a formatted workbook.\n"
      "Without options, the main window opens.\n"
      "FILE \"-\" is standard output. Exit status: 0 when the file was written or the summary "
      "printed; "
      "1 when a failure stopped the run (FILE is left as it was, standard error says "
      "why); 2 when the command line is not understood."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption pdf(QStringLiteral("pdf"),
                               QStringLiteral("Makes the report of the stored lists as a PDF "
                                              "file, without a window."),
                               QStringLiteral("file"));
  const QCommandLineOption xls(QStringLiteral("xls"),
                               QStringLiteral("Makes the report of the stored lists as an Excel "
                                              "97-2003 workbook, without a window."),
                               QStringLiteral("file"));
  const QCommandLineOption xlsx(QStringLiteral("xlsx"),
                                QStringLiteral("Makes the report of the stored lists as an Excel "
                                               "workbook (.xlsx), without a window."),
                                QStringLiteral("file"));
  const QCommandLineOption csv(QStringLiteral("csv"),
                               QStringLiteral("Writes the stored lists, with their statuses, as "
                                              "CSV, without a window."),
                               QStringLiteral("file"));
  const QCommandLineOption import(
      QStringLiteral("import"),
      QStringLiteral("Replaces the stored lists with those of a report workbook (.xls, .xlsx) or "
                     "a CSV file of the lists, without a window; the lists as they were are kept "
                     "first as a season of the planner. Not while the window is open."),
      QStringLiteral("file"));
  const QCommandLineOption summary(
      QStringLiteral("summary"),
      QStringLiteral("Prints, per list and for all, the entries, budget, spent, left and the "
                     "count of gifts in each status, without a window."));
  const QCommandLineOption json(QStringLiteral("json"),
                                QStringLiteral("With --summary: prints it as JSON."));
  parser.addOption(pdf);
  parser.addOption(xls);
  parser.addOption(xlsx);
  parser.addOption(csv);
  parser.addOption(import);
  parser.addOption(summary);
  parser.addOption(json);
  if (!parser.parse(app.arguments())) usageError(parser.errorText(), parser);
  if (parser.isSet(QStringLiteral("help-all"))) parser.process(app);  // prints it and ends
  if (parser.isSet(help)) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    std::exit(0);
  }
  if (parser.isSet(version)) parser.showVersion();
  CommandLine command;
  if (int(parser.isSet(pdf)) + int(parser.isSet(xls)) + int(parser.isSet(xlsx)) +
          int(parser.isSet(csv)) + int(parser.isSet(summary)) + int(parser.isSet(import)) >
      1)
    usageError(QStringLiteral("give one of --pdf, --xls, --xlsx, --csv, --import and --summary."),
               parser);
  if (parser.isSet(json) && !parser.isSet(summary))
    usageError(QStringLiteral("--json goes with --summary."), parser);
  if (!parser.positionalArguments().isEmpty())
    usageError(
        QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()),
        parser);
  if (parser.isSet(summary)) {
    command.output = CommandLine::Output::Summary;
    command.json = parser.isSet(json);
    return command;
  }
  if (!parser.isSet(pdf) && !parser.isSet(xls) && !parser.isSet(xlsx) && !parser.isSet(csv) &&
      !parser.isSet(import) && withoutWindows)
    usageError(QStringLiteral("nothing to do: give --pdf, --xls, --xlsx, --csv, --import or "
                              "--summary, or no option for the window."),
               parser);
  for (const auto& [option, output] :
       {std::pair{&pdf, CommandLine::Output::Pdf}, std::pair{&xls, CommandLine::Output::Xls},
        std::pair{&xlsx, CommandLine::Output::Xlsx}, std::pair{&csv, CommandLine::Output::Csv},
        std::pair{&import, CommandLine::Output::Import}}) {
    if (!parser.isSet(*option)) continue;
    command = {output, parser.value(*option)};
    if (command.file.isEmpty())
      usageError(QStringLiteral("a file name is missing after --%1.").arg(option->names().first()),
                 parser);
  }
  return command;
}

int writeReportFile(const CommandLine& command) {
  ConsolePrompts console;  // every dialog's text goes to standard error
  SetApplicationTitle();
  GiftBook book;
  {
    Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_Load")};
    book.restore(trap, 126, GiftBook::Restore::ForReportOnly);
  }
  report::WorkbookHandOver handOver;
  report::GenerateReport0(book, handOver, 1);
  // FILE is written only after a run without any failure: a report made from lists that could
  // not all be read, or from a run that went wrong, never replaces a good file.
  if (console.failures() == 0) {
    const QString workbook = handOver.workbookPath();
    Trap trap{QStringLiteral("Tinselwick"), QStringLiteral("CommandLine")};
    trap(100, [&] {
      const QString file = command.file;
      if (file == QLatin1String("-")) {
        const QByteArray bytes =
            command.output == CommandLine::Output::Xls    ? report::reportWorkbookBytes(workbook)
            : command.output == CommandLine::Output::Xlsx ? report::reportXlsx(workbook)
                                                          : report::reportPdf(workbook);
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(bytes) != bytes.size() ||
            !out.flush())
          fail(QStringLiteral("Standard output cannot be written: %1").arg(out.errorString()));
        return;
      }
      if (command.output == CommandLine::Output::Xls)
        report::copyReportWorkbook(workbook, file);
      else if (command.output == CommandLine::Output::Xlsx)
        report::exportReportXlsx(workbook, file);
      else
        writeNaming(QStringLiteral("the PDF"), [&] {
          writeFileAtomically(file, report::reportPdf(workbook), FileAccess::Usual);
        });
    });
  }
  if (console.failures() == 0) return 0;
  if (command.file != QLatin1String("-"))
    std::fprintf(stderr, "tinselwick: '%s' was not written, because of the failures above.\n",
                 qPrintable(command.file));
  else
    std::fputs("tinselwick: nothing was written, because of the failures above.\n", stderr);
  return kExitFailure;
}

int importLists(const CommandLine& command) {
  ConsolePrompts console;  // every message goes to standard error
  SetApplicationTitle();
  // The window program stores its lists when it closes, over what would be replaced here.
  SingleInstance instance(settingsFilePath(kSettingsApplication));
  if (const QString why = instance.holdWithoutWindow(); !why.isEmpty()) {
    std::fprintf(stderr, "tinselwick: %s\n", qPrintable(why));
    return kExitFailure;
  }
  GiftBook book;
  {
    Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_Load")};
    book.restore(trap, 126, GiftBook::Restore::ForReportOnly);
  }
  Planner planner(book);
  const QString why = console.failures() == 0 ? planner.load(Planner::Damaged::LeaveAlone) : "";
  if (!why.isEmpty()) std::fprintf(stderr, "tinselwick: %s\n", qPrintable(why));
  if (console.failures() > 0 || !why.isEmpty()) {
    std::fputs("tinselwick: nothing was imported, because of the failures above.\n", stderr);
    return kExitFailure;
  }
  const QString name = QFileInfo(command.file).fileName();
  try {
    const ImportedLists lists = readListsFile(command.file);
    if (const QString leftOut = leftOutText(lists, kLeftOutNamed); !leftOut.isEmpty())
      std::fprintf(stderr, "tinselwick: %s\n", qPrintable(leftOut.mid(2)));
    if (lists.count() == 0)
      fail(QStringLiteral("\"%1\" holds no entry that can be taken; the lists stay as they are.")
               .arg(name));
    bool anyEntry = false;
    for (int c = 0; c < kCategoryCount; ++c) anyEntry = anyEntry || book.list(c).count() > 0;
    const QString season = planner.seasonNameBeforeOpening(name);
    // Without windows nothing is stored later: what could not be stored now is a failure. The
    // planner's statuses are stored only after the lists, so the stored ones still belong
    // together.
    if (const QString unstored = planner.openLists(lists, season); !unstored.isEmpty())
      fail(unstored + (anyEntry ? QStringLiteral(" The lists as they were are kept as the "
                                                 "planner's season \"%1\".")
                                      .arg(season)
                                : QString()));
    std::printf("%s\n",
                qPrintable(QStringLiteral("Imported %1 %2 of \"%3\".")
                               .arg(lists.count())
                               .arg(lists.count() == 1 ? "entry" : "entries", name) +
                           (anyEntry ? QStringLiteral(" The lists as they were are kept as the "
                                                      "planner's season \"%1\".")
                                           .arg(season)
                                     : QString())));
    return 0;
  } catch (const Failure& failure) {
    std::fprintf(stderr, "tinselwick: %s\n", failure.what());
    return kExitFailure;
  }
}

namespace {

// One line of the summary: a list, or all of them.
struct SummaryLine {
  QString name;
  int entries = 0;
  std::optional<double> budget;
  report::ReportTotal spent;
  std::array<int, kStatusCount> counts{};
  report::ReportTotal counted;  // what the budget is spent by: the lists that have one
  std::optional<double> left() const {
    if (!budget || counted.isError()) return std::nullopt;
    return Planner::left(*budget, counted.value);
  }
};

QString amountText(const std::optional<double>& amount) {
  return amount ? report::currencyText(*amount) : QStringLiteral("-");
}

QJsonValue amountValue(const std::optional<double>& amount) {
  // Amounts in cents are exact in JSON numbers; the sums are rounded to them.
  return amount ? QJsonValue(std::round(*amount * 100) / 100) : QJsonValue();
}

constexpr std::array<const char*, kStatusCount> kStatusKeys = {"to buy", "bought", "wrapped",
                                                               "given"};

}  // namespace

int writeListsCsv(const CommandLine& command) {
  ConsolePrompts console;
  SetApplicationTitle();
  GiftBook book;
  {
    Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_Load")};
    book.restore(trap, 126, GiftBook::Restore::ForReportOnly);
  }
  Planner planner(book);
  const QString why = console.failures() == 0 ? planner.load(Planner::Damaged::LeaveAlone) : "";
  if (!why.isEmpty()) std::fprintf(stderr, "tinselwick: %s\n", qPrintable(why));
  if (console.failures() == 0 && why.isEmpty()) {
    Trap trap{QStringLiteral("Tinselwick"), QStringLiteral("CommandLine")};
    trap(102, [&] {
      const QByteArray bytes = listsAsCsv(book, &planner);
      if (command.file == QLatin1String("-")) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(bytes) != bytes.size() ||
            !out.flush())
          fail(QStringLiteral("Standard output cannot be written: %1").arg(out.errorString()));
        return;
      }
      writeNaming(QStringLiteral("the CSV file"),
                  [&] { writeFileAtomically(command.file, bytes, FileAccess::Usual); });
    });
    if (console.failures() == 0) return 0;
  }
  if (command.file != QLatin1String("-"))
    std::fprintf(stderr, "tinselwick: '%s' was not written, because of the failures above.\n",
                 qPrintable(command.file));
  return kExitFailure;
}

int printSummary(const CommandLine& command) {
  ConsolePrompts console;  // every message goes to standard error
  SetApplicationTitle();
  GiftBook book;
  {
    Trap trap{QStringLiteral("Form1"), QStringLiteral("Form_Load")};
    book.restore(trap, 126, GiftBook::Restore::ForReportOnly);
  }
  if (console.failures() > 0) {
    std::fputs("tinselwick: no summary, because of the failures above.\n", stderr);
    return kExitFailure;
  }
  Planner planner(book);
  if (const QString why = planner.load(Planner::Damaged::LeaveAlone); !why.isEmpty()) {
    std::fprintf(stderr, "tinselwick: %s\n", qPrintable(why));
    return kExitFailure;
  }
  std::vector<SummaryLine> lines;
  SummaryLine all;
  all.name = QStringLiteral("All lists");
  const report::ReportTotals spent = planner.spent();
  for (int c = 0; c < kCategoryCount; ++c) {
    SummaryLine line{categoryName(c),  book.list(c).count(),    planner.data().budgets[size_t(c)],
                     spent[size_t(c)], planner.statusCounts(c), spent[size_t(c)]};
    all.entries += line.entries;
    if (line.budget) all.budget = all.budget.value_or(0) + *line.budget;
    for (report::ReportTotal* sum : {&all.spent, line.budget ? &all.counted : nullptr}) {
      if (!sum) continue;
      sum->value += line.spent.value;
      if (line.spent.isError() && !sum->isError()) sum->error = line.spent.error;
    }
    for (int s = 0; s < kStatusCount; ++s) all.counts[size_t(s)] += line.counts[size_t(s)];
    lines.push_back(line);
  }
  lines.push_back(all);

  QByteArray out;
  if (command.json) {
    QJsonArray lists;
    QJsonObject allObject;
    for (const SummaryLine& line : lines) {
      QJsonObject o;
      o.insert(QStringLiteral("list"), line.name);
      o.insert(QStringLiteral("entries"), line.entries);
      o.insert(QStringLiteral("budget"), amountValue(line.budget));
      o.insert(QStringLiteral("spent"),
               line.spent.isError() ? QJsonValue() : amountValue(line.spent.value));
      if (line.spent.isError()) o.insert(QStringLiteral("spentError"), line.spent.error);
      o.insert(QStringLiteral("left"), amountValue(line.left()));
      QJsonObject counts;
      for (int s = 0; s < kStatusCount; ++s)
        counts.insert(QLatin1String(kStatusKeys[size_t(s)]), line.counts[size_t(s)]);
      o.insert(QStringLiteral("status"), counts);
      if (&line == &lines.back())
        allObject = o;
      else
        lists.append(o);
    }
    QJsonObject root;
    root.insert(QStringLiteral("lists"), lists);
    root.insert(QStringLiteral("all"), allObject);
    out = QJsonDocument(root).toJson(QJsonDocument::Indented);
  } else {
    // Columns: the list's name on the left, the figures on the right.
    QStringList headings = {QStringLiteral("List"), QStringLiteral("Entries"),
                            QStringLiteral("Budget"), QStringLiteral("Spent"),
                            QStringLiteral("Left")};
    for (GiftStatus s : kStatuses) headings << statusText(s);
    std::vector<QStringList> rows = {headings};
    for (const SummaryLine& line : lines) {
      QStringList row = {line.name, QString::number(line.entries), amountText(line.budget),
                         report::currencyText(line.spent), amountText(line.left())};
      for (int count : line.counts) row << QString::number(count);
      rows.push_back(row);
    }
    std::vector<qsizetype> widths(size_t(headings.size()), 0);
    for (const QStringList& row : rows)
      for (qsizetype c = 0; c < row.size(); ++c)
        widths[size_t(c)] = std::max(widths[size_t(c)], row[c].size());
    QString text;
    for (const QStringList& row : rows) {
      QStringList cells;
      for (qsizetype c = 0; c < row.size(); ++c)
        cells << (c == 0 ? row[c].leftJustified(widths[size_t(c)])
                         : row[c].rightJustified(widths[size_t(c)]));
      text += cells.join(QStringLiteral("  ")) + QChar(u'\n');
    }
    out = text.toUtf8();
  }
  QFile stdOut;
  if (!stdOut.open(stdout, QIODevice::WriteOnly) || stdOut.write(out) != out.size() ||
      !stdOut.flush()) {
    std::fprintf(stderr, "tinselwick: standard output cannot be written: %s\n",
                 qPrintable(stdOut.errorString()));
    return kExitFailure;
  }
  return 0;
}
