#include "report/hostchecks.h"

#include "base/prompts.h"
#include "report/host.h"

namespace report {

QString hostMissingMessage() {
  const QString gap = QStringLiteral("\r\n\r\n");
  return QStringLiteral("Error 842001. A normal instance of Excel could not be created.") + gap +
         QStringLiteral("1. Please make sure Excel is installed on this computer.") + gap +
         QStringLiteral(
             "2. Please open Excel normally and make sure a blank spreadsheet opens "
             "immediately without any interrupting window (such as an Excel file "
             "recovery window).") +
         gap +
         QStringLiteral(
             "3. Please make sure that when you double-click on a XLS or XLSX file "
             "that Excel opens normally without any interrupting messages.") +
         gap +
         QStringLiteral(
             "4. All versions of Excel are supported by this software except for the "
             "rare Excel Starter and Student editions.");
}

QString hostRunningMessage() {
  return QStringLiteral("Excel may be open. It is recommended that you close Excel first.") +
         QChar(u'\r') +
         QStringLiteral("Use Ctrl+Alt+Del > Task Manager > EXCEL.EXE if necessary.") +
         QStringLiteral("\r\n\r\n") + QStringLiteral("Would you like to proceed anyway?");
}

bool CheckExcelInstalled() {
  std::unique_ptr<Host> host;
  try {
    host = createHost();
  } catch (...) {
    // No host can be created: the message below says so.
  }
  if (host) return true;
  MsgBox(hostMissingMessage(), msg::OkOnly);
  return false;
}

bool ExcelIsRunning() {
  try {
    std::unique_ptr<Host> running = attachRunningHost();
    return running && running->name() == QLatin1String("Microsoft Excel");
  } catch (...) {
    return false;
  }
}

bool WarnExcelRunning() {
  if (!ExcelIsRunning()) return false;
  return MsgBox(hostRunningMessage(), msg::YesNo) != msg::Yes;
}

}  // namespace report
