#pragma once
// The planner's two signal colours, readable on a light and on a dark palette.
#include <QColor>
#include <QPalette>

inline bool isDarkPalette(const QPalette& palette) {
  return palette.color(QPalette::Base).lightness() < 128;
}
// Over budget.
inline QColor plannerOverColor(const QPalette& palette) {
  return isDarkPalette(palette) ? QColor(255, 120, 120) : QColor(192, 0, 0);
}
// A present given before.
inline QColor plannerWarningColor(const QPalette& palette) {
  return isDarkPalette(palette) ? QColor(255, 185, 80) : QColor(160, 72, 0);
}
