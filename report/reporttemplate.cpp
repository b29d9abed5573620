#include "report/reporttemplate.h"

#include <QFile>

#include "base/failure.h"

#include "giftlist/giftentry.h"
#include "report/layout.h"
#include "spreadsheet/formula/formula.h"

namespace reporttemplate {
namespace {

using sheet::LineStyle;

using report::blockOfColumn;
using report::isCostColumn;
using report::kBlockWidth;
using report::kFirstEntryRow;
using report::kHeadingRow;
using report::kLastEntryRow;
using report::kTitleRow;
using report::kTotalRow;
constexpr int kColumns = report::kSheetColumns;

// The first column of a block, or the right edge of the sheet.
bool startsABlock(int col) {
  const int block = blockOfColumn(col);
  return col == kColumns || (block >= 0 && report::kListBlocks[size_t(block)].firstColumn == col);
}
int offsetInBlock(int col) {
  return col - report::kListBlocks[size_t(blockOfColumn(col))].firstColumn;
}

// The block titles are the categories, the headings the list's column headers.
const auto& kTitles = kCategories;
const auto& kHeadings = kColumnHeaders;
const uint16_t kBlockFills[4] = {kFamilyFill, kRelativesFill, kFriendsFill, kKnowableFill};

// The line on the vertical edge at the left of 0-based column `edge` (edge 20 is the right of
// T) in 1-based `row`.
LineStyle verticalEdge(int edge, int row) {
  if (row == kTitleRow) return startsABlock(edge) ? LineStyle::Medium : LineStyle::None;
  if (row == kTotalRow) {
    // Only the total cells have side lines in the totals row.
    const bool leftOfTotal = edge < kColumns && isCostColumn(edge);
    const bool rightOfTotal = edge > 0 && isCostColumn(edge - 1);
    return leftOfTotal || rightOfTotal ? LineStyle::Medium : LineStyle::None;
  }
  if (edge == kColumns) return row == kHeadingRow ? LineStyle::Medium : LineStyle::Thin;
  if (startsABlock(edge)) return LineStyle::Medium;  // left of A, F, K; right of O
  if (isCostColumn(edge) || isCostColumn(edge - 1)) return LineStyle::Medium;
  return LineStyle::Thin;
}

// The line on the horizontal edge above 1-based `row` (row 26 is below the totals) in 0-based
// column `col`.
LineStyle horizontalEdge(int row, int col) {
  if (row <= kFirstEntryRow) return LineStyle::Medium;  // title outline and headings
  if (row <= kLastEntryRow) return LineStyle::Thin;
  if (row == kTotalRow) {
    const bool fourthBlock = blockOfColumn(col) == 3;
    return fourthBlock && !isCostColumn(col) ? LineStyle::Thin : LineStyle::Medium;
  }
  return isCostColumn(col) ? LineStyle::Medium : LineStyle::None;  // below the totals
}

sheet::CellFormat formatFor(int row, int col) {
  sheet::CellFormat f;
  const int block = blockOfColumn(col);
  if (row <= kLastEntryRow) {
    f.pattern = sheet::FillPattern::Solid;
    f.fillColor = kBlockFills[block];
  } else if (isCostColumn(col)) {
    f.pattern = sheet::FillPattern::Solid;
    f.fillColor = kTotalFills[block];
  }
  if (row == kTitleRow) f.hAlign = sheet::HAlign::Center;
  if (row == kTotalRow && (offsetInBlock(col) == 1 || offsetInBlock(col) == 2))
    f.hAlign = sheet::HAlign::Center;
  if (row >= kFirstEntryRow && row <= kLastEntryRow) f.wrap = true;
  if (row == kFirstEntryRow && col == report::kListBlocks[0].column(4)) {  // E3: the link look
    f.font.colorIndex = kHyperlinkBlue;
    f.font.underline = sheet::Underline::Single;
  }
  f.left.style = verticalEdge(col, row);
  f.right.style = verticalEdge(col + 1, row);
  f.top.style = horizontalEdge(row, col);
  f.bottom.style = horizontalEdge(row + 1, col);
  return f;
}

}  // namespace

sheet::Workbook build() {
  sheet::Workbook book;
  book.isTemplate = true;
  sheet::Worksheet& ws = book.sheet(0);
  ws.setName(QStringLiteral("xmas"));

  for (int row = kTitleRow; row <= kTotalRow; ++row)
    for (int col = 0; col < kColumns; ++col) book.setFormat(0, {row - 1, col}, formatFor(row, col));

  for (int block = 0; block < 4; ++block) {
    const int first = report::kListBlocks[size_t(block)].firstColumn;
    ws.cellAt({kTitleRow - 1, first}).value = QString::fromUtf16(kTitles[block]);
    ws.merge({kTitleRow - 1, first, kTitleRow - 1, first + kBlockWidth - 1});
    for (int i = 0; i < kBlockWidth; ++i)
      ws.cellAt({kHeadingRow - 1, first + i}).value = QString::fromUtf16(kHeadings[i]);
    ws.cellAt({kTotalRow - 1, first + 1}).value = QStringLiteral("Total cost");
    ws.merge({kTotalRow - 1, first + 1, kTotalRow - 1, first + 2});
    const sheet::CellRef total{kTotalRow - 1, report::kListBlocks[size_t(block)].costColumn()};
    const QString cost = sheet::columnName(total.col);
    sheet::Cell& cell = ws.cellAt(total);
    cell.formula = sheet::formula::parseA1(
        QStringLiteral("SUM(%1%2:%1%3)").arg(cost).arg(kFirstEntryRow).arg(kLastEntryRow), total);
    cell.value = 0.0;
  }

  for (int row = kTitleRow; row <= kTotalRow; ++row) {
    const bool full =
        row == kTitleRow || row == kHeadingRow || row == kLastEntryRow || row == kTotalRow;
    ws.rows[row - 1] = sheet::RowInfo{static_cast<uint16_t>(full ? 300 : 285), false, false};
  }
  ws.defaultRowHeightTwips = 285;

  sheet::PageSetup& page = ws.page;
  page.paperSize = sheet::kPaperLetter;
  page.landscape = false;
  page.scale = 100;
  page.leftMargin = page.rightMargin = 0.7;
  page.topMargin = page.bottomMargin = 0.75;
  page.headerMargin = page.footerMargin = 0.3;
  ws.window.showGridlines = true;
  ws.window.zoomPercent = 80;
  ws.window.activeCell = {0, 0};
  ws.window.selection = {sheet::Range{}};
  sheet::recalculate(book);
  return book;
}

}  // namespace reporttemplate

namespace report {

namespace {
QByteArray& templateOverride() {
  static QByteArray bytes;
  return bytes;
}
}  // namespace

void setTemplateBytesForTesting(const QByteArray& bytes) {
  templateOverride() = bytes;
}

QByteArray templateBytes() {
  if (!templateOverride().isEmpty()) return templateOverride();
  QFile resource(QStringLiteral(":/template.xlt"));
  if (!resource.open(QIODevice::ReadOnly))
    fail(QStringLiteral("The report template is missing from the program."));
  return resource.readAll();
}

}  // namespace report
