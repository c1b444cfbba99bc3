// Where the picture sits in windows of other sizes, and the pointer mapped both ways.
#include <gtest/gtest.h>

#include "platform/letterbox.h"

namespace {

using platform::fit_picture;
using platform::letterbox;

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
    expect_box(fit_picture(1366, 768, 640, 480), 171, 0, 1024, 768);
    expect_box(fit_picture(0, 0, 640, 480), 0, 0, 640, 480); // a window with no size yet
}

TEST(letterbox, window_pixels_map_into_the_picture_and_the_bars_to_its_edge)
{
    letterbox b = fit_picture(1000, 600, 640, 480); // 800x600 at x = 100: scale 1.25
    const int cases[][4] = {
        {500, 300, 320, 240}, {100, 0, 0, 0},   {899, 599, 639, 479}, {140, 75, 32, 60},
        {50, 300, 0, 240},    {950, -20, 639, 0}, {99, 700, 0, 479},
    };
    for (const auto& c : cases) {
        int px, py;
        platform::window_to_picture(b, 640, 480, c[0], c[1], px, py);
        EXPECT_EQ(px, c[2]) << c[0] << "," << c[1];
        EXPECT_EQ(py, c[3]) << c[0] << "," << c[1];
    }
}

// A move to a picture pixel is reported back as that pixel, in any window at least as large
// as the picture; a move past the edge stops on it.
TEST(letterbox, a_move_comes_back_as_the_same_pixel_at_every_scale)
{
    const int sizes[][2] = {{640, 480},  {641, 481},  {768, 576},  {800, 600},  {1000, 600}, {800, 800},
                            {1024, 768}, {1366, 768}, {1920, 1080}, {2560, 1440}, {700, 2000}};
    for (const auto& s : sizes) {
        letterbox b = fit_picture(s[0], s[1], 640, 480);
        int bad = 0;
        for (int p = -6; p < 646; ++p) {
            int wx, wy, px, py;
            platform::picture_to_window(b, 640, 480, p, p % 480, wx, wy);
            platform::window_to_picture(b, 640, 480, wx, wy, px, py);
            bool inside = wx >= b.x && wx < b.x + b.w && wy >= b.y && wy < b.y + b.h;
            if (!inside || px != std::clamp(p, 0, 639) || py != std::clamp(p % 480, 0, 479)) ++bad;
        }
        EXPECT_EQ(bad, 0) << "window " << s[0] << "x" << s[1];
    }
    int wx, wy;
    platform::picture_to_window(fit_picture(1920, 1440, 640, 480), 640, 480, 10, 20, wx, wy);
    EXPECT_EQ(wx, 31) << "the middle of a 3x3 cell";
    EXPECT_EQ(wy, 61);
}

} // namespace
