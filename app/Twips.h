#pragma once
// Window measures are designed in twips: 1/1440 inch, 15 twips to a pixel at 96 dpi.

#include <QRect>
#include <algorithm>
#include <limits>

namespace tobrel::app {

inline constexpr int kTwipsPerPixel = 15;

// Both conversions are exact for every int: they work in 64 bits, and twips()
// saturates at the ends of the range rather than wrapping round.
constexpr int px(int twips) {
    const long long wide = twips;
    return static_cast<int>((wide + (wide >= 0 ? 7 : -7)) / kTwipsPerPixel);
}
constexpr int twips(int pixels) {
    const long long wide = static_cast<long long>(pixels) * kTwipsPerPixel;
    return static_cast<int>(std::clamp<long long>(wide, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

// A rectangle designed in twips, in pixels.
inline QRect twipRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace tobrel::app
