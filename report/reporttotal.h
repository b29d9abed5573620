#pragma once
// The "Total cost" of a list as the report's sheet computes it, for those who show the same sum
// outside the report (the planner's Spent), so that the two always agree.
#include <QLocale>
#include <QString>
#include <optional>
#include <vector>

#include "giftlist/giftentry.h"

namespace report {

// A list's total: a number, or the error the sheet shows instead ("#DIV/0!").
struct ReportTotal {
  double value = 0;
  QString error;
  bool isError() const { return !error.isEmpty(); }
};

// The total the report shows under a list: its first entries that fit the sheet, each cost typed
// into a cost cell as the report types it (in the locale's notation read by the cost rule), and
// the cells summed by the report's own formula. A cost the sheet refuses is left out, as the
// report leaves its cell empty.
ReportTotal reportTotal(const std::vector<GiftEntry>& entries, const QLocale& locale = QLocale());

// The number a cost is in the report's sheet, or nothing when the sheet holds it as text.
std::optional<double> costAsNumber(const QString& cost, const QLocale& locale = QLocale());

// An amount in the report's currency look: "$119.00", "$1,250.50", "-$5.00".
QString currencyText(double amount);
// A total in that look, or its error text.
QString currencyText(const ReportTotal& total);

}  // namespace report
