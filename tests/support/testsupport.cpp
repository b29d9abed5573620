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

QString sourcePath(const QString& relative) {
  return QStringLiteral(TINSEL_SOURCE_DIR) + QChar(u'/') + relative;
}

QString python3() {
  return QStringLiteral(TINSEL_PYTHON3);
}

QString soffice() {
  const QString s = QStringLiteral(TINSEL_SOFFICE);
  return s.endsWith(QLatin1String("NOTFOUND")) ? QString() : s;
}

int runProgram(const QString& program, const QStringList& args, QString* out, int timeoutMs) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForStarted(30000)) return -1;
  p.waitForFinished(timeoutMs);
  if (out) *out = QString::fromUtf8(p.readAll());
  if (p.state() != QProcess::NotRunning) {
    p.kill();
    p.waitForFinished();
    return -1;
  }
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString describeValue(const sheet::Value& v) {
  if (auto d = std::get_if<double>(&v)) return QStringLiteral("n:") + QString::number(*d, 'g', 15);
  if (auto t = std::get_if<QString>(&v)) return QStringLiteral("t:") + *t;
  if (auto b = std::get_if<bool>(&v))
    return *b ? QStringLiteral("b:TRUE") : QStringLiteral("b:FALSE");
  if (auto e = std::get_if<sheet::ErrorCode>(&v))
    return QStringLiteral("e:") + sheet::errorText(*e);
  return QStringLiteral("empty");
}

sheet::Workbook loadWorkbookFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) fail(QStringLiteral("'%1' cannot be read").arg(path));
  return sheet::readWorkbookBytes(file.readAll());
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
