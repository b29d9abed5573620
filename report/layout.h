#pragma once
// The report sheet's layout: the four lists into columns A..T, rows 3..24, and the page set-up.
#include <QString>

#include "report/sheetplan.h"

class GiftBook;

namespace report {

class Host;

// Fills the active sheet of `excel` from the four lists and sets the page up (own trap).
void GenerateReport(Host& excel, const GiftBook& book);
// Selects `address` (when not empty), types `value` into the active cell, merges the
// selection when asked, and sets its wrapping.
void WriteCell(Host& excel, const QString& address, const QString& value, bool merge, bool wrap);
// The page set-up of the report: print area, margins, landscape A4 on one page.
void SetupPage(Host& excel, const QString& printArea);

// The print area of the report.
inline constexpr char16_t kReportPrintArea[] = u"A1:T25";

}  // namespace report
