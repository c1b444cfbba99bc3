// Fire, smoke, sky bodies, scorch marks, clouds and dust.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "paint.h"

namespace artgen {
namespace {

struct ramp_stop {
    double at;
    rgb c;
};

template <size_t n> rgb ramp(const ramp_stop (&stops)[n], double t)
{
    if (t <= stops[0].at) return stops[0].c;
    for (size_t i = 1; i < n; ++i)
        if (t <= stops[i].at)
            return mix(stops[i - 1].c, stops[i].c, (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    return stops[n - 1].c;
}

// A dome of the cloud: centre and radius.
struct puff {
    double x, y, r;
};

struct surface_sample {
    double h = -1; // <0 outside
    double nx = 0, ny = 0, nz = 1;
};

// Lambert light from the upper left and a touch from the front.
double lambert(const surface_sample& s)
{
    constexpr double lx = -0.55, ly = -0.6, lz = 0.58;
    return std::max(0.0, s.nx * lx + s.ny * ly + s.nz * lz);
}

} // namespace

// Soft union of domes: the billows melt into each other instead of meeting
// in hard seams. Returns a height, or -1 outside every dome.
template <size_t n> double dome_height(const puff (&puffs)[n], double x, double y, double k)
{
    double sum = 0;
    for (const puff& p : puffs) {
        const double dx = (x - p.x) / p.r, dy = (y - p.y) / p.r, d2 = dx * dx + dy * dy;
        if (d2 < 1) sum += std::exp(k * std::sqrt(1 - d2) * p.r);
    }
    return sum > 0 ? std::log(sum) / k : -1.0;
}

template <size_t n> surface_sample dome_surface(const puff (&puffs)[n], double x, double y, double k)
{
    const double h = dome_height(puffs, x, y, k);
    if (h <= 0.8) return {};
    const double nx = -(dome_height(puffs, x + 1, y, k) - dome_height(puffs, x - 1, y, k)) * 0.5;
    const double ny = -(dome_height(puffs, x, y + 1, k) - dome_height(puffs, x, y - 1, k)) * 0.5;
    const double len = std::sqrt(nx * nx + ny * ny + 1);
    return {h, nx / len, ny / len, 1 / len};
}

rgb_image explosion_image()
{
    rgb_image img(73, 67);
    constexpr ramp_stop fire[] = {{0.0, {255, 255, 240}}, {0.2, {255, 246, 150}}, {0.42, {255, 200, 60}},
                                  {0.62, {250, 128, 30}}, {0.82, {206, 54, 22}},  {1.0, {110, 26, 20}}};
    constexpr double cx = 36.5, cy = 33.5;
    // A core ball ringed by billows of uneven size and spacing.
    puff billows[17];
    billows[0] = {cx, cy, 21};
    for (int i = 0; i < 13; ++i) {
        const double a = i * 2 * M_PI / 13 + (hash01(i, 1, 86) - 0.5) * 0.4;
        const double r = 7.5 + hash01(i, 2, 86) * 4.5, d = 25.5 - r * 0.55 + hash01(i, 3, 86) * 2;
        billows[1 + i] = {cx + d * std::cos(a), cy + d * std::sin(a) * 0.92, r};
    }
    billows[14] = {cx - 9, cy - 8, 12};
    billows[15] = {cx + 10, cy + 6, 11};
    billows[16] = {cx + 6, cy - 12, 10};
    for (int y = 0; y < 67; ++y)
        for (int x = 0; x < 73; ++x) {
            const double fx = x + 0.5, fy = y + 0.5;
            const surface_sample s = dome_surface(billows, fx, fy, 0.5);
            if (s.h < 0) continue;
            const double dx = fx - cx + 3, dy = fy - cy + 3;
            const double l = lambert(s);
            // Hot in the middle and on the faces turned to the light.
            double t = std::sqrt(dx * dx + dy * dy) / 33.0 - (l - 0.45) * 0.45;
            t += (value_noise(x, y, 5, 82) - 0.5) * 0.2;
            rgb c = ramp(fire, std::clamp(t, 0.0, 1.0));
            const double smoke = value_noise(x, y, 6, 84);
            if (t > 0.7 && smoke > 0.6) c = mix(c, rgb{74, 44, 40}, std::min(0.8, (smoke - 0.6) * 2.4));
            img.set(x, y, off_key(c));
        }
    // A few sparks thrown clear of the ball.
    for (int i = 0; i < 8; ++i) {
        const double a = hash01(i, 1, 85) * 2 * M_PI, r = 32 + hash01(i, 2, 85) * 2;
        const int x = static_cast<int>(cx + r * std::cos(a)), y = static_cast<int>(cy + r * std::sin(a) * 0.92);
        if (!is_key(img.at(x, y))) continue;
        img.set(x, y, {255, 236, 140});
        img.set(x + 1, y, {250, 150, 40});
    }
    return img;
}

rgb_image orb_image(int frame)
{
    rgb_image img(36, 36);
    constexpr double c = 18.0;
    if (frame == 0) {
        // Smoke ring: a lumpy torus; its hole stays key black.
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 36; ++x) {
                const double dx = x + 0.5 - c, dy = y + 0.5 - c, r = std::sqrt(dx * dx + dy * dy);
                const double ang = std::atan2(dy, dx);
                const double lump = value_noise(std::cos(ang) * 6 + 10, std::sin(ang) * 6 + 10, 2, 91);
                const double mid = 12.0 + (lump - 0.5) * 1.5, half = 4.4 + lump * 1.8;
                const double u = (r - mid) / half;
                if (std::abs(u) >= 1) continue;
                // Tube normal: across the ring and out of the picture.
                const double nz = std::sqrt(1 - u * u);
                const surface_sample s{1, u * dx / std::max(r, 0.01), u * dy / std::max(r, 0.01), nz};
                const double l = lambert(s) * (0.85 + 0.3 * value_noise(x, y, 3, 92));
                img.set(x, y, off_key(mix(rgb{92, 96, 108}, rgb{238, 238, 240}, std::clamp(l * 1.1, 0.0, 1.0))));
            }
        return img;
    }
    if (frame == 1) {
        constexpr ramp_stop sun[] = {
            {0.0, {255, 252, 214}}, {0.45, {255, 212, 92}}, {0.8, {255, 156, 40}}, {1.0, {234, 100, 26}}};
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 36; ++x) {
                const double dx = x + 0.5 - c, dy = y + 0.5 - c, r = std::sqrt(dx * dx + dy * dy);
                if (r > 16.5) continue;
                const double hx = dx + 4, hy = dy + 4;
                const double t = std::clamp(std::sqrt(hx * hx + hy * hy) / 20.0, 0.0, 1.0);
                rgb col = ramp(sun, std::max(t, r / 16.5 > 0.93 ? 0.95 : 0.0));
                img.set(x, y, off_key(col));
            }
        return img;
    }
    // Crescent moon, lit from the left, with a few maria and craters.
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 36; ++x) {
            const double dx = x + 0.5 - c, dy = y + 0.5 - c, r = std::sqrt(dx * dx + dy * dy);
            if (r > 15.5) continue;
            const double ox = dx - 7.5, oy = dy - 3.0;
            if (std::sqrt(ox * ox + oy * oy) < 13.5) continue;
            const double nz = std::sqrt(std::max(0.0, 1 - r * r / (15.5 * 15.5)));
            const surface_sample s{1, dx / 15.5, dy / 15.5, nz};
            double l = 0.55 + 0.5 * lambert(s);
            if (value_noise(x, y, 4, 95) > 0.64) l *= 0.82;
            rgb col = scale(rgb{214, 218, 228}, std::min(l, 1.15));
            img.set(x, y, off_key(col));
        }
    for (const auto& cr : {std::array<int, 2>{8, 14}, {10, 22}, {7, 19}}) {
        img.set(cr[0], cr[1], {150, 154, 168});
        img.set(cr[0] + 1, cr[1] + 1, {232, 234, 240});
    }
    return img;
}

rgb_image bombmark_image()
{
    rgb_image img(40, 22);
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 40; ++x) {
            const double dx = (x + 0.5 - 20) / 19.0, dy = (y + 0.5 - 11) / 10.0;
            const double ang = std::atan2(dy, dx);
            const double edge = 0.78 + 0.22 * value_noise(std::cos(ang) * 5 + 9, std::sin(ang) * 5 + 9, 1.2, 101);
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d > edge) continue;
            // Radial streaks of burnt sand round a charred crater.
            const double streak = value_noise(ang * 6 + 40, d * 2, 1.0, 102);
            double t = d / edge;
            rgb col = mix(rgb{26, 22, 22}, rgb{96, 70, 48}, std::clamp(t * t * 1.2 + (streak - 0.5) * 0.5, 0.0, 1.0));
            if (hash01(x, y, 103) < 0.08) col = scale(col, 1.4);
            img.set(x, y, off_key(col));
        }
    return img;
}

rgb_image cloud_image()
{
    rgb_image img(180, 68);
    constexpr puff puffs[] = {{30, 48, 17},  {52, 38, 21}, {80, 30, 26}, {110, 32, 24}, {136, 40, 20},
                              {156, 49, 15}, {66, 50, 17}, {96, 50, 19}, {124, 50, 17}, {18, 54, 10},
                              {166, 55, 10}, {92, 22, 18}, {70, 27, 15}};
    constexpr double base = 60.5; // flat underside
    for (int y = 0; y < 68; ++y)
        for (int x = 0; x < 180; ++x) {
            const double fx = x + 0.5, fy = y + 0.5;
            if (fy > base + (value_noise(x, 0, 9, 111) - 0.5) * 3) continue;
            const surface_sample s = dome_surface(puffs, fx, fy, 0.45);
            if (s.h < 0) continue;
            double l = lambert(s) * 0.85 + 0.15 + (value_noise(x, y, 4, 112) - 0.5) * 0.1;
            // Grey-blue shadow underneath, darkest towards the flat base.
            l *= 1 - 0.4 * std::clamp((fy - 38) / 24.0, 0.0, 1.0);
            rgb col = mix(rgb{132, 140, 164}, rgb{255, 255, 255}, std::clamp(l * 1.2, 0.0, 1.0));
            img.set(x, y, off_key(col));
        }
    outline_inner(img, 0.72);
    return img;
}

rgb_image dust_image()
{
    rgb_image img(293, 23);
    constexpr double cx = 146.5, mid = 12.5;
    // A long lens of billowing dust: puffy above, flatter below, thin ends.
    for (int x = 0; x < 293; ++x) {
        const double u = (x + 0.5 - cx) / cx;
        const double body = std::pow(std::max(0.0, 1 - u * u), 0.9);
        const double billow = 0.55 + 0.45 * value_noise(x, 0, 9, 121) + 0.15 * value_noise(x, 1, 3, 122);
        const double up = body * 10.5 * billow, down = body * 7.5 * (0.8 + 0.2 * value_noise(x, 2, 7, 125));
        for (int y = 0; y < 23; ++y) {
            const double fy = y + 0.5;
            if (fy < mid - up || fy > mid + down || up < 0.6) continue;
            // Lit from the upper left: bright crowns, a grey-brown belly.
            const double v = (fy - (mid - up)) / std::max(1.0, up + down);
            const double crown = value_noise(x * 1.0, fy * 1.4, 4, 126);
            rgb col =
                mix(rgb{214, 208, 196}, rgb{122, 114, 106}, std::clamp(v * 1.1 - 0.1 + (crown - 0.5) * 0.35, 0.0, 1.0));
            const double speck = hash01(x, y, 123);
            if (speck < 0.1)
                col = scale(col, 0.74);
            else if (speck > 0.92)
                col = scale(col, 1.12);
            img.set(x, y, off_key(col));
        }
    }
    outline_inner(img, 0.75);
    return img;
}

} // namespace artgen
