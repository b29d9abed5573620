#include "report/layout.h"

#include <QLocale>

#include "base/failure.h"
#include "base/trap.h"
#include "giftlist/giftbook.h"
#include "giftlist/giftentry.h"
#include "giftlist/giftlistmodel.h"
#include "giftlist/saverules.h"
#include "report/host.h"

namespace report {

void WriteCell(Host& excel, const QString& address, const QString& value, bool merge, bool wrap) {
  if (!address.isEmpty()) excel.selectRange(address);
  excel.setActiveCellFormulaR1C1(value);
  if (merge) excel.mergeSelection();
  excel.setSelectionWrapText(wrap);
}

void SetupPage(Host& excel, const QString& printArea) {
  HostPageSetup& page = excel.activeSheetPageSetup();
  page.setPrintArea(printArea);
  page.setLeftMargin(excel.inchesToPoints(0.7));
  page.setRightMargin(excel.inchesToPoints(0.7));
  page.setTopMargin(excel.inchesToPoints(0.5));
  page.setBottomMargin(excel.inchesToPoints(0.5));
  page.setHeaderMargin(excel.inchesToPoints(0));
  page.setFooterMargin(excel.inchesToPoints(0));
  page.setPrintComments(kPrintNoComments);
  page.setOrientation(kLandscape);
  page.setPaperSize(kPaperA4);
  page.setZoom(false);
  page.setFitToPagesWide(1);
  page.setFitToPagesTall(1);
}

void GenerateReport(Host& excel, const GiftBook& book) {
  Trap trap{QStringLiteral("XmasList"), QStringLiteral("GenerateReport")};
  // Each category has a count step, five cell steps and a "next" step: 100..112 for "Family",
  // 114..126 for "Relatives", 128..140 for "Friends", 142..154 for "Knowable people".
  for (int category = 0; category < kCategoryCount; ++category) {
    const int countStep = 100 + 14 * category;
    const GiftListModel& list = book.list(category);
    int n = 0;
    trap(countStep, [&] { n = list.count(); });
    for (int i = 1; i <= n; ++i) {
      const int row = kFirstEntryRow + i - 1;
      if (row > kLastEntryRow) {
        // Row 25 holds the totals: entries beyond the 22nd are left out of the report (they
        // stay in the list).
        trap(countStep + 2, [&] {
          fail(QStringLiteral("Only the first %1 entries of %2 fit the report.")
                   .arg(kEntriesThatFit)
                   .arg(categoryName(category)));
        });
        break;
      }
      for (int field = 0; field < GiftEntry::kFieldCount; ++field) {
        trap(countStep + 2 + 2 * field, [&] {
          const QString col = columnLetter(kListBlocks[size_t(category)].column(field));
          const QString address = QStringLiteral("$%1%2:$%1%2").arg(col).arg(row);
          // A cost is typed as the cost rule read it, so that every cost the rule took for a
          // number is a number in the report and counts in its total, in every locale.
          const QString& value = list.at(i).field(field);
          WriteCell(excel, address,
                    field == GiftEntry::kCostField ? costInTypedNotation(value, QLocale()) : value,
                    true, false);
        });
      }
      trap(countStep + 12, [] {});
    }
  }
  QString printArea;
  trap(156, [&] { printArea = QString::fromUtf16(kReportPrintArea); });
  trap(158, [&] { SetupPage(excel, printArea); });
}

}  // namespace report
