// The span renderer against a per-pixel renderer written here from the drawing rules: identical pixels
// for random quads of every kind, on every kernel level the processor has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "services/maths.h"
#include "services/render/renderer.h"
#include "services/render/renderer_spans.h"

namespace {

// ---- The per-pixel renderer, written from the drawing rules alone: every pixel of the clip tested,
// every texel sampled from scratch, every blend done in plain integer arithmetic. It shares no code
// with the renderer but the texture it reads. ----
namespace plain {

// round(x / 255) to the nearest: 255 is odd, so no quotient falls half-way.
uint32_t over255(uint32_t x)
{
    return (x + 127) / 255;
}

// The five blend equations on one back-buffer pixel; the result's top byte is always 0.
uint32_t blend(uint32_t dst, uint32_t r, uint32_t g, uint32_t b, uint32_t a, int mode)
{
    const uint32_t src[3] = {r, g, b};
    uint32_t out[3];
    for (int c = 0; c < 3; ++c) {
        const uint32_t d = (dst >> (16 - 8 * c)) & 255, s = src[c];
        switch (mode) {
        case blend_mask: // opaque where alpha passes the test, untouched elsewhere
            if (a < 128) return dst;
            out[c] = s;
            break;
        case blend_alpha:
            out[c] = over255(s * a + d * (255 - a));
            break;
        case blend_add:
            out[c] = std::min(255u, d + over255(s * a));
            break;
        case blend_multiply:
            out[c] = over255(d * s);
            break;
        default:
            out[c] = s; // solid, and any unknown mode
        }
    }
    return out[0] << 16 | out[1] << 8 | out[2];
}

// The quad is the affine image of the unit square: corner 0 at (0, 0), corner 1 at (1, 0), corner 3
// at (0, 1). A point's (u, v) are kept scaled by the square's area `det` (made positive), which keeps
// whole and half-pixel placements exact; a pixel is covered when its centre has 0 <= u, v < 1.
struct square {
    double x0, y0;   // corner 0
    double ux, uy;   // corner 1 - corner 0
    double vx, vy;   // corner 3 - corner 0
    double det = 0;  // |cross(u edge, v edge)|
    double sign = 1; // -1 for a mirrored quad
    explicit square(const float xy[8])
        : x0(xy[0]), y0(xy[1]), ux(xy[2] - x0), uy(xy[3] - y0), vx(xy[6] - x0), vy(xy[7] - y0)
    {
        const double area = ux * vy - uy * vx;
        sign = area < 0 ? -1.0 : 1.0;
        det = area * sign;
    }
    // u x det and v x det of the point (x, y): cross products with the two edges.
    double u_det(double x, double y) const { return sign * ((x - x0) * vy - (y - y0) * vx); }
    double v_det(double x, double y) const { return sign * (ux * (y - y0) - uy * (x - x0)); }
    bool covers(double x, double y) const
    {
        const double u = u_det(x, y), v = v_det(x, y);
        return u >= 0 && u < det && v >= 0 && v < det;
    }
};

// Calls fn(x, y, u x det, v x det) for each covered pixel inside the clip. Only rows the four given
// corners reach are visited, so a skewed fourth corner cuts the rows short.
template <typename F> void each_covered(const float xy[8], const clip_rect& clip, F&& fn)
{
    const square q(xy);
    if (q.det == 0) return;
    const float top = std::min({xy[1], xy[3], xy[5], xy[7]}), bottom = std::max({xy[1], xy[3], xy[5], xy[7]});
    const int first_row = std::max(clip.y0, static_cast<int>(std::floor(top - 0.5)));
    const int end_row = std::min(clip.y1, static_cast<int>(std::ceil(bottom + 0.5)));
    for (int y = first_row; y < end_row; ++y)
        for (int x = clip.x0; x < clip.x1; ++x)
            if (q.covers(x + 0.5, y + 0.5)) fn(x, y, q.u_det(x + 0.5, y + 0.5), q.v_det(x + 0.5, y + 0.5));
}

// Edges clamp: positions off the texture read its border texels.
uint32_t texel_at(const texture::level& l, int tx, int ty)
{
    tx = std::clamp(tx, 0, l.width - 1);
    ty = std::clamp(ty, 0, l.height - 1);
    return l.texels[static_cast<size_t>(ty) * l.width + tx];
}

// Nearest: texel (floor(u x width), floor(v x height)).
uint32_t nearest(const texture::level& l, double u_det, double v_det, double det)
{
    return texel_at(l, static_cast<int>(std::floor(u_det * l.width / det)),
                    static_cast<int>(std::floor(v_det * l.height / det)));
}

// Two colours mixed channel by channel, `w` of 256 parts going to b, rounded to the nearest.
uint32_t mix(uint32_t a, uint32_t b, uint32_t w)
{
    uint32_t out = 0;
    for (int shift : {24, 16, 8, 0}) {
        const uint32_t ca = (a >> shift) & 255, cb = (b >> shift) & 255;
        out |= (ca * (256 - w) + cb * w + 128) / 256 << shift;
    }
    return out;
}

// Texel centres sit at half-texel positions; the four around the point are mixed along x, then along
// y, with weights of whole 256ths rounded to the nearest.
uint32_t bilinear(const texture::level& l, double u_det, double v_det, double det)
{
    const double sx = u_det * l.width / det - 0.5, sy = v_det * l.height / det - 0.5;
    const double left = std::floor(sx), upper = std::floor(sy);
    const auto wx = static_cast<uint32_t>(std::lround((sx - left) * 256.0));
    const auto wy = static_cast<uint32_t>(std::lround((sy - upper) * 256.0));
    const int tx = static_cast<int>(left), ty = static_cast<int>(upper);
    return mix(mix(texel_at(l, tx, ty), texel_at(l, tx + 1, ty), wx),
               mix(texel_at(l, tx, ty + 1), texel_at(l, tx + 1, ty + 1), wx), wy);
}

// Texels of level 0 crossed by one pixel's step along the screen's x or y, whichever is more.
double texels_per_pixel(const float xy[8], const texture& tex)
{
    const square q(xy);
    if (q.det == 0) return 1.0;
    // u changes by vy / det a pixel along x and by -vx / det along y; v by -uy / det and ux / det.
    const double w = tex.width(), h = tex.height();
    const double along_x = std::hypot(w * q.vy / q.det, h * q.uy / q.det);
    const double along_y = std::hypot(w * q.vx / q.det, h * q.ux / q.det);
    return std::max(along_x, along_y);
}

// A texel tinted by the paint and blended onto the pixel.
void put_texel(uint32_t& dst, uint32_t texel, const paint& p)
{
    const uint32_t a = over255((texel >> 24) * p.a);
    dst = blend(dst, over255(((texel >> 16) & 255) * p.r), over255(((texel >> 8) & 255) * p.g),
                over255((texel & 255) * p.b), a, p.blend);
}

struct buffer {
    int w, h;
    std::vector<uint32_t> px;
    clip_rect cut(const clip_rect& c) const
    {
        return {std::max(0, c.x0), std::max(0, c.y0), std::min(w, c.x1), std::min(h, c.y1)};
    }
    uint32_t& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }

    void clear(const clip_rect& clip, uint32_t rgb)
    {
        const clip_rect c = cut(clip);
        for (int y = c.y0; y < c.y1; ++y)
            for (int x = c.x0; x < c.x1; ++x) at(x, y) = rgb & 0xFFFFFF;
    }

    void put_point(int x, int y, const clip_rect& clip, const paint& p)
    {
        const clip_rect c = cut(clip);
        if (x < c.x0 || y < c.y0 || x >= c.x1 || y >= c.y1) return;
        at(x, y) = blend(at(x, y), p.r, p.g, p.b, p.a, p.blend);
    }

    void fill_quad(const float xy[8], const clip_rect& clip, const paint& p)
    {
        each_covered(xy, cut(clip),
                     [&](int x, int y, double, double) { at(x, y) = blend(at(x, y), p.r, p.g, p.b, p.a, p.blend); });
    }

    // Mipmapped: the level is picked by log2 of the texels a pixel crosses, the nearest level, or
    // when filtered the two around it mixed by the fraction in 256ths.
    void draw_quad(const texture& tex, const float xy[8], const clip_rect& clip, const paint& p)
    {
        if (tex.levels.empty()) return;
        const bool filtered = tex.flags & texture_filtered;
        const int last = static_cast<int>(tex.levels.size()) - 1;
        int level = 0;
        uint32_t level_mix = 0; // of 256, toward level + 1
        const double lod = (tex.flags & texture_mipmapped) ? std::log2(texels_per_pixel(xy, tex)) : 0.0;
        if (lod > 0.0 && filtered) {
            level = std::min(static_cast<int>(std::floor(lod)), last);
            if (level < last) level_mix = static_cast<uint32_t>(std::lround((lod - level) * 256.0));
        } else if (lod > 0.0) {
            level = std::min(static_cast<int>(std::lround(lod)), last);
        }
        const texture::level& l0 = tex.levels[static_cast<size_t>(level)];
        const double det = square(xy).det;
        each_covered(xy, cut(clip), [&](int x, int y, double u, double v) {
            uint32_t t = filtered ? bilinear(l0, u, v, det) : nearest(l0, u, v, det);
            if (level_mix) t = mix(t, bilinear(tex.levels[static_cast<size_t>(level) + 1], u, v, det), level_mix);
            put_texel(at(x, y), t, p);
        });
    }
};

} // namespace plain

// ---- Random cases ----

struct rng {
    uint32_t s;
    uint32_t next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
    float real(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(next() & 0xFFFFFF) / 16777216.0f; }
    uint8_t byte_with_edges()
    {
        constexpr uint8_t edges[] = {0, 1, 127, 128, 254, 255};
        return below(3) == 0 ? edges[below(6)] : static_cast<uint8_t>(next());
    }
};

std::shared_ptr<texture> random_texture(rng& r, int flags)
{
    int w = 1 + r.below(r.below(4) == 0 ? 70 : 24), h = 1 + r.below(r.below(4) == 0 ? 70 : 24);
    std::vector<uint32_t> t(static_cast<size_t>(w) * h);
    for (uint32_t& v : t) v = static_cast<uint32_t>(r.byte_with_edges()) << 24 | (r.next() & 0xFFFFFF);
    return make_texture(t.data(), w, h, flags);
}

// Rows of one colour, as the sky's gradient has, with now and then one texel out of line.
std::shared_ptr<texture> banded_texture(rng& r, int flags)
{
    int w = 1 + r.below(40), h = 1 + r.below(24);
    std::vector<uint32_t> t(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        uint32_t v = static_cast<uint32_t>(r.byte_with_edges()) << 24 | (r.next() & 0xFFFFFF);
        std::fill_n(&t[static_cast<size_t>(y) * w], w, v);
        if (r.below(5) == 0) t[static_cast<size_t>(y) * w + r.below(w)] ^= r.below(2) ? 0x01000000u : 0x00000100u;
    }
    return make_texture(t.data(), w, h, flags);
}

// Mostly opaque texels, so that mask mode replaces whole rows; now and then one that fails the test.
std::shared_ptr<texture> opaque_texture(rng& r)
{
    int w = 1 + r.below(30), h = 1 + r.below(12);
    std::vector<uint32_t> t(static_cast<size_t>(w) * h);
    for (uint32_t& v : t) v = static_cast<uint32_t>(128 + r.below(128)) << 24 | (r.next() & 0xFFFFFF);
    if (r.below(4) == 0)
        t[static_cast<size_t>(r.below(w * h))] = static_cast<uint32_t>(r.below(2) ? 127 : 0) << 24 | 0x123456;
    return make_texture(t.data(), w, h, 0);
}

// A sprite: texels inside a box, alpha 0 around it (with now and then a faint or half-clear one).
std::shared_ptr<texture> sprite_texture(rng& r, int flags)
{
    int w = 1 + r.below(40), h = 1 + r.below(30);
    int bx0 = r.below(w), by0 = r.below(h);
    int bx1 = bx0 + r.below(w - bx0), by1 = by0 + r.below(h - by0);
    std::vector<uint32_t> t(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool in = x >= bx0 && x <= bx1 && y >= by0 && y <= by1 && r.below(6);
            t[static_cast<size_t>(y) * w + x] =
                (in ? static_cast<uint32_t>(r.byte_with_edges()) << 24 : 0u) | (r.next() & 0xFFFFFF);
        }
    if (r.below(3) == 0) {
        constexpr uint32_t faint[] = {1, 127, 128};
        t[static_cast<size_t>(r.below(w * h))] = faint[r.below(3)] << 24 | 0x808080;
    }
    return make_texture(t.data(), w, h, flags);
}

paint random_paint(rng& r)
{
    paint p;
    if (r.below(2)) {
        p.r = r.byte_with_edges();
        p.g = r.byte_with_edges();
        p.b = r.byte_with_edges();
    }
    p.a = r.below(2) ? 255 : r.byte_with_edges();
    constexpr int modes[] = {blend_mask, blend_solid, blend_alpha, blend_add, blend_multiply, 0, 9};
    p.blend = modes[r.below(7)];
    return p;
}

// Placement as the display does it: a local rectangle turned and scaled about the handle.
void random_corners(rng& r, int tw, int th, int fw, int fh, float xy[8])
{
    float x, y;
    switch (r.below(3)) {
    case 0: // whole pixels
        x = static_cast<float>(r.below(fw + 20) - 10);
        y = static_cast<float>(r.below(fh + 20) - 10);
        break;
    case 1: // half pixels
        x = static_cast<float>(r.below(2 * fw + 40) - 20) * 0.5f;
        y = static_cast<float>(r.below(2 * fh + 40) - 20) * 0.5f;
        break;
    default:
        x = r.real(-10, fw + 10.0f);
        y = r.real(-10, fh + 10.0f);
    }
    float hx = r.below(2) ? tw * 0.5f : 0.0f, hy = r.below(2) ? th * 0.5f : 0.0f;
    double rot = 0;
    switch (r.below(4)) {
    case 0:
        break;
    case 1:
        rot = 90.0 * r.below(4);
        break;
    default:
        rot = r.real(-360, 360);
    }
    float sx = 1, sy = 1;
    if (r.below(2)) {
        sx = r.real(0.05f, 3.0f);
        sy = r.below(2) ? sx : r.real(0.05f, 3.0f);
    }
    if (r.below(5) == 0) sx = -sx; // mirrored
    if (r.below(5) == 0) sy = -sy;
    double s = sin_deg(rot), c = cos_deg(rot);
    float ix = static_cast<float>(c * sx), iy = static_cast<float>(-s * sy);
    float jx = static_cast<float>(s * sx), jy = static_cast<float>(c * sy);
    const float lx[4] = {-hx, tw - hx, tw - hx, -hx}, ly[4] = {-hy, -hy, th - hy, th - hy};
    for (int i = 0; i < 4; ++i) {
        xy[2 * i] = x + lx[i] * ix + ly[i] * iy;
        xy[2 * i + 1] = y + lx[i] * jx + ly[i] * jy;
    }
}

clip_rect random_clip(rng& r, int w, int h)
{
    if (r.below(3)) return {0, 0, w, h};
    int x0 = r.below(w + 4) - 2, y0 = r.below(h + 4) - 2;
    return {x0, y0, x0 + r.below(w + 4), y0 + r.below(h + 4)};
}

// Fills both buffers with the same pixels, top bytes included: they must survive as the rule says.
void same_background(rng& r, frame_buffer& fb, plain::buffer& ref)
{
    bool top_bytes = r.below(4) == 0;
    for (size_t i = 0; i < ref.px.size(); ++i) {
        uint32_t v = r.next() & (top_bytes ? 0xFFFFFFFFu : 0x00FFFFFFu);
        if (r.below(3) == 0) v = 0;
        fb.pixels()[i] = v;
        ref.px[i] = v;
    }
}

// The first differing pixel, as text; empty when the buffers agree.
std::string first_difference(const frame_buffer& fb, const plain::buffer& ref)
{
    for (int y = 0; y < ref.h; ++y)
        for (int x = 0; x < ref.w; ++x)
            if (fb.pixel(x, y) != ref.px[static_cast<size_t>(y) * ref.w + x]) {
                char s[96];
                std::snprintf(s, sizeof s, "pixel %d,%d: %08X, per-pixel rule %08X", x, y, fb.pixel(x, y),
                              ref.px[static_cast<size_t>(y) * ref.w + x]);
                return s;
            }
    return "";
}

std::vector<int> kernel_levels()
{
    std::vector<int> out;
    for (int l : {span_portable, span_sse2, span_avx2, span_avx512})
        if (set_span_kernels(l) == l) out.push_back(l);
    set_span_kernels(-1);
    return out;
}

void describe(const float xy[8], const paint& p, const texture* t, std::string& out)
{
    char s[256];
    std::snprintf(s, sizeof s, "corners %.9g,%.9g %.9g,%.9g %.9g,%.9g %.9g,%.9g paint %d,%d,%d,%d mode %d", xy[0],
                  xy[1], xy[2], xy[3], xy[4], xy[5], xy[6], xy[7], p.r, p.g, p.b, p.a, p.blend);
    out = s;
    if (t)
        out += " texture " + std::to_string(t->width()) + "x" + std::to_string(t->height()) + " flags " +
               std::to_string(t->flags);
}

// Many random quads onto one pair of buffers; any difference fails with the quad that made it.
void run_random_quads(uint32_t seed, int fw, int fh, int quads)
{
    for (int level : kernel_levels()) {
        set_span_kernels(level);
        rng r{seed};
        frame_buffer fb(fw, fh);
        plain::buffer ref{fw, fh, std::vector<uint32_t>(static_cast<size_t>(fw) * fh)};
        same_background(r, fb, ref);
        int drew = 0; // quads that changed a pixel: the cases must not all miss the buffer
        for (int q = 0; q < quads; ++q) {
            std::vector<uint32_t> before = ref.px;
            constexpr int flag_sets[] = {0, 0, texture_filtered, texture_mipmapped,
                                         texture_filtered | texture_mipmapped};
            auto tex = random_texture(r, flag_sets[r.below(5)]);
            float xy[8];
            random_corners(r, tex->width(), tex->height(), fw, fh, xy);
            if (r.below(6) == 0) xy[2 * r.below(4)] += r.real(-3, 3); // a skewed parallelogram
            paint p = random_paint(r);
            clip_rect clip = random_clip(r, fw, fh);
            bool flat = r.below(6) == 0;
            if (flat) {
                fb.fill_quad(xy, clip, p);
                ref.fill_quad(xy, clip, p);
            } else {
                fb.draw_quad(*tex, xy, clip, p);
                ref.draw_quad(*tex, xy, clip, p);
            }
            std::string diff = first_difference(fb, ref);
            if (!diff.empty()) {
                std::string what;
                describe(xy, p, flat ? nullptr : tex.get(), what);
                set_span_kernels(-1);
                FAIL() << "kernel level " << level << ", quad " << q << ": " << diff << "; " << what;
            }
            drew += before != ref.px;
        }
        EXPECT_GT(drew, quads / 3) << "too few quads reached the buffer";
    }
    set_span_kernels(-1);
}

} // namespace

TEST(renderer_equivalence, random_quads_on_a_small_buffer)
{
    for (uint32_t seed = 1; seed <= 12; ++seed) run_random_quads(seed * 2654435761u, 48, 40, 250);
}

TEST(renderer_equivalence, random_quads_wider_than_a_kernel_chunk)
{
    // Spans of several hundred pixels cross the renderer's buffer chunks.
    run_random_quads(99, 700, 24, 60);
}

TEST(renderer_equivalence, large_and_far_quads_and_tiny_ones)
{
    for (int level : kernel_levels()) {
        set_span_kernels(level);
        rng r{7};
        frame_buffer fb(40, 40);
        plain::buffer ref{40, 40, std::vector<uint32_t>(1600)};
        same_background(r, fb, ref);
        auto tex = random_texture(r, 0);
        auto soft = random_texture(r, texture_filtered | texture_mipmapped);
        const clip_rect all{0, 0, 40, 40};
        // Corners far away make the edge forms' terms large; a quad this size still touches the buffer.
        const float far_quad[8] = {-3.0e5f, -1.0e5f, 2.0e5f, -2.5e5f, 0, 0, -1.5e5f, 2.0e5f};
        // A turned quad smaller than a pixel, and one a few texels wide stretched over the buffer.
        const float tiny[8] = {20.3f, 20.2f, 20.9f, 20.5f, 0, 0, 20.1f, 20.8f};
        const float stretched[8] = {-5.2f, 3.7f, 44.1f, 9.3f, 0, 0, -9.6f, 38.8f};
        for (const float* xy : {far_quad, tiny, stretched})
            for (const auto& t : {tex, soft}) {
                paint p = random_paint(r);
                fb.draw_quad(*t, xy, all, p);
                ref.draw_quad(*t, xy, all, p);
                std::string diff = first_difference(fb, ref);
                ASSERT_TRUE(diff.empty()) << "kernel level " << level << ": " << diff;
            }
    }
    set_span_kernels(-1);
}

TEST(renderer_equivalence, span_kernels_match_the_portable_loops_at_every_length)
{
    rng r{123};
    std::vector<int> levels = kernel_levels();
    for (int round = 0; round < 400; ++round) {
        int n = round % 41;
        std::vector<uint32_t> src(static_cast<size_t>(n) + 1), base(static_cast<size_t>(n) + 1);
        for (uint32_t& v : src) v = static_cast<uint32_t>(r.byte_with_edges()) << 24 | (r.next() & 0xFFFFFF);
        for (uint32_t& v : base) v = r.next();
        paint p = random_paint(r);
        const int kind = round % 3; // flat, texels in a run, texels picked by column
        std::vector<int> cols(static_cast<size_t>(n) + 1);
        for (int& c : cols) c = r.below(n + 1);
        auto draw = [&](std::vector<uint32_t>& out) {
            if (kind == 0)
                fill_span(out.data(), n, p);
            else if (kind == 1)
                shade_span(out.data(), src.data(), n, p);
            else
                shade_cols_kernel(p)(out.data(), src.data(), cols.data(), n, p);
        };
        std::vector<uint32_t> want = base;
        set_span_kernels(span_portable);
        if (kind == 2) { // what each column picks, shaded as a run by the portable loop
            std::vector<uint32_t> picked(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                picked[static_cast<size_t>(i)] = src[static_cast<size_t>(cols[static_cast<size_t>(i)])];
            shade_span(want.data(), picked.data(), n, p);
        } else {
            draw(want);
        }
        for (int level : levels) {
            std::vector<uint32_t> got = base;
            set_span_kernels(level);
            draw(got);
            ASSERT_EQ(got, want) << "level " << level << ", length " << n << ", mode " << p.blend
                                 << (kind == 0   ? " flat"
                                     : kind == 1 ? " textured"
                                                 : " by column");
            EXPECT_EQ(got[static_cast<size_t>(n)], base[static_cast<size_t>(n)]) << "wrote past the span";
        }
    }
    set_span_kernels(-1);
}

TEST(renderer_equivalence, quarter_turns_on_half_pixels_land_on_texel_edges)
{
    // Turned by whole quarter turns (sin and cos not quite 0 and 1) and placed on half pixels,
    // pixel centres fall on texel edges: the fixed-point steps must hand these to the exact rule.
    for (int level : kernel_levels()) {
        set_span_kernels(level);
        rng r{31337};
        frame_buffer fb(64, 64);
        plain::buffer ref{64, 64, std::vector<uint32_t>(64 * 64)};
        same_background(r, fb, ref);
        for (int q = 0; q < 64; ++q) {
            auto tex = random_texture(r, q % 2 ? texture_filtered : 0);
            double rot = 90.0 * (1 + q % 3);
            float sx = q % 4 < 2 ? 1.0f : 2.0f, x = 16.0f + 0.5f * (q % 7), y = 20.0f + 0.5f * (q % 5);
            double s = sin_deg(rot), c = cos_deg(rot);
            const float lx[4] = {0, float(tex->width()), float(tex->width()), 0};
            const float ly[4] = {0, 0, float(tex->height()), float(tex->height())};
            float xy[8];
            for (int i = 0; i < 4; ++i) {
                xy[2 * i] = x + lx[i] * static_cast<float>(c * sx) + ly[i] * static_cast<float>(-s * sx);
                xy[2 * i + 1] = y + lx[i] * static_cast<float>(s * sx) + ly[i] * static_cast<float>(c * sx);
            }
            paint p{255, 255, 255, 255, blend_solid};
            fb.draw_quad(*tex, xy, clip_rect{0, 0, 64, 64}, p);
            ref.draw_quad(*tex, xy, clip_rect{0, 0, 64, 64}, p);
            std::string diff = first_difference(fb, ref);
            ASSERT_TRUE(diff.empty()) << "kernel level " << level << ", turn " << rot << ": " << diff;
        }
    }
    set_span_kernels(-1);
}

TEST(renderer_equivalence, a_game_sized_frame)
{
    // Pictures as large as the sky and the ground, sprites, a full-screen veil and points, on a
    // buffer as wide as the game's: long rows through every kernel's main loop.
    for (int level : kernel_levels()) {
        set_span_kernels(level);
        rng r{2024};
        const int w = 640, h = 120;
        frame_buffer fb(w, h);
        plain::buffer ref{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h)};
        std::vector<uint32_t> big(static_cast<size_t>(w) * 100);
        for (uint32_t& v : big) v = (r.below(5) ? 0xFF000000u : 0u) | (r.next() & 0xFFFFFF);
        auto sky = make_texture(big.data(), w, 100, 0);
        const clip_rect all{0, 0, w, h};
        const float whole[8] = {0, 10, float(w), 10, float(w), 110, 0, 110};
        for (int mode : {blend_solid, blend_mask, blend_alpha}) {
            paint p{200, 200, 255, static_cast<uint8_t>(mode == blend_alpha ? 77 : 255), mode};
            fb.draw_quad(*sky, whole, all, p);
            ref.draw_quad(*sky, whole, all, p);
        }
        for (int q = 0; q < 40; ++q) {
            auto tex = random_texture(r, q % 5 == 0 ? texture_filtered | texture_mipmapped : 0);
            float xy[8];
            random_corners(r, tex->width(), tex->height(), w, h, xy);
            paint p = random_paint(r);
            fb.draw_quad(*tex, xy, all, p);
            ref.draw_quad(*tex, xy, all, p);
        }
        const float veil[8] = {0, 0, float(w), 0, float(w), float(h), 0, float(h)};
        paint night{0, 0, 64, 76, blend_alpha};
        fb.fill_quad(veil, all, night);
        ref.fill_quad(veil, all, night);
        for (int i = 0; i < 50; ++i) {
            int x = r.below(w + 2) - 1, y = r.below(h + 2) - 1;
            paint p = random_paint(r);
            fb.put_point(x, y, all, p);
            ref.put_point(x, y, all, p);
        }
        std::string diff = first_difference(fb, ref);
        ASSERT_TRUE(diff.empty()) << "kernel level " << level << ": " << diff;
    }
    set_span_kernels(-1);
}

TEST(renderer_equivalence, rows_of_one_colour_draw_as_their_texels_would)
{
    for (int level : kernel_levels()) {
        set_span_kernels(level);
        rng r{8086};
        frame_buffer fb(96, 40);
        plain::buffer ref{96, 40, std::vector<uint32_t>(96 * 40)};
        same_background(r, fb, ref);
        for (int q = 0; q < 300; ++q) {
            auto tex = banded_texture(r, q % 7 == 0   ? texture_filtered | texture_mipmapped
                                         : q % 5 == 0 ? texture_mipmapped
                                                      : 0);
            float xy[8];
            random_corners(r, tex->width(), tex->height(), 96, 40, xy);
            paint p = random_paint(r);
            clip_rect clip = random_clip(r, 96, 40);
            fb.draw_quad(*tex, xy, clip, p);
            ref.draw_quad(*tex, xy, clip, p);
            std::string diff = first_difference(fb, ref);
            if (!diff.empty()) {
                std::string what;
                describe(xy, p, tex.get(), what);
                set_span_kernels(-1);
                FAIL() << "kernel level " << level << ", quad " << q << ": " << diff << "; " << what;
            }
        }
    }
    set_span_kernels(-1);
}

TEST(renderer_equivalence, transparent_margins_are_skipped_only_where_nothing_would_change)
{
    // Mask mode leaves out what fails the test; blends leave out alpha 0 only while no pixel has
    // its top byte set (a blend clears it), that is after a whole clear and not after a raw write.
    for (int level : kernel_levels()) {
        set_span_kernels(level);
        for (uint32_t seed = 1; seed <= 8; ++seed) {
            rng r{seed * 104729u};
            const int w = 80, h = 48;
            frame_buffer fb(w, h);
            plain::buffer ref{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h)};
            const clip_rect all{0, 0, w, h};
            for (int q = 0; q < 150; ++q) {
                if (q % 50 == 0) {
                    if (seed % 2) { // raw pixels, top bytes and all
                        same_background(r, fb, ref);
                    } else {
                        uint32_t rgb = r.next() & 0xFFFFFF;
                        fb.clear(all, rgb);
                        ref.clear(all, rgb);
                    }
                }
                auto tex = sprite_texture(r, q % 9 == 0 ? texture_filtered : q % 7 == 0 ? texture_mipmapped : 0);
                float xy[8];
                random_corners(r, tex->width(), tex->height(), w, h, xy);
                paint p = random_paint(r);
                if (r.below(2)) p.blend = r.below(2) ? blend_alpha : blend_add;
                clip_rect clip = random_clip(r, w, h);
                fb.draw_quad(*tex, xy, clip, p);
                ref.draw_quad(*tex, xy, clip, p);
                std::string diff = first_difference(fb, ref);
                if (!diff.empty()) {
                    std::string what;
                    describe(xy, p, tex.get(), what);
                    set_span_kernels(-1);
                    FAIL() << "kernel level " << level << ", seed " << seed << ", quad " << q << ": " << diff << "; "
                           << what;
                }
            }
        }
    }
    set_span_kernels(-1);
}

TEST(renderer_equivalence, owed_clears_come_out_as_if_cleared_at_once)
{
    // Whole-row clears are paid late, or not at all where a draw replaces the whole row: after any
    // mix of clears, draws across the width, other draws, points and looks the pixels must be
    // those of clearing at once.
    for (int level : kernel_levels()) {
        set_span_kernels(level);
        for (uint32_t seed = 1; seed <= 40; ++seed) {
            rng r{seed * 7919u};
            const int w = 8 + r.below(60), h = 4 + r.below(30);
            frame_buffer fb(w, h);
            plain::buffer ref{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h)};
            same_background(r, fb, ref);
            const uint32_t colours[3] = {0x000000, 0x102030, r.next()};
            std::string log;
            for (int step = 0; step < 40; ++step) {
                const clip_rect all{0, 0, w, h};
                int kind = r.below(10);
                if (kind < 3) { // clear: mostly whole rows, with the same colour again now and then
                    int y0 = r.below(h + 2) - 1, y1 = y0 + r.below(h + 2);
                    clip_rect c = r.below(4) ? clip_rect{-r.below(3), y0, w + r.below(3), y1}
                                             : clip_rect{r.below(w), y0, r.below(w + 2), y1};
                    uint32_t rgb = colours[r.below(3)];
                    fb.clear(c, rgb);
                    ref.clear(c, rgb);
                    log += " clear";
                } else if (kind < 7) { // across the whole width, replacing or not
                    auto tex = opaque_texture(r);
                    float y0 = static_cast<float>(r.below(h + 4) - 2), y1 = y0 + 1 + static_cast<float>(r.below(h));
                    float x0 = -static_cast<float>(r.below(3)), x1 = static_cast<float>(w + r.below(3));
                    if (r.below(5) == 0) x1 -= 1.5f; // just short of the right edge
                    float xy[8] = {x0, y0, x1, y0, x1, y1, x0, y1};
                    if (r.below(4) == 0) xy[2] += r.real(-1, 1); // a slant: rows covered in part
                    paint p = random_paint(r);
                    if (r.below(2)) p.blend = r.below(2) ? blend_solid : blend_mask;
                    clip_rect c = r.below(5) ? all : random_clip(r, w, h);
                    if (r.below(4) == 0) {
                        fb.fill_quad(xy, c, p);
                        ref.fill_quad(xy, c, p);
                        log += " rect";
                    } else {
                        fb.draw_quad(*tex, xy, c, p);
                        ref.draw_quad(*tex, xy, c, p);
                        log += " band";
                    }
                } else if (kind < 9) {
                    auto tex = random_texture(r, 0);
                    float xy[8];
                    random_corners(r, tex->width(), tex->height(), w, h, xy);
                    paint p = random_paint(r);
                    fb.draw_quad(*tex, xy, all, p);
                    ref.draw_quad(*tex, xy, all, p);
                    log += " quad";
                } else if (r.below(2)) {
                    int x = r.below(w), y = r.below(h);
                    paint p = random_paint(r);
                    fb.put_point(x, y, all, p);
                    ref.put_point(x, y, all, p);
                    log += " point";
                } else { // a look in the middle pays what is owed
                    uint32_t got[4], want[4];
                    int x = r.below(w), y = r.below(h);
                    fb.read_rect(x - 1, y, 4, 1, got);
                    for (int i = 0; i < 4; ++i) {
                        int sx = x - 1 + i;
                        want[i] = sx >= 0 && sx < w ? 0xFF000000u | ref.px[static_cast<size_t>(y) * w + sx] : 0u;
                    }
                    ASSERT_TRUE(std::equal(got, got + 4, want)) << "level " << level << ", seed " << seed << ":" << log;
                    log += " look";
                }
            }
            std::string diff = first_difference(fb, ref);
            ASSERT_TRUE(diff.empty()) << "level " << level << ", seed " << seed << ": " << diff << " after" << log;
        }
    }
    set_span_kernels(-1);
}

TEST(renderer_equivalence, kernel_levels_never_exceed_the_processor)
{
    int best = set_span_kernels(-1);
    EXPECT_EQ(span_kernels_in_use(), best);
    EXPECT_EQ(set_span_kernels(span_avx512 + 5), best); // asking for more grants the best there is
    EXPECT_EQ(set_span_kernels(span_portable), span_portable);
    EXPECT_EQ(span_kernels_in_use(), span_portable);
    EXPECT_EQ(best >= span_avx512, avx512_spans_available() && avx2_spans_available());
    // Every processor the game ships for has a 128-bit level: a build that lost it would run portable.
#if defined(__aarch64__)
    EXPECT_EQ(best, span_neon);
    EXPECT_STREQ(span_kernel_name(best), "neon");
#elif defined(__x86_64__)
    EXPECT_GE(best, span_sse2);
#endif
    for (int l : {span_portable, span_sse2, span_avx2, span_avx512})
        EXPECT_EQ(span_kernel_level(span_kernel_name(l)), l);
    EXPECT_EQ(span_kernel_level("mmx"), -1);
    set_span_kernels(-1);
}

TEST(renderer_equivalence, clears_fill_exactly_the_clipped_rectangle)
{
    for (int level : kernel_levels()) {
        set_span_kernels(level);
        rng r{555};
        for (int round = 0; round < 60; ++round) {
            int w = 1 + r.below(40), h = 1 + r.below(12);
            frame_buffer fb(w, h);
            std::vector<uint32_t> want(static_cast<size_t>(w) * h);
            for (size_t i = 0; i < want.size(); ++i) fb.pixels()[i] = want[i] = r.next();
            clip_rect c = random_clip(r, w, h);
            uint32_t rgb = r.next(); // the top byte must not reach the buffer
            fb.clear(c, rgb);
            for (int y = std::max(0, c.y0); y < std::min(h, c.y1); ++y)
                for (int x = std::max(0, c.x0); x < std::min(w, c.x1); ++x)
                    want[static_cast<size_t>(y) * w + x] = rgb & 0xFFFFFF;
            ASSERT_TRUE(std::equal(want.begin(), want.end(), fb.pixels()))
                << "level " << level << ", " << w << "x" << h << " clip " << c.x0 << "," << c.y0 << "-" << c.x1 << ","
                << c.y1;
        }
    }
    set_span_kernels(-1);
}
