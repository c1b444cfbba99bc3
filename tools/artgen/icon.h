// The game's desktop icon: the fort under fire on a rounded tile, at the sizes desktops ask for.
#pragma once

#include <cstdint>
#include <vector>

#include "raster.h"

namespace artgen {

struct rgba_image {
    int w = 0, h = 0;
    std::vector<uint8_t> px; // w*h*4, straight alpha, rows top to bottom
};

// The icon `size` pixels square (64, 128 or 256: whole divisions of the 256 master), its sprites
// cut from `sheet` and its sand from `ground`, so it looks like the game.
rgba_image icon_image(const rgb_image& sheet, const rgb_image& ground, int size);

// The sizes installed into the desktop's icon theme.
constexpr int icon_sizes[] = {64, 128, 256};

} // namespace artgen
