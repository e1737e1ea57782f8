#pragma once

#include <QtGlobal>

namespace quobel {

inline constexpr double kTwipsPerInch = 1440.0;

// Rounded to the nearest pixel; at 96 dots per inch every length the layouts
// use is a whole number of pixels (15 twips each).
constexpr int TwipsToPixels(int twips, double dotsPerInch) {
    const double pixels = twips * dotsPerInch / kTwipsPerInch;
    return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

} // namespace quobel
