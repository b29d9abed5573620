#include "tests/support/enginesupport.h"

#include <QFile>
#include <QProcess>

#include "spreadsheet/biff/workbookio.h"
#include "spreadsheet/model/error.h"

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
  if (!file.open(QIODevice::ReadOnly))
    throw sheet::IoError(QStringLiteral("'%1' cannot be read").arg(path).toStdString());
  return sheet::readWorkbookBytes(file.readAll());
}
