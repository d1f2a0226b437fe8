#pragma once

#include <cmath>

// Layout values are given in twips (1/1440 inch). At 96 DPI a pixel is 15 twips.
namespace twips {

inline int toPixels(int twips, double dpi = 96.0)
{
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

inline int fromPixels(int pixels, double dpi = 96.0)
{
    return static_cast<int>(std::lround(pixels * 1440.0 / dpi));
}

} // namespace twips
