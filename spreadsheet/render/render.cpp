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

// Where a range is painted: a picture's exact pixels, or a page's vectors. Coordinates are screen
// pixels of the range at 100 %, its top-left grid line at the origin.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void fillRect(int x, int y, int width, int height, const QColor& color) = 0;
  virtual void border(const Segment& segment) = 0;
  virtual void text(const TextItem& item) = 0;
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

  // The picture's size: the range's columns and rows and the closing grid lines.
  int width() const { return xs_.back() + 1; }
  int height() const { return ys_.back() + 1; }
  // Grid lines (when shown), fills, borders and text, in that order.
  void paint(Canvas& canvas, bool gridlines);

 private:
  int colX(int col) const;
  int rowY(int row) const;
  const CellFormat& formatAt(int row, int col) const;
  const CachedFont& fontFor(const CellFormat& format);
  bool isBlank(int row, int col) const;
  bool isFilled(int row, int col) const;

  void paintGridlines(Canvas& canvas);
  void paintFills(Canvas& canvas);
  void layoutText();
  void eraseCrossedGridlines(Canvas& canvas);
  void paintBorders(Canvas& canvas);
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

void RangePainter::paintGridlines(Canvas& canvas) {
  const QColor grid = colorOf(kGridlineColor);
  const int width = xs_.back() + 1;
  const int height = ys_.back() + 1;
  for (int x : xs_) canvas.fillRect(x, 0, 1, height, grid);
  for (int y : ys_) canvas.fillRect(0, y, width, 1, grid);
}

void RangePainter::paintFills(Canvas& canvas) {
  for (int r = range_.firstRow; r <= range_.lastRow; ++r) {
    for (int c = range_.firstCol; c <= range_.lastCol; ++c) {
      if (ws_.mergeAt({r, c})) continue;
      const CellFormat& f = formatAt(r, c);
      if (f.pattern == FillPattern::None) continue;
      const int x0 = colX(c), x1 = colX(c + 1), y0 = rowY(r), y1 = rowY(r + 1);
      if (x1 == x0 || y1 == y0) continue;
      // A fill covers the cell's grid lines too.
      canvas.fillRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1, colorOf(book_.palette.rgb(f.fillColor)));
    }
  }
  for (const Range& m : ws_.merges()) {
    if (!m.intersects(range_)) continue;
    const int x0 = colX(m.firstCol), x1 = colX(m.lastCol + 1);
    const int y0 = rowY(m.firstRow), y1 = rowY(m.lastRow + 1);
    const CellFormat& f = formatAt(m.firstRow, m.firstCol);
    if (f.pattern != FillPattern::None)
      canvas.fillRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1, colorOf(book_.palette.rgb(f.fillColor)));
    else  // one cell: no grid lines inside
      canvas.fillRect(x0 + 1, y0 + 1, x1 - x0 - 1, y1 - y0 - 1, Qt::white);
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

void RangePainter::eraseCrossedGridlines(Canvas& canvas) {
  for (const Crossing& c : crossed_) {
    // Under a fill the grid line is already hidden.
    if (isFilled(c.row, c.col - 1) || isFilled(c.row, c.col)) continue;
    canvas.fillRect(c.x, c.top, 1, c.bottom - c.top + 1, Qt::white);
  }
}

void RangePainter::paintBorders(Canvas& canvas) {
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
  for (const Segment& s : segments) canvas.border(s);
}

void RangePainter::paint(Canvas& canvas, bool gridlines) {
  if (gridlines) paintGridlines(canvas);
  paintFills(canvas);
  layoutText();
  if (gridlines) eraseCrossedGridlines(canvas);
  paintBorders(canvas);
  for (const TextItem& t : texts_) canvas.text(t);
}

// The picture a spreadsheet shows on screen: every pixel as the screen sets it.
class PictureCanvas final : public Canvas {
 public:
  explicit PictureCanvas(QImage& image) : image_(image), painter_(&image) {
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
  }
  void fillRect(int x, int y, int width, int height, const QColor& color) override {
    painter_.fillRect(x, y, width, height, color);
  }
  void border(const Segment& segment) override { drawSegment(segment); }
  void text(const TextItem& t) override {
    painter_.setClipRect(t.clip);
    painter_.setFont(*t.font);
    painter_.setPen(t.color);
    painter_.drawText(t.box, t.flags, t.text);
    painter_.setClipping(false);
  }

 private:
  // A run of pixels along the segment's line, `across` pixels off it, with `on` pixels set and
  // `off` left in turn (off 0: a solid run).
  void run(const Segment& s, int across, int from, int to, int on, int off, const QColor& color);
  void drawSegment(const Segment& s);

  QImage& image_;
  QPainter painter_;
};

void PictureCanvas::run(const Segment& s, int across, int from, int to, int on, int off,
                        const QColor& color) {
  const int acrossLimit = (s.vertical ? image_.width() : image_.height()) - 1;
  const int alongLimit = (s.vertical ? image_.height() : image_.width()) - 1;
  if (across < 0 || across > acrossLimit) return;
  from = std::max(from, 0);
  to = std::min(to, alongLimit);
  const int period = off == 0 ? to - from + 1 : on + off;
  for (int a = from; a <= to; a += period) {
    const int length = std::min(off == 0 ? period : on, to - a + 1);
    if (s.vertical)
      painter_.fillRect(across, a, 1, length, color);
    else
      painter_.fillRect(a, across, length, 1, color);
  }
}

void PictureCanvas::drawSegment(const Segment& s) {
  const int limit = (s.vertical ? image_.width() : image_.height()) - 1;
  switch (s.style) {
    case LineStyle::None:
      break;
    case LineStyle::Hair:
    case LineStyle::Dotted:
      run(s, s.pos, s.from, s.to, 1, 1, s.color);
      break;
    case LineStyle::Dashed:
      run(s, s.pos, s.from, s.to, 3, 1, s.color);
      break;
    case LineStyle::Medium: {
      const int second = s.pos + 1 > limit ? s.pos - 1 : s.pos + 1;
      run(s, s.pos, s.from, s.to + 1, 1, 0, s.color);
      run(s, second, s.from, s.to + 1, 1, 0, s.color);
      break;
    }
    case LineStyle::Thick:
      for (int d = -1; d <= 1; ++d) run(s, s.pos + d, s.from - 1, s.to + 1, 1, 0, s.color);
      break;
    case LineStyle::Double:
      run(s, s.pos - 1, s.from - 1, s.to + 1, 1, 0, s.color);
      run(s, s.pos, s.from, s.to, 1, 0, Qt::white);
      run(s, s.pos + 1, s.from - 1, s.to + 1, 1, 0, s.color);
      break;
    default:
      run(s, s.pos, s.from, s.to, 1, 0, s.color);
      break;
  }
}

// A page: fills and grid lines as rectangles, borders as lines of their printed widths in
// points, text as text. `pointsPerPixel` is the printed size of one screen pixel.
class VectorCanvas final : public Canvas {
 public:
  VectorCanvas(QPainter& painter, double pointsPerPixel)
      : painter_(painter), pointsPerPixel_(pointsPerPixel) {}
  void fillRect(int x, int y, int width, int height, const QColor& color) override {
    painter_.fillRect(QRectF(x, y, width, height), color);
  }
  void border(const Segment& s) override;
  void text(const TextItem& t) override {
    // Letters as the cell holds them, with no ligatures, so that the page's text is the cell's.
    QFont font = *t.font;
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    painter_.setFont(font);
    painter_.setPen(t.color);
    // A clip costs a page a new graphics state: a line of text that stays inside its cell goes
    // without (a font's line height holds some room above the tallest letters).
    const QFontMetricsF metrics(font);
    const bool inside = !(t.flags & Qt::TextWordWrap) && t.clip.contains(t.box) &&
                        metrics.height() <= t.clip.height() + 2 &&
                        metrics.horizontalAdvance(t.text) <= t.box.width();
    if (inside) {
      painter_.drawText(t.box, t.flags | Qt::TextDontClip, t.text);
      return;
    }
    painter_.save();
    painter_.setClipRect(t.clip, Qt::IntersectClip);
    painter_.drawText(t.box, t.flags, t.text);
    painter_.restore();
  }

 private:
  void line(const Segment& s, double offsetPoints, double widthPoints, const QColor& color,
            const QVector<qreal>& dashes = {});

  QPainter& painter_;
  double pointsPerPixel_;
};

void VectorCanvas::line(const Segment& s, double offsetPoints, double widthPoints,
                        const QColor& color, const QVector<qreal>& dashes) {
  QPen pen(color, widthPoints / pointsPerPixel_, Qt::SolidLine, Qt::FlatCap);
  if (!dashes.isEmpty()) pen.setDashPattern(dashes);
  painter_.setPen(pen);
  // The line runs along the middle of its grid line's pixel, over the whole edge.
  const double across = s.pos + 0.5 + offsetPoints / pointsPerPixel_;
  if (s.vertical)
    painter_.drawLine(QPointF(across, s.from), QPointF(across, s.to + 1));
  else
    painter_.drawLine(QPointF(s.from, across), QPointF(s.to + 1, across));
}

void VectorCanvas::border(const Segment& s) {
  switch (s.style) {
    case LineStyle::None:
      break;
    case LineStyle::Hair:
      line(s, 0, 0.25, s.color);
      break;
    case LineStyle::Dotted:
      line(s, 0, 0.75, s.color, {1, 1});
      break;
    case LineStyle::Dashed:
      line(s, 0, 0.75, s.color, {3, 1});
      break;
    case LineStyle::Medium:
      line(s, 0, 1.5, s.color);
      break;
    case LineStyle::Thick:
      line(s, 0, 2.25, s.color);
      break;
    case LineStyle::Double:
      line(s, -0.75, 0.5, s.color);
      line(s, 0.75, 0.5, s.color);
      break;
    default:
      line(s, 0, 0.75, s.color);
      break;
  }
}

QImage paintPicture(RangePainter& painter, bool gridlines) {
  const qint64 width = painter.width();
  const qint64 height = painter.height();
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
    throw Error("The range is too large to be copied as a picture.");
  QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
  image.fill(Qt::white);
  PictureCanvas canvas(image);
  painter.paint(canvas, gridlines);
  return image;
}

}  // namespace

QImage paintRange(const Workbook& book, int sheetIndex, const Range& range) {
  if (range.firstRow < 0 || range.firstCol < 0 || range.lastRow >= kMaxRows ||
      range.lastCol >= kMaxColumns || range.lastRow < range.firstRow ||
      range.lastCol < range.firstCol)
    throw Error("The range is not on the sheet.");
  RangePainter painter(book, sheetIndex, range);
  return paintPicture(painter, book.sheet(sheetIndex).window.showGridlines);
}

void paintRangeOnPage(QPainter& painter, const Workbook& book, int sheetIndex, const Range& range,
                      double pointsPerPixel, bool gridlines) {
  if (range.firstRow < 0 || range.firstCol < 0 || range.lastRow >= kMaxRows ||
      range.lastCol >= kMaxColumns || range.lastRow < range.firstRow ||
      range.lastCol < range.firstCol)
    throw Error("The range is not on the sheet.");
  VectorCanvas canvas(painter, pointsPerPixel);
  RangePainter(book, sheetIndex, range).paint(canvas, gridlines);
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
