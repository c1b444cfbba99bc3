// Pixel rules of the software renderer, checked exactly on small buffers.
#include <gtest/gtest.h>

#include <cmath>

#include "services/render/renderer.h"

namespace {

constexpr uint32_t black = 0x000000;

clip_rect whole(const frame_buffer& fb)
{
    return {0, 0, fb.width(), fb.height()};
}

// Corners of an axis-aligned rectangle, in the renderer's order.
void rect_xy(float x0, float y0, float x1, float y1, float xy[8])
{
    const float v[8] = {x0, y0, x1, y0, x1, y1, x0, y1};
    for (int i = 0; i < 8; ++i) xy[i] = v[i];
}

// The covered pixels' bounding box; false when nothing is covered.
bool covered_box(const frame_buffer& fb, uint32_t bg, int& x0, int& y0, int& x1, int& y1)
{
    x0 = y0 = 1 << 20;
    x1 = y1 = -1;
    for (int y = 0; y < fb.height(); ++y)
        for (int x = 0; x < fb.width(); ++x)
            if (fb.pixel(x, y) != bg) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    return x1 >= 0;
}

int count_not(const frame_buffer& fb, uint32_t bg)
{
    int n = 0;
    for (int y = 0; y < fb.height(); ++y)
        for (int x = 0; x < fb.width(); ++x) n += fb.pixel(x, y) != bg;
    return n;
}

std::shared_ptr<texture> solid_texture(int w, int h, uint32_t argb, int flags = 0)
{
    std::vector<uint32_t> t(static_cast<size_t>(w) * h, argb);
    return make_texture(t.data(), w, h, flags);
}

paint opaque(int blend = blend_solid)
{
    return paint{255, 255, 255, 255, blend};
}

} // namespace

TEST(coverage, pixel_centres_decide_and_edges_are_half_open)
{
    frame_buffer fb(64, 64);
    float xy[8];
    // 17 x 24 at (10, 20) with a top-left handle covers x 10..26, y 20..43.
    rect_xy(10, 20, 27, 44, xy);
    auto tex = solid_texture(17, 24, 0xFFFFFFFF);
    fb.draw_quad(*tex, xy, whole(fb), opaque());
    int x0, y0, x1, y1;
    ASSERT_TRUE(covered_box(fb, black, x0, y0, x1, y1));
    EXPECT_EQ(x0, 10);
    EXPECT_EQ(x1, 26);
    EXPECT_EQ(y0, 20);
    EXPECT_EQ(y1, 43);
    EXPECT_EQ(count_not(fb, black), 17 * 24);
}

TEST(coverage, half_pixel_handle_still_covers_exactly_the_image_size)
{
    frame_buffer fb(64, 64);
    float xy[8];
    // The same image with a mid handle (8.5, 12) at (10, 20): x 1.5..18.5, y 8..32.
    rect_xy(1.5f, 8, 18.5f, 32, xy);
    auto tex = solid_texture(17, 24, 0xFFFFFFFF);
    fb.draw_quad(*tex, xy, whole(fb), opaque());
    int x0, y0, x1, y1;
    ASSERT_TRUE(covered_box(fb, black, x0, y0, x1, y1));
    EXPECT_EQ(x0, 1);  // the centre 1.5 of pixel 1 lies on the left edge: inside
    EXPECT_EQ(x1, 17); // the centre 18.5 of pixel 18 lies on the right edge: outside
    EXPECT_EQ(y0, 8);
    EXPECT_EQ(y1, 31);
    EXPECT_EQ(count_not(fb, black), 17 * 24);
}

TEST(coverage, adjacent_quads_neither_overlap_nor_leave_gaps)
{
    frame_buffer fb(32, 32);
    paint p{255, 255, 255, 128, blend_add};
    float a[8], b[8];
    // Two halves of a rotated square share an edge; additive blending shows any double cover.
    const float cx = 16, cy = 16, r = 10, s = std::sin(0.3f), c = std::cos(0.3f);
    auto pt = [&](float u, float v, float* out) {
        out[0] = cx + u * c - v * s;
        out[1] = cy + u * s + v * c;
    };
    pt(-r, -r, a);
    pt(0, -r, a + 2);
    pt(0, r, a + 4);
    pt(-r, r, a + 6);
    pt(0, -r, b);
    pt(r, -r, b + 2);
    pt(r, r, b + 4);
    pt(0, r, b + 6);
    fb.fill_quad(a, whole(fb), p);
    fb.fill_quad(b, whole(fb), p);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            uint32_t v = fb.pixel(x, y) & 255;
            ASSERT_TRUE(v == 0 || v == 128) << x << "," << y << " got " << v;
        }
    EXPECT_NEAR(count_not(fb, black), 400, 16);
}

TEST(coverage, clipping_keeps_everything_inside_the_clip)
{
    frame_buffer fb(16, 16);
    float xy[8];
    rect_xy(-100, -100, 100, 100, xy);
    fb.fill_quad(xy, clip_rect{4, 5, 9, 7}, opaque());
    EXPECT_EQ(count_not(fb, black), 5 * 2);
    int x0, y0, x1, y1;
    ASSERT_TRUE(covered_box(fb, black, x0, y0, x1, y1));
    EXPECT_EQ(x0, 4);
    EXPECT_EQ(y0, 5);
    EXPECT_EQ(x1, 8);
    EXPECT_EQ(y1, 6);
}

TEST(coverage, degenerate_and_offscreen_quads_draw_nothing)
{
    frame_buffer fb(16, 16);
    float flat[8];
    rect_xy(3, 3, 3, 10, flat);
    fb.fill_quad(flat, whole(fb), opaque());
    float away[8];
    rect_xy(100, 100, 120, 120, away);
    fb.fill_quad(away, whole(fb), opaque());
    EXPECT_EQ(count_not(fb, black), 0);
}

TEST(sampling, nearest_texel_by_centre_and_mirroring)
{
    frame_buffer fb(8, 4);
    uint32_t t[4] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF}; // 4 x 1
    auto tex = make_texture(t, 4, 1, 0);
    float xy[8];
    rect_xy(0, 0, 8, 1, xy); // stretched twice
    fb.draw_quad(*tex, xy, whole(fb), opaque());
    const uint32_t want[8] = {0xFF, 0xFF, 0xFF00, 0xFF00, 0xFF0000, 0xFF0000, 0xFFFFFF, 0xFFFFFF};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(fb.pixel(x, 0), want[x]) << x;
    // A mirrored quad (corner 0 on the right) reads the texture backwards.
    const float mirrored[8] = {8, 1, 0, 1, 0, 2, 8, 2};
    fb.draw_quad(*tex, mirrored, whole(fb), opaque());
    for (int x = 0; x < 8; ++x) EXPECT_EQ(fb.pixel(x, 1), want[7 - x]) << x;
}

TEST(blend, mask_mode_tests_alpha_at_128)
{
    frame_buffer fb(2, 1);
    fb.clear(whole(fb), 0x102030);
    uint32_t t[2] = {0x7FFF0000, 0x80FF0000}; // alpha 127 and 128
    auto tex = make_texture(t, 2, 1, 0);
    float xy[8];
    rect_xy(0, 0, 2, 1, xy);
    fb.draw_quad(*tex, xy, whole(fb), opaque(blend_mask));
    EXPECT_EQ(fb.pixel(0, 0), 0x102030u);
    EXPECT_EQ(fb.pixel(1, 0), 0xFF0000u); // written fully opaque
}

TEST(blend, mask_mode_multiplies_texel_alpha_by_draw_alpha)
{
    frame_buffer fb(1, 1);
    auto tex = solid_texture(1, 1, 0xFFFFFFFF);
    float xy[8];
    rect_xy(0, 0, 1, 1, xy);
    fb.draw_quad(*tex, xy, whole(fb), paint{255, 255, 255, 127, blend_mask});
    EXPECT_EQ(fb.pixel(0, 0), 0u);
    fb.draw_quad(*tex, xy, whole(fb), paint{255, 255, 255, 128, blend_mask});
    EXPECT_EQ(fb.pixel(0, 0), 0xFFFFFFu);
}

TEST(blend, the_five_equations_with_rounding)
{
    const uint32_t dst = 0x804020; // 128, 64, 32
    float xy[8];
    rect_xy(0, 0, 1, 1, xy);
    auto run = [&](int mode, uint32_t texel, paint p) {
        frame_buffer fb(1, 1);
        fb.clear(whole(fb), dst);
        auto tex = solid_texture(1, 1, texel);
        p.blend = mode;
        fb.draw_quad(*tex, xy, whole(fb), p);
        return fb.pixel(0, 0);
    };
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; };
    // solid: the tinted texel replaces, alpha ignored
    EXPECT_EQ(run(blend_solid, 0x00C8C8C8, paint{255, 128, 0, 255}), rgb(200, 100, 0));
    // alpha: src a + dst (1 - a), a = 0.5 of 255 -> round(x / 255)
    EXPECT_EQ(run(blend_alpha, 0xFFFFFFFF, paint{255, 255, 255, 128}),
              rgb(div255(255 * 128 + 128 * 127), div255(255 * 128 + 64 * 127), div255(255 * 128 + 32 * 127)));
    // additive saturates
    EXPECT_EQ(run(blend_add, 0xFFFFFFFF, paint{255, 255, 255, 255}), rgb(255, 255, 255));
    EXPECT_EQ(run(blend_add, 0xFF101010, paint{255, 255, 255, 255}), rgb(144, 80, 48));
    // multiply: source colour only, alpha plays no part
    EXPECT_EQ(run(blend_multiply, 0x00808080, paint{255, 255, 255, 10}), rgb(64, 32, 16));
    // unknown modes behave as solid
    EXPECT_EQ(run(9, 0xFF0000FF, paint{}), rgb(0, 0, 255));
}

TEST(blend, div255_is_exact_rounding)
{
    for (uint32_t x = 0; x <= 255 * 255; ++x) ASSERT_EQ(div255(x), (x + 127) / 255) << x;
}

TEST(primitives, points_and_read_back)
{
    frame_buffer fb(4, 4);
    fb.put_point(2, 1, whole(fb), paint{10, 20, 30, 255, blend_solid});
    fb.put_point(9, 1, whole(fb), paint{10, 20, 30, 255, blend_solid}); // outside: ignored
    EXPECT_EQ(fb.pixel(2, 1), 0x0A141Eu);
    uint32_t out[4];
    fb.read_rect(1, 1, 2, 2, out);
    EXPECT_EQ(out[0], 0xFF000000u);
    EXPECT_EQ(out[1], 0xFF0A141Eu);
    fb.read_rect(3, 3, 2, 1, out);
    EXPECT_EQ(out[1], 0u); // beyond the buffer
}

TEST(primitives, a_clear_shows_to_every_reader_and_under_later_draws)
{
    frame_buffer fb(6, 4);
    fb.clear(whole(fb), 0xAA112233); // the top byte never reaches the buffer
    EXPECT_EQ(fb.pixel(5, 3), 0x112233u);
    fb.clear(whole(fb), 0x445566);
    uint32_t out[6];
    fb.read_rect(0, 2, 6, 1, out);
    for (uint32_t v : out) EXPECT_EQ(v, 0xFF445566u);
    // A second colour on some rows keeps the first on the others; an opaque band replaces row 0,
    // a half-transparent rectangle blends with the cleared colour of row 1, and a point with row 3's.
    fb.clear(whole(fb), 0x000000);
    fb.clear(clip_rect{0, 1, 6, 3}, 0x0000FF);
    auto white = solid_texture(2, 1, 0xFFFFFFFF);
    float band[8], rect[8];
    rect_xy(0, 0, 6, 1, band);
    fb.draw_quad(*white, band, whole(fb), opaque(blend_mask));
    rect_xy(0, 1, 6, 2, rect);
    fb.fill_quad(rect, whole(fb), paint{255, 0, 0, 128, blend_alpha});
    fb.put_point(4, 3, whole(fb), paint{0, 255, 0, 255, blend_add});
    const uint32_t* px = fb.pixels();
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(px[x], 0xFFFFFFu) << x;
        EXPECT_EQ(px[6 + x], (div255(255 * 128) << 16) | div255(255 * 127)) << x;
        EXPECT_EQ(px[12 + x], 0x0000FFu) << x;
        EXPECT_EQ(px[18 + x], x == 4 ? 0x00FF00u : 0u) << x;
    }
}

TEST(filtering, bilinear_at_scale_one_reproduces_the_texture)
{
    frame_buffer fb(4, 1);
    uint32_t t[4] = {0xFF000000, 0xFF404040, 0xFF808080, 0xFFFFFFFF};
    auto tex = make_texture(t, 4, 1, texture_filtered | texture_mipmapped);
    float xy[8];
    rect_xy(0, 0, 4, 1, xy);
    fb.draw_quad(*tex, xy, whole(fb), opaque());
    for (int x = 0; x < 4; ++x) EXPECT_EQ(fb.pixel(x, 0), t[x] & 0xFFFFFF) << x;
}

TEST(filtering, minified_mipmapped_texture_averages)
{
    frame_buffer fb(1, 1);
    std::vector<uint32_t> t(64);
    for (size_t i = 0; i < t.size(); ++i) t[i] = (i + i / 8) % 2 ? 0xFFFFFFFF : 0xFF000000; // checker
    auto tex = make_texture(t.data(), 8, 8, texture_filtered | texture_mipmapped);
    float xy[8];
    rect_xy(0, 0, 1, 1, xy);
    fb.draw_quad(*tex, xy, whole(fb), opaque());
    uint32_t v = fb.pixel(0, 0) & 255;
    EXPECT_NEAR(static_cast<int>(v), 128, 2);
}
