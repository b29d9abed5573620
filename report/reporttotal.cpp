#include "report/reporttotal.h"

#include "giftlist/saverules.h"
#include "report/reporttemplate.h"
#include "report/sheetplan.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/formula/typednumber.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/numberformat.h"

namespace report {

ReportTotals reportTotals(const ListsOfReport& lists, const QLocale& locale) {
  sheet::Workbook book = reporttemplate::build();
  sheet::Worksheet& ws = book.sheet(0);
  ws.setName(QStringLiteral("Xmas"));
  for (int block = 0; block < kCategoryCount; ++block) {
    const std::vector<GiftEntry>& entries = *lists[size_t(block)];
    const size_t fit = std::min(entries.size(), static_cast<size_t>(kEntriesThatFit));
    for (size_t i = 0; i < fit; ++i) {
      for (int field = 0; field < GiftEntry::kFieldCount; ++field) {
        const sheet::CellRef at{kFirstEntryRow - 1 + static_cast<int>(i),
                                kListBlocks[size_t(block)].column(field)};
        const QString& text = entries[i].field(field);
        try {
          sheet::enterTyped(
              book, 0, at,
              field == GiftEntry::kCostField ? costInTypedNotation(text, locale) : text,
              sheet::Recalculation::Later);
        } catch (const std::exception&) {
          // The report's step fails for this cell and the cell stays empty.
        }
      }
    }
  }
  sheet::recalculate(book);
  ReportTotals totals;
  for (int block = 0; block < kCategoryCount; ++block) {
    const sheet::Cell* cell = ws.cell({kTotalRow - 1, kListBlocks[size_t(block)].costColumn()});
    if (!cell) continue;
    if (const double* number = std::get_if<double>(&cell->value))
      totals[size_t(block)].value = *number;
    else if (const sheet::ErrorCode* error = std::get_if<sheet::ErrorCode>(&cell->value))
      totals[size_t(block)].error = sheet::errorText(*error);
  }
  return totals;
}

std::optional<double> costAsNumber(const QString& cost, const QLocale& locale) {
  // A typed number, as the sheet reads it; formulas and apostrophe texts are not amounts here.
  if (const auto number = sheet::recogniseNumber(costInTypedNotation(cost, locale)))
    return number->value;
  return std::nullopt;
}

QString currencyText(double amount) {
  return sheet::displayText(amount, QStringLiteral("$#,##0.00;-$#,##0.00"));
}

QString currencyText(const ReportTotal& total) {
  return total.isError() ? total.error : currencyText(total.value);
}

}  // namespace report
