// Spawning and the day's consequences: who comes when, the side toggles, the counted dawns and their cuts.
#include <gtest/gtest.h>

#include "shell/day_cycle.h"
#include "shell/game_flow.h"
#include "shell/world_frame.h"
#include "shell_fixture.h"

namespace {

class spawning_test : public shell_test {
protected:
    void SetUp() override
    {
        shell_test::SetUp();
        nuke_side = mustang_side = 0; // their start values: no new game resets them
        reset_game(0);
    }

    struct kinds {
        int lg, sm, nuke, mustang;
        bool operator==(const kinds&) const = default;
    };
    static kinds counts()
    {
        return {lgtrooper_list.size(), smtrooper_list.size(), nukerocket_list.size(), mustang_list.size()};
    }

    // The two shell steps of a world frame that count days and send the enemy.
    static void shell_frame()
    {
        advance_daylight(demo_mode);
        spawn_enemies();
    }

    static void run_to_day(int day)
    {
        while (days_survived < day) shell_frame();
    }
};

TEST_F(spawning_test, the_first_world_frame_sends_a_large_carrier_and_on_suicidal_every_kind)
{
    world_frame();
    EXPECT_EQ(counts(), (kinds{1, 0, 0, 0}));
    EXPECT_EQ(trooper_timer, 400);
    EXPECT_EQ(nuke_side, 1) << "the sides toggle even when nothing comes";
    EXPECT_EQ(mustang_side, 1);

    clear_all_lists();
    difficulty = 1;
    reset_game(0);
    world_frame();
    EXPECT_EQ(counts(), (kinds{1, 1, 1, 1}));
    EXPECT_EQ(trooper_timer, 300);
    EXPECT_EQ(nuke_timer, 200);
    EXPECT_EQ(mustang_timer, 300);
}

TEST_F(spawning_test, timers_send_at_each_expiry_and_sides_alternate_at_each)
{
    demo_mode = 1; // every kind, so each expiry shows
    reset_game(0);
    demo_mode = 1;
    int sides[4];
    for (int f = 1; f <= 1200; ++f) {
        spawn_enemies();
        if (f % 400 == 1) sides[f / 400] = nuke_side;
    }
    EXPECT_EQ(counts(), (kinds{3, 3, 3, 3})) << "frames 1, 401 and 801";
    EXPECT_EQ(sides[0], 1);
    EXPECT_EQ(sides[1], 0);
    EXPECT_EQ(sides[2], 1);
    std::vector<float> xs;
    nukerocket_list.each([&xs](const nukerocket_tag& r, long) { xs.push_back(r.x); });
    EXPECT_EQ(xs, (std::vector<float>{670.0f, -30.0f, 670.0f})) << "the rockets read the toggled side";
}

TEST_F(spawning_test, night_falls_at_frame_2285_and_the_first_day_is_counted_at_4570)
{
    men = 100000; // the paratroopers may land; the day is what is watched
    int night = 0, dawn = 0;
    for (int f = 1; f <= 4570 && !dawn; ++f) {
        world_frame();
        if (!night && daylight == 0 && daylight_step == 1) night = f;
        if (days_survived == 1) dawn = f;
    }
    EXPECT_EQ(night, 2285);
    EXPECT_EQ(dawn, 4570);
    EXPECT_EQ(banner_scale, 0.1f + 0.01f) << "the banner starts and is drawn the same frame";
    EXPECT_EQ(trooper_period, 375);
    EXPECT_GE(score, 250);
}

TEST_F(spawning_test, attract_mode_counts_no_day_pays_nothing_and_cuts_no_period)
{
    demo_mode = 1;
    for (int f = 0; f < 4570 * 2; ++f) shell_frame();
    EXPECT_EQ(days_survived, 0);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(banner_scale, 0.0f);
    EXPECT_EQ(trooper_period, 400);
    EXPECT_EQ(nuke_period, 400);
    EXPECT_EQ(mustang_period, 400);
    EXPECT_EQ(daylight, 255) << "the sky turned twice all the same";
}

TEST_F(spawning_test, periods_shrink_per_day_down_to_their_floors)
{
    struct step {
        int day, trooper, nuke, mustang;
    };
    const step normal[] = {{1, 375, 400, 400}, {3, 325, 350, 400}, {5, 275, 250, 350},
                           {11, 125, 50, 200}, {12, 100, 50, 200}, {20, 100, 50, 200}};
    for (const step& s : normal) {
        run_to_day(s.day);
        EXPECT_EQ(trooper_period, s.trooper) << "day " << s.day;
        EXPECT_EQ(nuke_period, s.nuke) << "day " << s.day;
        EXPECT_EQ(mustang_period, s.mustang) << "day " << s.day;
    }

    clear_all_lists();
    difficulty = 1;
    reset_game(0);
    run_to_day(7);
    EXPECT_EQ(trooper_period, 125);
    run_to_day(8);
    EXPECT_EQ(trooper_period, 100) << "the floor after the eighth day on \"Suicidal\"";
    EXPECT_EQ(nuke_period, 50);
    EXPECT_EQ(mustang_period, 200);
}

TEST_F(spawning_test, on_normal_rockets_wait_for_the_third_day_small_carriers_the_first_fighters_the_fifth)
{
    int first_small = -1, first_rocket = -1, first_fighter = -1;
    while (days_survived < 6) {
        shell_frame();
        if (first_small < 0 && !smtrooper_list.empty()) first_small = days_survived;
        if (first_rocket < 0 && !nukerocket_list.empty()) first_rocket = days_survived;
        if (first_fighter < 0 && !mustang_list.empty()) first_fighter = days_survived;
    }
    EXPECT_EQ(first_small, 1);
    EXPECT_EQ(first_rocket, 3);
    EXPECT_EQ(first_fighter, 5);
}

TEST_F(spawning_test, a_shrunk_period_applies_from_the_next_expiry)
{
    trooper_timer = 10;
    trooper_period = 50;
    for (int f = 0; f < 10; ++f) spawn_enemies();
    EXPECT_EQ(trooper_timer, 50);
    EXPECT_EQ(lgtrooper_list.size(), 1);
}

} // namespace
