#pragma once
// Cell formats: font, number format, alignment, wrap, borders and fill. A workbook keeps each
// distinct format once (FormatTable) and cells refer to it by index.
#include <QString>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace sheet {

// Colour indexes into the workbook palette: 8..63 are the 56 palette colours; these two are
// the system's window text and window background colours ("automatic").
inline constexpr uint16_t kAutoColor = 0x40;        // automatic foreground / border colour
inline constexpr uint16_t kAutoBackground = 0x41;   // automatic background
inline constexpr uint16_t kFontAutoColor = 0x7FFF;  // a font's automatic colour
inline constexpr uint16_t kFirstPaletteIndex = 8;   // palette index of the first of the 56 colours

// The palette index of a 1-based ColorIndex as the automation interface numbers the colours
// (ColorIndex 1 is palette index 8, ColorIndex 37 is 44, pale blue 99CCFF).
inline constexpr uint16_t paletteIndexFromColorIndex(int colorIndex) {
  return static_cast<uint16_t>(colorIndex + kFirstPaletteIndex - 1);
}

enum class Underline : uint8_t { None = 0x00, Single = 0x01, Double = 0x02 };

struct Font {
  QString name = QStringLiteral("Calibri");
  uint16_t heightTwips = 220;  // 11 pt
  bool bold = false;
  bool italic = false;
  bool strikeout = false;
  Underline underline = Underline::None;
  uint16_t colorIndex = kFontAutoColor;
  uint8_t family = 2;   // swiss
  uint8_t charset = 0;  // ANSI
  friend bool operator==(const Font&, const Font&) = default;
};

enum class HAlign : uint8_t {
  General = 0,
  Left = 1,
  Center = 2,
  Right = 3,
  Fill = 4,
  Justify = 5,
  CenterAcross = 6
};
enum class VAlign : uint8_t { Top = 0, Center = 1, Bottom = 2, Justify = 3 };

// BIFF8 line styles.
enum class LineStyle : uint8_t {
  None = 0,
  Thin = 1,
  Medium = 2,
  Dashed = 3,
  Dotted = 4,
  Thick = 5,
  Double = 6,
  Hair = 7
};

struct Border {
  LineStyle style = LineStyle::None;
  uint16_t colorIndex = kAutoColor;
  friend bool operator==(const Border&, const Border&) = default;
};

enum class FillPattern : uint8_t { None = 0, Solid = 1 };

struct CellFormat {
  Font font;
  QString numberFormat = QStringLiteral("General");
  HAlign hAlign = HAlign::General;
  VAlign vAlign = VAlign::Bottom;
  bool wrap = false;
  bool locked = true;
  Border left, right, top, bottom;
  FillPattern pattern = FillPattern::None;
  uint16_t fillColor = kAutoColor;            // pattern foreground: the fill colour when solid
  uint16_t fillBackground = kAutoBackground;  // pattern background
  friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

size_t hashFormat(const CellFormat& f);

// Distinct cell formats of a workbook. Index 0 is always the default format.
class FormatTable {
 public:
  FormatTable();
  // The index of an equal format, adding it when new.
  uint32_t intern(const CellFormat& format);
  const CellFormat& at(uint32_t index) const { return formats_.at(index); }
  size_t size() const { return formats_.size(); }
  const std::vector<CellFormat>& all() const { return formats_; }

 private:
  std::vector<CellFormat> formats_;
  std::unordered_multimap<size_t, uint32_t> byHash_;
};

// The 56-colour palette (indexes 8..63). Colours are 0xRRGGBB.
class Palette {
 public:
  Palette();                           // the standard palette
  uint32_t rgb(uint16_t index) const;  // automatic colours give black / white
  void set(uint16_t index, uint32_t rgb);
  bool isStandard() const;
  // The palette index of an exact colour, or -1.
  int indexOf(uint32_t rgb) const;
  static const uint32_t kStandard[56];

 private:
  uint32_t colors_[56];
};

}  // namespace sheet
