#pragma once

#include <QRect>
#include <QtMath>

namespace quillmere {

// The windows are laid out in twips. Fifteen twips make one logical pixel,
// so Qt's own high-DPI scaling keeps the laid-out proportions on any screen.
inline constexpr int kTwipsPerPixel = 15;

constexpr int pixelsFromTwips(int twips) {
    return twips / kTwipsPerPixel;
}

constexpr int twipsFromPixels(int pixels) {
    return pixels * kTwipsPerPixel;
}

// The build computes the bar's width in fractional twips.
inline int roundedPixelsFromTwips(float twips) {
    return qRound(twips / kTwipsPerPixel);
}

constexpr QRect rectFromTwips(int left, int top, int width, int height) {
    return QRect(pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(width),
                 pixelsFromTwips(height));
}

}  // namespace quillmere
