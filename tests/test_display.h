// Opens the headless display the service tests draw on, and puts back any draw state a test changes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "assets/sprite_set.h"
#include "platform/headless_backend.h"
#include "services/display.h"
#include "services/text.h"

// Once per test binary; a display another test left open is reused when it has the size.
inline void ensure_test_display()
{
    register_embedded_assets(); // refused quietly when done already
    display* d = current_display();
    if (d && d->width == 640 && d->height == 480) return;
    platform::set_backend(std::make_unique<platform::headless_backend>());
    open_display(640, 480, 0, 0, 0);
}

// Each test starts white, opaque, masked, untransformed, on a black screen; the state is restored
// through the setters so the renderer agrees with it.
class drawing_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensure_test_display();
        ASSERT_NE(back_buffer(), nullptr);
        saved_ = draw_state;
        set_draw_color(255, 255, 255);
        set_draw_alpha(1.0f);
        set_blend_mode(blend_mask);
        set_draw_transform(0.0f, 1.0f, 1.0f);
        set_clear_color(0, 0, 0);
        clear_screen();
    }
    void TearDown() override
    {
        const draw_state_t& s = saved_;
        set_draw_color(s.color_red, s.color_green, s.color_blue);
        set_draw_alpha(s.color_alpha);
        set_blend_mode(s.blend_mode);
        set_draw_transform(s.tform_rot, s.tform_scale_x, s.tform_scale_y);
        set_clear_color(s.clscolor_red, s.clscolor_green, s.clscolor_blue);
        draw_state.origin_x = s.origin_x;
        draw_state.origin_y = s.origin_y;
        set_font(s.image_font);
    }

    static uint32_t px(int x, int y) { return back_buffer()->pixel(x, y); }

    // The smallest rectangle holding every non-black pixel, and how many there are.
    struct box {
        int x = 0, y = 0, w = 0, h = 0, count = 0;
    };
    static box ink()
    {
        const frame_buffer* fb = back_buffer();
        int x0 = fb->width(), y0 = fb->height(), x1 = -1, y1 = -1, n = 0;
        for (int y = 0; y < fb->height(); ++y)
            for (int x = 0; x < fb->width(); ++x)
                if (fb->pixel(x, y)) {
                    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
                    ++n;
                }
        return x1 < 0 ? box{} : box{x0, y0, x1 - x0 + 1, y1 - y0 + 1, n};
    }

private:
    draw_state_t saved_;
};
