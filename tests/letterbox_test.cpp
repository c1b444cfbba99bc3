// Where the picture sits in windows of other sizes, and the pointer mapped both ways.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/letterbox.h"

namespace {

using platform::fit_picture;
using platform::letterbox;
using platform::picture_to_window;
using platform::window_to_picture;

void expect_box(const letterbox& b, int x, int y, int w, int h)
{
    EXPECT_EQ(b.x, x);
    EXPECT_EQ(b.y, y);
    EXPECT_EQ(b.w, w);
    EXPECT_EQ(b.h, h);
}

TEST(letterbox, the_picture_keeps_its_shape_and_is_centred)
{
    expect_box(fit_picture(640, 480, 640, 480), 0, 0, 640, 480);
    expect_box(fit_picture(1920, 1080, 640, 480), 240, 0, 1440, 1080); // bars left and right
    expect_box(fit_picture(800, 800, 640, 480), 0, 100, 800, 600);     // bars above and below
    expect_box(fit_picture(1280, 960, 640, 480), 0, 0, 1280, 960);
    expect_box(fit_picture(1366, 768, 640, 480), 171, 0, 1024, 768);
    expect_box(fit_picture(0, 0, 640, 480), 0, 0, 640, 480); // a window with no size yet
}

TEST(letterbox, window_pixels_map_into_the_picture)
{
    letterbox b = fit_picture(1000, 600, 640, 480); // 800x600 at x = 100: scale 1.25
    int px, py;
    window_to_picture(b, 640, 480, 500, 300, px, py);
    EXPECT_EQ(px, 320);
    EXPECT_EQ(py, 240);
    window_to_picture(b, 640, 480, 100, 0, px, py);
    EXPECT_EQ(px, 0);
    EXPECT_EQ(py, 0);
    window_to_picture(b, 640, 480, 899, 599, px, py);
    EXPECT_EQ(px, 639);
    EXPECT_EQ(py, 479);
    window_to_picture(b, 640, 480, 140, 75, px, py);
    EXPECT_EQ(px, 32);
    EXPECT_EQ(py, 60);
}

TEST(letterbox, the_bars_and_beyond_clamp_to_the_picture_edge)
{
    letterbox b = fit_picture(1000, 600, 640, 480);
    int px, py;
    window_to_picture(b, 640, 480, 50, 300, px, py); // left bar
    EXPECT_EQ(px, 0);
    EXPECT_EQ(py, 240);
    window_to_picture(b, 640, 480, 950, -20, px, py); // right bar, above the window
    EXPECT_EQ(px, 639);
    EXPECT_EQ(py, 0);
    window_to_picture(b, 640, 480, 99, 700, px, py); // left bar, below the window
    EXPECT_EQ(px, 0);
    EXPECT_EQ(py, 479);
}

// A move to a picture pixel must be reported back as that pixel, at any size of window that
// is at least as large as the picture.
TEST(letterbox, a_move_comes_back_as_the_same_pixel_at_every_scale)
{
    const int sizes[][2] = {{640, 480},  {641, 481},  {768, 576},  {800, 600},  {1000, 600}, {800, 800},
                            {1024, 768}, {1366, 768}, {1280, 1024}, {1920, 1080}, {2560, 1440}, {700, 2000}};
    for (const auto& s : sizes) {
        letterbox b = fit_picture(s[0], s[1], 640, 480);
        int bad = 0;
        for (int p = 0; p < 640; ++p) {
            int wx, wy, px, py;
            picture_to_window(b, 640, 480, p, p % 480, wx, wy);
            ASSERT_GE(wx, b.x);
            ASSERT_LT(wx, b.x + b.w);
            ASSERT_GE(wy, b.y);
            ASSERT_LT(wy, b.y + b.h);
            window_to_picture(b, 640, 480, wx, wy, px, py);
            if (px != p || py != p % 480) ++bad;
        }
        EXPECT_EQ(bad, 0) << "window " << s[0] << "x" << s[1];
    }
}

TEST(letterbox, a_move_lands_in_the_middle_of_the_scaled_pixel)
{
    letterbox b = fit_picture(1280, 960, 640, 480); // each picture pixel is 2x2 window pixels
    int wx, wy;
    picture_to_window(b, 640, 480, 10, 20, wx, wy);
    EXPECT_EQ(wx, 20);
    EXPECT_EQ(wy, 40);
    b = fit_picture(1920, 1440, 640, 480); // 3x3: the middle one
    picture_to_window(b, 640, 480, 10, 20, wx, wy);
    EXPECT_EQ(wx, 31);
    EXPECT_EQ(wy, 61);
}

TEST(letterbox, moves_outside_the_picture_stop_at_its_edge)
{
    letterbox b = fit_picture(1000, 600, 640, 480);
    int wx, wy;
    picture_to_window(b, 640, 480, -6, 500, wx, wy);
    EXPECT_EQ(wx, 100);
    EXPECT_EQ(wy, 599);
}

TEST(letterbox, a_window_smaller_than_the_picture_still_maps_inside_it)
{
    letterbox b = fit_picture(320, 240, 640, 480);
    int last = -1;
    for (int p = 0; p < 640; ++p) {
        int wx, wy, px, py;
        picture_to_window(b, 640, 480, p, 0, wx, wy);
        ASSERT_GE(wx, 0);
        ASSERT_LT(wx, 320);
        window_to_picture(b, 640, 480, wx, wy, px, py);
        EXPECT_LE(std::abs(px - p), 1) << p;
        EXPECT_GE(wx, last) << "moves keep their order";
        last = wx;
    }
}

} // namespace
