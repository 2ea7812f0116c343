#pragma once
// Window geometry is specified in twips (1/1440 inch). At 96 dpi one pixel
// is 15 twips; every screen converts here and nowhere else.

#include <QRect>
#include <QSize>

namespace twips {

inline constexpr int kPerPixel = 15;

constexpr int toPixels(double twips) {
    return static_cast<int>(twips / kPerPixel);
}
constexpr double fromPixels(int pixels) {
    return static_cast<double>(pixels) * kPerPixel;
}

constexpr QRect rect(int left, int top, int width, int height) {
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

constexpr QSize size(int width, int height) {
    return QSize(toPixels(width), toPixels(height));
}

} // namespace twips
