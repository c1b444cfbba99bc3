// Nuke rockets: level flight with a flickering flame, the engine cut, the dive and the impact.
#include <vector>

#include "battle_fixture.h"
#include "effect_counter.h"

namespace {

class nuke_rocket : public battle_test {
protected:
    static nukerocket_tag* launch(int side)
    {
        nuke_side = side;
        nukerocket_tag::Create();
        return nukerocket_list.back();
    }
    static void step() { update_all(nukerocket_list); }
    static std::vector<uint32_t> shot()
    {
        const frame_buffer* fb = back_buffer();
        return {fb->pixels(), fb->pixels() + fb->width() * fb->height()};
    }
    // The rocket picture as the rocket draws it, on a cleared screen.
    static std::vector<uint32_t> drawn_as(float x, float y, float rotation, int frame)
    {
        clear_screen();
        set_blend_mode(blend_mask);
        set_draw_color(daylight, daylight, 255);
        set_draw_transform(rotation, 1.0f, 1.2f);
        draw_image(rocket_img, x, y, frame);
        set_draw_transform(0.0f, 1.0f, 1.0f);
        return shot();
    }
};

TEST_F(nuke_rocket, launched_level_from_either_side_with_its_sound)
{
    effect_counter whoosh(&nukemove_snd);
    nukerocket_tag* l = launch(0);
    EXPECT_EQ(l->x, -30.0f);
    EXPECT_EQ(l->frame, 0);
    EXPECT_EQ(l->dir, 90.0f);
    nukerocket_tag* r = launch(1);
    EXPECT_EQ(r->x, 670.0f);
    EXPECT_EQ(r->frame, 3);
    EXPECT_EQ(r->dir, 270.0f);
    EXPECT_EQ(whoosh.plays(), 2);

    int lo = 999, hi = 0;
    for (int n = 0; n < 200; ++n) {
        nukerocket_tag* k = launch(n % 2);
        EXPECT_EQ(k->y, 180.0f);
        EXPECT_EQ(k->rotation, 0.0f);
        EXPECT_EQ(k->fr_ctr, 0);
        lo = std::min(lo, k->dist_ctr), hi = std::max(hi, k->dist_ctr);
    }
    EXPECT_EQ(lo, 100);
    EXPECT_EQ(hi, 124);
    whoosh.plays();

    demo_mode = 1;
    launch(0);
    EXPECT_EQ(whoosh.plays(), 0) << "attract mode is silent";
}

TEST_F(nuke_rocket, dives_and_comes_down_in_the_described_window_mirrored)
{
    demo_mode = 1;
    for (int side = 0; side < 2; ++side) {
        const float mirror = side == 0 ? 1.0f : -1.0f;
        float dive_lo = 999, dive_hi = -999, hit_lo = 999, hit_hi = -999, nose_lo = 999, nose_hi = -999;
        int frames_lo = 999, frames_hi = 0;
        for (int d = 100; d <= 124; ++d) {
            nukerocket_list.clear();
            explosion_list.clear();
            flash_alpha = 0.0f;
            nukerocket_tag* r = launch(side);
            r->dist_ctr = d;
            int n = 0;
            float y = 0, nose = 0;
            while (!nukerocket_list.empty() && n < 400) {
                y = r->y, nose = r->rotation;
                step();
                ++n;
                if (n == d) {
                    EXPECT_EQ(r->dist_ctr, 0);
                    EXPECT_EQ(r->y, 180.0f) << "level until the dive";
                    EXPECT_EQ(r->rotation, mirror) << "the first degree of the dive";
                    const float at = mirror * (r->x - 320.0f) + 320.0f;
                    dive_lo = std::min(dive_lo, at), dive_hi = std::max(dive_hi, at);
                }
            }
            ASSERT_TRUE(nukerocket_list.empty());
            ASSERT_EQ(explosion_list.size(), 1);
            const explosion_tag* ex = explosion_list.front();
            EXPECT_GT(ex->y, 350.0f);
            EXPECT_LE(y, 350.0f);
            EXPECT_EQ(ex->scale, 0.8f);
            EXPECT_EQ(ex->scstep, 0.08f);
            EXPECT_EQ(flash_alpha, 1.0f);
            const float at = mirror * (ex->x - 320.0f) + 320.0f;
            hit_lo = std::min(hit_lo, at), hit_hi = std::max(hit_hi, at);
            frames_lo = std::min(frames_lo, n), frames_hi = std::max(frames_hi, n);
            nose_lo = std::min(nose_lo, mirror * nose), nose_hi = std::max(nose_hi, mirror * nose);
        }
        EXPECT_EQ(dive_lo, 170.0f);
        EXPECT_EQ(dive_hi, 218.0f);
        EXPECT_NEAR(hit_lo, 280.0f, 1.0f);
        EXPECT_NEAR(hit_hi, 328.0f, 1.0f);
        EXPECT_EQ(frames_lo, 175);
        EXPECT_EQ(frames_hi, 199);
        EXPECT_EQ(nose_lo, 75.0f);
        EXPECT_EQ(nose_hi, 75.0f) << "the frame before impact: the 76th degree comes with it";
    }
}

TEST_F(nuke_rocket, drop_sound_once_as_the_counter_passes_24)
{
    effect_counter drop(&nukedrop_snd);
    nukerocket_tag* r = launch(0);
    r->dist_ctr = 100;
    for (int n = 1; n <= 75; ++n) step();
    EXPECT_EQ(drop.plays(), 0);
    step();
    EXPECT_EQ(r->dist_ctr, 24);
    EXPECT_EQ(drop.plays(), 1);
    for (int n = 77; n <= 170; ++n) step(); // held at 0 through the dive
    EXPECT_LE(r->y, 350.0f);
    EXPECT_EQ(drop.plays(), 0);
}

TEST_F(nuke_rocket, flame_flickers_until_the_engine_cut)
{
    nukerocket_tag* r = launch(0);
    r->x = 100.0f;
    r->dist_ctr = 40;
    int shown[2] = {0, 0};
    for (int n = 1; n <= 40; ++n) {                // level flight to the dive
        const int expected = r->frame + r->fr_ctr; // chosen on the frame before
        const float x = r->x + 2.0f;
        if (n == 1) {
            EXPECT_EQ(expected, 0) << "the first frame has the long flame";
        }
        const std::vector<uint32_t> want = drawn_as(x, 180.0f, 0.0f, expected);
        clear_screen();
        step();
        ASSERT_EQ(shot(), want) << "update " << n;
        if (r->dist_ctr > 25) {
            ASSERT_LE(r->fr_ctr, 1);
            ++shown[r->fr_ctr];
        } else {
            EXPECT_EQ(r->fr_ctr, 2) << "engine cut";
        }
    }
    EXPECT_GT(shown[0], 2);
    EXPECT_GT(shown[1], 2);
    EXPECT_NE(drawn_as(100.0f, 180.0f, 0.0f, 0), drawn_as(100.0f, 180.0f, 0.0f, 1)) << "flames tell apart";
    EXPECT_EQ(draw_state.blend_mode, blend_mask);
}

TEST_F(nuke_rocket, coming_down_anywhere_ends_a_players_game)
{
    nukerocket_tag* r = launch(1);
    r->x = 40.0f; // far from the fort
    r->y = 349.0f;
    r->dir = 180.0f;
    r->dist_ctr = 0;
    EXPECT_EQ(game_over_entries([] { step(); }), 1);
    EXPECT_EQ(men, 0);
    EXPECT_TRUE(nukerocket_list.empty()) << "the end-of-game screen empties the battle";
}

} // namespace
