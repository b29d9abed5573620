#pragma once
// Checks of the spreadsheet host before start-up ends and before a report run.
#include <QString>

namespace report {

// The message shown when no host instance can be created.
QString hostMissingMessage();
// Creates a host instance and releases it. When none can be created, shows the host-missing
// message and returns false: the program must then end at once. Never throws.
bool CheckExcelInstalled();
// True when a running host instance answers with the host's name. Never throws.
bool ExcelIsRunning();
// The running-host warning. Returns true when the user chose to cancel the run.
bool WarnExcelRunning();
// The text of that warning.
QString hostRunningMessage();

}  // namespace report
