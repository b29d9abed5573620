#include "windows/viewport.h"

#include <cmath>
#include <limits>

#include "base/failure.h"

namespace viewport {

namespace {

[[noreturn]] void overflow() {
  fail(QStringLiteral("Overflow"));
}

template <typename Int>
Int roundInto(double value) {
  const double r = roundHalfEven(value);
  if (!std::isfinite(r) || r < static_cast<double>(std::numeric_limits<Int>::min()) ||
      r > static_cast<double>(std::numeric_limits<Int>::max()))
    overflow();
  return static_cast<Int>(r);
}

}  // namespace

int toPixels(double twips) {
  return static_cast<int>(std::floor(twips / kTwipsPerPixel + 0.5));
}

double roundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double lower = std::floor(value);
  const double fraction = value - lower;
  if (fraction < 0.5) return lower;
  if (fraction > 0.5) return lower + 1.0;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::int16_t toInt16(double value) {
  return roundInto<std::int16_t>(value);
}
std::int32_t toInt32(double value) {
  return roundInto<std::int32_t>(value);
}

float requestedZoom(float zoom, std::int16_t zoomOut) {
  return zoomOut == 0 ? zoom + kZoomStep : zoom - kZoomStep;
}

bool zoomAccepted(float zoom) {
  return zoom >= kMinZoom && zoom <= kMaxZoom;
}

std::int32_t imageSizeFromInterior(double interiorTwips) {
  return toInt32(interiorTwips - 2.0);
}

std::int32_t scaledLength(std::int32_t imageLength, float zoom) {
  return toInt32(std::floor(static_cast<double>(imageLength) * static_cast<double>(zoom)));
}

bool tooLarge(std::int32_t scaledWidth, std::int32_t scaledHeight) {
  return scaledWidth >= kMaxScaledWidth || scaledHeight >= kMaxScaledHeight;
}

BarSetup setupBar(double picture, double viewport) {
  BarSetup bar;
  if (picture <= viewport) return bar;  // disabled, maximum and value untouched
  bar.enabled = true;
  const float difference = static_cast<float>(picture - viewport);
  if (difference <= kFineScrollLimit) {
    bar.step = 1;
    bar.maximum = toInt16(picture - viewport);
  } else {
    bar.step = kCoarseScrollStep;
    bar.maximum = toInt16((picture - viewport) / kCoarseScrollStep);
  }
  return bar;
}

int scrollOffset(int step, int value) {
  return -(step * value);
}

float dragPosition(float current, float down, float pointer, double viewportInterior,
                   double pictureOuter) {
  float position = current - down + pointer;
  if (position > 0.0f) {
    position = 0.0f;
  } else if (viewportInterior - pictureOuter > position) {
    position = static_cast<float>(viewportInterior - pictureOuter);
  }
  return position;
}

std::int32_t releasePercent(double position, double pictureOuter, double viewportOuter) {
  const double range = pictureOuter - viewportOuter;
  if (range == 0.0) fail(QStringLiteral("Division by zero"));
  return toInt32(std::fabs(position) / range * 100.0);
}

std::optional<std::int16_t> barValueForPercent(int percent, int maximum) {
  if (percent < 0 || percent > 100) return std::nullopt;
  return toInt16(static_cast<double>(percent) / 100.0 * static_cast<double>(maximum));
}

}  // namespace viewport
