// Plain 8-bit RGB pictures and the small pixel helpers every painter shares.
#pragma once

#include <cstdint>
#include <vector>

namespace artgen {

struct rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(rgb, rgb) = default;
};

// Pure black is the game's mask colour; opaque pixels must never be it.
constexpr rgb key_black{0, 0, 0};
constexpr rgb near_black{18, 21, 26};

inline bool is_key(rgb c)
{
    return c.r == 0 && c.g == 0 && c.b == 0;
}

struct rgb_image {
    int w = 0, h = 0;
    std::vector<uint8_t> px; // w*h*3, rows top to bottom

    rgb_image() = default;
    rgb_image(int width, int height, rgb fill = key_black);

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    rgb at(int x, int y) const;
    void set(int x, int y, rgb c);
    friend bool operator==(const rgb_image&, const rgb_image&) = default;
};

// Copies src onto dst with src's top-left at (x, y); key pixels are copied too.
void blit(rgb_image& dst, const rgb_image& src, int x, int y);
rgb_image crop(const rgb_image& src, int x, int y, int w, int h);
rgb_image mirror_x(const rgb_image& src);
int opaque_count(const rgb_image& img);

// Deterministic hash noise in [0, 1): the same numbers on every run.
double hash01(int x, int y, int seed);
// Smooth value noise in [0, 1) with features about `cell` pixels apart.
double value_noise(double x, double y, double cell, int seed);

rgb mix(rgb a, rgb b, double t);
rgb scale(rgb c, double k);
uint8_t clamp_u8(double v);

} // namespace artgen
