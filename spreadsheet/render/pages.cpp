#include "spreadsheet/render/pages.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>

#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/metrics.h"
#include "spreadsheet/render/render.h"

namespace sheet {

namespace {

constexpr double kPointsPerInch = 72;
constexpr double kPointsPerScreenPixel = 0.75;  // 96 dpi
constexpr int kMinZoom = 10;
constexpr int kMaxZoom = 400;

// A run of columns or rows printed on one page: first and last index, and its printed size.
struct Run {
  int first = 0;
  int last = 0;
  double size = 0;
};

// Splits sizes (points at 100 %), printed at `scale`, into runs that fit `room` each; a size
// larger than the room gets a run of its own.
std::vector<Run> splitIntoRuns(const std::vector<double>& sizes, double scale, double room) {
  std::vector<Run> runs;
  for (int i = 0; i < static_cast<int>(sizes.size()); ++i) {
    const double size = sizes[static_cast<size_t>(i)] * scale;
    if (runs.empty() || (runs.back().size > 0 && runs.back().size + size > room + 1e-6))
      runs.push_back({i, i, 0});
    runs.back().last = i;
    runs.back().size += size;
  }
  return runs;
}

}  // namespace

QPageSize paperSize(int paperCode) {
  switch (paperCode) {
    case 5:
      return QPageSize(QPageSize::Legal);
    case 8:
      return QPageSize(QPageSize::A3);
    case 9:
      return QPageSize(QPageSize::A4);
    case 11:
      return QPageSize(QPageSize::A5);
    case 7:
      return QPageSize(QPageSize::Executive);
    case 13:
      return QPageSize(QPageSize::B5);
    default:
      return QPageSize(QPageSize::Letter);
  }
}

QPageLayout PrintLayout::pageLayout() const {
  return QPageLayout(paper, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

PrintLayout printLayout(const Workbook& book, int sheetIndex,
                        const std::optional<QPageLayout>& onPaper) {
  const Worksheet& ws = book.sheet(sheetIndex);
  const PageSetup& setup = ws.page;
  PrintLayout layout;
  layout.paper = onPaper ? onPaper->pageSize() : paperSize(setup.paperSize);
  layout.orientation = onPaper           ? onPaper->orientation()
                       : setup.landscape ? QPageLayout::Landscape
                                         : QPageLayout::Portrait;
  layout.gridlines = setup.printGridlines;

  std::vector<Range> areas;
  if (const DefinedName* name = book.printArea(sheetIndex)) areas = name->ranges;
  if (areas.empty()) {
    if (ws.cells().empty() && ws.merges().empty()) return layout;
    areas.push_back(ws.usedRange());
  }

  const QSizeF paper = layout.pageLayout().fullRect(QPageLayout::Point).size();
  const double left = setup.leftMargin * kPointsPerInch;
  const double top = setup.topMargin * kPointsPerInch;
  const double roomWidth = std::max(1.0, paper.width() - left - setup.rightMargin * kPointsPerInch);
  const double roomHeight =
      std::max(1.0, paper.height() - top - setup.bottomMargin * kPointsPerInch);

  const SheetGeometry geometry(book, sheetIndex);
  struct Sizes {
    Range range;
    std::vector<double> columns, rows;  // points at 100 %
  };
  std::vector<Sizes> sizes;
  for (const Range& area : areas) {
    Sizes s{area, {}, {}};
    for (int c = area.firstCol; c <= area.lastCol; ++c)
      s.columns.push_back(geometry.columnWidth(c) * kPointsPerScreenPixel);
    for (int r = area.firstRow; r <= area.lastRow; ++r)
      s.rows.push_back(geometry.rowHeight(r) * kPointsPerScreenPixel);
    sizes.push_back(std::move(s));
  }

  // The scale: the zoom, or for fit-to-page the largest whole percentage, never above 100, at
  // which every area splits into no more pages than asked for.
  int zoom = std::clamp(setup.scale, kMinZoom, kMaxZoom);
  if (setup.fitToPage) {
    auto fits = [&](int percent) {
      const double k = percent / 100.0;
      for (const Sizes& s : sizes) {
        if (setup.fitWidth > 0 &&
            static_cast<int>(splitIntoRuns(s.columns, k, roomWidth).size()) > setup.fitWidth)
          return false;
        if (setup.fitHeight > 0 &&
            static_cast<int>(splitIntoRuns(s.rows, k, roomHeight).size()) > setup.fitHeight)
          return false;
      }
      return true;
    };
    zoom = 100;
    while (zoom > kMinZoom && !fits(zoom)) --zoom;
  }
  layout.zoomPercent = zoom;
  const double k = zoom / 100.0;
  layout.pointsPerPixel = kPointsPerScreenPixel * k;

  for (const Sizes& s : sizes) {
    const std::vector<Run> rowRuns = splitIntoRuns(s.rows, k, roomHeight);
    for (const Run& columns : splitIntoRuns(s.columns, k, roomWidth)) {
      for (const Run& rows : rowRuns) {  // down, then across
        QPointF origin(left, top);
        if (setup.hCenter) origin.rx() += std::max(0.0, (roomWidth - columns.size) / 2);
        if (setup.vCenter) origin.ry() += std::max(0.0, (roomHeight - rows.size) / 2);
        const Range cells{s.range.firstRow + rows.first, s.range.firstCol + columns.first,
                          s.range.firstRow + rows.last, s.range.firstCol + columns.last};
        layout.pages.push_back({cells, origin});
      }
    }
  }
  return layout;
}

void printSheet(const Workbook& book, int sheetIndex, QPagedPaintDevice& device, bool setPaper) {
  const PrintLayout layout =
      setPaper ? printLayout(book, sheetIndex) : printLayout(book, sheetIndex, device.pageLayout());
  if (setPaper && !device.setPageLayout(layout.pageLayout()))
    throw Error("The device does not take the sheet's paper.");
  QPainter painter;
  if (!painter.begin(&device)) throw Error("The pages cannot be painted on this device.");
  // The painter's origin is the corner of the device's paintable area; pages place their cells
  // from the paper's corner.
  const double dotsPerPoint = device.logicalDpiX() / kPointsPerInch;
  const QRectF paintable = device.pageLayout().paintRect(QPageLayout::Point);
  bool first = true;
  for (const PrintedPage& page : layout.pages) {
    if (!first && !device.newPage()) throw Error("The device took no further page.");
    first = false;
    painter.save();
    painter.scale(dotsPerPoint, dotsPerPoint);
    painter.translate(page.origin - paintable.topLeft());
    painter.scale(layout.pointsPerPixel, layout.pointsPerPixel);
    paintRangeOnPage(painter, book, sheetIndex, page.cells, layout.pointsPerPixel,
                     layout.gridlines);
    painter.restore();
  }
  if (!painter.end()) throw Error("The pages could not be finished.");
}

}  // namespace sheet
