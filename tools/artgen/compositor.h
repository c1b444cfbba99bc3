// A tiny stand-in for the game's renderer, for review pictures only:
// battlefield previews and an enlarged, labelled contact sheet.
#pragma once

#include "raster.h"

namespace artgen {

class lettering;

struct draw_op {
    rgb tint{255, 255, 255}; // multiplies each texel, as the game's draw colour
    double alpha = 1.0;
    double sx = 1.0, sy = 1.0;
    double rotation = 0.0; // degrees, clockwise on screen
    bool centred = true;   // handle at the centre, else the top-left
};

// Draws one sprite frame; key-black texels are skipped, scaling and
// rotation sample the nearest texel like the game's unfiltered sprites.
void draw_sprite(rgb_image& dst, const rgb_image& spr, double x, double y, const draw_op& op);

// The battlefield as the game draws it; `daylight` 255 is noon, 0 midnight.
rgb_image battlefield_preview(const rgb_image& sheet, const rgb_image& sky, const rgb_image& ground, int daylight);

// Every sheet frame enlarged 3x on mid-grey, each labelled with its name.
rgb_image contact_sheet(const rgb_image& sheet, const lettering& font);

} // namespace artgen
