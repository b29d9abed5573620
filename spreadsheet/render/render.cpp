#include "spreadsheet/render/render.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/render/metrics.h"
#include "spreadsheet/render/numberformat.h"

namespace sheet {

namespace {

constexpr int kMaxPictureSide = 32767;
constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;

QColor colorOf(uint32_t rgb) {
  return QColor(QRgb(0xFF000000u | (rgb & 0xFFFFFFu)));
}

// Which of two border lines on the same edge wins.
int weight(LineStyle s) {
  switch (s) {
    case LineStyle::None:
      return 0;
    case LineStyle::Hair:
      return 1;
    case LineStyle::Dotted:
      return 2;
    case LineStyle::Dashed:
      return 3;
    case LineStyle::Thin:
      return 4;
    case LineStyle::Medium:
      return 5;
    case LineStyle::Double:
      return 6;
    case LineStyle::Thick:
      return 7;
  }
  return 4;  // a style this renderer does not know shows as a thin line
}

struct Segment {
  bool vertical;
  int pos;   // x of a vertical line, y of a horizontal one (a grid line)
  int from;  // first pixel along the line
  int to;    // last pixel along the line (inclusive: the crossing grid line)
  LineStyle style;
  QColor color;
};

struct TextItem {
  QRect box;   // where the text is laid out
  QRect clip;  // what it may paint
  QString text;
  const QFont* font;
  QColor color;
  int flags;
};

// The text of a number as a column of `width` pixels shows it: a general number drops decimals
// (or goes to the exponent form) to fit, other numbers turn into "###".
QString fitNumber(double value, const QString& numberFormat, const QString& text,
                  const QFontMetricsF& fm, int width) {
  if (fm.horizontalAdvance(text) <= width) return text;
  if (isGeneralFormat(numberFormat)) {
    for (int chars = 10; chars >= 1; --chars) {
      const QString candidate = generalNumber(value, chars);
      if (!candidate.isEmpty() && fm.horizontalAdvance(candidate) <= width) return candidate;
    }
  }
  const int count = static_cast<int>(width / fm.horizontalAdvance(u'#'));
  return QString(std::max(count, 0), u'#');
}

struct CachedFont {
  QFont font;
  QFontMetricsF metrics;
};

class RangePainter {
 public:
  RangePainter(const Workbook& book, int sheetIndex, const Range& range)
      : book_(book),
        sheetIndex_(sheetIndex),
        ws_(book.sheet(sheetIndex)),
        range_(range),
        geometry_(book, sheetIndex) {
    xs_.push_back(0);
    for (int c = range.firstCol; c <= range.lastCol; ++c)
      xs_.push_back(xs_.back() + geometry_.columnWidth(c));
    ys_.push_back(0);
    for (int r = range.firstRow; r <= range.lastRow; ++r)
      ys_.push_back(ys_.back() + geometry_.rowHeight(r));
  }

  QImage paint();

 private:
  int colX(int col) const;
  int rowY(int row) const;
  const CellFormat& formatAt(int row, int col) const;
  const CachedFont& fontFor(const CellFormat& format);
  bool isBlank(int row, int col) const;
  bool isFilled(int row, int col) const;

  void paintGridlines(QPainter& p);
  void paintFills(QPainter& p);
  void layoutText();
  void eraseCrossedGridlines(QPainter& p);
  void paintBorders(QImage& image);
  void paintText(QPainter& p);
  void addText(CellRef at, const Cell& cell);

  const Workbook& book_;
  int sheetIndex_;
  const Worksheet& ws_;
  Range range_;
  SheetGeometry geometry_;
  std::vector<int> xs_;  // left grid line of each column of the range, then the closing line
  std::vector<int> ys_;
  std::unordered_map<const CellFormat*, CachedFont> fonts_;
  std::vector<TextItem> texts_;
  struct Crossing {
    int row, col;  // the grid line on the left of this cell
    int x, top, bottom;
  };
  std::vector<Crossing> crossed_;  // grid lines that overflowing text runs over
};

int RangePainter::colX(int col) const {
  if (col >= range_.firstCol && col <= range_.lastCol + 1) return xs_[col - range_.firstCol];
  int x = 0;
  if (col < range_.firstCol) {
    for (int c = std::max(col, 0); c < range_.firstCol; ++c) x -= geometry_.columnWidth(c);
    return x;
  }
  x = xs_.back();
  for (int c = range_.lastCol + 1; c < std::min(col, kMaxColumns); ++c)
    x += geometry_.columnWidth(c);
  return x;
}

int RangePainter::rowY(int row) const {
  if (row >= range_.firstRow && row <= range_.lastRow + 1) return ys_[row - range_.firstRow];
  int y = 0;
  if (row < range_.firstRow) {
    for (int r = std::max(row, 0); r < range_.firstRow; ++r) y -= geometry_.rowHeight(r);
    return y;
  }
  y = ys_.back();
  for (int r = range_.lastRow + 1; r < std::min(row, kMaxRows); ++r) y += geometry_.rowHeight(r);
  return y;
}

const CellFormat& RangePainter::formatAt(int row, int col) const {
  if (row < 0 || col < 0 || row >= kMaxRows || col >= kMaxColumns) return book_.formats.at(0);
  return book_.formatOf(sheetIndex_, {row, col});
}

const CachedFont& RangePainter::fontFor(const CellFormat& format) {
  auto it = fonts_.find(&format);
  if (it == fonts_.end()) {
    QFont font = screenFont(format.font);
    it = fonts_.emplace(&format, CachedFont{font, QFontMetricsF(font)}).first;
  }
  return it->second;
}

bool RangePainter::isBlank(int row, int col) const {
  const Cell* c = ws_.cell({row, col});
  if (c == nullptr) return true;
  if (const QString* s = std::get_if<QString>(&c->value)) return s->isEmpty() && !c->hasFormula();
  return isEmpty(c->value) && !c->hasFormula();
}

bool RangePainter::isFilled(int row, int col) const {
  if (const Range* m = ws_.mergeAt({row, col}))
    return formatAt(m->firstRow, m->firstCol).pattern != FillPattern::None;
  return formatAt(row, col).pattern != FillPattern::None;
}

void RangePainter::paintGridlines(QPainter& p) {
  if (!ws_.window.showGridlines) return;
  const QColor grid = colorOf(kGridlineColor);
  const int width = xs_.back() + 1;
  const int height = ys_.back() + 1;
  for (int x : xs_) p.fillRect(x, 0, 1, height, grid);
  for (int y : ys_) p.fillRect(0, y, width, 1, grid);
}

void RangePainter::paintFills(QPainter& p) {
  for (int r = range_.firstRow; r <= range_.lastRow; ++r) {
    for (int c = range_.firstCol; c <= range_.lastCol; ++c) {
      if (ws_.mergeAt({r, c})) continue;
      const CellFormat& f = formatAt(r, c);
      if (f.pattern == FillPattern::None) continue;
      const int x0 = colX(c), x1 = colX(c + 1), y0 = rowY(r), y1 = rowY(r + 1);
      if (x1 == x0 || y1 == y0) continue;
      // A fill covers the cell's grid lines too.
      p.fillRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1, colorOf(book_.palette.rgb(f.fillColor)));
    }
  }
  for (const Range& m : ws_.merges()) {
    if (!m.intersects(range_)) continue;
    const int x0 = colX(m.firstCol), x1 = colX(m.lastCol + 1);
    const int y0 = rowY(m.firstRow), y1 = rowY(m.lastRow + 1);
    const CellFormat& f = formatAt(m.firstRow, m.firstCol);
    if (f.pattern != FillPattern::None)
      p.fillRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1, colorOf(book_.palette.rgb(f.fillColor)));
    else  // one cell: no grid lines inside
      p.fillRect(x0 + 1, y0 + 1, x1 - x0 - 1, y1 - y0 - 1, Qt::white);
  }
}

void RangePainter::addText(CellRef at, const Cell& cell) {
  const Range* merge = ws_.mergeAt(at);
  if (merge && merge->topLeft() != at) return;
  const Range area = merge ? *merge : Range::cell(at);
  const int x0 = colX(area.firstCol), x1 = colX(area.lastCol + 1);
  const int y0 = rowY(area.firstRow), y1 = rowY(area.lastRow + 1);
  const QRect inner(x0 + 1, y0 + 1, x1 - x0 - 1, y1 - y0 - 1);
  if (inner.width() <= 0 || inner.height() <= 0) return;

  const CellFormat& format = formatAt(at.row, at.col);
  FormattedValue shown = formatValue(cell.value, format.numberFormat);
  if (shown.text.isEmpty()) return;
  const CachedFont& cf = fontFor(format);
  const QFontMetricsF& fm = cf.metrics;
  QRect box = inner.adjusted(kTextMargin, 0, -kTextMargin, 0);
  const bool number = isNumber(cell.value);
  const bool text = isText(cell.value);
  const bool wrap = text && (format.wrap || format.hAlign == HAlign::Justify);
  if (!wrap) shown.text.remove(u'\n');

  if (number) {
    shown.text =
        fitNumber(std::get<double>(cell.value), format.numberFormat, shown.text, fm, box.width());
    if (shown.text.isEmpty()) return;
  }

  HAlign align = format.hAlign;
  if (align == HAlign::General)
    align = number ? HAlign::Right : text ? HAlign::Left : HAlign::Center;
  if (align == HAlign::Fill || align == HAlign::Justify) align = HAlign::Left;
  if (align == HAlign::CenterAcross) align = HAlign::Center;

  int flags = align == HAlign::Left    ? Qt::AlignLeft
              : align == HAlign::Right ? Qt::AlignRight
                                       : Qt::AlignHCenter;
  switch (format.vAlign) {
    case VAlign::Top:
    case VAlign::Justify:
      flags |= Qt::AlignTop;
      break;
    case VAlign::Center:
      flags |= Qt::AlignVCenter;
      break;
    case VAlign::Bottom:
      flags |= Qt::AlignBottom;
      break;
  }
  if (wrap) flags |= Qt::TextWordWrap;

  QRect clip = inner;
  if (text && !wrap && !merge) {
    // Text runs on into empty neighbours as far as it needs (numbers never do).
    const int needed = static_cast<int>(std::ceil(fm.horizontalAdvance(shown.text)));
    int left = x0, right = x1;
    auto extendRight = [&](int upTo) {
      for (int c = at.col + 1; right < upTo && c <= range_.lastCol; ++c) {
        if (!isBlank(at.row, c) || ws_.mergeAt({at.row, c})) break;
        crossed_.push_back({at.row, c, right, y0 + 1, y1 - 1});
        right = colX(c + 1);
      }
    };
    auto extendLeft = [&](int downTo) {
      for (int c = at.col - 1; left > downTo && c >= range_.firstCol; --c) {
        if (!isBlank(at.row, c) || ws_.mergeAt({at.row, c})) break;
        crossed_.push_back({at.row, c + 1, left, y0 + 1, y1 - 1});
        left = colX(c);
      }
    };
    if (needed > box.width()) {
      if (align == HAlign::Left) {
        extendRight(box.left() + needed + kTextMargin);
        box.setWidth(std::max(box.width(), needed + 1));
      } else if (align == HAlign::Right) {
        extendLeft(box.right() + 1 - needed - kTextMargin);
        box.setLeft(std::min(box.left(), box.right() + 1 - needed - 1));
      } else {
        const int centre = (inner.left() + inner.right() + 1) / 2;
        extendRight(centre + (needed + 1) / 2 + 1);
        extendLeft(centre - (needed + 1) / 2 - 1);
        box = QRect(centre - needed / 2 - 1, box.top(), needed + 2, box.height());
      }
      clip = QRect(left + 1, inner.top(), right - left - 1, inner.height());
    }
  }

  QColor color = colorOf(book_.palette.rgb(format.font.colorIndex));
  if (shown.colorIndex) color = colorOf(book_.palette.rgb(*shown.colorIndex));
  texts_.push_back({box, clip, shown.text, &cf.font, color, flags});
}

void RangePainter::layoutText() {
  const auto& cells = ws_.cells();
  for (auto it = cells.lower_bound({range_.firstRow, 0});
       it != cells.end() && it->first.row <= range_.lastRow; ++it) {
    const CellRef at = it->first;
    if (at.col < range_.firstCol || at.col > range_.lastCol) continue;
    if (geometry_.columnWidth(at.col) == 0 || geometry_.rowHeight(at.row) == 0) continue;
    addText(at, it->second);
  }
  // Merged cells whose first cell lies outside the range still show their part of the text.
  for (const Range& m : ws_.merges()) {
    if (!m.intersects(range_) || range_.contains(m.topLeft())) continue;
    if (const Cell* c = ws_.cell(m.topLeft())) addText(m.topLeft(), *c);
  }
}

void RangePainter::eraseCrossedGridlines(QPainter& p) {
  if (!ws_.window.showGridlines) return;
  for (const Crossing& c : crossed_) {
    // Under a fill the grid line is already hidden.
    if (isFilled(c.row, c.col - 1) || isFilled(c.row, c.col)) continue;
    p.fillRect(c.x, c.top, 1, c.bottom - c.top + 1, Qt::white);
  }
}

void drawSegment(QImage& image, const Segment& s) {
  const int limit = (s.vertical ? image.width() : image.height()) - 1;
  const int length = (s.vertical ? image.height() : image.width()) - 1;
  auto dot = [&](int across, int along, const QColor& color) {
    if (across < 0 || across > limit || along < 0 || along > length) return;
    if (s.vertical)
      image.setPixelColor(across, along, color);
    else
      image.setPixelColor(along, across, color);
  };
  auto line = [&](int across, int from, int to, int on, int off, const QColor& color) {
    for (int a = from; a <= to; ++a)
      if (off == 0 || (a - from) % (on + off) < on) dot(across, a, color);
  };
  switch (s.style) {
    case LineStyle::None:
      break;
    case LineStyle::Hair:
    case LineStyle::Dotted:
      line(s.pos, s.from, s.to, 1, 1, s.color);
      break;
    case LineStyle::Dashed:
      line(s.pos, s.from, s.to, 3, 1, s.color);
      break;
    case LineStyle::Medium: {
      const int second = s.pos + 1 > limit ? s.pos - 1 : s.pos + 1;
      line(s.pos, s.from, s.to + 1, 1, 0, s.color);
      line(second, s.from, s.to + 1, 1, 0, s.color);
      break;
    }
    case LineStyle::Thick:
      for (int d = -1; d <= 1; ++d) line(s.pos + d, s.from - 1, s.to + 1, 1, 0, s.color);
      break;
    case LineStyle::Double:
      line(s.pos - 1, s.from - 1, s.to + 1, 1, 0, s.color);
      line(s.pos, s.from, s.to, 1, 0, Qt::white);
      line(s.pos + 1, s.from - 1, s.to + 1, 1, 0, s.color);
      break;
    default:
      line(s.pos, s.from, s.to, 1, 0, s.color);
      break;
  }
}

void RangePainter::paintBorders(QImage& image) {
  std::vector<Segment> segments;
  auto stronger = [&](const Border& a, const Border& b) -> const Border& {
    return weight(b.style) > weight(a.style) ? b : a;
  };
  auto sameMerge = [&](CellRef a, CellRef b) {
    const Range* m = ws_.mergeAt(a);
    return m && m->contains(b);
  };
  for (int r = range_.firstRow; r <= range_.lastRow; ++r) {
    const int y0 = rowY(r), y1 = rowY(r + 1);
    if (y0 == y1) continue;
    for (int b = range_.firstCol; b <= range_.lastCol + 1; ++b) {
      if (b > 0 && b < kMaxColumns && sameMerge({r, b - 1}, {r, b})) continue;
      const Border& edge = stronger(formatAt(r, b - 1).right, formatAt(r, b).left);
      if (edge.style == LineStyle::None) continue;
      segments.push_back(
          {true, colX(b), y0, y1, edge.style, colorOf(book_.palette.rgb(edge.colorIndex))});
    }
  }
  for (int c = range_.firstCol; c <= range_.lastCol; ++c) {
    const int x0 = colX(c), x1 = colX(c + 1);
    if (x0 == x1) continue;
    for (int b = range_.firstRow; b <= range_.lastRow + 1; ++b) {
      if (b > 0 && b < kMaxRows && sameMerge({b - 1, c}, {b, c})) continue;
      const Border& edge = stronger(formatAt(b - 1, c).bottom, formatAt(b, c).top);
      if (edge.style == LineStyle::None) continue;
      segments.push_back(
          {false, rowY(b), x0, x1, edge.style, colorOf(book_.palette.rgb(edge.colorIndex))});
    }
  }
  std::stable_sort(segments.begin(), segments.end(), [](const Segment& a, const Segment& b) {
    return weight(a.style) < weight(b.style);
  });
  for (const Segment& s : segments) drawSegment(image, s);
}

void RangePainter::paintText(QPainter& p) {
  p.setRenderHint(QPainter::TextAntialiasing, true);
  for (const TextItem& t : texts_) {
    p.setClipRect(t.clip);
    p.setFont(*t.font);
    p.setPen(t.color);
    p.drawText(t.box, t.flags, t.text);
  }
  p.setClipping(false);
}

QImage RangePainter::paint() {
  const qint64 width = xs_.back() + 1;
  const qint64 height = ys_.back() + 1;
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
    throw Error("The range is too large to be copied as a picture.");
  QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    paintGridlines(p);
    paintFills(p);
    layoutText();
    eraseCrossedGridlines(p);
  }
  paintBorders(image);
  {
    QPainter p(&image);
    paintText(p);
  }
  return image;
}

}  // namespace

QImage paintRange(const Workbook& book, int sheetIndex, const Range& range) {
  if (range.firstRow < 0 || range.firstCol < 0 || range.lastRow >= kMaxRows ||
      range.lastCol >= kMaxColumns || range.lastRow < range.firstRow ||
      range.lastCol < range.firstCol)
    throw Error("The range is not on the sheet.");
  return RangePainter(book, sheetIndex, range).paint();
}

QString shownText(const Workbook& book, int sheetIndex, CellRef at) {
  const Worksheet& ws = book.sheet(sheetIndex);
  const Cell* cell = ws.cell(at);
  if (cell == nullptr) return {};
  const CellFormat& format = book.formatOf(sheetIndex, at);
  const QString text = displayText(cell->value, format.numberFormat);
  if (!isNumber(cell->value)) return text;
  const SheetGeometry geometry(book, sheetIndex);
  Range area = Range::cell(at);
  if (const Range* m = ws.mergeAt(at)) area = *m;
  int width = 0;
  for (int c = area.firstCol; c <= area.lastCol; ++c) width += geometry.columnWidth(c);
  width -= 1 + 2 * kTextMargin;
  return fitNumber(std::get<double>(cell->value), format.numberFormat, text,
                   QFontMetricsF(screenFont(format.font)), width);
}

}  // namespace sheet
