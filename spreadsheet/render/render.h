#pragma once
// The picture of a range as a spreadsheet shows it on screen at 100 % zoom and 96 dpi.
#include <QImage>
#include <QString>

class QPainter;

#include "spreadsheet/model/geometry.h"

namespace sheet {

class Workbook;

// Grid lines where the sheet window shows them (light grey, hidden under fills), fills,
// borders, merged cells, and the cells' text in their fonts, colours, alignments and number
// formats. Every column starts with its left grid line; the picture is the sum of the range's
// column widths plus one pixel wide and the sum of its row heights plus one pixel high, the
// extra pixel holding the grid line that closes the range at the right and at the bottom.
// Format_RGB32. Throws Error for a range too large for one picture.
QImage paintRange(const Workbook& book, int sheetIndex, const Range& range);

// Paints the range as a printed page shows it: the painter's units are the range's screen pixels
// at 100 %, with its top-left grid line at the origin, and `pointsPerPixel` says how large one
// of them is printed. Fills and grid lines (only when `gridlines`) are rectangles, borders
// lines of their printed widths and dash patterns in points, and text is text in the cells'
// fonts: nothing is painted as a picture. The same layout as paintRange's.
void paintRangeOnPage(QPainter& painter, const Workbook& book, int sheetIndex, const Range& range,
                      double pointsPerPixel, bool gridlines);

// The text a cell shows in its column (or merged area) at 100 %: its value in its number
// format, with a number that is too wide shortened ("0.333") or shown as "###".
QString shownText(const Workbook& book, int sheetIndex, CellRef at);

// The grid line colour (0xRRGGBB).
inline constexpr unsigned kGridlineColor = 0xD4D4D4;

}  // namespace sheet
