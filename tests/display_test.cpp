// The display's draw state, placement of rectangles and points, and frame pacing on the virtual clock.
#include <gtest/gtest.h>

#include "platform/headless_backend.h"
#include "services/display.h"
#include "services/maths.h"

namespace {

platform::headless_backend* fresh_display(int depth = 32, int hz = 60)
{
    auto b = std::make_unique<platform::headless_backend>(5000);
    auto* raw = b.get();
    platform::set_backend(std::move(b));
    EXPECT_NE(open_display(640, 480, depth, hz, display_back_buffered), nullptr);
    return raw;
}

// Puts back what a test changed, as the game's own drawing discipline does.
void neutral_state()
{
    set_draw_transform(0, 1, 1);
    set_draw_alpha(1);
    set_draw_color(255, 255, 255);
    set_blend_mode(blend_mask);
    set_clear_color(0, 0, 0);
}

int covered(uint32_t bg, int& x0, int& y0, int& x1, int& y1)
{
    frame_buffer* fb = back_buffer();
    int n = 0;
    x0 = y0 = 100000;
    x1 = y1 = -1;
    for (int y = 0; y < fb->height(); ++y)
        for (int x = 0; x < fb->width(); ++x)
            if (fb->pixel(x, y) != bg) {
                ++n;
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    return n;
}

} // namespace

TEST(display, opening_presents_two_cleared_frames_once_and_bumps_the_generation)
{
    int before = display_generation;
    auto* b = fresh_display();
    EXPECT_EQ(display_generation, before == -1 ? 1 : before + 1);
    EXPECT_NE(display_generation, 0);
    EXPECT_TRUE(b->window_open());
    // Only the very first display of the run presents its two clearing passes.
    EXPECT_LE(b->presented(), 2);
    EXPECT_EQ(draw_state.viewport_w, 640);
    EXPECT_EQ(draw_state.viewport_h, 480);
}

TEST(display, failing_to_open_changes_nothing)
{
    platform::set_backend(nullptr); // the stand-in backend opens nothing
    int gen = display_generation;
    EXPECT_EQ(open_display(640, 480, 32, 60, display_back_buffered), nullptr);
    EXPECT_EQ(display_generation, gen);
}

TEST(pacing, sixty_frames_take_exactly_one_second_in_16_17_17_slots)
{
    fresh_display();
    pacing_info p = pacing();
    EXPECT_TRUE(p.soft_pacing);
    EXPECT_EQ(p.frame_ms, 16);
    EXPECT_EQ(p.frame_rem, 40);
    int start = millis();
    std::vector<int> slots;
    for (int i = 0; i < 60; ++i) {
        int t = millis();
        flip_frame(-1);
        slots.push_back(millis() - t);
    }
    EXPECT_EQ(millis() - start, 1000);
    for (int i = 0; i + 2 < 60; i += 3) {
        EXPECT_EQ(slots[static_cast<size_t>(i)], 16) << i;
        EXPECT_EQ(slots[static_cast<size_t>(i) + 1], 17) << i;
        EXPECT_EQ(slots[static_cast<size_t>(i) + 2], 17) << i;
    }
}

TEST(pacing, an_overrun_frame_is_not_followed_by_a_burst)
{
    fresh_display();
    flip_frame(-1);
    delay_ms(50); // drawing took three slots
    int t = millis();
    flip_frame(-1);
    EXPECT_EQ(millis(), t); // presented at once
    t = millis();
    flip_frame(-1);
    int slot = millis() - t;
    EXPECT_GE(slot, 16); // a full slot again, measured from the late frame
    EXPECT_LE(slot, 17);
}

TEST(pacing, immediate_flips_never_sleep)
{
    fresh_display();
    int t = millis();
    for (int i = 0; i < 10; ++i) flip_frame(0);
    EXPECT_EQ(millis(), t);
}

TEST(draw_state, alpha_is_clamped_and_blend_mode_kept)
{
    fresh_display();
    set_draw_alpha(1.5f);
    EXPECT_EQ(current_paint().a, 255);
    set_draw_alpha(-1.0f);
    EXPECT_EQ(current_paint().a, 0);
    set_draw_alpha(0.5f);
    EXPECT_EQ(current_paint().a, 127); // truncated, not rounded
    set_blend_mode(blend_alpha);
    EXPECT_EQ(current_paint().blend, blend_alpha);
    set_draw_color(300, -4, 128);
    EXPECT_EQ(current_paint().r, 255);
    EXPECT_EQ(current_paint().g, 0);
    EXPECT_EQ(draw_state.color_red, 300); // the stored value stays as given
    neutral_state();
}

TEST(draw_state, matrix_follows_rotation_and_scale)
{
    set_draw_transform(90, 2, 3);
    EXPECT_NEAR(draw_state.tform_ix, 0.0f, 1e-6);
    EXPECT_NEAR(draw_state.tform_iy, -3.0f, 1e-6);
    EXPECT_NEAR(draw_state.tform_jx, 2.0f, 1e-6);
    EXPECT_NEAR(draw_state.tform_jy, 0.0f, 1e-6);
    set_draw_rotation(0);
    EXPECT_FLOAT_EQ(draw_state.tform_ix, 2.0f);
    set_draw_scale(1, 1);
    EXPECT_FLOAT_EQ(draw_state.tform_jy, 1.0f);
}

TEST(draw_state, rect_scales_away_from_its_corner_and_points_ignore_the_transform)
{
    fresh_display();
    set_blend_mode(blend_solid);
    clear_screen();
    set_draw_scale(2, 1);
    draw_rect(100, 50, 10, 4);
    int x0, y0, x1, y1;
    EXPECT_EQ(covered(0, x0, y0, x1, y1), 20 * 4);
    EXPECT_EQ(x0, 100); // doubled to the right of x only
    EXPECT_EQ(x1, 119);
    EXPECT_EQ(y0, 50);
    EXPECT_EQ(y1, 53);

    clear_screen();
    set_draw_transform(45, 3, 3);
    draw_point(7, 9);
    EXPECT_EQ(covered(0, x0, y0, x1, y1), 1);
    EXPECT_EQ(x0, 7);
    EXPECT_EQ(y0, 9);
    neutral_state();
}

TEST(draw_state, clear_uses_the_clear_colour_only)
{
    fresh_display();
    set_clear_color(0, 0, 8);
    set_draw_color(200, 10, 10);
    set_draw_alpha(0.1f);
    clear_screen();
    int x0, y0, x1, y1;
    EXPECT_EQ(covered(8, x0, y0, x1, y1), 0);
    neutral_state();
}
