// The millisecond clock wraps at 2^32: pacing keeps its beat across it, and no counter overflows.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <set>

#include "pacing_run.h"
#include "services/audio/mixer.h"

namespace {

TEST(clock_wrap, spans_are_measured_right_across_either_wrap)
{
    EXPECT_EQ(ms_between(INT_MAX, INT_MIN), 1) << "2^31 - 1 to 2^31";
    EXPECT_EQ(ms_between(-1, 0), 1) << "2^32 - 1 to 0";
    EXPECT_EQ(ms_between(-10, 6), 16);
    EXPECT_EQ(ms_between(6, -10), -16) << "a deadline already passed";
    EXPECT_EQ(ms_between(INT_MIN + 5, INT_MAX - 4), -10);
}

TEST(clock_wrap, frames_keep_sixty_a_second_across_the_wrap)
{
    // Both the wrap of the 32-bit count and the point where it turns negative as an int.
    for (uint32_t start : {0xFFFFFFFFu - 999, 0x7FFFFFFFu - 999}) {
        for (int refresh : {no_screen, 60, 144}) {
            paced_run r = run(start, refresh, 180);
            expect_sixty_a_second(r.at, refresh == 60 ? "paced by the blank" : "paced by the timer");
            EXPECT_GT(r.at.back() - start, 2000u) << "the run crossed the wrap";
        }
    }
}

TEST(clock_wrap, a_frame_late_across_the_wrap_is_presented_at_once)
{
    auto owned = std::make_unique<platform::headless_backend>(0xFFFFFFFFu - 500);
    platform::headless_backend* b = owned.get();
    platform::set_backend(std::move(owned));
    ASSERT_NE(open_display(640, 480, 32, 60, display_back_buffered), nullptr);
    while (b->ticks_ms() < 0xFFFFFFFFu - 20) flip_frame(-1);
    delay_ms(40); // the frame's drawing runs past the wrap and past its slot
    const uint32_t late = b->ticks_ms();
    ASSERT_LT(late, 100u);
    flip_frame(-1);
    EXPECT_EQ(b->ticks_ms(), late) << "not held back for 49 days";
    flip_frame(-1);
    const uint32_t slot = b->ticks_ms() - late;
    EXPECT_TRUE(slot == 16 || slot == 17) << slot;
}

TEST(counters, the_display_generation_wraps_past_the_largest_int_and_skips_zero)
{
    platform::set_backend(std::make_unique<platform::headless_backend>());
    display_generation = INT_MAX;
    ASSERT_NE(open_display(640, 480, 0, 0, 0), nullptr);
    EXPECT_EQ(display_generation, INT_MIN);
    display_generation = -1;
    ASSERT_NE(open_display(640, 480, 0, 0, 0), nullptr);
    EXPECT_EQ(display_generation, 1);
}

TEST(counters, channel_generations_cycle_through_positive_values_only)
{
    // Evaluated by the compiler, which refuses a step that overflows.
    constexpr int32_t last = 0x7FFFF000;
    static_assert(next_generation(last, 4096) == 0);
    static_assert(next_generation(0, 4096) == 4096);

    int32_t g = 0;
    std::set<int32_t> seen;
    for (int step = 0; step < (1 << 19); ++step) {
        ASSERT_GE(g, 0);
        ASSERT_EQ(g % 4096, 0);
        ASSERT_GT(g | 4095, 0) << "a handle of the last voice stays positive";
        seen.insert(g);
        g = next_generation(g, 4096);
    }
    EXPECT_EQ(g, 0) << "back to the start after every generation was used once";
    EXPECT_EQ(seen.size(), 1u << 19);
}

} // namespace
