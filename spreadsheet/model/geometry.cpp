#include "spreadsheet/model/geometry.h"

#include <QStringList>

namespace sheet {

QString columnName(int col) {
  QString name;
  int n = col + 1;
  while (n > 0) {
    const int rem = (n - 1) % 26;
    name.prepend(QChar(u'A' + rem));
    n = (n - 1) / 26;
  }
  return name;
}

QString a1Name(CellRef c) {
  return columnName(c.col) + QString::number(c.row + 1);
}

QString a1Name(const Range& r) {
  if (r.firstRow == r.lastRow && r.firstCol == r.lastCol) return a1Name(r.topLeft());
  return a1Name(r.topLeft()) + u':' + a1Name(CellRef{r.lastRow, r.lastCol});
}

namespace {

struct Part {
  int row = -1;  // -1: no row given
  int col = -1;  // -1: no column given
};

// One side of an address: "$B$6", "B6", "B", "$B", "6", "$6".
std::optional<Part> parsePart(QStringView s) {
  Part part;
  qsizetype i = 0;
  if (i < s.size() && s[i] == u'$') ++i;
  int col = 0;
  int letters = 0;
  while (i < s.size() && s[i].isLetter() && s[i].unicode() < 128) {
    col = col * 26 + (s[i].toUpper().unicode() - u'A' + 1);
    ++letters;
    ++i;
    if (letters > 3) return std::nullopt;
  }
  if (letters > 0) {
    if (col > kMaxColumns) return std::nullopt;
    part.col = col - 1;
    if (i < s.size() && s[i] == u'$') ++i;
  } else if (i > 0 && i < s.size() && !s[i].isDigit()) {
    return std::nullopt;
  }
  int row = 0;
  int digits = 0;
  while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
    row = row * 10 + (s[i].unicode() - u'0');
    ++digits;
    ++i;
    if (digits > 5) return std::nullopt;
  }
  if (digits > 0) {
    if (row < 1 || row > kMaxRows) return std::nullopt;
    part.row = row - 1;
  }
  if (i != s.size() || (letters == 0 && digits == 0)) return std::nullopt;
  // "$" alone before a row number is fine ("$6"); a dollar with nothing after it is not.
  return part;
}

}  // namespace

std::optional<Range> parseA1Range(const QString& address) {
  const QString text = address.trimmed();
  const qsizetype colon = text.indexOf(u':');
  if (colon < 0) {
    auto p = parsePart(text);
    if (!p || p->row < 0 || p->col < 0) return std::nullopt;
    return Range::cell({p->row, p->col});
  }
  if (text.indexOf(u':', colon + 1) >= 0) return std::nullopt;
  auto a = parsePart(QStringView(text).left(colon));
  auto b = parsePart(QStringView(text).mid(colon + 1));
  if (!a || !b) return std::nullopt;
  Range r;
  if (a->row >= 0 && a->col >= 0 && b->row >= 0 && b->col >= 0) {
    r = {a->row, a->col, b->row, b->col};
  } else if (a->row < 0 && b->row < 0 && a->col >= 0 && b->col >= 0) {
    r = {0, a->col, kMaxRows - 1, b->col};  // whole columns "A:C"
  } else if (a->col < 0 && b->col < 0 && a->row >= 0 && b->row >= 0) {
    r = {a->row, 0, b->row, kMaxColumns - 1};  // whole rows "3:5"
  } else {
    return std::nullopt;
  }
  if (r.firstRow > r.lastRow) std::swap(r.firstRow, r.lastRow);
  if (r.firstCol > r.lastCol) std::swap(r.firstCol, r.lastCol);
  return r;
}

}  // namespace sheet
