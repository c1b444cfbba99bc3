// Fighters on their far and near passes, and the small bombs they drop.
#include <vector>

#include "battle_fixture.h"
#include "effect_counter.h"

namespace {

class fighters : public battle_test {
protected:
    static mustang_tag* launch(int side)
    {
        mustang_side = side;
        mustang_tag::Create();
        return mustang_list.back();
    }
    static mustang_tag* near_fighter(float x, float xstp)
    {
        mustang_tag* m = launch(xstp > 0.0f ? 0 : 1);
        m->x = x;
        m->y = 260.0f;
        m->scale = 1.4f;
        m->xstp = xstp;
        m->frame = xstp > 0.0f ? 0 : 2;
        return m;
    }
    // Both fighter walks, as the world frame makes them.
    static void frame_pair()
    {
        update_fighters(1);
        update_fighters(0);
    }
    // Runs the bombs until none is left; the number of updates it took.
    static int bombs_until_gone()
    {
        int n = 0;
        while (!smallbomb_list.empty() && n < 1000) {
            update_all(smallbomb_list);
            ++n;
        }
        return n;
    }
};

TEST_F(fighters, enter_far_and_small_on_either_side)
{
    mustang_tag* l = launch(0);
    EXPECT_EQ(l->x, -36.0f);
    EXPECT_EQ(l->xstp, 4.0f);
    EXPECT_EQ(l->frame, 0);
    mustang_tag* r = launch(1);
    EXPECT_EQ(r->x, 836.0f);
    EXPECT_EQ(r->xstp, -4.0f);
    EXPECT_EQ(r->frame, 2);
    int lo = 99, hi = 0;
    for (int n = 0; n < 100; ++n) {
        mustang_tag* m = launch(n % 2);
        EXPECT_EQ(m->y, 280.0f);
        EXPECT_EQ(m->scale, 0.4f);
        lo = std::min(lo, m->bomb_tmr), hi = std::max(hi, m->bomb_tmr);
    }
    EXPECT_EQ(lo, 5);
    EXPECT_EQ(hi, 14);
}

TEST_F(fighters, far_pass_turns_near_with_one_flyby_and_bombs_only_over_the_field)
{
    for (int side = 0; side < 2; ++side) {
        mustang_list.clear();
        smallbomb_list.clear();
        effect_counter flyby(&aircraft3_snd);
        mustang_tag* m = launch(side);
        const float far_step = m->xstp;
        int n = 0;
        while (m->scale < 1.0f && n < 1000) {
            const float x = m->x;
            update_fighters(1);
            if (m->scale < 1.0f) {
                EXPECT_EQ(m->x, x + far_step);
            }
            const float after_far = m->x;
            update_fighters(0);
            if (m->scale < 1.0f) {
                EXPECT_EQ(m->x, after_far) << "the near walk leaves far fighters alone";
            }
            ++n;
        }
        EXPECT_EQ(n, side == 0 ? 179 : 219) << "160 unseen pixels more from the right";
        EXPECT_TRUE(smallbomb_list.empty()) << "far fighters never bomb";
        // Turned by the far walk and moved again by the near walk of the same frame.
        EXPECT_EQ(m->x, side == 0 ? 830.0f : -30.0f);
        EXPECT_EQ(m->y, 260.0f);
        EXPECT_EQ(m->scale, 1.4f);
        EXPECT_EQ(m->xstp, side == 0 ? -6.0f : 6.0f);
        EXPECT_EQ(m->frame, side == 0 ? 2 : 0);
        EXPECT_EQ(flyby.plays(), 1);

        std::vector<int> drops;
        n = 0;
        while (!mustang_list.empty() && n < 1000) {
            const int before = smallbomb_list.size();
            const float x = m->x;
            frame_pair();
            ++n;
            if (smallbomb_list.size() > before) {
                drops.push_back(n);
                EXPECT_GT(x + m->xstp, 25.0f);
                EXPECT_LT(x + m->xstp, 615.0f);
            }
            if (mustang_list.empty()) break;
            EXPECT_EQ(m->x, x + m->xstp) << "one step a frame on the near pass";
        }
        EXPECT_EQ(flyby.plays(), 0);
        EXPECT_EQ(n, side == 0 ? 145 : 118) << "out beyond the far edge";
        ASSERT_GE(drops.size(), 7u);
        for (size_t k = 1; k < drops.size(); ++k) {
            EXPECT_GE(drops[k] - drops[k - 1], 5);
            EXPECT_LE(drops[k] - drops[k - 1], 14);
        }
        smallbomb_list.each([side](const smallbomb_tag& b, long) {
            EXPECT_EQ(b.y, 265.0f) << "five below the fighter";
            EXPECT_EQ(b.frame, side == 0 ? 5 : 2);
        });
    }
}

TEST_F(fighters, bombs_take_the_fighters_facing)
{
    demo_mode = 1;
    mustang_tag* left = near_fighter(600.0f, -6.0f);
    left->bomb_tmr = 1;
    mustang_tag* right = near_fighter(100.0f, 6.0f);
    right->bomb_tmr = 1;
    update_fighters(0);
    ASSERT_EQ(smallbomb_list.size(), 2);
    const smallbomb_tag* a = smallbomb_list.front();
    EXPECT_EQ(a->x, 594.0f);
    EXPECT_EQ(a->frame, 5);
    EXPECT_EQ(a->dir, 270.0f);
    EXPECT_EQ(a->rotation, 0.0f);
    const smallbomb_tag* b = smallbomb_list.back();
    EXPECT_EQ(b->x, 106.0f);
    EXPECT_EQ(b->frame, 2);
    EXPECT_EQ(b->dir, 90.0f);
    EXPECT_GE(left->bomb_tmr, 5);
    EXPECT_LE(left->bomb_tmr, 14);

    // Each curls nose-down and then falls straight, clear of the fort.
    for (int n = 0; n < 92; ++n) update_all(smallbomb_list);
    ASSERT_EQ(smallbomb_list.size(), 2);
    EXPECT_EQ(a->rotation, -90.0f);
    EXPECT_EQ(a->dir, 180.0f);
    EXPECT_EQ(b->rotation, 90.0f);
    EXPECT_EQ(b->dir, 180.0f);
}

TEST_F(fighters, bomb_from_265_crosses_360_on_frame_81_and_bursts_on_frame_101)
{
    for (int side = 0; side < 2; ++side) {
        bombmark_list.clear();
        explosion_list.clear();
        const float release = side == 0 ? 20.0f : 620.0f;
        smallbomb_tag::Create(release, 265.0f, side * 2);
        smallbomb_tag* b = smallbomb_list.front();
        const float ahead = side == 0 ? 1.0f : -1.0f;
        for (int n = 1; n <= 80; ++n) update_all(smallbomb_list);
        EXPECT_LE(b->y, 360.0f);
        update_all(smallbomb_list);
        EXPECT_GT(b->y, 360.0f);
        EXPECT_NEAR((b->x - release) * ahead, 114.0f, 0.05f);
        for (int n = 82; n <= 100; ++n) update_all(smallbomb_list);
        EXPECT_LE(b->y, 400.0f);
        EXPECT_EQ(bombs_until_gone(), 1);

        // The scorch mark and the burst go 20 to 40 below the line, not where the bomb was.
        ASSERT_EQ(bombmark_list.size(), 1);
        ASSERT_EQ(explosion_list.size(), 1);
        const bombmark_tag* mark = bombmark_list.front();
        const explosion_tag* ex = explosion_list.front();
        EXPECT_NEAR((mark->x - release) * ahead, 115.6f, 0.05f);
        EXPECT_GE(mark->y, 420.0f);
        EXPECT_LT(mark->y, 440.0f);
        EXPECT_EQ(ex->x, mark->x);
        EXPECT_EQ(ex->y, mark->y);
        EXPECT_EQ(ex->scale, 0.2f);
        EXPECT_EQ(ex->scstep, 0.04f);
    }
}

TEST_F(fighters, burst_sound_and_scorch_depths)
{
    effect_counter burst(&explode1_snd);
    float lo = 99.0f, hi = 0.0f;
    for (int n = 0; n < 40; ++n) {
        smallbomb_tag::Create(n < 20 ? 50.0f + n : 500.0f + n, 399.0f, 0); // clear of the fort
        smallbomb_list.back()->dir = 180.0f;
        smallbomb_list.back()->rotation = 90.0f;
    }
    update_all(smallbomb_list);
    EXPECT_TRUE(smallbomb_list.empty());
    EXPECT_EQ(burst.plays(), 40);
    bombmark_list.each([&](const bombmark_tag& m, long) { lo = std::min(lo, m.y), hi = std::max(hi, m.y); });
    EXPECT_EQ(bombmark_list.size(), 40);
    EXPECT_LT(lo, 423.0f);
    EXPECT_GT(hi, 437.0f);
}

TEST_F(fighters, right_flying_bombs_from_x_160_to_250_fall_on_the_fort)
{
    // A fighter from the left releases at multiples of 6: 162 .. 246 hit, 156 and 252 do not. The
    // bomb still drifts right after it passes 360, so releases from 159.5 on hit.
    struct {
        float x;
        bool hits;
    } cases[] = {{156.0f, false}, {159.25f, false}, {159.5f, true},  {162.0f, true},
                 {246.0f, true},  {250.9f, true},   {251.0f, false}, {252.0f, false}};
    demo_mode = 1;
    for (auto k : cases) {
        mustang_list.clear();
        bombmark_list.clear();
        explosion_list.clear();
        mustang_tag* m = near_fighter(k.x - 6.0f, 6.0f);
        m->bomb_tmr = 1;
        update_fighters(0);
        ASSERT_EQ(smallbomb_list.size(), 1);
        EXPECT_EQ(smallbomb_list.front()->y, 265.0f);
        bombs_until_gone();
        EXPECT_EQ(bombmark_list.empty(), k.hits) << k.x;
        ASSERT_EQ(explosion_list.size(), 1) << k.x;
        if (k.hits) {
            EXPECT_GT(explosion_list.front()->y, 360.0f);
            EXPECT_LE(explosion_list.front()->y, 400.0f) << "burst on the fort, where the bomb is";
        }
    }
    EXPECT_EQ(men, 3) << "attract mode takes nothing";
}

TEST_F(fighters, bomb_on_the_fort_ends_a_players_game_whatever_men)
{
    smallbomb_tag::Create(300.0f, 360.0f, 0);
    smallbomb_list.front()->dir = 180.0f;
    smallbomb_list.front()->rotation = 90.0f;
    EXPECT_EQ(game_over_entries([] { update_all(smallbomb_list); }), 1);
    EXPECT_EQ(men, 0);
    EXPECT_TRUE(smallbomb_list.empty());
    EXPECT_TRUE(explosion_list.empty()) << "no burst: the game is over";
}

TEST_F(fighters, fort_test_runs_after_a_burst_on_the_ground)
{
    // Just above the line inside the walls: the ground takes it, then the fort does too.
    auto falling_at = [](float x) {
        smallbomb_tag::Create(x, 399.0f, 0);
        smallbomb_list.back()->dir = 180.0f;
        smallbomb_list.back()->rotation = 90.0f;
    };
    demo_mode = 1;
    falling_at(300.0f);
    update_all(smallbomb_list);
    EXPECT_EQ(bombmark_list.size(), 1);
    ASSERT_EQ(explosion_list.size(), 2);
    EXPECT_EQ(explosion_list.back()->y, 401.0f) << "the fort's burst is at the bomb";

    demo_mode = 0;
    falling_at(300.0f);
    EXPECT_EQ(game_over_entries([] { update_all(smallbomb_list); }), 1);
    EXPECT_EQ(men, 0);
}

TEST_F(fighters, near_and_far_filtered_by_pass)
{
    mustang_tag* far = launch(0);
    far->x = 300.0f;
    mustang_tag* near = near_fighter(300.0f, 6.0f);
    near->bomb_tmr = 100;
    mustang_tag* one = near_fighter(300.0f, 6.0f);
    one->scale = 1.0f;
    one->bomb_tmr = 1;
    update_fighters(1);
    EXPECT_EQ(far->x, 304.0f);
    EXPECT_EQ(near->x, 300.0f);
    EXPECT_EQ(one->x, 300.0f);
    update_fighters(0);
    EXPECT_EQ(far->x, 304.0f);
    EXPECT_EQ(near->x, 306.0f);
    EXPECT_EQ(near->bomb_tmr, 99);
    EXPECT_EQ(one->x, 306.0f) << "scale 1 flies with the near ones";
    EXPECT_EQ(one->bomb_tmr, 1) << "but never bombs";
    EXPECT_TRUE(smallbomb_list.empty());
}

TEST_F(fighters, only_near_fighters_above_scale_1_can_be_shot)
{
    struct {
        float scale;
        bool shot;
    } cases[] = {{0.4f, false}, {1.0f, false}, {1.4f, true}};
    for (auto k : cases) {
        mustang_list.clear();
        canball_list.clear();
        score = 0;
        mustang_tag* m = near_fighter(300.0f, 6.0f);
        m->scale = k.scale;
        canball_tag::Create(0);
        canball_list.back()->y = m->y + 2.0f; // one step up puts it on the fighter
        canball_list.back()->x = m->x;
        update_all(canball_list);
        EXPECT_EQ(mustang_list.empty(), k.shot) << k.scale;
        EXPECT_EQ(canball_list.empty(), k.shot) << k.scale;
        EXPECT_EQ(score, k.shot ? 50 : 0) << k.scale;
    }
}

TEST_F(fighters, drawn_masked_in_the_daylight_tint)
{
    daylight = 90;
    near_fighter(300.0f, 6.0f);
    update_fighters(0);
    EXPECT_GT(ink().count, 200);
    EXPECT_EQ(draw_state.blend_mode, blend_mask);
    EXPECT_EQ(draw_state.color_red, 90);
    EXPECT_EQ(draw_state.color_blue, 255);
    EXPECT_EQ(draw_state.tform_scale_x, 1.0f);

    clear_screen();
    smallbomb_tag::Create(300.0f, 200.0f, 2);
    update_all(smallbomb_list);
    const box b = ink();
    EXPECT_LE(b.w, 23) << "half the rocket's 44 pixels";
    EXPECT_LE(b.h, 8);
    EXPECT_EQ(draw_state.tform_scale_y, 1.0f);
    EXPECT_EQ(draw_state.tform_rot, 0.0f);
}

} // namespace
