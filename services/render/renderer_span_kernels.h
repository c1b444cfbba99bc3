// The SIMD span kernels, written once over a vector width; each SIMD translation unit includes this
// with its own traits type `V` (see renderer_spans.cpp and renderer_spans_avx2.cpp).
//
// Everything is in 16-bit lanes (b, g, r, a per pixel) and every product fits them (255 x 255),
// so the kernels give exactly the pixels of the portable loops.
#pragma once

#include <cstdint>

#include "services/render/pixel_ops.h"
#include "services/render/renderer_spans.h"

// Unnamed namespace: every including unit gets its own copies, built for its own instruction set,
// which must never be merged with another unit's at link time.
namespace {

template <class V> struct span_kernels {
    using reg = typename V::reg;
    static constexpr int n = V::lanes; // pixels per register

    // div255 per lane: ((x + 128) x 257) >> 16 is the same rounding for x up to 65025.
    static reg div255v(reg x) { return V::mulhi16(V::add16(x, V::set16(128)), V::set16(257)); }

    struct wide {
        reg lo, hi;
    };
    static wide widen(reg v) { return {V::unpacklo8(v, V::zero()), V::unpackhi8(v, V::zero())}; }
    static reg narrow_rgb(reg lo, reg hi) { return V::and_(V::packus16(lo, hi), V::set32(0x00FFFFFF)); }

    template <bool tinted> static wide tint(reg s, reg k)
    {
        wide t = widen(s);
        if (tinted) {
            t.lo = div255v(V::mullo16(t.lo, k));
            t.hi = div255v(V::mullo16(t.hi, k));
        }
        return t;
    }

    // One register of texels onto one register of pixels; the mode is fixed per span.
    template <int mode, bool tinted> static inline void shade_reg(uint32_t* dp, reg s, reg k, bool full_alpha)
    {
        const reg rgb_bits = V::set32(0x00FFFFFF);
        if (mode == blend_solid) {
            if (tinted) {
                wide t = tint<true>(s, k);
                V::store(dp, narrow_rgb(t.lo, t.hi));
            } else {
                V::store(dp, V::and_(s, rgb_bits));
            }
            return;
        }
        if (mode == blend_mask) {
            reg packed = s;
            if (tinted) {
                wide t = tint<true>(s, k);
                packed = V::packus16(t.lo, t.hi);
            }
            int keep = V::sign_bits32(packed); // alpha >= 128
            if (keep == 0) return;
            reg rgb = V::and_(packed, rgb_bits);
            if (keep != V::all_bits) {
                reg m = V::srai32(packed, 31);
                rgb = V::or_(V::and_(m, rgb), V::andnot(m, V::load(dp)));
            }
            V::store(dp, rgb);
            return;
        }
        if (mode == blend_alpha || mode == blend_add) {
            reg raw_alpha = V::and_(s, V::set32(static_cast<int>(0xFF000000u)));
            // Fully transparent texels leave the pixel's colour as it is.
            if (V::all_equal32(raw_alpha, V::zero())) {
                V::store(dp, V::and_(V::load(dp), rgb_bits));
                return;
            }
            if (mode == blend_alpha && full_alpha &&
                V::all_equal32(raw_alpha, V::set32(static_cast<int>(0xFF000000u)))) {
                wide t = tint<tinted>(s, k);
                V::store(dp, narrow_rgb(t.lo, t.hi));
                return;
            }
        }
        wide t = tint<tinted>(s, k);
        wide d = widen(V::load(dp));
        reg lo, hi;
        if (mode == blend_alpha) {
            const reg c255 = V::set16(255);
            reg al = V::spread_alpha(t.lo), ah = V::spread_alpha(t.hi);
            lo = div255v(V::add16(V::mullo16(t.lo, al), V::mullo16(d.lo, V::sub16(c255, al))));
            hi = div255v(V::add16(V::mullo16(t.hi, ah), V::mullo16(d.hi, V::sub16(c255, ah))));
        } else if (mode == blend_add) {
            lo = V::add16(d.lo, div255v(V::mullo16(t.lo, V::spread_alpha(t.lo))));
            hi = V::add16(d.hi, div255v(V::mullo16(t.hi, V::spread_alpha(t.hi))));
        } else { // multiply
            lo = div255v(V::mullo16(d.lo, t.lo));
            hi = div255v(V::mullo16(d.hi, t.hi));
        }
        V::store(dp, narrow_rgb(lo, hi)); // packus saturates the additive sums at 255
    }

    template <int mode, bool tinted> static void shade(uint32_t* dst, const uint32_t* src, int count, const paint& p)
    {
        if (count <= 0) return;
        const reg k = V::set16x4(p.b, p.g, p.r, p.a);
        const bool full_alpha = p.a == 255;
        uint32_t s[n], d[n];
        if (count < n) { // a short span through a register's worth of copies
            V::load_part(s, src, count);
            V::load_part(d, dst, count);
            shade_reg<mode, tinted>(d, V::load(s), k, full_alpha);
            V::store_part(dst, d, count);
            return;
        }
        // The ragged end is done as the last whole register, from the pixels as they were before:
        // each result depends only on its own texel and pixel, so the overlap comes out the same.
        const int last = count - n;
        V::store(d, V::load(dst + last));
        int i = 0;
        for (; i + n <= count; i += n) shade_reg<mode, tinted>(dst + i, V::load(src + i), k, full_alpha);
        if (i == count) return;
        shade_reg<mode, tinted>(d, V::load(src + last), k, full_alpha);
        V::store(dst + last, V::load(d));
    }

    // As shade, with texel i read from row[cols[i]].
    template <int mode, bool tinted>
    static void shade_cols(uint32_t* dst, const uint32_t* row, const int* cols, int count, const paint& p)
    {
        if (count <= 0) return;
        const reg k = V::set16x4(p.b, p.g, p.r, p.a);
        const bool full_alpha = p.a == 255;
        uint32_t d[n];
        if (count < n) {
            uint32_t s[n] = {};
            for (int i = 0; i < count; ++i) s[i] = row[cols[i]];
            V::load_part(d, dst, count);
            shade_reg<mode, tinted>(d, V::load(s), k, full_alpha);
            V::store_part(dst, d, count);
            return;
        }
        const int last = count - n;
        V::store(d, V::load(dst + last));
        int i = 0;
        for (; i + n <= count; i += n) shade_reg<mode, tinted>(dst + i, V::gather(row, cols + i), k, full_alpha);
        if (i == count) return;
        shade_reg<mode, tinted>(d, V::gather(row, cols + last), k, full_alpha);
        V::store(dst + last, V::load(d));
    }

    template <bool tinted> static shade_fn pick_tinted(int mode)
    {
        switch (mode) {
        case blend_mask:
            return &shade<blend_mask, tinted>;
        case blend_alpha:
            return &shade<blend_alpha, tinted>;
        case blend_add:
            return &shade<blend_add, tinted>;
        case blend_multiply:
            return &shade<blend_multiply, tinted>;
        default:
            return &shade<blend_solid, tinted>;
        }
    }

    // The kernel for a paint, chosen once per quad; `mode` is the paint's mode as the rule reads it.
    static shade_fn pick(const paint& p, int mode)
    {
        bool tinted = p.r != 255 || p.g != 255 || p.b != 255 || p.a != 255;
        return tinted ? pick_tinted<true>(mode) : pick_tinted<false>(mode);
    }

    template <bool tinted> static shade_cols_fn pick_cols_tinted(int mode)
    {
        switch (mode) {
        case blend_mask:
            return &shade_cols<blend_mask, tinted>;
        case blend_alpha:
            return &shade_cols<blend_alpha, tinted>;
        case blend_add:
            return &shade_cols<blend_add, tinted>;
        case blend_multiply:
            return &shade_cols<blend_multiply, tinted>;
        default:
            return &shade_cols<blend_solid, tinted>;
        }
    }

    static shade_cols_fn pick_cols(const paint& p, int mode)
    {
        bool tinted = p.r != 255 || p.g != 255 || p.b != 255 || p.a != 255;
        return tinted ? pick_cols_tinted<true>(mode) : pick_cols_tinted<false>(mode);
    }

    // A flat colour: alpha and multiply as k + dst x f in 16-bit lanes, add as a saturating byte add.
    static inline reg fill_reg(reg d, int mode, reg c, reg k, reg f)
    {
        if (mode == blend_mask || mode == blend_solid) return c;
        if (mode == blend_add) return V::and_(V::adds8(d, c), V::set32(0x00FFFFFF));
        wide w = widen(d);
        return narrow_rgb(div255v(V::add16(k, V::mullo16(w.lo, f))), div255v(V::add16(k, V::mullo16(w.hi, f))));
    }

    static void fill(uint32_t* dst, int count, const paint& p, int mode)
    {
        if (count <= 0 || (mode == blend_mask && p.a < 128)) return;
        const uint32_t colour = static_cast<uint32_t>(p.r) << 16 | static_cast<uint32_t>(p.g) << 8 | p.b;
        const uint32_t a = p.a;
        reg c = V::set32(static_cast<int>(colour)), k = V::zero(), f = V::zero();
        if (mode == blend_add)
            c = V::set32(static_cast<int>(div255(p.r * a) << 16 | div255(p.g * a) << 8 | div255(p.b * a)));
        if (mode == blend_alpha) {
            k = V::set16x4(static_cast<uint16_t>(p.b * a), static_cast<uint16_t>(p.g * a),
                           static_cast<uint16_t>(p.r * a), 0);
            f = V::set16(static_cast<uint16_t>(255 - a));
        }
        if (mode == blend_multiply) f = V::set16x4(p.b, p.g, p.r, 0);
        if (count < n) {
            uint32_t d[n];
            V::load_part(d, dst, count);
            V::store(d, fill_reg(V::load(d), mode, c, k, f));
            V::store_part(dst, d, count);
            return;
        }
        const int last = count - n;
        const reg before = V::load(dst + last); // the ragged end, as in shade
        int i = 0;
        for (; i + n <= count; i += n) V::store(dst + i, fill_reg(V::load(dst + i), mode, c, k, f));
        if (i != count) V::store(dst + last, fill_reg(before, mode, c, k, f));
    }
};

} // namespace
