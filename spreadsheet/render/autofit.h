#pragma once
// Column auto-fit, as Cells.EntireColumn.AutoFit does it on screen.
namespace sheet {

class Workbook;

// Every visible column that holds a displayed value outside merged ranges takes the width of
// its widest text (each cell in its own font and number format) plus the cell padding. Columns
// without such content keep their width.
void autoFitColumns(Workbook& book, int sheetIndex);

// The width in pixels that a column's content needs at 100 %, or 0 when it has none.
int fittedColumnPixels(const Workbook& book, int sheetIndex, int col);

}  // namespace sheet
