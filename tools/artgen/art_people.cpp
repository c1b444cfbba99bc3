// The enemy commando in all his states, the white flag and the pointer.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "paint.h"

namespace artgen {
namespace {

constexpr rgb drab{94, 118, 74}, drab_lit{150, 174, 120}, drab_dark{54, 70, 50};
constexpr rgb helmet{76, 96, 64}, helmet_lit{158, 178, 130};
constexpr rgb skin{232, 184, 140}, skin_dark{176, 120, 88};
constexpr rgb boot{44, 36, 32};
constexpr rgb webbing{128, 106, 66};
constexpr rgb blood{172, 18, 20}, blood_lit{240, 96, 86}, blood_dark{96, 8, 14};

void line_px(rgb_image& img, int x0, int y0, int x1, int y1, rgb c)
{
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        img.set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

// A limb as a thick stroke with a lit upper edge.
void limb(cairo_t* cr, double x0, double y0, double x1, double y1, double w, rgb c, rgb lit)
{
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, w);
    set_color(cr, c);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
    cairo_set_line_width(cr, w * 0.4);
    set_color(cr, lit);
    cairo_move_to(cr, x0 - w * 0.2, y0 - w * 0.2);
    cairo_line_to(cr, x1 - w * 0.2, y1 - w * 0.2);
    cairo_stroke(cr);
}

// Hand-placed pixels for the small figures: at 1x every pixel counts.
// o outline, H/h helmet, S/s skin, e eye, G/g/d battle dress, B belt,
// W harness, P/p pack, K boots.
constexpr const char* eagle_px[] = {
    "................", ".oo...oooo...oo.", "oSSo.ohhHHo.oSSo", "oSgo.oHHHHo.ogSo", ".ogdooSSSSoodgo.",
    "..oGGoSeeSoGGo..", "...oGGosSoGGo...", "...oGgWGGWGdo...", "...oGgGWWGGdo...", "...oGgGGGGGdo...",
    "...oBBBBBBBBo...", "...oGgGGGGGdo...", "..oGgGdooGGGdo..", ".oGgdo....oGGdo.", ".oGdo......oGdo.",
    "oKKo........oKKo", "oooo........oooo",
};
constexpr const char* stride_px[] = {
    "......oooo......", ".....ohhHHo.....", "....ohHHHHHoo...", ".....oSSSSso....", ".....oSSSeSo....",
    "......osSSo.....", "....oooGGGoo....", "...oPPoGgGGdo...", "...oPPoGgGGGdo..", "...oPpoGgGdGSo..",
    "...oPpoGgGdooo..", "....ooBBBBBo....", ".....oGgGGdo....", "....oGgdoGGdo...", "...oGgdo.oGGdo..",
    "...oGdo...oGGdo.", "..oGdo.....oGdo.", ".oKKo......oKKKo", ".oKKKo.....oKKKo", "..ooo.......ooo.",
};
constexpr const char* upright_px[] = {
    "......oooo......", ".....ohhHHo.....", "....ohHHHHHoo...", ".....oSSSSso....", ".....oSSSeSo....",
    "......osSSo.....", "....oooGGGoo....", "...oPPoGgGGdo...", "...oPPoGgGGdo...", "...oPpoGgGdGo...",
    "...oPpoGgGdGo...", "....ooBBBBSo....", ".....oGgGGdo....", ".....oGgGGdo....", ".....oGgoGdo....",
    ".....oGgoGdo....", ".....oGdoGdo....", ".....oKKoKKo....", ".....oKKKKKKo...", "......oooooo....",
};

constexpr const char* head_px[] = {
    "...oooo.....", "..ohhHHo....", ".ohHHHHHo...", "..oSSSSo....", "..oSeeSo....", "..osSSSoooo.",
    "...oRRoGGGo.", "....oo.oGgGo", "........oGdo", ".........oSo", "..........o.",
};
constexpr const char* arm_px[] = {
    "oRo......", "oGGo.....", ".oGgGo...", "..oGgGo..", "...oGgGo.", "....oGdSo", ".....oSSo", "......oo.",
};
constexpr const char* leg_px[] = {
    ".oRRo.", ".oGgGo", ".oGgdo", ".oGgdo", ".oGgdo", ".oGgdo", ".oGdo.", ".oKKo.", ".oKKKo", "..ooo.",
};
constexpr const char* bent_leg_px[] = {
    "oRRo...", "oGgGo..", ".oGgGo.", "..oGgdo", "..oGgdo", ".oGgdo.", ".oGdo..", ".oKKo..", ".oKKKKo", "..oooo.",
};

rgb map_colour(char c)
{
    switch (c) {
    case 'o':
        return {24, 28, 22};
    case 'H':
        return helmet;
    case 'h':
        return helmet_lit;
    case 'S':
        return skin;
    case 's':
        return skin_dark;
    case 'e':
        return {40, 30, 30};
    case 'G':
        return drab;
    case 'g':
        return drab_lit;
    case 'd':
        return drab_dark;
    case 'B':
        return webbing;
    case 'W':
        return {112, 94, 62};
    case 'P':
        return {128, 128, 86};
    case 'p':
        return {86, 88, 58};
    case 'K':
        return boot;
    case 'R':
        return blood;
    default:
        return key_black;
    }
}

template <size_t n> void stamp(rgb_image& img, const char* const (&rows)[n], int x0, int y0)
{
    for (size_t r = 0; r < n; ++r)
        for (int i = 0; rows[r][i] != 0; ++i) {
            const rgb c = map_colour(rows[r][i]);
            if (!is_key(c)) img.set(x0 + i, y0 + static_cast<int>(r), c);
        }
}

// Canopy: 0 none, 1 a streaming bundle, 2 half open, 3 fully open.
void canopy(rgb_image& img, int stage)
{
    if (stage == 0) return;
    constexpr rgb silk{204, 196, 140}, silk_lit{240, 234, 190}, silk_dark{132, 124, 80};
    canvas cv(30, 28);
    cairo_t* cr = cv.cr();
    const double half = stage == 1 ? 2.4 : stage == 2 ? 7.5 : 14.0;
    const double top = stage == 1 ? 1.0 : stage == 2 ? 2.0 : 0.5;
    const double bottom = stage == 1 ? 9.5 : stage == 2 ? 9.0 : 9.5;
    if (stage == 1) {
        cairo_move_to(cr, 15, top);
        cairo_curve_to(cr, 17.8, top + 2, 17.6, bottom - 2, 15.8, bottom);
        cairo_line_to(cr, 14.2, bottom);
        cairo_curve_to(cr, 12.4, bottom - 2, 12.2, top + 2, 15, top);
    } else {
        cairo_move_to(cr, 15 - half, bottom);
        cairo_curve_to(cr, 15 - half, top - 1, 15 + half, top - 1, 15 + half, bottom);
        // Scalloped skirt.
        const int gores = stage == 2 ? 3 : 6;
        for (int g = gores; g > 0; --g) {
            const double xa = 15 - half + 2 * half * g / gores, xb = 15 - half + 2 * half * (g - 1) / gores;
            cairo_curve_to(cr, xa - 0.3 * (xa - xb), bottom - 1.8, xb + 0.3 * (xa - xb), bottom - 1.8, xb, bottom);
        }
    }
    cairo_close_path(cr);
    source_linear(cr, 15 - half, top, 15 + half, bottom, {{0, silk_lit}, {0.45, silk}, {1, silk_dark}});
    cairo_fill(cr);
    rgb_image cp = cv.finish(0.45);
    // Gores: alternate panels a shade darker, seams radiating from the apex.
    if (stage >= 2) {
        const int gores = stage == 2 ? 3 : 6;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 30; ++x) {
                const rgb c = cp.at(x, y);
                if (is_key(c)) continue;
                const double u = (x + 0.5 - (15 - half)) / (2 * half);
                const int panel = std::clamp(static_cast<int>(u * gores), 0, gores - 1);
                if (panel % 2 == 1) cp.set(x, y, off_key(mix(c, rgb{120, 140, 70}, 0.45)));
            }
    }
    outline_outer(cp, {52, 50, 34});
    // Shroud lines run to the man's shoulders.
    const rgb cord{214, 210, 190};
    const int attach_y = static_cast<int>(bottom) + 1;
    // Risers run down to the hands.
    line_px(cp, static_cast<int>(15 - half + 1), attach_y, 9, 12, cord);
    line_px(cp, static_cast<int>(15 + half - 1), attach_y, 20, 12, cord);
    if (stage == 3) {
        line_px(cp, 9, attach_y, 10, 12, cord);
        line_px(cp, 21, attach_y, 20, 12, cord);
    }
    if (stage == 1) {
        line_px(cp, 14, attach_y, 10, 12, cord);
        line_px(cp, 16, attach_y, 19, 12, cord);
    }
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 30; ++x)
            if (!is_key(cp.at(x, y)) && is_key(img.at(x, y))) img.set(x, y, cp.at(x, y));
}

// Torn-off pieces, each centred in its cell because they spin about it.
rgb_image body_part(int part)
{
    rgb_image img(30, 28);
    switch (part) {
    case 8:
        stamp(img, head_px, 9, 8);
        break;
    case 9:
        stamp(img, arm_px, 10, 10);
        break;
    case 10:
        stamp(img, leg_px, 12, 9);
        break;
    default:
        stamp(img, bent_leg_px, 11, 9);
        break;
    }
    return img;
}

rgb_image blood_drop()
{
    rgb_image img(30, 28);
    // Five-pixel teardrop right at the cell's centre, bright side to the light.
    constexpr int shape[][3] = {{15, 12, 0}, {14, 13, 1}, {15, 13, 0}, {14, 14, 1}, {15, 14, 0},
                                {16, 14, 2}, {14, 15, 0}, {15, 15, 0}, {16, 15, 2}, {15, 16, 2}};
    for (const auto& p : shape) img.set(p[0], p[1], p[2] == 1 ? blood_lit : p[2] == 2 ? blood_dark : blood);
    return img;
}

rgb_image splat()
{
    canvas cv(30, 28);
    cairo_t* cr = cv.cr();
    // Pool with splashes, then the flattened remains on top.
    cairo_move_to(cr, 3, 20);
    for (int i = 0; i <= 16; ++i) {
        const double a = M_PI * 2 * i / 16;
        const double r = (i % 2 ? 0.62 : 1.0) * (0.85 + 0.3 * hash01(i, 0, 61));
        cairo_line_to(cr, 15 + 12.5 * r * std::cos(a), 19.5 + 4.2 * r * std::sin(a));
    }
    cairo_close_path(cr);
    source_radial(cr, 13, 18, 1, 15, 19.5, 12, {{0, blood_lit}, {0.35, blood}, {1, blood_dark}});
    cairo_fill(cr);
    limb(cr, 9, 18.5, 21, 19.5, 3.0, drab, drab_lit);
    limb(cr, 12, 20.5, 6, 22.5, 1.8, drab_dark, drab);
    limb(cr, 19, 20.5, 24.5, 22, 1.8, drab_dark, drab);
    ellipse_path(cr, 22.5, 18, 2.6, 1.7);
    source_linear(cr, 20, 16, 25, 20, {{0, helmet_lit}, {1, helmet}});
    cairo_fill(cr);
    rgb_image img = cv.finish(0.45);
    for (const auto& d : {std::array<int, 2>{2, 15}, {27, 16}, {5, 24}, {25, 24}, {16, 13}}) img.set(d[0], d[1], blood);
    img.set(11, 18, blood_lit);
    outline_inner(img, 0.5);
    return img;
}

} // namespace

rgb_image man_image(int frame)
{
    if (frame >= 8 && frame <= 11) return body_part(frame);
    if (frame == 12) return blood_drop();
    if (frame == 13) return splat();
    rgb_image img(30, 28);
    if (frame == 4 || frame == 6)
        stamp(img, stride_px, 7, 8);
    else if (frame == 5 || frame == 7)
        stamp(img, upright_px, 7, 8);
    else
        stamp(img, eagle_px, 7, 11);
    canopy(img, frame < 4 ? frame : 0);
    return frame >= 6 ? mirror_x(img) : img;
}

rgb_image flag_image(int frame)
{
    rgb_image img(41, 24);
    // Pole with a brass knob.
    for (int y = 2; y < 24; ++y) {
        img.set(1, y, {150, 112, 72});
        img.set(2, y, {92, 64, 40});
    }
    img.set(1, 0, {255, 236, 150});
    img.set(2, 0, {210, 170, 60});
    img.set(1, 1, {210, 170, 60});
    img.set(2, 1, {140, 100, 30});
    // Cloth: a travelling wave whose swing grows towards the free end.
    const double phase = frame * 0.9;
    constexpr int x0 = 3, len = 36, top = 2, depth = 12;
    for (int i = 0; i < len; ++i) {
        const double u = double(i) / len;
        const double wave = std::sin(u * 2.6 * M_PI - phase);
        const double slope = std::cos(u * 2.6 * M_PI - phase);
        const double lift = wave * 2.6 * (0.25 + u);
        const double droop = u * u * 2.2;
        const int x = x0 + static_cast<int>(i * (1.0 - 0.12 * u));
        const int y_top = static_cast<int>(std::lround(top + lift + droop));
        const int y_bot = static_cast<int>(std::lround(top + depth + lift * 0.8 + droop * 1.4 - u * 2));
        const double light = 0.78 + 0.22 * slope;
        for (int y = y_top; y <= y_bot; ++y) {
            const double grime = 0.92 + 0.08 * value_noise(i, y, 3, 71);
            rgb c = scale(rgb{246, 244, 234}, light * grime);
            if (y == y_top) c = mix(c, rgb{255, 255, 250}, 0.5);
            if (y == y_bot) c = scale(c, 0.7);
            img.set(x, y, off_key(c));
        }
    }
    // Torn end.
    for (int y = 0; y < 24; ++y)
        for (int x = 34; x < 41; ++x)
            if (!is_key(img.at(x, y)) && hash01(x, y, 70 + frame) < 0.25 * (x - 33)) img.set(x, y, key_black);
    outline_outer(img, {60, 62, 70});
    return img;
}

rgb_image pointer_image()
{
    canvas cv(17, 24);
    cairo_t* cr = cv.cr();
    constexpr rgb yel{255, 212, 40}, yel_lit{255, 250, 190}, yel_dark{196, 122, 16};
    auto fill_part = [&](double x, double y, double w, double h, double r) {
        rounded_rect_path(cr, x, y, w, h, r);
        source_linear(cr, x, y, x + w, y + h * 0.5, {{0, yel_lit}, {0.4, yel}, {1, yel_dark}});
        cairo_fill(cr);
    };
    fill_part(1.2, 0.8, 4.0, 12.5, 2.0); // index finger, tip at the hot spot
    fill_part(5.0, 7.8, 3.6, 6.5, 1.7);  // curled fingers
    fill_part(8.4, 8.6, 3.6, 6.0, 1.7);
    fill_part(11.8, 9.6, 3.6, 5.5, 1.7);
    fill_part(1.2, 11.5, 14.2, 8.0, 3.0);      // palm
    fill_part(1.0, 12.0, 4.2, 5.0, 2.0);       // thumb folded across
    cairo_rectangle(cr, 2.5, 19.2, 11.6, 3.8); // cuff
    source_linear(cr, 2.5, 19, 14, 23, {{0, {250, 250, 250}}, {1, {160, 170, 190}}});
    cairo_fill(cr);
    rgb_image img = cv.finish();
    // Creases between the curled fingers and along the thumb.
    for (const int x : {8, 11})
        for (int y = 9; y <= 12; ++y) img.set(x, y, yel_dark);
    for (int x = 2; x <= 5; ++x) img.set(x, 17, yel_dark);
    img.set(5, 16, yel_dark);
    img.set(2, 2, yel_lit); // nail glint
    img.set(2, 3, yel_lit);
    outline_outer(img, {40, 26, 10});
    return img;
}

} // namespace artgen
