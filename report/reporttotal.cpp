#include "report/reporttotal.h"

#include "giftlist/saverules.h"
#include "report/sheetplan.h"
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/formula/typednumber.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/numberformat.h"

namespace report {

ReportTotal reportTotal(const std::vector<GiftEntry>& entries, const QLocale& locale) {
  // The first block, filled and summed as the report fills and sums it.
  sheet::Workbook book;
  sheet::Worksheet& ws = book.sheet(0);
  const int column = kListBlocks[0].costColumn();
  const size_t fit = std::min(entries.size(), static_cast<size_t>(kEntriesThatFit));
  for (size_t i = 0; i < fit; ++i) {
    for (int field = 0; field < GiftEntry::kFieldCount; ++field) {
      const sheet::CellRef at{kFirstEntryRow - 1 + static_cast<int>(i),
                              kListBlocks[0].column(field)};
      const QString& text = entries[i].field(field);
      try {
        sheet::enterTyped(book, 0, at,
                          field == GiftEntry::kCostField ? costInTypedNotation(text, locale) : text,
                          sheet::Recalculation::Later);
      } catch (const std::exception&) {
        // The report's step fails for this cell and the cell stays empty.
      }
    }
  }
  const sheet::CellRef total{kTotalRow - 1, column};
  const QString letter = columnLetter(column);
  ws.cellAt(total).formula = sheet::formula::parseA1(
      QStringLiteral("SUM(%1%2:%1%3)").arg(letter).arg(kFirstEntryRow).arg(kLastEntryRow), total);
  sheet::recalculate(book);
  const sheet::Value& value = ws.cell(total)->value;
  ReportTotal result;
  if (const double* number = std::get_if<double>(&value))
    result.value = *number;
  else if (const sheet::ErrorCode* error = std::get_if<sheet::ErrorCode>(&value))
    result.error = sheet::errorText(*error);
  return result;
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
