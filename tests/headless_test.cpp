// Replay scripts: parsing, delivery by presented frame, the focus wait, the frame limit and the simulated screen.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/headless_backend.h"
#include "services/input.h"
#include "shell/main_loop.h"

namespace {

using platform::event_kind;
using platform::headless_backend;

std::vector<event_kind> seen;
void record(const platform::event& e)
{
    seen.push_back(e.kind);
}

std::unique_ptr<headless_backend> scripted(const std::string& text)
{
    std::vector<platform::scripted_event> script;
    std::string error;
    EXPECT_TRUE(platform::parse_script(text, script, error)) << error;
    auto b = std::make_unique<headless_backend>(1000);
    b->set_script(std::move(script));
    b->open_window("", 640, 480, true);
    b->set_event_handler(record);
    seen.clear();
    return b;
}

void present_frames(headless_backend& b, int n)
{
    static const uint32_t pixel = 0;
    for (int i = 0; i < n; ++i) b.present(&pixel, 1, 1, false);
}

TEST(script, a_bad_line_is_refused_by_its_number)
{
    const char* cases[][2] = {
        {"10 jump 3\n", "line 1:"},          {"1 move 1 2\n# fine\n\nx key_down 27\n", "line 4:"},
        {"1 key_down 256\n", "line 1:"},     {"1 down 4\n", "line 1:"},
        {"1 move 3 4 5\n", "line 1:"},       {"-1 close\n", "line 1:"},
        {"1 close now\n", "line 1:"},        {"1 joy_axis 0 1.5 0\n", "line 1:"},
        {"1 joy_plug 16\n", "line 1:"},      {"1 key_down 27x\n", "line 1:"},
        {"20 close\n10 close\n", "line 2:"},
    };
    for (const auto& c : cases) {
        std::vector<platform::scripted_event> out;
        std::string error;
        EXPECT_FALSE(platform::parse_script(c[0], out, error)) << c[0];
        EXPECT_EQ(error.rfind(c[1], 0), 0u) << c[0] << " gave: " << error;
    }
}

TEST(script, events_come_in_order_at_the_first_pump_after_their_frame)
{
    auto b = scripted("# comment\n0 key_down 65\n2 key_up 65 # held two frames\n2 close\n6 move 5 6\n");
    b->pump_events();
    EXPECT_EQ(seen, std::vector{event_kind::key_down});
    present_frames(*b, 1);
    b->pump_events();
    EXPECT_EQ(seen.size(), 1u);
    present_frames(*b, 1);
    b->pump_events();
    b->pump_events();
    EXPECT_EQ(seen, (std::vector{event_kind::key_down, event_kind::key_up, event_kind::terminate}));
    present_frames(*b, 3);
    b->pump_events();
    EXPECT_EQ(seen.size(), 3u) << "frame 6 is not due after 5";
    present_frames(*b, 1);
    b->pump_events();
    EXPECT_EQ(seen.back(), event_kind::mouse_move);
}

TEST(script, only_a_game_that_waits_for_focus_gets_the_next_event_early)
{
    auto b = scripted("1 focus_lost\n500 key_down 32\n900 focus_gained\n950 key_down 27\n");
    present_frames(*b, 1);
    b->pump_events();
    b->pump_events(); // still drawing its frame: no skipping ahead
    EXPECT_EQ(seen, std::vector{event_kind::suspend});
    b->sleep_ms(10); // waiting: asleep, presenting nothing
    b->pump_events();
    b->pump_events();
    EXPECT_EQ(seen.size(), 2u) << "one event per turn of the wait";
    b->sleep_ms(10);
    b->pump_events();
    EXPECT_EQ(seen.back(), event_kind::resume);
    b->sleep_ms(10);
    b->pump_events();
    EXPECT_EQ(seen.size(), 3u) << "active again, the rest waits for its frame";

    auto c = scripted("1 focus_lost\n");
    present_frames(*c, 1);
    c->pump_events();
    c->sleep_ms(10);
    c->pump_events();
    EXPECT_EQ(seen, (std::vector{event_kind::suspend, event_kind::resume})) << "a script that forgets the focus";
}

TEST(script, the_frame_limit_ends_the_run_and_presents_no_more)
{
    auto b = scripted("3 key_down 32\n4 key_down 65\n");
    b->set_frame_limit(3);
    int shown = 0;
    b->on_present = [&](int, const uint32_t*, int, int) { ++shown; };
    present_frames(*b, 6);
    EXPECT_EQ(shown, 3);
    b->pump_events();
    b->pump_events();
    EXPECT_EQ(seen, (std::vector{event_kind::key_down, event_kind::terminate, event_kind::terminate}))
        << "the last frame's events still come, later ones never";
}

TEST(script, a_moved_pointer_stays_in_the_window)
{
    auto b = scripted("");
    b->move_pointer(-6, 500);
    b->pump_events();
    EXPECT_EQ(b->pointer_x(), 0);
    EXPECT_EQ(b->pointer_y(), 479);
}

TEST(script, pads_come_and_go_as_the_script_says)
{
    auto b = scripted("0 joy_down 0 1\n2 joy_plug 1\n2 joy_axis 1 1 -1\n4 joy_unplug 0\n");
    EXPECT_EQ(b->joystick_count(), 1) << "pad 1 starts unplugged";
    present_frames(*b, 2);
    b->pump_events();
    EXPECT_EQ(seen, std::vector{event_kind::joy_added});
    platform::joystick_state s;
    EXPECT_FALSE(b->joystick_read(1, s)) << "not read until counted again";
    EXPECT_EQ(b->joystick_count(), 2);
    present_frames(*b, 2);
    b->pump_events();
    EXPECT_FALSE(b->joystick_read(0, s)) << "the pulled pad no longer answers";
    EXPECT_EQ(b->joystick_count(), 1);
    ASSERT_TRUE(b->joystick_read(0, s));
    EXPECT_EQ(s.y, -1.0f) << "port 0 is now the pad that is left";
}

// The simulated screen behind blank-waiting presents.
std::vector<uint32_t> blank_times(headless_backend& b, int presents, bool vsync)
{
    static const uint32_t pixel = 0;
    std::vector<uint32_t> at;
    for (int i = 0; i < presents; ++i) {
        b.present(&pixel, 1, 1, vsync);
        at.push_back(b.ticks_ms());
    }
    return at;
}

TEST(screen, without_one_nothing_waits_for_a_blank)
{
    headless_backend b(1000);
    EXPECT_FALSE(b.can_wait_for_blank());
    EXPECT_EQ(blank_times(b, 3, true).back(), 1000u);
}

TEST(screen, a_waiting_present_lands_on_the_first_millisecond_of_the_next_blank)
{
    headless_backend b(1000);
    b.set_refresh(144);
    EXPECT_TRUE(b.can_wait_for_blank());
    // Blanks at 6.94, 13.89, 20.83, 27.78 ms: read on the clock as 7, 14, 21, 28.
    EXPECT_EQ(blank_times(b, 4, true), (std::vector<uint32_t>{1007, 1014, 1021, 1028}));
    EXPECT_EQ(blank_times(b, 2, false), (std::vector<uint32_t>{1028, 1028})) << "no wait without vsync";
    b.sleep_ms(5);
    EXPECT_EQ(blank_times(b, 1, true).back(), 1035u) << "the blank at 34.72 ms";
    b.sleep_ms(7);
    EXPECT_EQ(blank_times(b, 1, true).back(), 1049u) << "at 42 ms the blank at 41.67 is missed: 48.61";
}

TEST(screen, every_rate_gives_its_own_number_of_blanks_a_second)
{
    for (int hz : {50, 60, 75, 120, 144, 240}) {
        headless_backend b(0);
        b.set_refresh(hz);
        std::vector<uint32_t> at = blank_times(b, 3 * hz, true);
        EXPECT_EQ(at[static_cast<size_t>(hz) - 1], 1000u) << hz;
        EXPECT_EQ(at.back(), 3000u) << hz;
    }
}

TEST(screen, with_vsync_forced_off_a_waiting_present_returns_at_once)
{
    headless_backend b(1000);
    b.set_refresh(0);
    EXPECT_TRUE(b.can_wait_for_blank()) << "the driver still says it can";
    EXPECT_EQ(blank_times(b, 5, true).back(), 1000u);
}

TEST(screen, blanks_keep_their_beat_across_the_clock_wrap)
{
    headless_backend b(0xFFFFFFFFu - 20);
    b.set_refresh(60);
    std::vector<uint32_t> at = blank_times(b, 4, true);
    EXPECT_EQ(at, (std::vector<uint32_t>{0xFFFFFFFFu - 3, 13, 29, 46}));
}

// The game's own wait, through the input layer.
class focus_wait : public ::testing::Test {
protected:
    headless_backend* start(const std::string& text, int limit)
    {
        auto b = scripted(text);
        b->set_frame_limit(limit);
        auto* raw = b.get();
        platform::set_backend(std::move(b));
        start_input();
        present_frames(*raw, 2);
        return raw;
    }
    void TearDown() override { platform::set_backend(nullptr); }
};

TEST_F(focus_wait, the_game_waits_until_the_script_gives_the_focus_back)
{
    auto* b = start("2 focus_lost\n700 focus_gained\n", -1);
    uint32_t before = b->ticks_ms();
    wait_while_inactive(0);
    EXPECT_EQ(app_suspended(), 0);
    EXPECT_GT(b->ticks_ms(), before) << "it waited";
    EXPECT_EQ(b->presented(), 2);
}

TEST_F(focus_wait, the_frame_limit_ends_a_wait)
{
    start("2 focus_lost\n", 2);
    wait_while_inactive(0);
    EXPECT_EQ(app_suspended(), 1) << "still away: the close request ended the wait";
    EXPECT_EQ(app_terminate(), 1);
}

} // namespace
