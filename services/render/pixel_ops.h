// Pixel rules shared by the renderer and its span kernels: the blend modes, the paint and one pixel's blend.
#pragma once

#include <cstdint>

enum blend_mode_id { blend_mask = 1, blend_solid = 2, blend_alpha = 3, blend_add = 4, blend_multiply = 5 };

// What every fragment is tinted and blended with.
struct paint {
    uint8_t r = 255, g = 255, b = 255, a = 255;
    int blend = blend_mask;
};

// round(x / 255) for x in 0..65025, without a division.
inline uint32_t div255(uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// The five blend equations on one back-buffer pixel; src is the tinted colour, a its alpha byte.
inline uint32_t blend_pixel(uint32_t dst, uint32_t sr, uint32_t sg, uint32_t sb, uint32_t a, int mode)
{
    uint32_t dr = (dst >> 16) & 255, dg = (dst >> 8) & 255, db = dst & 255;
    switch (mode) {
    case blend_mask:
        return a >= 128 ? (sr << 16) | (sg << 8) | sb : dst;
    case blend_alpha: {
        uint32_t ia = 255 - a;
        dr = div255(sr * a + dr * ia);
        dg = div255(sg * a + dg * ia);
        db = div255(sb * a + db * ia);
        break;
    }
    case blend_add:
        dr += div255(sr * a);
        dg += div255(sg * a);
        db += div255(sb * a);
        dr = dr > 255 ? 255 : dr;
        dg = dg > 255 ? 255 : dg;
        db = db > 255 ? 255 : db;
        break;
    case blend_multiply:
        dr = div255(dr * sr);
        dg = div255(dg * sg);
        db = div255(db * sb);
        break;
    default: // solid, and any unknown mode
        return (sr << 16) | (sg << 8) | sb;
    }
    return (dr << 16) | (dg << 8) | db;
}

// A texel tinted by the paint: its colour and its alpha byte, as every mode takes them.
struct shaded {
    uint32_t r, g, b, a;
};
inline shaded shade_texel(uint32_t texel, const paint& p)
{
    uint32_t ta = texel >> 24;
    shaded s{(texel >> 16) & 255, (texel >> 8) & 255, texel & 255, p.a == 255 ? ta : div255(ta * p.a)};
    if (p.r != 255) s.r = div255(s.r * p.r);
    if (p.g != 255) s.g = div255(s.g * p.g);
    if (p.b != 255) s.b = div255(s.b * p.b);
    return s;
}

// The first `count` (< 4) pixels of a row between it and a four-pixel register's buffer, for the
// kernels whose registers hold four pixels (SSE2, NEON).
struct four_pixel_tail {
    static void load_part(uint32_t* buf, const uint32_t* p, int count)
    {
        buf[1] = buf[2] = buf[3] = 0;
        buf[0] = p[0];
        if (count > 1) buf[1] = p[1];
        if (count > 2) buf[2] = p[2];
    }
    static void store_part(uint32_t* p, const uint32_t* buf, int count)
    {
        p[0] = buf[0];
        if (count > 1) p[1] = buf[1];
        if (count > 2) p[2] = buf[2];
    }
};
