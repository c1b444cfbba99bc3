// Frame pacing on simulated screens: 60 game frames a second whatever the screen's blank does.
#include <gtest/gtest.h>

#include <memory>

#include "pacing_run.h"

namespace {

TEST(screen_rates, every_screen_gives_sixty_frames_a_second)
{
    struct {
        int refresh;
        bool by_timer;
        const char* what;
    } screens[] = {
        {60, false, "60 Hz, paced by the blank"},
        {75, true, "75 Hz"},
        {120, true, "120 Hz"},
        {144, true, "144 Hz"},
        {50, true, "50 Hz"},
        {vsync_off, true, "vsync forced off"},
        {no_screen, true, "no blank to wait for"},
    };
    for (const auto& s : screens) {
        paced_run r = run(10000, s.refresh, 600);
        EXPECT_EQ(r.by_timer, s.by_timer) << s.what;
        expect_sixty_a_second(r.at, s.what);
    }
}

TEST(screen_rates, drawing_time_inside_the_frame_changes_nothing)
{
    for (int refresh : {60, 75, 144, vsync_off})
        expect_sixty_a_second(run(10000, refresh, 300, 12).at, "12 ms of drawing");
}

TEST(screen_rates, the_probe_costs_the_same_on_every_screen)
{
    // So a run's start-up, and with it the seed the game takes from the clock, is the same
    // whatever the player's screen.
    // The first display a process opens also clears and flips twice; measure every screen after it.
    run(10000, 60, 0);
    paced_run at_60 = run(10000, 60, 0);
    for (int refresh : {50, 75, 120, 144, vsync_off}) {
        paced_run r = run(10000, refresh, 0);
        EXPECT_EQ(r.opening_ms, at_60.opening_ms) << refresh;
        EXPECT_EQ(r.opening_presents, at_60.opening_presents) << refresh;
    }
    EXPECT_GT(at_60.opening_ms, 0u);
    EXPECT_EQ(run(10000, no_screen, 0).opening_ms, 0u) << "nothing to probe";
}

TEST(screen_rates, a_window_is_not_probed)
{
    auto owned = std::make_unique<platform::headless_backend>(10000);
    owned->set_refresh(60);
    platform::headless_backend* b = owned.get();
    platform::set_backend(std::move(owned));
    ASSERT_NE(open_display(640, 480, 0, 60, display_back_buffered), nullptr);
    EXPECT_EQ(b->ticks_ms(), 10000u);
    EXPECT_TRUE(pacing().soft_pacing);
}

TEST(screen_rates, a_frame_that_misses_its_blank_waits_for_the_next_one)
{
    auto owned = std::make_unique<platform::headless_backend>(0);
    owned->set_refresh(60);
    platform::headless_backend* b = owned.get();
    platform::set_backend(std::move(owned));
    ASSERT_NE(open_display(640, 480, 32, 60, display_back_buffered), nullptr);
    ASSERT_FALSE(pacing().soft_pacing);
    flip_frame(-1);
    uint32_t t = b->ticks_ms();
    delay_ms(20); // drawing took longer than a frame
    flip_frame(-1);
    uint32_t late = b->ticks_ms() - t;
    EXPECT_GE(late, 33u);
    EXPECT_LE(late, 34u);
    t = b->ticks_ms();
    flip_frame(-1);
    EXPECT_GE(b->ticks_ms() - t, 16u) << "back on the beat, no burst";
    EXPECT_LE(b->ticks_ms() - t, 17u);
}

} // namespace
