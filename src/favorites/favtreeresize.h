#pragma once

// Favourites window: the tree follows the window's outer size (twips) at every
// size, with no threshold. Its top stays at 480, so its lower edge lies below
// the client area by the toolbar and title bar heights, as designed.
struct FavTreeSize {
    int width;
    int height;
};

inline FavTreeSize favTreeResize(int outerWidth, int outerHeight)
{
    return FavTreeSize{outerWidth - 100, outerHeight};
}
