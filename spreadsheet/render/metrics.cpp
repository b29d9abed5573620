#include "spreadsheet/render/metrics.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QStringList>
#include <cmath>

#include "spreadsheet/model/error.h"
#include "spreadsheet/model/workbook.h"

namespace sheet {

QString screenFamily(const QString& name) {
  static const struct {
    const char* office;
    const char* installed;
  } kFamilies[] = {
      {"calibri", "Carlito"},
      {"cambria", "Caladea"},
      {"arial", "Liberation Sans"},
      {"helvetica", "Liberation Sans"},
      {"times new roman", "Liberation Serif"},
      {"courier new", "Liberation Mono"},
  };
  const QString lower = name.trimmed().toLower();
  for (const auto& f : kFamilies)
    if (lower == QLatin1String(f.office)) return QString::fromLatin1(f.installed);
  return name;
}

int fontPixelSize(uint16_t heightTwips) {
  // points * 96 / 72 = twips / 15, rounded half up.
  return std::max(1, (heightTwips + 7) / 15);
}

QFont screenFont(const Font& font) {
  // Fonts and their metrics come from the window system's font database.
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
    throw Error("Text can only be measured and painted in a program with a graphical interface.");
  QFont f;
  const QString family = screenFamily(font.name);
  // The office name as a fallback, in case the metric-compatible family is missing.
  f.setFamilies(family == font.name ? QStringList{family} : QStringList{family, font.name});
  f.setPixelSize(fontPixelSize(font.heightTwips));
  f.setBold(font.bold);
  f.setItalic(font.italic);
  f.setUnderline(font.underline != Underline::None);
  f.setStrikeOut(font.strikeout);
  f.setKerning(false);
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setStyleStrategy(QFont::PreferAntialias);
  return f;
}

double textWidth(const Font& font, const QString& text) {
  return QFontMetricsF(screenFont(font)).horizontalAdvance(text);
}

int maxDigitWidth(const Font& font) {
  const QFontMetricsF metrics(screenFont(font));
  double widest = 0;
  for (char16_t c = u'0'; c <= u'9'; ++c)
    widest = std::max(widest, metrics.horizontalAdvance(QChar(c)));
  return std::max(1, static_cast<int>(std::floor(widest)));
}

int columnWidthToPixels(uint16_t width256, int digitWidth) {
  return (width256 + 128 / digitWidth) * digitWidth / 256;
}

uint16_t pixelsToColumnWidth(int pixels, int digitWidth) {
  const int width = std::max(0, pixels) * 256 / digitWidth;
  return static_cast<uint16_t>(std::min(width, 255 * 256));
}

int defaultColumnPixels(int chars, int digitWidth) {
  return (chars * digitWidth + 5 + 7) / 8 * 8;
}

int rowHeightToPixels(uint16_t twips) {
  return (twips + 7) / 15;
}

SheetGeometry::SheetGeometry(const Workbook& book, int sheetIndex)
    : sheet_(book.sheet(sheetIndex)),
      digitWidth_(maxDigitWidth(book.formats.at(0).font)),
      defaultColumn_(defaultColumnPixels(sheet_.defaultColumnWidthChars, digitWidth_)) {}

int SheetGeometry::columnWidth(int col) const {
  auto it = sheet_.columns.find(col);
  if (it == sheet_.columns.end()) return defaultColumn_;
  if (it->second.hidden) return 0;
  if (it->second.width == 0) return defaultColumn_;
  return columnWidthToPixels(it->second.width, digitWidth_);
}

int SheetGeometry::rowHeight(int row) const {
  auto it = sheet_.rows.find(row);
  if (it != sheet_.rows.end() && it->second.hidden) return 0;
  return rowHeightToPixels(sheet_.rowHeightTwips(row));
}

}  // namespace sheet
