// The game's display font (read from the committed .ttf) and the lettered
// sprites set with it: title, banners, HUD labels and digits.
#pragma once

#include <cairo.h>

#include <string>
#include <string_view>

#include "raster.h"

namespace artgen {

struct text_box {
    double x0, y0, x1, y1; // ink box to fill, in pixels
};

struct letter_style {
    rgb top, middle, bottom;  // vertical gradient of the letter faces
    rgb edge = near_black;    // outline
    double edge_width = 1.4;  // outline stroke, pixels
    rgb shine{255, 255, 255}; // bevel on the lit top-left edges
    bool drop_shadow = false;
};

class lettering {
public:
    lettering() = default;
    ~lettering();
    lettering(const lettering&) = delete;
    lettering& operator=(const lettering&) = delete;

    // False (with the reason in `error`) when the file is missing or not a font.
    bool load(const std::string& path, std::string& error);
    bool ready() const { return face_ != nullptr; }

    // Adds the outline path of `text` so its ink fills `box`: the height by
    // font size, the width by letter spacing (or squeezing when too wide).
    void fit_path(cairo_t* cr, std::string_view text, const text_box& box) const;
    // The x of the middle of the ink's weight when `text` fills `box`.
    double ink_centre_x(std::string_view text, const text_box& box) const;
    // Draws lettering into `box` in the given style.
    void draw(cairo_t* cr, std::string_view text, const text_box& box, const letter_style& st) const;

private:
    void glyph_path(cairo_t* cr, std::string_view text, double x, double baseline, double size, double tracking,
                    double xscale) const;
    void ink_extents(cairo_t* cr, std::string_view text, double size, double tracking, double xscale, double& x0,
                     double& y0, double& x1, double& y1) const;

    cairo_font_face_t* face_ = nullptr;
};

rgb_image title_image(const lettering& font);
rgb_image bonus_image(const lettering& font);
rgb_image gameover_image(const lettering& font);
rgb_image hud_image(const lettering& font);
rgb_image digit_image(const lettering& font, int digit);

} // namespace artgen
