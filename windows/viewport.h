#pragma once
// The preview's viewport arithmetic, without any widget: zoom steps, the painted size, the
// scroll-bar set-up, drag clamping and the release percentages. Every length is in twips
// (1/1440 inch); at 96 dots per inch one logical pixel is 15 twips.
#include <cstdint>
#include <optional>

namespace viewport {

inline constexpr int kTwipsPerPixel = 15;

// Zoom range and step.
inline constexpr float kZoomStep = 0.25f;
inline constexpr float kMinZoom = 0.25f;
inline constexpr float kMaxZoom = 2.5f;

// A painted picture reaching either size is too large to paint.
inline constexpr int kMaxScaledWidth = 21700;
inline constexpr int kMaxScaledHeight = 8500;

// Scroll bars move the picture by one twip per unit while it overhangs the viewport by up to
// this much, else by ten.
inline constexpr float kFineScrollLimit = 100.0f;
inline constexpr int kCoarseScrollStep = 10;

// Twips to logical pixels (nearest pixel) and back.
int toPixels(double twips);
inline int toTwips(int pixels) {
  return pixels * kTwipsPerPixel;
}

// Rounds to the nearest whole number, halves to even.
double roundHalfEven(double value);
// Rounds (halves to even) into a 16-bit or 32-bit whole number; throws Failure ("Overflow")
// when the result does not fit.
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);

// The zoom a zoom button asks for: one step out when zoomOut is non-zero, else one step in,
// formed in single precision.
float requestedZoom(float zoom, std::int16_t zoomOut);
// True when a requested zoom is accepted (0.25 to 2.5, both included).
bool zoomAccepted(float zoom);

// The unscaled source size from the interior size of the holder of the unscaled picture.
std::int32_t imageSizeFromInterior(double interiorTwips);

// One side of the painted picture: floor of the image side times the zoom, in double precision.
// Throws Failure when it does not fit in 32 bits.
std::int32_t scaledLength(std::int32_t imageLength, float zoom);
// True when a painted picture of this size is too large to paint (width reaching 21700 or
// height reaching 8500).
bool tooLarge(std::int32_t scaledWidth, std::int32_t scaledHeight);

// The set-up of one scroll bar for a picture of outer size `picture` in a viewport of outer
// size `viewport`.
struct BarSetup {
  bool enabled = false;
  std::int16_t step = 0;                // twips per bar unit; 0 = bar disabled
  std::optional<std::int16_t> maximum;  // none: the bar keeps its maximum and value
};
// Throws Failure when the maximum does not fit in 16 bits.
BarSetup setupBar(double picture, double viewport);

// The picture's offset for a bar value: -(step * value).
int scrollOffset(int step, int value);

// Where a drag puts one edge of the picture: the current edge moved by the pointer's travel
// (pointer - down, both within the picture), kept at or left of 0 and not beyond the
// viewport's far interior edge.
float dragPosition(float current, float down, float pointer, double viewportInterior,
                   double pictureOuter);

// The whole percentage of the scroll range that an edge position stands for:
// |position| / (picture - viewport) * 100, halves to even. Throws Failure when the picture and
// the viewport have the same size (the percentage has no value).
std::int32_t releasePercent(double position, double pictureOuter, double viewportOuter);

// The bar value for a whole percentage of its maximum; none when the percentage lies outside
// 0..100 (the bar stays as it is). Throws Failure when the value does not fit in 16 bits.
std::optional<std::int16_t> barValueForPercent(int percent, int maximum);

}  // namespace viewport
