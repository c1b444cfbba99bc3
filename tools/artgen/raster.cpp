// Pixel helpers: storage, copying, mirroring and deterministic noise.
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace artgen {

rgb_image::rgb_image(int width, int height, rgb fill) : w(width), h(height), px(static_cast<size_t>(width) * height * 3)
{
    for (size_t i = 0; i < px.size(); i += 3) {
        px[i] = fill.r;
        px[i + 1] = fill.g;
        px[i + 2] = fill.b;
    }
}

rgb rgb_image::at(int x, int y) const
{
    const size_t i = (static_cast<size_t>(y) * w + x) * 3;
    return {px[i], px[i + 1], px[i + 2]};
}

void rgb_image::set(int x, int y, rgb c)
{
    if (!inside(x, y)) return;
    const size_t i = (static_cast<size_t>(y) * w + x) * 3;
    px[i] = c.r;
    px[i + 1] = c.g;
    px[i + 2] = c.b;
}

void blit(rgb_image& dst, const rgb_image& src, int x, int y)
{
    for (int sy = 0; sy < src.h; ++sy)
        for (int sx = 0; sx < src.w; ++sx) dst.set(x + sx, y + sy, src.at(sx, sy));
}

rgb_image crop(const rgb_image& src, int x, int y, int w, int h)
{
    rgb_image out(w, h);
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx)
            if (src.inside(x + xx, y + yy)) out.set(xx, yy, src.at(x + xx, y + yy));
    return out;
}

rgb_image mirror_x(const rgb_image& src)
{
    rgb_image out(src.w, src.h);
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) out.set(src.w - 1 - x, y, src.at(x, y));
    return out;
}

int opaque_count(const rgb_image& img)
{
    int n = 0;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) n += is_key(img.at(x, y)) ? 0 : 1;
    return n;
}

double hash01(int x, int y, int seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^
                 static_cast<uint32_t>(seed) * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xffffffu) / 16777216.0;
}

double value_noise(double x, double y, double cell, int seed)
{
    const double fx = x / cell, fy = y / cell;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    double tx = fx - ix, ty = fy - iy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const double a = hash01(ix, iy, seed), b = hash01(ix + 1, iy, seed);
    const double c = hash01(ix, iy + 1, seed), d = hash01(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

uint8_t clamp_u8(double v)
{
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

rgb mix(rgb a, rgb b, double t)
{
    return {clamp_u8(a.r + (b.r - a.r) * t), clamp_u8(a.g + (b.g - a.g) * t), clamp_u8(a.b + (b.b - a.b) * t)};
}

rgb scale(rgb c, double k)
{
    return {clamp_u8(c.r * k), clamp_u8(c.g * k), clamp_u8(c.b * k)};
}

} // namespace artgen
