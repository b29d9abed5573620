#pragma once
// A sheet printed as a spreadsheet prints it, from its own page set-up: paper and orientation,
// margins, centring, printed grid lines, the print area (or the used range), and the scale (a
// zoom percentage, or fit to W pages wide by H tall); an area larger than a page is split into
// pages of whole columns and rows, down then across.
#include <QPageLayout>
#include <QPageSize>
#include <QPointF>
#include <optional>
#include <vector>

#include "spreadsheet/model/geometry.h"

class QPagedPaintDevice;

namespace sheet {

class Workbook;

// One printed page: the cells on it and where their top-left corner lies on the paper, in points
// from the paper's top-left corner.
struct PrintedPage {
  Range cells;
  QPointF origin;
};

struct PrintLayout {
  QPageSize paper;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
  double zoomPercent = 100;      // the scale, in whole percent as a spreadsheet shows it
  double pointsPerPixel = 0.75;  // printed size of one screen pixel (96 dpi) at that scale
  bool gridlines = false;
  std::vector<PrintedPage> pages;  // in printing order

  // The paper as a page layout without margins: the pages place their cells themselves.
  QPageLayout pageLayout() const;
};

// The paper for a page set-up's paper code (Letter, Legal, A3, A4, A5, ...); Letter for a code
// it does not know.
QPageSize paperSize(int paperCode);

// The pages of a sheet. A sheet with nothing on it and no print area gives no page. With
// `onPaper`, the pages are laid out on that paper and orientation instead of the sheet's (its
// margins, scale and fit to pages as the sheet has them).
PrintLayout printLayout(const Workbook& book, int sheetIndex,
                        const std::optional<QPageLayout>& onPaper = std::nullopt);

// Paints the sheet's pages on the device at its resolution, one device page each, as vectors.
// With `setPaper`, the device gets the sheet's paper and orientation first (Error when it refuses
// them); without, the pages are laid out on the paper and orientation the device has (a printer
// after its dialog). Throws Error when the device cannot be painted on.
void printSheet(const Workbook& book, int sheetIndex, QPagedPaintDevice& device,
                bool setPaper = true);

}  // namespace sheet
