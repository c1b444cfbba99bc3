// Explosions, smoke rings and bomb marks: how long they last, how far they grow, and how they are tinted.
#include <gtest/gtest.h>

#include <vector>

#include "battle_fixture.h"

namespace {

class effects_test : public battle_test {
protected:
    // Updates the only actor of a list until it goes; returns how many updates that took, with the
    // actor's fields as they stood before its last update.
    template <typename T> static int lifetime(actor_list<T>& l, T& last, int limit)
    {
        for (int n = 1; n <= limit; ++n) {
            last = *l.front();
            update_all(l);
            if (l.empty()) return n;
        }
        return -1;
    }

    static std::vector<uint32_t> screen()
    {
        const frame_buffer* fb = back_buffer();
        return {fb->pixels(), fb->pixels() + fb->width() * fb->height()};
    }
    static long brightness()
    {
        long sum = 0;
        for (uint32_t p : screen()) sum += (p >> 16 & 255) + (p >> 8 & 255) + (p & 255);
        return sum;
    }
};

TEST_F(effects_test, an_explosion_is_drawn_on_51_frames_growing_by_its_step)
{
    struct {
        float scale, step, last_scale;
    } cases[] = {{0.2f, 0.04f, 2.2f}, {1.0f, 0.05f, 3.5f}, {0.8f, 0.08f, 4.8f}};
    for (const auto& c : cases) {
        explosion_tag::Create(100.0f, 120.0f, c.scale, c.step);
        explosion_tag last;
        EXPECT_EQ(lifetime(explosion_list, last, 100), 51) << c.scale;
        EXPECT_NEAR(last.scale, c.last_scale, 1e-4);
        EXPECT_GT(last.alpha, 0.0f);
        EXPECT_LT(last.alpha, 0.02f);
        EXPECT_EQ(last.x, 100.0f);
        EXPECT_EQ(last.y, 120.0f);
    }
}

TEST_F(effects_test, an_explosion_spins_by_up_to_15_degrees_a_frame)
{
    explosion_tag::Create(100.0f, 100.0f, 0.2f, 0.04f);
    float before = 0.0f;
    bool turned = false;
    for (int i = 0; i < 40; ++i) {
        update_all(explosion_list);
        float step = explosion_list.front()->rotation - before;
        EXPECT_GE(step, 0.0f);
        EXPECT_LT(step, 15.0f);
        turned = turned || step > 0.0f;
        before = explosion_list.front()->rotation;
    }
    EXPECT_TRUE(turned);
}

TEST_F(effects_test, a_smoke_ring_drifts_about_100_pixels_and_goes_in_its_101st_update)
{
    smokering_tag::Create(320.0f, 335.0f, 0.0f);
    smokering_tag last;
    EXPECT_EQ(lifetime(smokering_list, last, 300), 101);
    EXPECT_NEAR(last.scale, 2.3f, 1e-4);
    EXPECT_NEAR(last.speed, 1.5f, 1e-4);
    EXPECT_NEAR(335.0f - last.y, 99.5f, 1e-3);
    EXPECT_EQ(last.x, 320.0f);

    // Along its own direction: 90 is to the right.
    smokering_tag::Create(300.0f, 200.0f, 90.0f);
    for (int i = 0; i < 10; ++i) update_all(smokering_list);
    EXPECT_NEAR(smokering_list.front()->x, 300.0f + 10 * 0.5f + 0.45f, 1e-3);
    EXPECT_NEAR(smokering_list.front()->y, 200.0f, 1e-4);
}

TEST_F(effects_test, a_bomb_mark_goes_in_its_1001st_update)
{
    bombmark_tag::Create(200.0f, 430.0f);
    bombmark_tag last;
    EXPECT_EQ(lifetime(bombmark_list, last, 2000), 1001);
    EXPECT_GT(last.alpha, 0.0f);
}

TEST_F(effects_test, explosions_ignore_the_night_and_leave_alpha_blending_behind)
{
    auto draw_at = [&](int light) {
        clear_screen();
        daylight = light;
        seed_rnd(99);
        explosion_tag::Create(320.0f, 240.0f, 1.0f, 0.05f);
        update_all(explosion_list);
        explosion_list.clear();
        return screen();
    };
    auto day = draw_at(255);
    EXPECT_EQ(draw_at(0), day);
    EXPECT_GT(brightness(), 0);

    EXPECT_EQ(draw_state.blend_mode, static_cast<int>(blend_alpha));
    EXPECT_EQ(draw_state.color_red, 255);
    EXPECT_EQ(draw_state.color_green, 255);
    EXPECT_EQ(draw_state.color_alpha, 1.0f);
    EXPECT_EQ(draw_state.tform_rot, 0.0f);
    EXPECT_EQ(draw_state.tform_scale_x, 1.0f);
}

TEST_F(effects_test, rings_and_marks_are_tinted_by_daylight)
{
    auto ring_at = [&](int light) {
        clear_screen();
        daylight = light;
        smokering_tag::Create(320.0f, 240.0f, 0.0f);
        smokering_list.front()->scale = 1.5f;
        update_all(smokering_list);
        smokering_list.clear();
        return brightness();
    };
    long day = ring_at(255);
    EXPECT_GT(day, 0);
    EXPECT_LT(ring_at(30), day);
    // The ring hands the fort back its masked drawing, tinted.
    EXPECT_EQ(draw_state.blend_mode, static_cast<int>(blend_mask));
    EXPECT_EQ(draw_state.color_red, 30);
    EXPECT_EQ(draw_state.color_blue, 255);
    EXPECT_EQ(draw_state.color_alpha, 1.0f);
    EXPECT_EQ(draw_state.tform_scale_y, 1.0f);

    auto mark_at = [&](int light) {
        clear_screen();
        daylight = light;
        bombmark_tag::Create(320.0f, 240.0f);
        update_all(bombmark_list);
        bombmark_list.clear();
        return brightness();
    };
    day = mark_at(255);
    EXPECT_GT(day, 0);
    EXPECT_LT(mark_at(30), day);
    EXPECT_EQ(draw_state.blend_mode, static_cast<int>(blend_alpha));
    EXPECT_EQ(draw_state.tform_scale_x, 1.0f);
}

TEST_F(effects_test, a_bomb_mark_is_drawn_wider_and_flatter_than_its_picture)
{
    bombmark_tag::Create(320.0f, 240.0f);
    update_all(bombmark_list);
    box b = ink();
    // The picture is 40 by 22, drawn at 1.4 by 0.8.
    EXPECT_GT(b.w, 40);
    EXPECT_LE(b.w, 56);
    EXPECT_LT(b.h, 22);
    EXPECT_GE(b.h, 1);
}

} // namespace
