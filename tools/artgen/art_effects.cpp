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

template <size_t n>
rgb ramp(const ramp_stop (&stops)[n], double t) {
    if (t <= stops[0].at) return stops[0].c;
    for (size_t i = 1; i < n; ++i)
        if (t <= stops[i].at) return mix(stops[i - 1].c, stops[i].c, (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    return stops[n - 1].c;
}

// A dome of the cloud: centre and radius.
struct puff {
    double x, y, r;
};

struct surface_sample {
    double h = -1;  // <0 outside
    double nx = 0, ny = 0, nz = 1;
};

// Lambert light from the upper left and a touch from the front.
double lambert(const surface_sample& s) {
    constexpr double lx = -0.55, ly = -0.6, lz = 0.58;
    return std::max(0.0, s.nx * lx + s.ny * ly + s.nz * lz);
}

}  // namespace

rgb_image explosion_image() {
    rgb_image img(73, 67);
    constexpr ramp_stop fire[] = {{0.0, {255, 255, 236}}, {0.22, {255, 242, 130}}, {0.45, {255, 188, 50}},
                                  {0.68, {246, 112, 26}}, {0.86, {200, 46, 20}}, {1.0, {120, 24, 18}}};
    constexpr double cx = 36.5, cy = 33.5;
    for (int y = 0; y < 67; ++y)
        for (int x = 0; x < 73; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double ang = std::atan2(dy, dx), dist = std::sqrt(dx * dx + dy * dy);
            // Lobed rim: a few big billows plus ragged small ones.
            const double rim = 29 + 1.6 * std::sin(ang * 7 + 0.7) + 1.1 * std::sin(ang * 11 + 2.1) +
                               1.8 * (value_noise(std::cos(ang) * 9 + 20, std::sin(ang) * 9 + 20, 2.0, 81) - 0.5) * 2;
            if (dist > rim) continue;
            // Hot centre sits a little up-left, toward the light.
            const double hx = dx + 3, hy = dy + 3.5;
            double t = std::sqrt(hx * hx + hy * hy) / (rim + 3);
            t += (value_noise(x, y, 6, 82) - 0.5) * 0.34 + (value_noise(x, y, 2.5, 83) - 0.5) * 0.12;
            t = std::clamp(t, 0.0, 1.0);
            rgb c = ramp(fire, t);
            // Soot curling in at the rim on the shaded side.
            const double smoke = value_noise(x, y, 5, 84);
            if (t > 0.72 && smoke > 0.62 && (dx + dy) > -10) c = mix(c, rgb{70, 40, 34}, (smoke - 0.62) * 2.2);
            img.set(x, y, off_key(c));
        }
    // A few sparks thrown clear of the ball.
    for (int i = 0; i < 8; ++i) {
        const double a = hash01(i, 1, 85) * 2 * M_PI, r = 32 + hash01(i, 2, 85) * 2;
        const int x = static_cast<int>(cx + r * std::cos(a)), y = static_cast<int>(cy + r * std::sin(a) * 0.92);
        img.set(x, y, {255, 236, 140});
        img.set(x + 1, y, {250, 150, 40});
        img.set(x, y + 1, {220, 90, 30});
    }
    return img;
}

rgb_image orb_image(int frame) {
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
        constexpr ramp_stop sun[] = {{0.0, {255, 252, 214}}, {0.45, {255, 212, 92}}, {0.8, {255, 156, 40}}, {1.0, {234, 100, 26}}};
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

rgb_image bombmark_image() {
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

rgb_image cloud_image() {
    rgb_image img(180, 68);
    constexpr puff puffs[] = {{30, 48, 17}, {52, 38, 21}, {80, 30, 26}, {110, 32, 24}, {136, 40, 20},
                              {156, 49, 15}, {66, 50, 17}, {96, 50, 19}, {124, 50, 17}, {18, 54, 10},
                              {166, 55, 10}, {92, 22, 18}, {70, 27, 15}};
    constexpr double base = 60.5;  // flat underside
    // Soft union of the puffs' domes, so the billows melt into each other.
    auto height = [&](double x, double y) {
        double sum = 0;
        for (const puff& p : puffs) {
            const double dx = (x - p.x) / p.r, dy = (y - p.y) / p.r, d2 = dx * dx + dy * dy;
            if (d2 < 1) sum += std::exp(0.45 * std::sqrt(1 - d2) * p.r);
        }
        return sum > 0 ? std::log(sum) / 0.45 : -1.0;
    };
    for (int y = 0; y < 68; ++y)
        for (int x = 0; x < 180; ++x) {
            const double fx = x + 0.5, fy = y + 0.5;
            if (fy > base + (value_noise(x, 0, 9, 111) - 0.5) * 3) continue;
            const double h = height(fx, fy);
            if (h <= 0.8) continue;
            double nx = -(height(fx + 1, fy) - height(fx - 1, fy)) * 0.5;
            double ny = -(height(fx, fy + 1) - height(fx, fy - 1)) * 0.5;
            const double len = std::sqrt(nx * nx + ny * ny + 1);
            const surface_sample s{h, nx / len, ny / len, 1 / len};
            double l = lambert(s) * 0.85 + 0.15 + (value_noise(x, y, 4, 112) - 0.5) * 0.1;
            // Grey-blue shadow underneath, darkest towards the flat base.
            l *= 1 - 0.4 * std::clamp((fy - 38) / 24.0, 0.0, 1.0);
            rgb col = mix(rgb{132, 140, 164}, rgb{255, 255, 255}, std::clamp(l * 1.2, 0.0, 1.0));
            img.set(x, y, off_key(col));
        }
    outline_inner(img, 0.72);
    return img;
}

rgb_image dust_image() {
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
            rgb col = mix(rgb{214, 208, 196}, rgb{122, 114, 106}, std::clamp(v * 1.1 - 0.1 + (crown - 0.5) * 0.35, 0.0, 1.0));
            const double speck = hash01(x, y, 123);
            if (speck < 0.1) col = scale(col, 0.74);
            else if (speck > 0.92) col = scale(col, 1.12);
            img.set(x, y, off_key(col));
        }
    }
    outline_inner(img, 0.75);
    return img;
}

}  // namespace artgen
