#pragma once

#include <optional>

// Main window: the source pane follows the window's outer size (twips), but only
// above the thresholds, so it never gets a width or height of its own below them.
struct PaneResize {
    std::optional<int> width;  // new pane width, or keep
    std::optional<int> height; // new pane height, or keep
};

inline PaneResize mainPaneResize(int outerWidth, int outerHeight)
{
    PaneResize r;
    if (outerWidth > 100)
        r.width = outerWidth - 100;
    if (outerHeight > 1800)
        r.height = outerHeight - 1400;
    return r;
}
