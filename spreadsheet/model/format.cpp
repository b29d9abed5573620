#include "spreadsheet/model/format.h"

#include <QHash>

namespace sheet {

namespace {

void mix(size_t& seed, size_t value) {
  seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

size_t hashBorder(const Border& b) {
  return (size_t(b.style) << 16) ^ size_t(b.colorIndex);
}

}  // namespace

size_t hashFormat(const CellFormat& f) {
  size_t h = 0;
  mix(h, qHash(f.font.name));
  mix(h, f.font.heightTwips);
  mix(h, size_t(f.font.bold) | size_t(f.font.italic) << 1 | size_t(f.font.strikeout) << 2 |
             size_t(f.font.underline) << 3);
  mix(h, f.font.colorIndex);
  mix(h, size_t(f.font.family) << 8 | f.font.charset);
  mix(h, qHash(f.numberFormat));
  mix(h, size_t(f.hAlign) | size_t(f.vAlign) << 4 | size_t(f.wrap) << 8 | size_t(f.locked) << 9);
  mix(h, hashBorder(f.left));
  mix(h, hashBorder(f.right));
  mix(h, hashBorder(f.top));
  mix(h, hashBorder(f.bottom));
  mix(h, size_t(f.pattern) << 32 | size_t(f.fillColor) << 16 | f.fillBackground);
  return h;
}

FormatTable::FormatTable() {
  intern(CellFormat{});
}

uint32_t FormatTable::intern(const CellFormat& format) {
  const size_t h = hashFormat(format);
  auto [first, last] = byHash_.equal_range(h);
  for (auto it = first; it != last; ++it) {
    if (formats_[it->second] == format) return it->second;
  }
  const auto index = static_cast<uint32_t>(formats_.size());
  formats_.push_back(format);
  byHash_.emplace(h, index);
  return index;
}

// The standard palette of Excel 97 to 2003 workbooks, indexes 8 to 63.
const uint32_t Palette::kStandard[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,  //  8..15
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,  // 16..23
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,  // 24..31
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,  // 32..39
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,  // 40..47
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,  // 48..55
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,  // 56..63
};

Palette::Palette() {
  for (int i = 0; i < 56; ++i) colors_[i] = kStandard[i];
}

uint32_t Palette::rgb(uint16_t index) const {
  if (index >= kFirstPaletteIndex && index < kFirstPaletteIndex + 56)
    return colors_[index - kFirstPaletteIndex];
  switch (index) {
    case 0:
      return 0x000000;  // the eight fixed colours before the palette
    case 1:
      return 0xFFFFFF;
    case 2:
      return 0xFF0000;
    case 3:
      return 0x00FF00;
    case 4:
      return 0x0000FF;
    case 5:
      return 0xFFFF00;
    case 6:
      return 0xFF00FF;
    case 7:
      return 0x00FFFF;
    case kAutoBackground:
      return 0xFFFFFF;
    default:
      return 0x000000;  // automatic foreground, font automatic colour, unknown
  }
}

void Palette::set(uint16_t index, uint32_t rgb) {
  if (index >= kFirstPaletteIndex && index < kFirstPaletteIndex + 56)
    colors_[index - kFirstPaletteIndex] = rgb & 0xFFFFFF;
}

bool Palette::isStandard() const {
  for (int i = 0; i < 56; ++i) {
    if (colors_[i] != kStandard[i]) return false;
  }
  return true;
}

int Palette::indexOf(uint32_t rgb) const {
  for (int i = 0; i < 56; ++i) {
    if (colors_[i] == (rgb & 0xFFFFFF)) return i + kFirstPaletteIndex;
  }
  return -1;
}

}  // namespace sheet
