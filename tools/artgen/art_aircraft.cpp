// Enemy aircraft and rockets, drawn facing right; left-facing frames are
// mirrored so every pair matches pixel for pixel apart from the propeller.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "paint.h"

namespace artgen {
namespace {

constexpr rgb glass{96, 160, 224};
constexpr rgb glass_lit{214, 238, 255};
constexpr rgb glass_dark{34, 60, 112};

// Side-on propeller: frame 0 shows the blades end-on as a long bar, frame 1
// caught edge-on as a short stub inside a stippled blur disc.
void propeller(rgb_image& img, int x, int cy, int reach, int frame)
{
    const rgb blade{70, 70, 76}, blade_lit{168, 168, 176}, tip{238, 208, 60};
    if (frame % 2 == 0) {
        for (int y = cy - reach; y <= cy + reach; ++y) {
            const bool at_tip = std::abs(y - cy) >= reach - 1;
            img.set(x, y, at_tip ? tip : blade_lit);
            img.set(x + 1, y, at_tip ? scale(tip, 0.7) : blade);
        }
    } else {
        // Blur disc: a light stipple where the blades sweep.
        for (int y = cy - reach + 1; y <= cy + reach - 1; ++y) {
            if (y % 2 == 0)
                img.set(x, y, {190, 194, 204});
            else if (y % 4 == 1)
                img.set(x + 1, y, {132, 136, 148});
        }
        for (int y = cy - 3; y <= cy + 3; ++y) {
            img.set(x, y, blade_lit);
            img.set(x + 1, y, blade);
        }
        img.set(x, cy - reach + 1, tip);
        img.set(x + 1, cy + reach - 1, tip);
    }
}

// Lays a separately painted part over the body, with its own edge line so
// overlapping parts (wing over fuselage) stay readable.
void overlay(rgb_image& img, const canvas& part, double edge)
{
    rgb_image px = part.finish();
    if (edge > 0) outline_inner(px, edge);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            if (!is_key(px.at(x, y))) img.set(x, y, px.at(x, y));
}

// A roundel: dark blue ring, white, red centre.
void roundel(cairo_t* cr, double cx, double cy, double r)
{
    ellipse_path(cr, cx, cy, r, r);
    set_color(cr, {30, 52, 140});
    cairo_fill(cr);
    ellipse_path(cr, cx, cy, r * 0.68, r * 0.68);
    set_color(cr, {236, 236, 228});
    cairo_fill(cr);
    ellipse_path(cr, cx, cy, r * 0.36, r * 0.36);
    set_color(cr, {206, 32, 30});
    cairo_fill(cr);
}

// Paints camouflage blotches of `c` over the opaque part of the current
// surface where noise exceeds `cut`, keeping the shading underneath.
void camo(rgb_image& img, rgb c, double cut, double cell, int seed, int y_max)
{
    for (int y = 0; y < std::min(img.h, y_max); ++y)
        for (int x = 0; x < img.w; ++x) {
            const rgb p = img.at(x, y);
            if (is_key(p)) continue;
            if (value_noise(x, y * 1.6, cell, seed) < cut) continue;
            const double lum = (p.r + p.g + p.b) / 3.0 / 160.0;
            img.set(x, y, off_key(scale(c, std::clamp(lum, 0.55, 1.25))));
        }
}

rgb_image large_carrier(int frame)
{
    canvas cv(84, 28);
    cairo_t* cr = cv.cr();
    // Tailplane behind the body.
    ellipse_path(cr, 10, 14.5, 9.5, 1.8);
    source_linear(cr, 0, 12, 0, 17, {{0, {214, 190, 140}}, {1, {110, 84, 56}}});
    cairo_fill(cr);
    // Fin.
    cairo_move_to(cr, 3, 13);
    cairo_line_to(cr, 6.5, 1.5);
    cairo_curve_to(cr, 8, 0.5, 12, 0.5, 13.5, 1.5);
    cairo_line_to(cr, 21, 10);
    cairo_line_to(cr, 24, 11);
    cairo_close_path(cr);
    source_linear(cr, 0, 0, 18, 14, {{0, {232, 210, 160}}, {0.5, {196, 166, 116}}, {1, {130, 98, 64}}});
    cairo_fill(cr);
    // Fuselage.
    cairo_move_to(cr, 5, 12);
    cairo_curve_to(cr, 14, 9, 24, 6.5, 34, 6.5);
    cairo_line_to(cr, 64, 6.5);
    cairo_curve_to(cr, 74, 6.5, 81, 10, 83.5, 14.5);
    cairo_curve_to(cr, 81, 19.5, 74, 21.5, 64, 21.5);
    cairo_line_to(cr, 32, 21.5);
    cairo_curve_to(cr, 22, 21.5, 12, 18, 5, 15);
    cairo_close_path(cr);
    source_linear(cr, 0, 6, 0, 22,
                  {{0, {238, 218, 170}},
                   {0.2, {206, 178, 126}},
                   {0.5, {176, 146, 98}},
                   {0.64, {140, 110, 74}},
                   {0.72, {184, 188, 196}},
                   {1, {122, 128, 146}}});
    cairo_fill(cr);
    rgb_image img = cv.finish();
    camo(img, {132, 94, 58}, 0.58, 7, 11, 14);

    canvas top(84, 28);
    cairo_t* tc = top.cr();
    roundel(tc, 10.5, 6.5, 3.6);
    // Glazed nose: a bulb of glass with frame bars.
    cairo_move_to(tc, 71, 7.6);
    cairo_curve_to(tc, 77, 8.5, 81.5, 11, 83.4, 14.5);
    cairo_curve_to(tc, 81.5, 18, 77, 20.2, 71, 20.6);
    cairo_curve_to(tc, 69, 17, 69, 11, 71, 7.6);
    cairo_close_path(tc);
    source_radial(tc, 76, 10.5, 0.5, 75, 13, 9, {{0, glass_lit}, {0.35, glass}, {1, glass_dark}});
    cairo_fill(tc);
    set_color(tc, {70, 62, 58});
    cairo_set_line_width(tc, 0.9);
    cairo_move_to(tc, 74.5, 8.2);
    cairo_curve_to(tc, 73, 12, 73, 16, 74.5, 20.2);
    cairo_move_to(tc, 78.5, 9.8);
    cairo_curve_to(tc, 77.5, 12.5, 77.5, 16, 78.5, 18.8);
    cairo_move_to(tc, 70.5, 14.2);
    cairo_line_to(tc, 83, 14.2);
    cairo_stroke(tc);
    // Flight deck glazing above the nose.
    poly_path(tc, {61, 6.8, 67, 6.8, 70.2, 9.8, 61, 9.8});
    source_linear(tc, 61, 6, 70, 10, {{0, glass_lit}, {0.5, glass}, {1, glass_dark}});
    cairo_fill(tc);
    // Cabin windows.
    for (int i = 0; i < 5; ++i) {
        cairo_rectangle(tc, 31 + i * 5.5, 10, 2.6, 2.4);
        set_color(tc, glass);
        cairo_fill(tc);
    }
    // Open jump door.
    cairo_rectangle(tc, 22.5, 10, 4.5, 8.5);
    set_color(tc, {122, 100, 74});
    cairo_fill(tc);
    cairo_rectangle(tc, 23.3, 10.8, 3, 7);
    set_color(tc, near_black);
    cairo_fill(tc);
    overlay(img, top, 0);
    canvas wing(84, 28);
    tc = wing.cr();
    // Wing seen from a little below, then the engine nacelle on it.
    cairo_move_to(tc, 28, 19);
    cairo_curve_to(tc, 38, 17, 56, 16.5, 64, 17.5);
    cairo_curve_to(tc, 66, 19.5, 64, 22.5, 58, 23.2);
    cairo_line_to(tc, 34, 24);
    cairo_curve_to(tc, 29, 23.5, 27, 20.5, 28, 19);
    cairo_close_path(tc);
    source_linear(tc, 0, 16.5, 0, 24,
                  {{0, {226, 200, 150}}, {0.22, {150, 112, 72}}, {0.7, {104, 76, 50}}, {1, {70, 54, 40}}});
    cairo_fill(tc);
    rounded_rect_path(tc, 52, 14, 14, 7, 3);
    source_linear(tc, 0, 14, 0, 21, {{0, {170, 168, 160}}, {0.35, {110, 108, 104}}, {1, {52, 52, 58}}});
    cairo_fill(tc);
    rounded_rect_path(tc, 63, 13.5, 3.5, 8, 1.5);
    source_linear(tc, 0, 13, 0, 22, {{0, {200, 200, 196}}, {1, {70, 70, 78}}});
    cairo_fill(tc);
    overlay(img, wing, 0.5);
    // Panel seams and a window glint.
    for (const int sx : {20, 45, 58})
        for (int y = 8; y < 21; ++y)
            if (!is_key(img.at(sx, y)) && y != 10 && y != 11) img.set(sx, y, scale(img.at(sx, y), 0.8));
    for (int i = 0; i < 5; ++i) img.set(31 + i * 6 - i / 2, 10, glass_lit);
    outline_inner(img, 0.3);
    propeller(img, 67, 17, 10, frame);
    return img;
}

rgb_image small_carrier(int frame)
{
    canvas cv(53, 24);
    cairo_t* cr = cv.cr();
    // Fin and tailplane.
    cairo_move_to(cr, 2, 12);
    cairo_line_to(cr, 4.5, 2);
    cairo_curve_to(cr, 6, 1, 9, 1, 10, 2);
    cairo_line_to(cr, 15, 9);
    cairo_close_path(cr);
    source_linear(cr, 0, 0, 12, 12, {{0, {160, 176, 96}}, {1, {80, 100, 50}}});
    cairo_fill(cr);
    // Fuselage: deep cabin, tapering tail boom, blunt engine cowling.
    cairo_move_to(cr, 3, 11.5);
    cairo_curve_to(cr, 12, 9, 20, 7, 28, 7);
    cairo_line_to(cr, 44, 7.5);
    cairo_line_to(cr, 49, 9);
    cairo_line_to(cr, 49, 15.5);
    cairo_line_to(cr, 44, 17);
    cairo_line_to(cr, 28, 17.5);
    cairo_curve_to(cr, 18, 17, 10, 15, 3, 13.5);
    cairo_close_path(cr);
    source_linear(cr, 0, 7, 0, 18,
                  {{0, {176, 190, 110}},
                   {0.3, {126, 142, 72}},
                   {0.7, {90, 108, 56}},
                   {0.8, {150, 168, 184}},
                   {1, {120, 138, 158}}});
    cairo_fill(cr);
    ellipse_path(cr, 8, 12.5, 7, 1.5);
    source_linear(cr, 0, 11, 0, 14, {{0, {150, 168, 92}}, {1, {70, 90, 44}}});
    cairo_fill(cr);
    rgb_image img = cv.finish();
    camo(img, {58, 80, 42}, 0.55, 5, 21, 16);
    camo(img, {124, 112, 66}, 0.72, 4, 23, 16);

    canvas top(53, 24);
    cairo_t* tc = top.cr();
    roundel(tc, 7.5, 6.5, 2.8);
    // Radial engine cowling.
    rounded_rect_path(tc, 44, 7.5, 5.5, 9.5, 1.5);
    source_linear(tc, 0, 7, 0, 17, {{0, {150, 150, 146}}, {0.4, {86, 86, 90}}, {1, {40, 42, 48}}});
    cairo_fill(tc);
    // Cockpit and cabin glazing.
    poly_path(tc, {35, 8, 40.5, 8, 43.5, 11.5, 35, 11.5});
    source_linear(tc, 35, 7, 43, 12, {{0, glass_lit}, {0.5, glass}, {1, glass_dark}});
    cairo_fill(tc);
    for (int i = 0; i < 3; ++i) {
        cairo_rectangle(tc, 20 + i * 4.5, 9, 2.5, 2.2);
        set_color(tc, glass);
        cairo_fill(tc);
    }
    cairo_rectangle(tc, 15.5, 9, 3.5, 6.5);
    set_color(tc, near_black);
    cairo_fill(tc);
    // Upper wing on struts, and the fixed undercarriage.
    cairo_set_line_width(tc, 1);
    set_color(tc, {60, 66, 44});
    cairo_move_to(tc, 27.5, 4);
    cairo_line_to(tc, 31.5, 17);
    cairo_move_to(tc, 36.5, 4);
    cairo_line_to(tc, 33.5, 17);
    cairo_move_to(tc, 38, 17);
    cairo_line_to(tc, 40, 20);
    cairo_stroke(tc);
    rounded_rect_path(tc, 17, 1.5, 27, 3.5, 1.7);
    source_linear(tc, 0, 1, 0, 5, {{0, {196, 210, 130}}, {0.5, {112, 130, 66}}, {1, {66, 84, 44}}});
    cairo_fill(tc);
    ellipse_path(tc, 40.5, 20.5, 2.5, 2.5);
    source_radial(tc, 39.5, 19.5, 0.3, 40.5, 20.5, 2.6, {{0, {150, 150, 150}}, {0.4, {60, 60, 64}}, {1, {24, 24, 28}}});
    cairo_fill(tc);
    overlay(img, top, 0);
    for (int i = 0; i < 3; ++i) img.set(20 + i * 4 + i / 2, 9, glass_lit);
    outline_inner(img, 0.3);
    propeller(img, 50, 12, 10, frame);
    return img;
}

rgb_image fighter(int frame)
{
    canvas cv(57, 21);
    cairo_t* cr = cv.cr();
    constexpr rgb red_lit{255, 140, 136}, red{204, 40, 50}, red_dark{112, 18, 40};
    ellipse_path(cr, 8, 11.5, 7.5, 1.6);
    source_linear(cr, 0, 10, 0, 13, {{0, red_lit}, {1, red_dark}});
    cairo_fill(cr);
    cairo_move_to(cr, 1.5, 10.5);
    cairo_line_to(cr, 3.5, 2);
    cairo_curve_to(cr, 5, 1, 8, 1, 9, 2);
    cairo_line_to(cr, 15, 8);
    cairo_close_path(cr);
    source_linear(cr, 0, 0, 10, 11, {{0, red_lit}, {0.5, red}, {1, red_dark}});
    cairo_fill(cr);
    // Long nose, slim body, belly scoop.
    cairo_move_to(cr, 2.5, 9.5);
    cairo_curve_to(cr, 12, 8, 20, 6.5, 26, 6.5);
    cairo_line_to(cr, 46, 7);
    cairo_curve_to(cr, 50, 7.5, 52, 8.5, 52.5, 10.5);
    cairo_curve_to(cr, 52, 12.5, 50, 13.5, 46, 14);
    cairo_line_to(cr, 36, 14.5);
    cairo_curve_to(cr, 34, 16.5, 28, 16.5, 25, 15);
    cairo_curve_to(cr, 18, 14.5, 10, 13, 2.5, 11.5);
    cairo_close_path(cr);
    source_linear(cr, 0, 6, 0, 16.5,
                  {{0, red_lit}, {0.3, red}, {0.65, {150, 26, 28}}, {0.72, {196, 200, 214}}, {1, {130, 136, 156}}});
    cairo_fill(cr);
    rgb_image img = cv.finish();

    canvas top(57, 21);
    cairo_t* tc = top.cr();
    // Bubble canopy.
    cairo_move_to(tc, 22, 7);
    cairo_curve_to(tc, 23, 2.5, 31, 2, 34, 6.8);
    cairo_close_path(tc);
    source_radial(tc, 26, 4, 0.3, 27, 6, 6, {{0, glass_lit}, {0.35, glass}, {1, glass_dark}});
    cairo_fill(tc);
    set_color(tc, {80, 30, 34});
    cairo_set_line_width(tc, 0.8);
    cairo_move_to(tc, 28.5, 3.2);
    cairo_line_to(tc, 29.5, 7);
    cairo_stroke(tc);
    // Wing, a cream flash along the body, yellow spinner.
    poly_path(tc, {12, 9.6, 44, 8.6, 47, 9.4, 44, 10, 13, 10.6});
    set_color(tc, {244, 236, 214});
    cairo_fill(tc);
    cairo_move_to(tc, 51, 8);
    cairo_curve_to(tc, 53.5, 8.5, 55.5, 9.5, 56, 10.5);
    cairo_curve_to(tc, 55.5, 11.5, 53.5, 12.5, 51, 13);
    cairo_close_path(tc);
    source_linear(tc, 0, 8, 0, 13, {{0, {255, 244, 150}}, {0.5, {236, 196, 40}}, {1, {150, 104, 20}}});
    cairo_fill(tc);
    overlay(img, top, 0);
    canvas wing(57, 21);
    tc = wing.cr();
    cairo_move_to(tc, 17, 13);
    cairo_curve_to(tc, 26, 11, 36, 11, 41.5, 12);
    cairo_curve_to(tc, 43, 13.8, 40.5, 16, 36, 16.4);
    cairo_line_to(tc, 22, 16.6);
    cairo_curve_to(tc, 18, 16, 16.5, 14.5, 17, 13);
    cairo_close_path(tc);
    source_linear(tc, 0, 11, 0, 16.6,
                  {{0, {255, 170, 150}}, {0.25, {190, 36, 36}}, {0.7, {128, 20, 30}}, {1, {90, 14, 24}}});
    cairo_fill(tc);
    overlay(img, wing, 0.45);
    // Exhaust stubs and panel lines.
    for (int x = 40; x < 47; x += 2) img.set(x, 7, {50, 40, 44});
    for (const int sx : {16, 37})
        for (int y = 6; y < 15; ++y)
            if (!is_key(img.at(sx, y)) && y != 9 && y != 10) img.set(sx, y, scale(img.at(sx, y), 0.78));
    outline_inner(img, 0.3);
    propeller(img, 55, 10, 9, frame);
    return img;
}

rgb_image rocket_right(int flame)
{
    canvas cv(44, 10);
    cairo_t* cr = cv.cr();
    constexpr rgb red{208, 44, 36}, red_lit{252, 140, 120}, red_dark{110, 18, 24};
    // Exhaust first so the nozzle sits over its root.
    if (flame < 2) {
        const double len = flame == 0 ? 13.5 : 7.5;
        cairo_move_to(cr, 13, 2.2);
        cairo_curve_to(cr, 10, 2.2, 13 - len * 0.6, 3, 13 - len, 5);
        cairo_curve_to(cr, 13 - len * 0.6, 7, 10, 7.8, 13, 7.8);
        cairo_close_path(cr);
        source_linear(cr, 13, 0, 13 - len, 0,
                      {{0, {255, 255, 230}}, {0.3, {255, 226, 80}}, {0.7, {255, 130, 30}}, {1, {220, 50, 20}}});
        cairo_fill(cr);
    }
    // Fins.
    poly_path(cr, {14, 0.2, 17, 0.2, 22, 3.2, 15, 3.2});
    poly_path(cr, {14, 9.8, 17, 9.8, 22, 6.8, 15, 6.8});
    source_linear(cr, 0, 0, 0, 10, {{0, red_lit}, {0.5, red}, {1, red_dark}});
    cairo_fill(cr);
    // Nozzle, body, warhead.
    poly_path(cr, {12, 2.6, 15, 3, 15, 7, 12, 7.4});
    source_linear(cr, 0, 2, 0, 8, {{0, {150, 150, 156}}, {1, {40, 40, 48}}});
    cairo_fill(cr);
    cairo_rectangle(cr, 15, 2.5, 22, 5);
    source_linear(cr, 0, 2.5, 0, 7.5, {{0, {236, 238, 242}}, {0.3, {176, 180, 190}}, {1, {82, 86, 100}}});
    cairo_fill(cr);
    cairo_move_to(cr, 37, 2.5);
    cairo_curve_to(cr, 40, 2.6, 42.5, 3.6, 43.8, 5);
    cairo_curve_to(cr, 42.5, 6.4, 40, 7.4, 37, 7.5);
    cairo_close_path(cr);
    source_linear(cr, 0, 2.5, 0, 7.5, {{0, red_lit}, {0.4, red}, {1, red_dark}});
    cairo_fill(cr);
    rgb_image img = cv.finish(0.45);
    // Painted band and the grinning face on the warhead.
    for (int y = 3; y <= 7; ++y) img.set(20, y, scale(red, y < 5 ? 1.1 : 0.7));
    img.set(33, 3, {250, 250, 250});
    img.set(34, 3, {250, 250, 250});
    img.set(34, 4, {20, 20, 26});
    for (int x = 34; x <= 40; ++x) img.set(x, 6, x % 2 ? rgb{250, 250, 240} : rgb{60, 10, 16});
    img.set(41, 5, {60, 10, 16});
    outline_inner(img, 0.35);
    return img;
}

} // namespace

rgb_image lgtrooper_image(int frame)
{
    const rgb_image right = large_carrier(frame % 2);
    return frame < 2 ? right : mirror_x(right);
}

rgb_image smtrooper_image(int frame)
{
    const rgb_image right = small_carrier(frame % 2);
    return frame < 2 ? right : mirror_x(right);
}

rgb_image mustang_image(int frame)
{
    const rgb_image right = fighter(frame % 2);
    return frame < 2 ? right : mirror_x(right);
}

rgb_image rocket_image(int frame)
{
    const rgb_image right = rocket_right(frame % 3);
    return frame < 3 ? right : mirror_x(right);
}

} // namespace artgen
