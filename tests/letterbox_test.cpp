// Where the picture sits in windows of other sizes, the window's own size, and the pointer both ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

#include "platform/letterbox.h"

namespace {

using platform::fit_picture;
using platform::letterbox;
using platform::make_pointer_map;

void expect_box(const letterbox& b, int x, int y, int w, int h, bool whole, int prescale = 1)
{
    EXPECT_EQ(b.x, x);
    EXPECT_EQ(b.y, y);
    EXPECT_EQ(b.w, w);
    EXPECT_EQ(b.h, h);
    EXPECT_EQ(b.whole, whole) << w << "x" << h;
    EXPECT_EQ(b.prescale, prescale) << w << "x" << h;
}

TEST(letterbox, a_whole_multiple_that_fills_most_of_the_screen_is_centred)
{
    expect_box(fit_picture(640, 480, 640, 480), 0, 0, 640, 480, true);
    expect_box(fit_picture(1920, 1080, 640, 480), 320, 60, 1280, 960, true); // 89% of the fit
    expect_box(fit_picture(2560, 1440, 640, 480), 320, 0, 1920, 1440, true);
    expect_box(fit_picture(2560, 1600, 640, 480), 320, 80, 1920, 1440, true);  // 90%
    expect_box(fit_picture(1680, 1050, 640, 480), 200, 45, 1280, 960, true);   // 91%
    expect_box(fit_picture(3840, 2160, 640, 480), 640, 120, 2560, 1920, true); // 89%
    expect_box(fit_picture(1300, 1000, 640, 480), 10, 20, 1280, 960, true);
    expect_box(fit_picture(700, 540, 640, 480), 30, 30, 640, 480, true); // 89% on either axis
    expect_box(fit_picture(0, 0, 640, 480), 0, 0, 640, 480, true);       // no size yet
}

// Laptop screens and others where the whole multiple leaves wide bars: the picture fills the
// height (or the width), enlarged to the next whole multiple before it is filtered down.
TEST(letterbox, short_of_the_share_the_picture_fills_the_screen)
{
    expect_box(fit_picture(1366, 768, 640, 480), 171, 0, 1024, 768, false, 2); // 1.6x
    expect_box(fit_picture(1280, 720, 640, 480), 160, 0, 960, 720, false, 2);  // 1.5x
    expect_box(fit_picture(1600, 900, 640, 480), 200, 0, 1200, 900, false, 2);
    expect_box(fit_picture(1024, 768, 640, 480), 0, 0, 1024, 768, false, 2);
    expect_box(fit_picture(1920, 1200, 640, 480), 160, 0, 1600, 1200, false, 3); // 2x is 80%
    expect_box(fit_picture(1000, 600, 640, 480), 100, 0, 800, 600, false, 2);
    expect_box(fit_picture(1279, 959, 640, 480), 0, 0, 1278, 959, false, 2);  // one pixel short of 2x
    expect_box(fit_picture(768, 1366, 640, 480), 0, 395, 768, 576, false, 2); // on its side: bars above and below
}

TEST(letterbox, the_share_is_reached_exactly_at_85_percent_on_the_fitting_axis)
{
    expect_box(fit_picture(20, 20, 17, 17), 1, 1, 17, 17, true); // 17 of 20
    expect_box(fit_picture(21, 21, 17, 17), 0, 0, 21, 21, false, 2);
    expect_box(fit_picture(40, 20, 17, 17), 11, 1, 17, 17, true); // the height decides, not the width
    expect_box(fit_picture(20, 40, 17, 17), 1, 11, 17, 17, true);
    expect_box(fit_picture(40, 21, 17, 17), 9, 0, 21, 21, false, 2);
}

TEST(letterbox, a_window_smaller_than_the_picture_keeps_the_aspect)
{
    expect_box(fit_picture(600, 400, 640, 480), 33, 0, 533, 400, false);  // bars left and right
    expect_box(fit_picture(320, 480, 640, 480), 0, 120, 320, 240, false); // bars above and below
    expect_box(fit_picture(639, 2000, 640, 480), 0, 760, 639, 479, false);
}

// Over a spread of sizes: the picture stays inside and keeps its shape; a whole multiple only
// where it has the share, otherwise a fit that touches two sides; the enlarged picture is never
// smaller than the box and never more than twice it, so filtering down reaches every pixel.
TEST(letterbox, every_size_gets_a_centred_box_of_the_right_kind)
{
    const int pics[][2] = {{640, 480}, {320, 200}, {17, 17}};
    for (const auto& pic : pics)
        for (int ow = 9; ow < 2700; ow += 37)
            for (int oh = 7; oh < 1800; oh += 23) {
                letterbox b = fit_picture(ow, oh, pic[0], pic[1]);
                SCOPED_TRACE(testing::Message() << ow << "x" << oh << " for " << pic[0] << "x" << pic[1]);
                ASSERT_GE(b.x, 0);
                ASSERT_GE(b.y, 0);
                ASSERT_LE(b.x + b.w, ow);
                ASSERT_LE(b.y + b.h, oh);
                ASSERT_LE(std::abs(2 * b.x + b.w - ow), 1);
                ASSERT_LE(std::abs(2 * b.y + b.h - oh), 1);
                ASSERT_LE(std::abs(static_cast<long long>(b.w) * pic[1] - static_cast<long long>(b.h) * pic[0]),
                          std::max(pic[0], pic[1]));
                double fit = std::min(static_cast<double>(ow) / pic[0], static_cast<double>(oh) / pic[1]);
                int n = std::min(ow / pic[0], oh / pic[1]);
                if (b.whole) {
                    ASSERT_EQ(b.w, n * pic[0]);
                    ASSERT_GE(n, 0.85 * fit - 1e-9);
                } else {
                    ASSERT_TRUE(b.w == ow || b.h == oh);
                    ASSERT_LT(n, 0.85 * fit + 1e-9);
                    ASSERT_GE(b.prescale * pic[0], b.w);
                    ASSERT_LE((b.prescale - 1) * pic[0], b.w);
                    if (b.w > pic[0])
                        ASSERT_LE(b.prescale * pic[0], 2 * b.w);
                    else
                        ASSERT_EQ(b.prescale, 1);
                }
            }
}

TEST(letterbox, the_window_is_twice_the_picture_where_the_screen_has_room)
{
    const int cases[][4] = {
        {1920, 1080, 1280, 960}, {1296, 1024, 1280, 960}, {2560, 1600, 1280, 960}, // twice, never more
        {1280, 1024, 640, 480},  {1296, 1000, 640, 480},  {1024, 768, 640, 480},
        {1290, 2000, 640, 480}, // too narrow or low for twice
        {600, 500, 581, 436},   // not even once
    };
    for (const auto& c : cases) {
        int w = 0, h = 0;
        platform::window_size_for(c[0], c[1], 640, 480, w, h);
        EXPECT_EQ(w, c[2]) << c[0] << "x" << c[1];
        EXPECT_EQ(h, c[3]) << c[0] << "x" << c[1];
    }
}

TEST(letterbox, window_coordinates_map_into_the_picture_and_the_bars_to_its_edge)
{
    struct probe {
        int wx, wy, px, py;
    };
    auto expect_reads = [](const platform::pointer_map& m, std::initializer_list<probe> probes) {
        for (const auto& c : probes) {
            int px, py;
            m.to_picture(c.wx, c.wy, px, py);
            EXPECT_EQ(px, c.px) << c.wx << "," << c.wy << " in " << m.win_w << "x" << m.win_h;
            EXPECT_EQ(py, c.py) << c.wx << "," << c.wy << " in " << m.win_w << "x" << m.win_h;
        }
    };
    // 640x480 at (50, 40), the bars on all four sides.
    expect_reads(make_pointer_map(740, 560, 740, 560, 640, 480), {{370, 280, 320, 240},
                                                                  {50, 40, 0, 0},
                                                                  {689, 519, 639, 479},
                                                                  {10, 280, 0, 240},
                                                                  {700, -20, 639, 0},
                                                                  {49, 600, 0, 479},
                                                                  {51, 41, 1, 1}});
    // 1366x768 full screen: 1024x768 at (171, 0), 1.6 coordinates a pixel.
    expect_reads(make_pointer_map(1366, 768, 1366, 768, 640, 480), {{683, 384, 320, 240},
                                                                    {171, 0, 0, 0},
                                                                    {1194, 767, 639, 479},
                                                                    {170, 384, 0, 240},
                                                                    {1195, 384, 639, 240},
                                                                    {172, 1, 0, 0},
                                                                    {173, 2, 1, 1},
                                                                    {188, 10, 10, 6}});
    // High-DPI: a 1280x960 window of 2560x1920 pixels shows the picture 4x, 2 coordinates a pixel.
    auto hi = make_pointer_map(1280, 960, 2560, 1920, 640, 480);
    EXPECT_TRUE(hi.box.whole);
    EXPECT_EQ(hi.box.w, 2560);
    expect_reads(hi, {{21, 41, 10, 20}});
    // A 1366x768 screen of 2732x1536 pixels has room for 3x with 94% of the height.
    auto laptop = make_pointer_map(1366, 768, 2732, 1536, 640, 480);
    EXPECT_TRUE(laptop.box.whole);
    EXPECT_EQ(laptop.box.w, 1920);
    expect_reads(laptop, {{203, 24, 0, 0}, {683, 384, 320, 240}, {1162, 743, 639, 479}, {202, 23, 0, 0}});
}

// A move to a picture pixel reads back as that pixel whenever the picture has at least one window
// coordinate per pixel, on plain and high-DPI screens; past the edge it stops on the edge.
TEST(letterbox, a_move_comes_back_as_the_same_pixel)
{
    struct window {
        int win_w, win_h, out_w, out_h;
    };
    const window windows[] = {
        {640, 480, 640, 480},    {641, 481, 641, 481},     {1000, 600, 1000, 600},   {1280, 960, 1280, 960},
        {1366, 768, 1366, 768},  {1920, 1080, 1920, 1080}, {2560, 1440, 2560, 1440}, {700, 2000, 700, 2000},
        {1280, 960, 2560, 1920}, {1000, 750, 1500, 1125},  {1920, 1080, 2880, 1620}, {640, 480, 1280, 960},
        {1280, 720, 1280, 720},  {1600, 900, 1600, 900},   {1920, 1200, 1920, 1200}, {1366, 768, 2732, 1536},
        {1280, 720, 1920, 1080}, {1024, 768, 1024, 768},   {1280, 720, 2560, 1440},
    };
    for (const auto& s : windows) {
        auto m = make_pointer_map(s.win_w, s.win_h, s.out_w, s.out_h, 640, 480);
        int bad = 0;
        for (int p = -6; p < 646; ++p) {
            int wx, wy, px, py;
            m.to_window(p, p % 480, wx, wy);
            m.to_picture(wx, wy, px, py);
            bool inside = wx >= 0 && wx < s.win_w && wy >= 0 && wy < s.win_h;
            if (!inside || px != std::clamp(p, 0, 639) || py != std::clamp(p % 480, 0, 479)) ++bad;
        }
        EXPECT_EQ(bad, 0) << "window " << s.win_w << "x" << s.win_h << " of " << s.out_w << "x" << s.out_h;
    }
    int wx, wy;
    make_pointer_map(1920, 1440, 1920, 1440, 640, 480).to_window(10, 20, wx, wy);
    EXPECT_EQ(wx, 31) << "the middle of a 3x3 cell";
    EXPECT_EQ(wy, 61);
}

// Shrunk, not every pixel has a coordinate of its own; a move still lands on the picture and
// reads back as the pixel asked for or its next neighbour, never further.
TEST(letterbox, a_shrunk_picture_reads_moves_back_within_one_pixel)
{
    auto m = make_pointer_map(600, 400, 600, 400, 640, 480);
    int worst = 0, previous = -1;
    for (int p = 0; p < 640; ++p) {
        int wx, wy, px, py;
        m.to_window(p, p % 480, wx, wy);
        m.to_picture(wx, wy, px, py);
        EXPECT_GE(wx, m.box.x);
        EXPECT_LT(wx, m.box.x + m.box.w);
        EXPECT_GE(wx, previous) << "moves to the right never go left";
        previous = wx;
        worst = std::max({worst, std::abs(px - p), std::abs(py - p % 480)});
    }
    EXPECT_LE(worst, 1);
}

} // namespace

// Where a held pointer is kept: every window coordinate in the rectangle reads as a picture pixel
// by itself (no clamping), and the ones just outside it are clamped, so the rectangle is exactly
// the picture and a pointer on its edge reads 0 or the last pixel.
TEST(letterbox, the_held_pointer_rectangle_is_exactly_the_picture)
{
    int x0, y0, x1, y1;
    make_pointer_map(1920, 1080, 1920, 1080, 640, 480).picture_in_window(x0, y0, x1, y1);
    EXPECT_EQ(x0, 320);
    EXPECT_EQ(x1, 1599);
    EXPECT_EQ(y0, 60);
    EXPECT_EQ(y1, 1019);
    make_pointer_map(1366, 768, 1366, 768, 640, 480).picture_in_window(x0, y0, x1, y1);
    EXPECT_EQ(x0, 171);
    EXPECT_EQ(x1, 1194);
    EXPECT_EQ(y0, 0);
    EXPECT_EQ(y1, 767);
    struct size {
        int win_w, win_h, out_w, out_h;
    };
    for (size s : std::initializer_list<size>{{1280, 960, 1280, 960},
                                              {1000, 600, 1000, 600},
                                              {600, 400, 600, 400},
                                              {1280, 720, 2560, 1440},
                                              {641, 1000, 641, 1000},
                                              {3840, 2160, 3840, 2160}}) {
        auto m = make_pointer_map(s.win_w, s.win_h, s.out_w, s.out_h, 640, 480);
        m.picture_in_window(x0, y0, x1, y1);
        using pm = platform::pointer_map;
        auto raw_x = [&](int w) { return pm::raw(w, m.win_w, m.out_w, m.box.x, m.box.w, 640); };
        auto raw_y = [&](int w) { return pm::raw(w, m.win_h, m.out_h, m.box.y, m.box.h, 480); };
        EXPECT_EQ(raw_x(x0), 0) << s.win_w << "x" << s.win_h;
        EXPECT_EQ(raw_x(x1), 639) << s.win_w << "x" << s.win_h;
        EXPECT_EQ(raw_y(y0), 0) << s.win_w << "x" << s.win_h;
        EXPECT_EQ(raw_y(y1), 479) << s.win_w << "x" << s.win_h;
        if (x0 > 0) {
            EXPECT_LT(raw_x(x0 - 1), 0);
        }
        if (x1 < s.win_w - 1) {
            EXPECT_GT(raw_x(x1 + 1), 639);
        }
        if (y0 > 0) {
            EXPECT_LT(raw_y(y0 - 1), 0);
        }
        if (y1 < s.win_h - 1) {
            EXPECT_GT(raw_y(y1 + 1), 479);
        }
    }
}
