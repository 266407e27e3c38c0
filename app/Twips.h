#pragma once
// Window measures are designed in twips: 1/1440 inch, 15 twips to a pixel at 96 dpi.

#include <QtGlobal>

namespace tobrel::app {

inline constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips) {
    return (twips + (twips >= 0 ? 7 : -7)) / kTwipsPerPixel;
}
constexpr int twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

} // namespace tobrel::app
