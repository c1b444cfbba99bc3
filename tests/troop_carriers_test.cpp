// Troop carriers: the far pass, the turn, the near pass with its drops, and how each kind is tinted.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "battle_fixture.h"
#include "effect_counter.h"
#include "headless_battle.h"

namespace {

class troop_carriers_test : public battle_test {
protected:
    // What one carrier did over its whole life.
    struct pass_log {
        int far = 0, near = 0;     // updates on each pass
        float turn_from_x = 0;     // x before the update that turned it
        lgtrooper_tag first_near;  // fields as it stood to be drawn first on the near pass
        int far_timer_changes = 0; // the far pass must leave jump_tmr alone
        int window = 0;            // near-pass updates that counted the timer down
        int drops = 0;
    };

    template <typename T> static pass_log fly(actor_list<T>& l)
    {
        pass_log log;
        T* c = l.back();
        bool near = false;
        for (int n = 0; n < 5000 && !l.empty(); ++n) {
            const lgtrooper_tag before = *c;
            const int commandos = commando_list.size();
            update_all(l);
            if (l.empty()) { // gone off the far side: nothing is left to look at
                ++log.near;
                break;
            }
            if (!near) {
                ++log.far;
                if (c->jump_tmr != before.jump_tmr) ++log.far_timer_changes;
                if (c->scale == 1.0f) {
                    near = true;
                    log.turn_from_x = before.x;
                    log.first_near = *c;
                }
                continue;
            }
            ++log.near;
            if (c->jump_tmr != before.jump_tmr) ++log.window;
            if (commando_list.size() > commandos) ++log.drops;
        }
        return log;
    }
};

TEST_F(troop_carriers_test, a_large_carrier_flies_731_frames_far_and_249_near)
{
    lgtrooper_tag::Create();
    const lgtrooper_tag c = *lgtrooper_list.front();
    EXPECT_EQ(c.x, 670.0f);
    EXPECT_EQ(c.y, 240.0f);
    EXPECT_EQ(c.scale, 0.4f);
    EXPECT_EQ(c.xstp, -1.0f);
    EXPECT_EQ(c.frame, 2);
    EXPECT_EQ(c.fr_ctr, 0);
    EXPECT_GE(c.jump_tmr, 20);
    EXPECT_LE(c.jump_tmr, 84);

    pass_log log = fly(lgtrooper_list);
    EXPECT_EQ(log.far, 731);
    EXPECT_EQ(log.turn_from_x - 1.0f, -61.0f);
    EXPECT_EQ(log.first_near.x, -53.0f);
    EXPECT_EQ(log.first_near.y, 40.0f);
    EXPECT_EQ(log.first_near.scale, 1.0f);
    EXPECT_EQ(log.first_near.frame, 0);
    EXPECT_EQ(log.first_near.xstp, 3.0f);
    EXPECT_EQ(log.first_near.fr_ctr, 1); // the propeller keeps turning through the turn
    EXPECT_EQ(log.far_timer_changes, 0);
    EXPECT_EQ(log.near, 249);
    EXPECT_EQ(log.window, 200);
}

TEST_F(troop_carriers_test, a_small_carrier_flies_376_frames_far_and_188_near)
{
    smtrooper_tag::Create();
    const smtrooper_tag c = *smtrooper_list.front();
    EXPECT_EQ(c.x, -50.0f);
    EXPECT_EQ(c.y, 260.0f);
    EXPECT_EQ(c.scale, 0.4f);
    EXPECT_EQ(c.xstp, 2.0f);
    EXPECT_EQ(c.frame, 0);

    pass_log log = fly(smtrooper_list);
    EXPECT_EQ(log.far, 376);
    EXPECT_EQ(log.turn_from_x + 2.0f, 702.0f);
    EXPECT_EQ(log.first_near.x, 690.0f);
    EXPECT_EQ(log.first_near.y, 100.0f);
    EXPECT_EQ(log.first_near.xstp, -4.0f);
    EXPECT_EQ(log.first_near.frame, 2);
    EXPECT_EQ(log.far_timer_changes, 0);
    EXPECT_EQ(log.near, 188);
    EXPECT_EQ(log.window, 150);
    EXPECT_TRUE(lgtrooper_list.empty());
}

TEST_F(troop_carriers_test, the_engine_is_heard_at_the_turn_in_play_only)
{
    use_headless(); // effects are counted on its audio
    for (int demo = 0; demo <= 1; ++demo) {
        demo_mode = demo;
        effect_counter large(&aircraft1_snd);
        lgtrooper_tag::Create();
        lgtrooper_list.front()->x = -59.0f;
        update_all(lgtrooper_list);
        EXPECT_EQ(large.plays(), 0);
        update_all(lgtrooper_list); // turns
        EXPECT_EQ(lgtrooper_list.front()->scale, 1.0f);
        for (int i = 0; i < 300; ++i) update_all(lgtrooper_list);
        EXPECT_TRUE(lgtrooper_list.empty());
        EXPECT_EQ(large.plays(), 1 - demo);
    }
    for (int demo = 0; demo <= 1; ++demo) {
        demo_mode = demo;
        effect_counter small(&aircraft2_snd);
        smtrooper_tag::Create();
        smtrooper_list.front()->x = 699.0f;
        update_all(smtrooper_list);
        EXPECT_EQ(smtrooper_list.front()->scale, 1.0f);
        EXPECT_EQ(small.plays(), 1 - demo);
    }
}

TEST_F(troop_carriers_test, a_timer_running_out_at_x_22_drops_a_commando_there)
{
    lgtrooper_tag::Create();
    lgtrooper_tag* c = lgtrooper_list.front();
    c->jump_tmr = 1; // the far pass must not spend it
    while (commando_list.empty() && !lgtrooper_list.empty()) update_all(lgtrooper_list);
    ASSERT_EQ(commando_list.size(), 1);
    EXPECT_EQ(c->x, 22.0f);
    const commando_tag& m = *commando_list.front();
    EXPECT_EQ(m.x, 22.0f);
    EXPECT_EQ(m.y, 40.0f);
    EXPECT_EQ(m.rotation, 15.0f);
    EXPECT_GE(c->jump_tmr, 20);
    EXPECT_LE(c->jump_tmr, 84);

    smtrooper_tag::Create();
    smtrooper_tag* s = smtrooper_list.front();
    s->jump_tmr = 1;
    while (commando_list.size() == 1 && !smtrooper_list.empty()) update_all(smtrooper_list);
    ASSERT_EQ(commando_list.size(), 2);
    EXPECT_EQ(commando_list.front()->x, 618.0f); // the first x inside the window, flying left
    EXPECT_EQ(commando_list.front()->y, 100.0f);
    EXPECT_EQ(commando_list.front()->rotation, -15.0f);
}

TEST_F(troop_carriers_test, a_near_pass_drops_2_to_10_large_or_1_to_7_small_over_many_seeds)
{
    std::set<int> large, small;
    for (int seed = 1; seed <= 300; ++seed) {
        seed_rnd(seed);
        commando_list.clear();
        lgtrooper_tag::Create();
        int n = fly(lgtrooper_list).drops;
        EXPECT_GE(n, 2) << seed;
        EXPECT_LE(n, 10) << seed;
        large.insert(n);
        commando_list.clear();
        smtrooper_tag::Create();
        n = fly(smtrooper_list).drops;
        EXPECT_GE(n, 1) << seed;
        EXPECT_LE(n, 7) << seed;
        small.insert(n);
    }
    // Random, not fixed.
    EXPECT_GE(large.size(), 4u);
    EXPECT_GE(small.size(), 4u);
}

TEST_F(troop_carriers_test, the_small_carrier_takes_the_colour_left_by_whatever_drew_before_it)
{
    auto brightest_red = [&] {
        int best = 0;
        for (int y = 240; y < 280; ++y)
            for (int x = 380; x < 420; ++x) best = std::max<int>(best, px(x, y) >> 16 & 255);
        return best;
    };
    lgtrooper_tag::Create();
    smtrooper_tag::Create();
    lgtrooper_list.front()->x = 200.0f;
    smtrooper_list.front()->x = 400.0f;
    daylight = 40;

    // Alone, after something that left white: drawn bright at night.
    set_draw_color(255, 255, 255);
    update_all(smtrooper_list);
    EXPECT_EQ(draw_state.color_red, 255);
    EXPECT_GT(brightest_red(), 40);

    // After a large carrier: tinted as the large one left it.
    clear_screen();
    smtrooper_list.front()->x = 400.0f;
    update_all(lgtrooper_list);
    EXPECT_EQ(draw_state.color_red, 40);
    EXPECT_EQ(draw_state.color_green, 40);
    EXPECT_EQ(draw_state.color_blue, 255);
    update_all(smtrooper_list);
    EXPECT_LE(brightest_red(), 40);
    EXPECT_EQ(draw_state.color_red, 40);
    EXPECT_EQ(draw_state.blend_mode, static_cast<int>(blend_mask));
    EXPECT_EQ(draw_state.tform_scale_x, 1.0f);
}

} // namespace
