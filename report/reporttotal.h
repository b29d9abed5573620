#pragma once
// The "Total cost" of a list as the report's sheet computes it, for those who show the same sum
// outside the report (the planner's Spent), so that the two always agree.
#include <QLocale>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "giftlist/giftentry.h"

namespace report {

// A list's total: a number, or the error the sheet shows instead ("#DIV/0!").
struct ReportTotal {
  double value = 0;
  QString error;
  bool isError() const { return !error.isEmpty(); }
  friend bool operator==(const ReportTotal&, const ReportTotal&) = default;
};

// The four lists, in the order of the report's blocks.
using ListsOfReport = std::array<const std::vector<GiftEntry>*, kCategoryCount>;
using ReportTotals = std::array<ReportTotal, kCategoryCount>;

// The totals the report shows under its four lists: the report's template with the sheet named
// as the report names it, each list's first entries that fit typed into its block as the report
// types them (a cost in the locale's notation read by the cost rule), and the totals computed by
// the template's own formulas. A text the sheet refuses is left out, as the report leaves its
// cell empty.
ReportTotals reportTotals(const ListsOfReport& lists, const QLocale& locale = QLocale());

// The number a cost is in the report's sheet, or nothing when the sheet holds it as text.
std::optional<double> costAsNumber(const QString& cost, const QLocale& locale = QLocale());

// An amount in the report's currency look: "$119.00", "$1,250.50", "-$5.00".
QString currencyText(double amount);
// A total in that look, or its error text.
QString currencyText(const ReportTotal& total);

}  // namespace report
