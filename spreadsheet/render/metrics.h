#pragma once
// Screen metrics of a sheet at 100 % zoom and 96 dpi: fonts as the screen shows them, column
// widths and row heights in pixels, and the width of a cell's text.
#include <QFont>
#include <QString>
#include <cstdint>
#include <vector>

#include "spreadsheet/model/format.h"

namespace sheet {

class Workbook;
class Worksheet;

// The installed family that shows a font: Calibri through Carlito, Arial through Liberation Sans,
// and so on for the metric-compatible families; other names are used as they are.
QString screenFamily(const QString& name);
// The font's pixel size at 96 dpi: points * 96 / 72, rounded as the screen rounds (11 pt -> 15).
int fontPixelSize(uint16_t heightTwips);
// The font at 96 dpi, sized in pixels so that it does not depend on the screen's resolution.
QFont screenFont(const Font& font);
// Width in pixels of a line of text in the font.
double textWidth(const Font& font, const QString& text);
// The widest of the digits 0 to 9 in whole pixels (Calibri 11 and Arial 10: 7).
int maxDigitWidth(const Font& font);

// Column widths are stored in 1/256 of the maximum digit width, including the cell padding.
int columnWidthToPixels(uint16_t width256, int digitWidth);
// The stored width that shows as `pixels` (the inverse of columnWidthToPixels).
uint16_t pixelsToColumnWidth(int pixels, int digitWidth);
// The width of a column that has none of its own: the default number of characters plus the
// padding, rounded up to a multiple of 8 pixels (8 characters of Calibri 11: 64 pixels).
int defaultColumnPixels(int chars, int digitWidth);
// Row heights are stored in twips; 15 twips make one pixel (300 -> 20, 285 -> 19).
int rowHeightToPixels(uint16_t twips);

// Pixels between a cell's grid line and its text on either side, and the total padding that a
// fitted column adds to its widest text (the grid line, both margins and some air).
inline constexpr int kTextMargin = 2;
inline constexpr int kAutoFitPadding = 7;

// Pixel geometry of one sheet. A column's pixels start with its left grid line, so column c
// spans [x(c), x(c) + width(c)) and the grid line at x(c + 1) closes it.
class SheetGeometry {
 public:
  SheetGeometry(const Workbook& book, int sheetIndex);

  int digitWidth() const { return digitWidth_; }
  int columnWidth(int col) const;  // 0 for a hidden column
  int rowHeight(int row) const;    // 0 for a hidden row

 private:
  const Worksheet& sheet_;
  int digitWidth_;
  int defaultColumn_;
};

}  // namespace sheet
