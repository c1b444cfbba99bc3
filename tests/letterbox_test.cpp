// Where the picture sits in windows of other sizes, the window's own size, and the pointer both ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/letterbox.h"

namespace {

using platform::fit_picture;
using platform::letterbox;
using platform::make_pointer_map;

void expect_box(const letterbox& b, int x, int y, int w, int h, bool whole)
{
    EXPECT_EQ(b.x, x);
    EXPECT_EQ(b.y, y);
    EXPECT_EQ(b.w, w);
    EXPECT_EQ(b.h, h);
    EXPECT_EQ(b.whole, whole) << w << "x" << h;
}

TEST(letterbox, the_largest_whole_multiple_that_fits_is_centred)
{
    expect_box(fit_picture(640, 480, 640, 480), 0, 0, 640, 480, true);
    expect_box(fit_picture(1920, 1080, 640, 480), 320, 60, 1280, 960, true);
    expect_box(fit_picture(1366, 768, 640, 480), 363, 144, 640, 480, true);
    expect_box(fit_picture(2560, 1440, 640, 480), 320, 0, 1920, 1440, true);
    expect_box(fit_picture(1000, 600, 640, 480), 180, 60, 640, 480, true);
    expect_box(fit_picture(1279, 959, 640, 480), 319, 239, 640, 480, true); // one pixel short of 2x
    expect_box(fit_picture(0, 0, 640, 480), 0, 0, 640, 480, true);           // no size yet
}

TEST(letterbox, a_window_smaller_than_the_picture_keeps_the_aspect)
{
    expect_box(fit_picture(600, 400, 640, 480), 33, 0, 533, 400, false);  // bars left and right
    expect_box(fit_picture(320, 480, 640, 480), 0, 120, 320, 240, false); // bars above and below
    expect_box(fit_picture(639, 2000, 640, 480), 0, 760, 639, 479, false);
}

TEST(letterbox, the_window_is_twice_the_picture_where_the_screen_has_room)
{
    const int cases[][4] = {
        {1920, 1080, 1280, 960}, {1296, 1024, 1280, 960}, {2560, 1600, 1280, 960}, // twice, never more
        {1280, 1024, 640, 480},  {1296, 1000, 640, 480},  {1024, 768, 640, 480},   {1290, 2000, 640, 480},  // too narrow or low for twice
        {600, 500, 581, 436},                                                       // not even once
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
    auto m = make_pointer_map(1000, 600, 1000, 600, 640, 480); // 640x480 at (180, 60)
    const int cases[][4] = {
        {500, 300, 320, 240}, {180, 60, 0, 0},   {819, 539, 639, 479}, {50, 300, 0, 240},
        {950, -20, 639, 0},   {179, 700, 0, 479}, {181, 61, 1, 1},
    };
    for (const auto& c : cases) {
        int px, py;
        m.to_picture(c[0], c[1], px, py);
        EXPECT_EQ(px, c[2]) << c[0] << "," << c[1];
        EXPECT_EQ(py, c[3]) << c[0] << "," << c[1];
    }
    // High-DPI: a 1280x960 window of 2560x1920 pixels shows the picture 4x, 2 coordinates a pixel.
    auto hi = make_pointer_map(1280, 960, 2560, 1920, 640, 480);
    EXPECT_TRUE(hi.box.whole);
    EXPECT_EQ(hi.box.w, 2560);
    int px, py;
    hi.to_picture(21, 41, px, py);
    EXPECT_EQ(px, 10);
    EXPECT_EQ(py, 20);
}

// A move to a picture pixel reads back as that pixel whenever the picture has at least one window
// coordinate per pixel, on plain and high-DPI screens; past the edge it stops on the edge.
TEST(letterbox, a_move_comes_back_as_the_same_pixel)
{
    struct window { int win_w, win_h, out_w, out_h; };
    const window windows[] = {
        {640, 480, 640, 480},     {641, 481, 641, 481},     {1000, 600, 1000, 600},   {1280, 960, 1280, 960},
        {1366, 768, 1366, 768},   {1920, 1080, 1920, 1080}, {2560, 1440, 2560, 1440}, {700, 2000, 700, 2000},
        {1280, 960, 2560, 1920},  {1000, 750, 1500, 1125},  {1920, 1080, 2880, 1620}, {640, 480, 1280, 960},
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
