// The player's blockhouse (whole and burnt out) and its cannon.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "paint.h"

namespace artgen {
namespace {

constexpr rgb stone{144, 140, 134};
constexpr rgb stone_lit{212, 206, 194};
constexpr rgb stone_dark{86, 84, 90};
constexpr rgb mortar{56, 54, 62};
constexpr rgb wood{124, 82, 46};
constexpr rgb wood_lit{172, 124, 74};
constexpr rgb wood_dark{70, 44, 28};
constexpr rgb iron{62, 64, 72};
constexpr rgb soot{34, 30, 30};

struct block_rows {
    int x0, y0, x1, y1; // inclusive
    int course;         // course height
    int min_w, max_w;   // block widths
    double tone;
    int seed;
};

// Cut-stone courses: each block lit on its top-left, shaded bottom-right,
// with its own tone so the wall does not look like wallpaper.
void stone_wall(rgb_image& img, const block_rows& b)
{
    for (int y = b.y0; y <= b.y1; ++y) {
        const int course = (y - b.y0) / b.course, ly = (y - b.y0) % b.course;
        int start = b.x0 - static_cast<int>(hash01(course, 7, b.seed) * b.max_w);
        int index = 0;
        while (start <= b.x1) {
            const int bw = b.min_w + static_cast<int>(hash01(course, index, b.seed) * (b.max_w - b.min_w + 1));
            const double block_tone = b.tone * (0.86 + 0.26 * hash01(course * 31 + index, 3, b.seed));
            for (int x = std::max(start, b.x0); x < start + bw && x <= b.x1; ++x) {
                const int lx = x - start;
                const rgb base = scale(stone, block_tone);
                rgb c = base;
                if (ly == b.course - 1 || lx == bw - 1)
                    c = mortar;
                else if (ly == 0 || lx == 0)
                    c = mix(base, stone_lit, 0.55);
                else if (ly == b.course - 2 || lx == bw - 2)
                    c = mix(base, stone_dark, 0.45);
                const double grain = (hash01(x, y, b.seed + 11) - 0.5) * 12 + (value_noise(x, y, 5, b.seed) - 0.5) * 14;
                img.set(x, y, {clamp_u8(c.r + grain), clamp_u8(c.g + grain), clamp_u8(c.b + grain)});
            }
            start += bw;
            ++index;
        }
    }
}

void fill_rect(rgb_image& img, int x0, int y0, int x1, int y1, rgb c)
{
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) img.set(x, y, c);
}

// A bevelled frame: lit top-left, shaded bottom-right.
void bevel_frame(rgb_image& img, int x0, int y0, int x1, int y1, int t, rgb mid, rgb lit, rgb dark)
{
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const int dl = x - x0, dr = x1 - x, dt = y - y0, db = y1 - y;
            const int d = std::min(std::min(dl, dr), std::min(dt, db));
            if (d >= t) continue;
            rgb c = mid;
            if (d == 0) c = (dl == 0 || dt == 0) && dr != 0 && db != 0 ? lit : dark;
            if (d == t - 1 && t > 1) c = (dl == d || dt == d) ? dark : mix(mid, lit, 0.4);
            const double grain = (hash01(x, y, 77) - 0.5) * 14;
            img.set(x, y, {clamp_u8(c.r + grain), clamp_u8(c.g + grain * 0.7), clamp_u8(c.b + grain * 0.5)});
        }
}

// Light falls from the upper left over the whole building.
void light_falloff(rgb_image& img, double strength)
{
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const rgb c = img.at(x, y);
            if (is_key(c)) continue;
            const double t = 0.6 * x / img.w + 0.4 * y / img.h;
            img.set(x, y, off_key(scale(c, 1.0 + strength * (0.45 - t))));
        }
}

struct fort_look {
    bool burnt;
};

void window(rgb_image& img, const pixel_rect& p, bool burnt)
{
    const int x0 = p.x, y0 = p.y, x1 = p.x + p.w - 1, y1 = p.y + p.h - 1;
    // Lintel and sill in lighter dressed stone.
    stone_wall(img, {x0 - 4, y0 - 5, x1 + 4, y0 - 3, 3, 30, 30, 1.18, 91 + x0});
    stone_wall(img, {x0 - 4, y1 + 3, x1 + 4, y1 + 4, 2, 30, 30, 1.2, 93 + x0});
    fill_rect(img, x0 - 3, y1 + 5, x1 + 3, y1 + 5, mix(stone_dark, mortar, 0.5));
    const rgb w = burnt ? rgb{58, 42, 32} : wood;
    const rgb wl = burnt ? rgb{84, 64, 50} : wood_lit;
    const rgb wd = burnt ? rgb{36, 28, 24} : wood_dark;
    bevel_frame(img, x0 - 2, y0 - 2, x1 + 2, y1 + 2, 2, w, wl, wd);
    if (!burnt) {
        fill_rect(img, x0, y0, x1, y1, key_black);
        return;
    }
    // Gutted: a dark hole with a broken shutter board.
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) img.set(x, y, mix(rgb{20, 18, 20}, rgb{40, 30, 28}, (y - y0) / double(p.h)));
    for (int i = 0; i < p.w - 3; ++i) {
        img.set(x0 + 1 + i, y1 - 1 - i / 3, wd);
        img.set(x0 + 1 + i, y1 - i / 3, w);
    }
}

void door(rgb_image& img, bool burnt)
{
    constexpr int x0 = 38, x1 = 55, top = 39, bottom = 61;
    constexpr double cx = 46.5, cy = 47.5, r = 9.0;
    // Voussoirs: a ring of lighter stones around the arch, jambs below it.
    for (int y = top - 3; y <= bottom; ++y)
        for (int x = x0 - 3; x <= x1 + 3; ++x) {
            const double dx = x - cx, dy = y - cy, d = std::sqrt(dx * dx + dy * dy);
            const bool in_arch = y <= cy ? d <= r + 3 : (x <= x0 - 1 || x >= x1 + 1);
            if (!in_arch) continue;
            if (y <= cy && d < r - 0.5) continue;
            const double ang = std::atan2(dy, dx);
            const int stone_no = y <= cy ? static_cast<int>((ang + M_PI) / (M_PI / 7)) : (y - 48) / 5 + 40;
            rgb c = scale(stone_lit, 0.86 + 0.1 * hash01(stone_no, 1, 5));
            const bool joint = y <= cy ? std::fmod((ang + M_PI) / (M_PI / 7), 1.0) < 0.12 : (y - 48) % 5 == 4;
            if (joint) c = mortar;
            if (x == x0 - 3 || (y <= cy && d > r + 2.3)) c = mix(c, stone_dark, 0.5);
            img.set(x, y, c);
        }
    // Planks.
    for (int y = top; y <= bottom; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double dx = x - cx, dy = y - cy;
            if (y < cy && dx * dx + dy * dy > (r - 0.5) * (r - 0.5)) continue;
            const int plank = (x - x0) / 4 + ((x - x0) >= 9 ? 0 : 0);
            rgb c = scale(burnt ? rgb{66, 46, 34} : wood, 0.92 + 0.14 * hash01(plank, 2, 9));
            if ((x - x0) % 4 == 3)
                c = burnt ? soot : wood_dark;
            else if ((x - x0) % 4 == 0)
                c = mix(c, burnt ? rgb{90, 66, 50} : wood_lit, 0.5);
            const double grain = (value_noise(x * 3.0, y * 0.5, 2, 21) - 0.5) * 22;
            c = {clamp_u8(c.r + grain), clamp_u8(c.g + grain * 0.7), clamp_u8(c.b + grain * 0.4)};
            if (!burnt && (y == 45 || y == 56)) c = mix(iron, stone_lit, (x - x0) / 40.0);
            if (!burnt && (y == 46 || y == 57)) c = scale(iron, 0.7);
            img.set(x, y, c);
        }
    if (!burnt) {
        for (int sx : {40, 45, 49, 53}) {
            img.set(sx, 45, {150, 150, 160});
            img.set(sx, 56, {150, 150, 160});
        }
        img.set(52, 51, {200, 180, 90}); // latch ring
        img.set(52, 52, {120, 100, 50});
        return;
    }
    // Smashed: a black gap where most of the planks were, one hanging askew.
    for (int y = top; y <= bottom; ++y)
        for (int x = 42 + (y > 52 ? 3 : 0); x <= x1; ++x) {
            const double dx = x - cx, dy = y - cy;
            if (y < cy && dx * dx + dy * dy > (r - 0.5) * (r - 0.5)) continue;
            img.set(x, y, {22, 18, 20});
        }
    for (int i = 0; i < 15; ++i) {
        img.set(47 + i / 2, 45 + i, {96, 66, 44});
        img.set(48 + i / 2, 45 + i, {70, 48, 34});
        img.set(49 + i / 2, 45 + i, {46, 32, 26});
    }
    // Embers still glowing in the doorway.
    img.set(44, 60, {255, 150, 40});
    img.set(50, 61, {230, 90, 30});
    img.set(53, 60, {255, 190, 70});
}

rgb_image blockhouse(const fort_look& look)
{
    rgb_image img(94, 70);
    // Walls, then the quoins that hold the corners, then the base course.
    stone_wall(img, {1, 14, 92, 61, 6, 9, 15, 1.0, 1});
    stone_wall(img, {1, 14, 7, 61, 6, 7, 7, 1.12, 2});
    stone_wall(img, {86, 14, 92, 61, 6, 7, 7, 1.05, 3});
    stone_wall(img, {0, 62, 93, 69, 8, 13, 20, 0.8, 4});
    // Parapet with a shadow it casts onto the wall below.
    stone_wall(img, {0, 8, 93, 13, 6, 12, 18, 1.2, 5});
    fill_rect(img, 1, 14, 92, 14, scale(stone_dark, 0.8));
    for (int x = 1; x <= 92; ++x) img.set(x, 15, mix(img.at(x, 15), stone_dark, 0.5));
    for (int x = 0; x <= 93; ++x) img.set(x, 8, mix(stone_lit, rgb{230, 226, 216}, 0.5));
    // Merlons either side of the gun platform.
    for (const int mx : {0, 20, 62, 82}) {
        stone_wall(img, {mx, 1, mx + 11, 7, 7, 12, 12, 1.16, 6 + mx});
        for (int x = mx; x <= mx + 11; ++x) img.set(x, 1, mix(stone_lit, rgb{230, 226, 216}, 0.6));
    }
    // Arrow slits and a carved plaque.
    for (const int sx : {11, 81})
        for (int y = 21; y <= 28; ++y) {
            img.set(sx, y, near_black);
            img.set(sx + 1, y, {30, 32, 38});
            img.set(sx + 2, y, mix(stone_lit, stone, 0.3));
        }
    bevel_frame(img, 40, 20, 53, 30, 2, stone, stone_lit, stone_dark);
    fill_rect(img, 42, 22, 51, 28, scale(stone, 1.08));
    const int star[][2] = {{46, 23}, {47, 23}, {45, 24}, {46, 24}, {47, 24}, {48, 24}, {44, 25}, {45, 25},
                           {46, 25}, {47, 25}, {48, 25}, {49, 25}, {46, 26}, {47, 26}, {45, 27}, {48, 27}};
    for (const auto& p : star) img.set(p[0], p[1], look.burnt ? soot : rgb{176, 60, 46});
    for (const pixel_rect& p : fort_panes) window(img, p, look.burnt);
    door(img, look.burnt);
    // Step in front of the door.
    stone_wall(img, {35, 62, 58, 63, 2, 24, 24, 1.25, 8});
    // Grime washed down from the sills and gathered along the foot.
    for (int y = 14; y < 62; ++y)
        for (int x = 1; x < 93; ++x) {
            const rgb c = img.at(x, y);
            if (is_key(c)) continue;
            double dirt = std::clamp((y - 50) / 14.0, 0.0, 1.0) * 0.25;
            for (const pixel_rect& p : fort_panes)
                if (y > p.y + p.h + 5 && x >= p.x && x < p.x + p.w)
                    dirt = std::max(dirt, 0.22 * value_noise(x * 2.0, y * 0.3, 2, 17) * (1 - (y - p.y - p.h) / 16.0));
            img.set(x, y, off_key(mix(c, rgb{70, 66, 58}, dirt)));
        }
    light_falloff(img, 0.42);
    return img;
}

} // namespace

rgb_image fort_image()
{
    rgb_image img = blockhouse({false});
    outline_inner(img, 0.35);
    return img;
}

rgb_image ruin_image()
{
    const rgb_image whole = blockhouse({true});
    rgb_image img = crop(whole, 0, 11, 94, 59);
    // Broken wall line, stepping down by stone courses; corners stand tallest.
    constexpr int ctrl[][2] = {{0, 2},   {9, 3},   {12, 10}, {20, 14}, {27, 11}, {33, 17}, {40, 22}, {47, 25},
                               {54, 21}, {60, 15}, {68, 12}, {75, 16}, {80, 8},  {86, 5},  {93, 6}};
    int top[94];
    for (int x = 0; x < 94; ++x) {
        int i = 0;
        while (ctrl[i + 1][0] < x) ++i;
        const double t = double(x - ctrl[i][0]) / (ctrl[i + 1][0] - ctrl[i][0]);
        const double h = ctrl[i][1] + (ctrl[i + 1][1] - ctrl[i][1]) * t;
        top[x] = static_cast<int>(h + (hash01(x / 3, 0, 41) - 0.5) * 4);
    }
    for (int x = 0; x < 94; ++x)
        for (int y = 0; y < 59; ++y) {
            if (y < top[x]) {
                img.set(x, y, key_black);
                continue;
            }
            // Soot climbs from the broken tops and out of the openings.
            const double from_top = y - top[x];
            double burn = 0.3 + 0.6 * std::exp(-from_top / 8.0);
            for (const pixel_rect& p : fort_panes) {
                const double dx = (x - (p.x + p.w / 2.0)) / (p.w * 0.8), dy = (p.y - 11 - y) / 12.0;
                if (dy > -0.2 && dy < 1.6) burn = std::max(burn, 0.95 * std::exp(-dx * dx * 2) * (1.6 - dy) / 1.6);
            }
            const double door_dx = (x - 46.5) / 10.0, door_dy = (28 - y) / 14.0;
            if (door_dy > -0.2)
                burn = std::max(burn, 0.9 * std::exp(-door_dx * door_dx * 2) * std::max(0.0, 1.4 - door_dy) / 1.4);
            burn *= 0.7 + 0.6 * value_noise(x, y, 4, 43);
            img.set(x, y, off_key(mix(img.at(x, y), soot, std::min(burn, 0.9))));
        }
    // Charred roof beams jutting out of the rubble.
    canvas cv(94, 59);
    cairo_t* cr = cv.cr();
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    const double beams[][4] = {{14, 16, 24, 1}, {70, 16, 62, 3}, {50, 26, 57, 12}};
    for (const auto& b : beams) {
        cairo_set_line_width(cr, 3);
        set_color(cr, {40, 32, 30});
        cairo_move_to(cr, b[0], b[1]);
        cairo_line_to(cr, b[2], b[3]);
        cairo_stroke(cr);
        cairo_set_line_width(cr, 1);
        set_color(cr, {92, 66, 48});
        cairo_move_to(cr, b[0] - 1, b[1]);
        cairo_line_to(cr, b[2] - 1, b[3]);
        cairo_stroke(cr);
    }
    const rgb_image beam_px = cv.finish(0.45);
    for (int y = 0; y < 59; ++y)
        for (int x = 0; x < 94; ++x)
            if (!is_key(beam_px.at(x, y)) && (is_key(img.at(x, y)) || y < top[x] + 6)) img.set(x, y, beam_px.at(x, y));
    // Rubble heaped along the foot.
    for (int x = 0; x < 94; ++x) {
        const int hgt = static_cast<int>(2 + 3 * value_noise(x, 0, 5, 47));
        for (int y = 58 - hgt; y < 59; ++y) {
            if (x > 36 && x < 57 && y < 55) continue;
            const rgb c = mix(stone_dark, stone, hash01(x / 2, y / 2, 48));
            img.set(x, y, hash01(x, y, 49) < 0.2 ? soot : c);
        }
    }
    outline_inner(img, 0.3);
    return img;
}

rgb_image mount_image()
{
    canvas cv(22, 23);
    cairo_t* cr = cv.cr();
    // Plinth slab.
    rounded_rect_path(cr, 0.5, 16.5, 21, 6, 2);
    source_linear(cr, 0, 16, 0, 23, {{0, {196, 194, 190}}, {0.3, {150, 148, 146}}, {1, {84, 84, 90}}});
    cairo_fill(cr);
    // Cheeks of the carriage: a block wide enough to hide the barrel's
    // breech however it turns, with the trunnion cap on top.
    poly_path(cr, {3.5, 17, 4.5, 4, 17.5, 4, 18.5, 17});
    source_linear(cr, 4, 0, 18, 0, {{0, {186, 186, 190}}, {0.35, {142, 142, 148}}, {1, {70, 72, 80}}});
    cairo_fill(cr);
    rounded_rect_path(cr, 4.5, 0.3, 13, 7, 3);
    source_linear(cr, 4, 0, 18, 0, {{0, {200, 200, 204}}, {0.35, {150, 150, 156}}, {1, {74, 76, 84}}});
    cairo_fill(cr);
    ellipse_path(cr, 11, 3.6, 3.4, 3.2);
    source_radial(cr, 10, 2.6, 0.3, 11, 3.6, 3.6, {{0, {240, 240, 244}}, {0.5, {160, 160, 166}}, {1, {70, 72, 80}}});
    cairo_fill(cr);
    rgb_image img = cv.finish();
    // Rivets.
    for (const int ry : {8, 12}) {
        img.set(8, ry, {220, 220, 224});
        img.set(14, ry, {210, 210, 216});
    }
    for (int x = 3; x < 19; x += 4) img.set(x, 19, {210, 208, 204});
    outline_inner(img, 0.3);
    return img;
}

rgb_image barrel_image(int frame)
{
    canvas cv(9, 36);
    cairo_t* cr = cv.cr();
    // Bronze-dark gunmetal tube, lit from the left: muzzle swell, chase,
    // reinforce and breech with its cascabel knob. The pivot is row 18.
    cairo_move_to(cr, 0.2, 0);
    cairo_line_to(cr, 8.8, 0);
    cairo_line_to(cr, 8.8, 3);
    cairo_line_to(cr, 7.6, 4);
    cairo_line_to(cr, 8.2, 16);
    cairo_line_to(cr, 8.8, 17);
    cairo_line_to(cr, 8.8, 22);
    cairo_curve_to(cr, 8.8, 24.5, 6.5, 25, 5.5, 25);
    cairo_line_to(cr, 5.5, 27);
    cairo_line_to(cr, 3.5, 27);
    cairo_line_to(cr, 3.5, 25);
    cairo_curve_to(cr, 2.5, 25, 0.2, 24.5, 0.2, 22);
    cairo_line_to(cr, 0.2, 17);
    cairo_line_to(cr, 0.8, 16);
    cairo_line_to(cr, 1.4, 4);
    cairo_line_to(cr, 0.2, 3);
    cairo_close_path(cr);
    source_linear(cr, 0, 0, 9, 0,
                  {{0, {120, 124, 134}}, {0.25, {210, 214, 222}}, {0.45, {140, 144, 154}}, {1, {46, 48, 58}}});
    cairo_fill(cr);
    rgb_image img = cv.finish();
    // Bands at the muzzle and reinforce.
    for (int x = 0; x < 9; ++x)
        for (const int y : {3, 16}) {
            const rgb c = img.at(x, y);
            if (!is_key(c)) img.set(x, y, scale(c, 0.6));
        }
    for (int x = 2; x < 7; ++x) img.set(x, 0, {30, 30, 36}); // the bore
    outline_inner(img, 0.35);
    if (frame == 0) return img;
    // Muzzle flash: a hot tongue of flame over the mouth of the barrel.
    canvas fl(9, 36);
    cairo_t* fc = fl.cr();
    cairo_move_to(fc, 4.5, -0.5);
    cairo_curve_to(fc, 5.5, 2.5, 9.4, 4.5, 9.2, 7.5);
    cairo_curve_to(fc, 9.0, 9.5, 8.0, 10.5, 7.5, 11);
    cairo_line_to(fc, 1.5, 11);
    cairo_curve_to(fc, 1.0, 10.5, 0, 9.5, -0.2, 7.5);
    cairo_curve_to(fc, -0.4, 4.5, 3.5, 2.5, 4.5, -0.5);
    cairo_close_path(fc);
    source_radial(fc, 4.5, 10, 0.5, 4.5, 9, 10.5,
                  {{0, {255, 255, 240}},
                   {0.3, {255, 240, 120}},
                   {0.6, {255, 160, 40}},
                   {0.85, {236, 80, 24}},
                   {1, {190, 40, 20}}});
    cairo_fill(fc);
    const rgb_image flame = fl.finish(0.4);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 9; ++x)
            if (!is_key(flame.at(x, y))) img.set(x, y, flame.at(x, y));
    return img;
}

rgb_image ball_image()
{
    canvas cv(7, 8);
    cairo_t* cr = cv.cr();
    ellipse_path(cr, 3.5, 4, 3.5, 3.6);
    source_radial(cr, 2.2, 2.6, 0.3, 3.5, 4, 4,
                  {{0, {190, 196, 210}}, {0.3, {86, 90, 104}}, {0.8, {34, 36, 46}}, {1, {18, 21, 26}}});
    cairo_fill(cr);
    return cv.finish(0.45);
}

} // namespace artgen
