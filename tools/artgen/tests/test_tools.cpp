// Checks on the drawing tools underneath the art: pixel helpers, outlines,
// text fitting and the review compositor, plus night-time readability.
#include <algorithm>
#include <cmath>
#include <string>

#include "check.h"
#include "compositor.h"
#include "fixtures.h"
#include "paint.h"
#include "sheet_layout.h"

using namespace artgen;

void raster_checks()
{
    rgb_image img(3, 2);
    img.set(0, 0, {1, 2, 3});
    img.set(2, 1, {4, 5, 6});
    img.set(7, 7, {9, 9, 9}); // off the picture: ignored, no crash
    const rgb_image m = mirror_x(img);
    EXPECT(m.at(2, 0) == (rgb{1, 2, 3}) && m.at(0, 1) == (rgb{4, 5, 6}), "mirror swaps left and right");
    EXPECT(mirror_x(m) == img, "mirroring twice gives the original");
    const rgb_image c = crop(img, 1, 1, 3, 3);
    EXPECT(c.w == 3 && c.h == 3 && c.at(1, 0) == (rgb{4, 5, 6}) && is_key(c.at(2, 2)), "crop pads with key black");
    rgb_image dst(4, 4, {7, 7, 7});
    blit(dst, img, 2, 3);
    EXPECT(dst.at(2, 3) == (rgb{1, 2, 3}) && dst.at(0, 0) == (rgb{7, 7, 7}), "blit places and clips");

    bool in_range = true, varied = false, smooth = true;
    for (int i = 0; i < 500; ++i) {
        const double h = hash01(i, i * 7, 3);
        in_range &= h >= 0 && h < 1;
        varied |= std::abs(h - hash01(0, 0, 3)) > 0.3;
        const double a = value_noise(i * 0.37, 11.5, 8, 4), b = value_noise(i * 0.37 + 0.05, 11.5, 8, 4);
        in_range &= a >= 0 && a < 1;
        smooth &= std::abs(a - b) < 0.05;
    }
    EXPECT(in_range, "noise stays in [0, 1)");
    EXPECT(varied, "hash noise varies");
    EXPECT(smooth, "value noise has no jumps");
    EXPECT(hash01(5, 6, 7) == hash01(5, 6, 7) && hash01(5, 6, 7) != hash01(5, 6, 8), "hash depends on its seed only");
    EXPECT(mix(rgb{0, 100, 200}, rgb{200, 100, 0}, 0.5) == (rgb{100, 100, 100}), "mix halfway");
    EXPECT(clamp_u8(-5) == 0 && clamp_u8(300) == 255 && clamp_u8(127.6) == 128, "clamp rounds and limits");
}

void outline_checks()
{
    rgb_image sq(6, 6);
    for (int y = 1; y < 5; ++y)
        for (int x = 1; x < 5; ++x) sq.set(x, y, {200, 200, 200});
    rgb_image in = sq;
    outline_inner(in, 0.4);
    EXPECT(in.at(2, 2) == (rgb{200, 200, 200}), "inner outline leaves the middle alone");
    EXPECT(in.at(4, 4).r < 120 && in.at(1, 1).r < 200, "inner outline darkens the rim");
    EXPECT(in.at(1, 2).r > in.at(4, 2).r, "the lit edge stays lighter than the shaded one");
    EXPECT(opaque_count(in) == 16, "inner outline keeps the silhouette");
    rgb_image out = sq;
    outline_outer(out, {10, 20, 30});
    EXPECT(opaque_count(out) == 16 + 16, "outer outline adds one ring");
    EXPECT(out.at(0, 2) == (rgb{10, 20, 30}) && is_key(out.at(0, 0)), "outer ring is 4-connected");
}

void text_fit_checks()
{
    const lettering& font = fixtures::font();
    struct case_ {
        const char* text;
        text_box box;
    };
    const case_ cases[] = {{"SCORE:", {4, 3.5, 61.5, 15.5}},
                           {"GAME OVER", {10, 1.5, 239, 15}},
                           {"24 HR SURVIVAL! BONUS: 250 PTS.", {1.5, 1.5, 300.5, 12.8}},
                           {"7", {2.2, 1.3, 13.3, 13.7}},
                           {"MMMMMMMMMMMMMMMMMMMM", {0, 0, 50, 10}}};
    for (const case_& c : cases) {
        canvas cv(400, 40);
        font.fit_path(cv.cr(), c.text, c.box);
        double x0, y0, x1, y1;
        cairo_path_extents(cv.cr(), &x0, &y0, &x1, &y1);
        const bool fits = std::abs(x0 - c.box.x0) < 0.6 && std::abs(x1 - c.box.x1) < 0.6 &&
                          std::abs(y0 - c.box.y0) < 0.6 && std::abs(y1 - c.box.y1) < 0.6;
        EXPECT(fits, std::string("'") + c.text + "' fills its box, got " + std::to_string(x0) + ".." +
                         std::to_string(x1) + " x " + std::to_string(y0) + ".." + std::to_string(y1));
    }
}

void compositor_checks()
{
    // A 3x1 bar, centred: its middle texel lands on the drawing point.
    rgb_image bar(3, 1);
    bar.set(0, 0, {255, 0, 0});
    bar.set(1, 0, {0, 255, 0});
    bar.set(2, 0, {0, 0, 255});
    rgb_image screen(9, 9);
    draw_sprite(screen, bar, 4.5, 4.5, {});
    EXPECT(screen.at(3, 4) == (rgb{255, 0, 0}) && screen.at(5, 4) == (rgb{0, 0, 255}), "centred handle");
    // Rotated a quarter turn clockwise the bar stands up, red at the top.
    rgb_image turned(9, 9);
    draw_sprite(turned, bar, 4.5, 4.5, {{255, 255, 255}, 1, 1, 1, 90});
    EXPECT(turned.at(4, 3) == (rgb{255, 0, 0}) && turned.at(4, 5) == (rgb{0, 0, 255}) && is_key(turned.at(3, 4)),
           "clockwise rotation");
    rgb_image big(9, 9);
    draw_sprite(big, bar, 4.5, 4.5, {{255, 255, 255}, 1, 3, 1});
    EXPECT(big.at(0, 4) == (rgb{255, 0, 0}) && big.at(8, 4) == (rgb{0, 0, 255}) && big.at(4, 4) == (rgb{0, 255, 0}),
           "horizontal scale");
    rgb_image half(3, 1, {0, 0, 100});
    draw_sprite(half, bar, 0, 0, {{255, 255, 255}, 0.5, 1, 1, 0, false});
    EXPECT(half.at(0, 0) == (rgb{128, 0, 50}), "alpha blends halfway");
}

void painter_size_checks()
{
    // Painters must fill exactly their slot: the sheet crops anything else,
    // which would silently cut art off or leave it misaligned.
    for (const sprite_slot& s : sheet_slots)
        for (int k = 0; k < s.frames; ++k) {
            const rgb_image art = sprite_frame(s.id, k, fixtures::font());
            EXPECT(art.w == s.w && art.h == s.h, std::string(s.name) + " painter makes its slot's size");
        }
}

void night_checks()
{
    // At night only the blue channel survives the tint: each sprite still
    // needs light and dark in blue, or it turns into a flat blob.
    for (const sprite_slot& s : sheet_slots) {
        if (s.id == sprite::hud || s.id == sprite::digit || s.id == sprite::title || s.id == sprite::bonus ||
            s.id == sprite::gameover || s.id == sprite::explosion || s.id == sprite::pointer)
            continue; // drawn untinted
        for (int k = 0; k < s.frames; ++k) {
            const rgb_image f = fixtures::frame(s.id, k);
            int lo = 255, hi = 0;
            for (int y = 0; y < f.h; ++y)
                for (int x = 0; x < f.w; ++x) {
                    const rgb c = f.at(x, y);
                    if (is_key(c)) continue;
                    lo = std::min<int>(lo, c.b);
                    hi = std::max<int>(hi, c.b);
                }
            EXPECT(hi - lo >= 40 || (s.id == sprite::man && k == 12),
                   std::string(s.name) + " frame " + std::to_string(k) + " keeps contrast at night");
        }
    }
}
