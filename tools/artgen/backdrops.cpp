// Full pictures: the sky gradient, the desert ground and the maker's logo.
#include <algorithm>
#include <array>
#include <cmath>

#include "art.h"
#include "lettering.h"
#include "paint.h"

namespace artgen {
namespace {

struct sky_stop {
    double row;
    rgb c;
};

// Dusk palette from the zenith down to the horizon.
constexpr std::array<sky_stop, 10> sky_stops{{
    {0, {145, 145, 255}},
    {160, {192, 236, 248}},
    {228, {236, 246, 200}},
    {270, {252, 236, 126}},
    {305, {252, 164, 66}},
    {320, {242, 100, 110}},
    {336, {204, 62, 158}},
    {348, {124, 36, 150}},
    {358, {16, 4, 131}},
    {360, {0, 0, 128}},
}};

// Monotone cubic through the stops: smooth, and it never overshoots.
double pchip(const std::array<double, sky_stops.size()>& v, double row)
{
    constexpr size_t n = sky_stops.size();
    if (row <= sky_stops[0].row) return v[0];
    if (row >= sky_stops[n - 1].row) return v[n - 1];
    size_t i = 0;
    while (sky_stops[i + 1].row < row) ++i;
    auto slope = [&](size_t k) { return (v[k + 1] - v[k]) / (sky_stops[k + 1].row - sky_stops[k].row); };
    auto tangent = [&](size_t k) {
        if (k == 0 || k == n - 1) return 0.0;
        const double a = slope(k - 1), b = slope(k);
        if (a * b <= 0) return 0.0;
        return 2.0 / (1.0 / a + 1.0 / b);
    };
    const double h = sky_stops[i + 1].row - sky_stops[i].row, t = (row - sky_stops[i].row) / h;
    const double t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * v[i] + (t3 - 2 * t2 + t) * h * tangent(i) + (-2 * t3 + 3 * t2) * v[i + 1] +
           (t3 - t2) * h * tangent(i + 1);
}

double ridge(double x, int seed, double base, double amp)
{
    double h = 0, a = amp, f = 1.0 / 90;
    for (int o = 0; o < 5; ++o) {
        h += (value_noise(x * f * 90, o * 7.0, 90, seed + o) - 0.5) * 2 * a;
        a *= 0.5;
        f *= 2;
    }
    return base + h;
}

// The butte's outline: cap rock near the top, cliffs, then talus aprons.
double butte_top(double x)
{
    const double cx = 340;
    const double u = std::abs(x - cx);
    double y;
    if (u < 66)
        y = 6 + (value_noise(x, 0, 7, 211) - 0.5) * 3;
    else if (u < 70)
        y = 6 + (u - 66) * 2.0;
    else if (u < 82)
        y = 14 + (u - 70) * 8.0;
    else if (u < 128)
        y = 110 + (u - 82) * 1.4;
    else
        y = 174 + (u - 128) * 0.35;
    return y + (value_noise(x, 3, 3, 212) - 0.5) * 2.5;
}

} // namespace

rgb_image sky_image()
{
    rgb_image img(640, 392);
    std::array<double, sky_stops.size()> r{}, g{}, b{};
    for (size_t i = 0; i < sky_stops.size(); ++i) {
        r[i] = sky_stops[i].c.r;
        g[i] = sky_stops[i].c.g;
        b[i] = sky_stops[i].c.b;
    }
    for (int y = 0; y < 392; ++y) {
        const double row = y;
        const rgb c{clamp_u8(pchip(r, row)), clamp_u8(pchip(g, row)), clamp_u8(pchip(b, row))};
        for (int x = 0; x < 640; ++x) img.set(x, y, c);
    }
    return img;
}

rgb_image ground_image()
{
    rgb_image img(640, 294);
    constexpr int sand_top = 198, bar_top = 272;
    for (int x = 0; x < 640; ++x) {
        const double far = ridge(x, 201, 118, 38);
        const double near = ridge(x + 1000, 205, 160, 22);
        const double butte = butte_top(x);
        for (int y = 0; y < bar_top; ++y) {
            rgb c = key_black;
            const double fy = y + 0.5;
            if (fy >= far) {
                // Far range: hazy blue-grey; facets running down from the
                // crests are lit where they turn to the upper left.
                const double depth = fy - far;
                const double xs = x - depth * 0.7, xr = x + depth * 0.7;
                const double lit_l = ridge(xs - 5, 201, 118, 38) - ridge(xs + 5, 201, 118, 38);
                const double lit_r = ridge(xr - 5, 201, 118, 38) - ridge(xr + 5, 201, 118, 38);
                const double lit = std::clamp((lit_l * 0.6 + lit_r * 0.4) * 0.035, -0.16, 0.16) *
                                   (1 - std::clamp(depth / 70, 0.0, 0.8));
                const double t = std::clamp(depth / 60.0, 0.0, 1.0);
                c = mix(rgb{162, 170, 200}, rgb{124, 132, 166}, t);
                c = off_key(scale(c, 1.0 + lit + (value_noise(x, fy, 6, 202) - 0.5) * 0.05));
                if (depth < 1.5) c = mix(c, rgb{206, 212, 236}, 0.6);
            }
            if (fy >= near) {
                const double depth = fy - near;
                const double xs = x - depth * 0.8 + 1000;
                const double lit =
                    std::clamp((ridge(xs - 3, 205, 160, 22) - ridge(xs + 3, 205, 160, 22)) * 0.08, -0.18, 0.18);
                const double t = std::clamp(depth / 40.0, 0.0, 1.0);
                c = mix(rgb{142, 128, 142}, rgb{116, 100, 112}, t);
                c = scale(c, 1.0 + lit * (1 - t * 0.6) + (value_noise(x, fy, 5, 206) - 0.5) * 0.06);
                if (depth < 1.5) c = mix(c, rgb{182, 170, 182}, 0.5);
            }
            if (fy >= butte) {
                // Red rock in strata: the sunlit left flank, the shaded right,
                // a darker cap rock and gullies cut down the cliffs.
                const double u = (x - 340.0) / 80.0;
                const double side = std::clamp(-u * 1.3, -1.0, 1.0);
                const double warp = value_noise(x, fy, 20, 213) * 4;
                const double band = std::fmod(fy + warp, 9.0);
                const double strata = band < 2 ? 1.0 : band < 3 ? 0.4 : 0.0;
                const double gully = value_noise(x * 1.0, fy * 0.08, 2.5, 214);
                rgb base = mix(rgb{180, 92, 56}, rgb{146, 66, 44}, strata * 0.7);
                if (fy < 22) base = mix(base, rgb{128, 60, 42}, 0.5);
                base = scale(base, 0.94 + 0.22 * side + (gully - 0.5) * 0.34);
                if (fy - butte < 2.0) base = mix(base, side > -0.3 ? rgb{236, 160, 104} : rgb{170, 96, 66}, 0.6);
                const double haze = std::clamp((fy - 120) / 90.0, 0.0, 1.0);
                c = off_key(mix(base, rgb{198, 120, 82}, haze * 0.35));
            }
            if (y >= sand_top - 6) {
                // Sand fading in over the foothills, with ripples evenly
                // spaced on the ground and so closer together far away.
                const double depth = std::max(0.0, (fy - sand_top) / (bar_top - sand_top));
                const double blend = std::clamp((fy - (sand_top - 6)) / 8.0, 0.0, 1.0);
                const double phase = 14.0 / (depth + 0.12) + x * 0.035 + 4 * value_noise(x, fy, 50, 215);
                const double wave = std::sin(phase);
                const double dune = value_noise(x, fy * 3, 60, 216);
                rgb s =
                    mix(rgb{248, 180, 94}, rgb{214, 126, 58}, std::clamp(depth * 0.6 + (dune - 0.5) * 0.5, 0.0, 1.0));
                s = scale(s, 1.0 + wave * 0.07 * (0.5 + depth));
                if (wave < -0.93) s = scale(s, 0.88);
                if (hash01(x, y, 217) < 0.025) s = scale(s, 0.82);
                c = is_key(c) && blend < 1 ? (blend > 0.5 ? s : key_black) : off_key(mix(c, s, blend));
            }
            img.set(x, y, c);
        }
        // Blue bar behind the HUD: light on the left, deep on the right.
        const double t = x / 639.0;
        const rgb bar = mix(rgb{132, 180, 236}, rgb{16, 34, 104}, t);
        for (int y = bar_top; y < 294; ++y) {
            rgb c = bar;
            if (y == bar_top)
                c = mix(bar, rgb{230, 240, 255}, 0.6);
            else if (y == bar_top + 1)
                c = mix(bar, rgb{200, 220, 250}, 0.3);
            else if (y == 293)
                c = scale(bar, 0.6);
            img.set(x, y, off_key(c));
        }
    }
    // Scrub and stones scattered over the sand, shadows to the lower right.
    for (int i = 0; i < 46; ++i) {
        const int x = static_cast<int>(hash01(i, 1, 218) * 630) + 5;
        const int y = static_cast<int>(sand_top + 6 + hash01(i, 2, 218) * (bar_top - sand_top - 12));
        if (x > 250 && x < 390 && y > 170) continue; // the fort stands here
        const int r = 1 + static_cast<int>((y - sand_top) / 22.0 + hash01(i, 3, 218) * 1.5);
        const bool bush = hash01(i, 4, 218) < 0.55;
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r - 1; dx <= r + 1; ++dx) {
                if (dx * dx + dy * dy * 2 > (r + 1) * (r + 1)) continue;
                const rgb under = img.at(std::clamp(x + dx + 2, 0, 639), std::min(y + dy + 1, bar_top - 1));
                img.set(x + dx + 2, std::min(y + dy + 1, bar_top - 1), off_key(scale(under, 0.82)));
            }
        for (int dy = -r; dy <= 0; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                if (dx * dx + dy * dy * (bush ? 1 : 3) > r * r + 1) continue;
                if (bush && hash01(x + dx, y + dy, 219) < 0.25) continue;
                const double l = 1.0 - 0.12 * (dx + dy + r) / (r + 1.0);
                const rgb base = bush ? rgb{104, 112, 56} : rgb{170, 144, 120};
                img.set(x + dx, y + dy, off_key(scale(base, l)));
            }
    }
    return img;
}

rgb_image logo_image(const lettering& font)
{
    canvas cv(420, 236);
    cairo_t* cr = cv.cr();
    // The mark: a star fort seen from above, a lane running through its gate.
    constexpr double cx = 210, cy = 62, outer = 54, inner = 34;
    auto star_fort = [&](double ro, double ri) {
        for (int i = 0; i < 10; ++i) {
            const double a = -M_PI / 2 + i * M_PI / 5;
            const double r = i % 2 == 0 ? ro : ri;
            if (i == 0)
                cairo_move_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
            else
                cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
        }
        cairo_close_path(cr);
    };
    star_fort(outer, inner);
    source_linear(cr, cx - outer, cy - outer, cx + outer, cy + outer,
                  {{0, {255, 240, 170}}, {0.45, {224, 168, 52}}, {1, {120, 70, 20}}});
    cairo_fill(cr);
    star_fort(outer - 7, inner - 5);
    source_linear(cr, cx - outer, cy - outer, cx + outer, cy + outer,
                  {{0, {86, 98, 132}}, {0.6, {40, 48, 74}}, {1, {22, 26, 44}}});
    cairo_fill(cr);
    // Keep: a round tower in the middle.
    ellipse_path(cr, cx, cy, 17, 17);
    source_radial(cr, cx - 6, cy - 6, 1, cx, cy, 18,
                  {{0, {250, 250, 255}}, {0.5, {176, 186, 210}}, {1, {80, 90, 120}}});
    cairo_fill(cr);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        cairo_rectangle(cr, cx + 14 * std::cos(a) - 2, cy + 14 * std::sin(a) - 2, 4, 4);
    }
    set_color(cr, {60, 70, 100});
    cairo_fill(cr);
    // The lane, leaving through the gate toward the viewer.
    cairo_move_to(cr, cx - 4, cy + 16);
    cairo_line_to(cr, cx + 4, cy + 16);
    cairo_line_to(cr, cx + 16, cy + 62);
    cairo_line_to(cr, cx - 16, cy + 62);
    cairo_close_path(cr);
    source_linear(cr, 0, cy + 16, 0, cy + 62, {{0, {255, 230, 140}}, {1, {200, 110, 30}}});
    cairo_fill(cr);
    set_color(cr, {40, 30, 20});
    cairo_set_line_width(cr, 1.2);
    for (double t = 0.15; t < 1; t += 0.22) {
        cairo_move_to(cr, cx, cy + 16 + 46 * t);
        cairo_line_to(cr, cx, cy + 16 + 46 * (t + 0.1));
    }
    cairo_stroke(cr);
    constexpr letter_style steel{
        {246, 250, 255}, {182, 198, 226}, {92, 110, 150}, {14, 18, 30}, 1.8, {255, 255, 255}, true};
    constexpr letter_style gold{{255, 248, 200}, {240, 190, 70}, {170, 100, 24}, {24, 16, 8}, 1.2,
                                {255, 255, 240}, false};
    font.draw(cr, "BASTION LANE", {30, 132, 390, 178}, steel);
    font.draw(cr, "GAMES", {150, 192, 270, 210}, gold);
    for (const double x : {40.0, 290.0}) {
        cairo_rectangle(cr, x, 200, 90, 2);
        source_linear(cr, x, 0, x + 90, 0, {{0, {120, 70, 20}}, {0.5, {250, 210, 110}}, {1, {120, 70, 20}}});
        cairo_fill(cr);
    }
    return cv.finish(0.5);
}

} // namespace artgen
