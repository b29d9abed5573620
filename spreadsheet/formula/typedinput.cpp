// Typed input: what a spreadsheet makes of a text typed into a cell.
#include "spreadsheet/formula/formula.h"
#include "spreadsheet/formula/typednumber.h"
#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"

namespace sheet {

namespace {

constexpr int kMaxCellText = 32767;

// Gives a General cell the number format of the way a number was typed; a cell with a number
// format of its own keeps it.
void applyNumberFormat(Workbook& book, Cell& cell, const TypedNumber& n) {
  const QString wanted = numberFormatFor(n);
  if (wanted.isEmpty()) return;
  const CellFormat& current = book.formats.at(cell.format);
  if (current.numberFormat.compare(u"General", Qt::CaseInsensitive) != 0) return;
  CellFormat changed = current;
  changed.numberFormat = wanted;
  cell.format = book.formats.intern(changed);
}

}  // namespace

void enterTyped(Workbook& book, int sheetIndex, CellRef at, const QString& text,
                Recalculation recalculation) {
  if (text.size() > kMaxCellText) {
    throw Error("The text is longer than the 32,767 characters a cell can hold.");
  }
  Worksheet& ws = book.sheet(sheetIndex);

  if (text.isEmpty()) {
    if (const Cell* existing = ws.cell(at)) {
      if (existing->format == 0) {
        ws.removeCell(at);
      } else {
        Cell& c = ws.cellAt(at);
        c.value = Empty{};
        c.formula.reset();
      }
    }
    if (recalculation == Recalculation::Now) recalculate(book);
    return;
  }

  // Parse before touching the cell, so that a refused formula leaves it as it was.
  std::shared_ptr<const Formula> formula;
  if (text.front() == u'=') formula = formula::parseR1C1(text.mid(1), at);

  const bool isNew = ws.cell(at) == nullptr;
  Cell& cell = ws.cellAt(at);
  if (isNew) {
    auto column = ws.columns.find(at.col);
    if (column != ws.columns.end()) cell.format = column->second.format;
  }
  cell.formula.reset();

  if (formula) {
    cell.formula = formula;
    cell.value = Empty{};
  } else if (text.front() == u'\'') {
    cell.value = text.mid(1);
  } else if (auto n = recogniseNumber(text)) {
    cell.value = n->value;
    applyNumberFormat(book, cell, *n);
  } else {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(u"TRUE", Qt::CaseInsensitive) == 0) {
      cell.value = true;
    } else if (trimmed.compare(u"FALSE", Qt::CaseInsensitive) == 0) {
      cell.value = false;
    } else if (auto e = errorFromText(trimmed)) {
      cell.value = *e;
    } else {
      cell.value = text;
    }
  }
  if (recalculation == Recalculation::Now) recalculate(book);
}

// The branches of enterTyped() that do not keep the text as it is.
bool typesAsItself(const QString& text) {
  if (text.isEmpty()) return true;
  if (text.front() == u'=' || text.front() == u'\'' || recogniseNumber(text)) return false;
  const QString trimmed = text.trimmed();
  return trimmed.compare(u"TRUE", Qt::CaseInsensitive) != 0 &&
         trimmed.compare(u"FALSE", Qt::CaseInsensitive) != 0 && !errorFromText(trimmed);
}

}  // namespace sheet
