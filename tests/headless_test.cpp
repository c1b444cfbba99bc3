// Replay scripts: parsing, delivery by presented frame, the focus wait and the frame limit.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/headless_backend.h"
#include "services/input.h"
#include "shell/main_loop.h"

namespace {

using platform::event;
using platform::event_kind;
using platform::headless_backend;
using platform::scripted_event;

std::vector<event> seen;
void record(const event& e) { seen.push_back(e); }

std::vector<scripted_event> parsed(const std::string& text)
{
    std::vector<scripted_event> out;
    std::string error;
    EXPECT_TRUE(platform::parse_script(text, out, error)) << error;
    return out;
}

std::string parse_error(const std::string& text)
{
    std::vector<scripted_event> out;
    std::string error;
    EXPECT_FALSE(platform::parse_script(text, out, error)) << "accepted: " << text;
    return error;
}

// A backend with a script and a window, recording what it hands to the input layer.
std::unique_ptr<headless_backend> scripted(const std::string& text)
{
    auto b = std::make_unique<headless_backend>(1000);
    b->set_script(parsed(text));
    EXPECT_TRUE(b->open_window("", 640, 480, true));
    b->set_event_handler(record);
    seen.clear();
    return b;
}

void present_frames(headless_backend& b, int n)
{
    static const uint32_t pixel = 0;
    for (int i = 0; i < n; ++i) b.present(&pixel, 1, 1, false);
}

std::vector<event_kind> kinds()
{
    std::vector<event_kind> k;
    for (const auto& e : seen) k.push_back(e.kind);
    return k;
}

TEST(script, every_event_kind_reads_with_comments_and_blank_lines)
{
    auto s = parsed("# a comment\n"
                    "\n"
                    "0 move 10 20   # the pointer\n"
                    "3 down 1\n"
                    "3 up 3\n"
                    "5 key_down 162\n"
                    "5 key_up 27\n"
                    "6 focus_lost\n"
                    "6 focus_gained\n"
                    "7 close\n"
                    "8 joy_axis 2 -1 0.5\n"
                    "9 joy_down 0 15\n"
                    "9 joy_up 1 0\n"
                    "10 joy_plug 3\n"
                    "11 joy_unplug 3\n");
    ASSERT_EQ(s.size(), 13u);
    EXPECT_EQ(s[0].ev.kind, event_kind::mouse_move);
    EXPECT_EQ(s[0].ev.a, 10);
    EXPECT_EQ(s[0].ev.b, 20);
    EXPECT_EQ(s[1].frame, 3);
    EXPECT_EQ(s[2].ev.kind, event_kind::mouse_up);
    EXPECT_EQ(s[2].ev.a, 3);
    EXPECT_EQ(s[3].ev.kind, event_kind::key_down);
    EXPECT_EQ(s[3].ev.a, 162);
    EXPECT_EQ(s[5].ev.kind, event_kind::suspend);
    EXPECT_EQ(s[6].ev.kind, event_kind::resume);
    EXPECT_EQ(s[7].ev.kind, event_kind::terminate);
    EXPECT_EQ(s[8].type, scripted_event::what::joy_axis);
    EXPECT_EQ(s[8].port, 2);
    EXPECT_EQ(s[8].jx, -1.0f);
    EXPECT_EQ(s[8].jy, 0.5f);
    EXPECT_EQ(s[9].button, 15);
    EXPECT_EQ(s[11].type, scripted_event::what::joy_plug);
    EXPECT_EQ(s[12].type, scripted_event::what::joy_unplug);
}

TEST(script, a_bad_line_is_named_by_its_number)
{
    struct bad {
        const char* text;
        const char* line;
    };
    const bad cases[] = {
        {"10 jump 3\n", "line 1:"},
        {"1 move 1 2\n# fine\n\nx key_down 27\n", "line 4:"},
        {"1 key_down 256\n", "line 1:"},
        {"1 key_down 0\n", "line 1:"},
        {"1 down 4\n", "line 1:"},
        {"1 move 3\n", "line 1:"},
        {"1 move 3 4 5\n", "line 1:"},
        {"-1 close\n", "line 1:"},
        {"1 close now\n", "line 1:"},
        {"5\n", "line 1:"},
        {"1 joy_axis 0 1.5 0\n", "line 1:"},
        {"1 joy_down 16 0\n", "line 1:"},
        {"1 joy_plug 0 1\n", "line 1:"},
        {"1 key_down 27x\n", "line 1:"},
        {"20 close\n10 close\n", "line 2:"},
    };
    for (const auto& c : cases) {
        std::string error = parse_error(c.text);
        EXPECT_EQ(error.rfind(c.line, 0), 0u) << c.text << " gave: " << error;
    }
    EXPECT_NE(parse_error("1 key_down 27\n2 key_dwn 27\n").find("key_dwn"), std::string::npos)
        << "the message shows the line";
}

TEST(script, events_come_in_order_at_the_first_pump_after_their_frame)
{
    auto b = scripted("0 key_down 65\n2 key_up 65\n2 key_down 66\n6 move 5 6\n");
    b->pump_events();
    EXPECT_EQ(seen.size(), 1u) << "frame 0 is due before anything is presented";
    present_frames(*b, 1);
    b->pump_events();
    EXPECT_EQ(seen.size(), 1u);
    present_frames(*b, 2);
    b->pump_events();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].kind, event_kind::key_up);
    EXPECT_EQ(seen[2].a, 66);
    b->pump_events();
    EXPECT_EQ(seen.size(), 3u) << "nothing is delivered twice";
    present_frames(*b, 2);
    b->pump_events();
    EXPECT_EQ(seen.size(), 3u) << "frame 6 is not due after 5";
    present_frames(*b, 1);
    b->pump_events();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[3].kind, event_kind::mouse_move);
}

TEST(script, while_the_game_waits_for_focus_the_next_event_comes_at_once)
{
    auto b = scripted("1 focus_lost\n500 key_down 32\n900 focus_gained\n950 key_down 27\n");
    present_frames(*b, 1);
    b->pump_events();
    EXPECT_EQ(kinds(), std::vector{event_kind::suspend});
    // Still drawing: the rest of this frame pumps too, and must not skip ahead.
    b->pump_events();
    b->pump_events();
    EXPECT_EQ(seen.size(), 1u);
    // Waiting: no frame, a sleep between pumps.
    b->sleep_ms(10);
    b->pump_events();
    EXPECT_EQ(seen.size(), 2u);
    b->pump_events();
    EXPECT_EQ(seen.size(), 2u) << "one event per turn of the wait";
    b->sleep_ms(10);
    b->pump_events();
    EXPECT_EQ(kinds(), (std::vector{event_kind::suspend, event_kind::key_down, event_kind::resume}));
    // Active again: the rest waits for its frame.
    b->sleep_ms(10);
    b->pump_events();
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(b->presented(), 1);
}

TEST(script, a_script_that_never_gives_the_focus_back_does_not_hang_the_game)
{
    auto b = scripted("1 focus_lost\n");
    present_frames(*b, 1);
    b->pump_events();
    b->sleep_ms(10);
    b->pump_events();
    EXPECT_EQ(kinds(), (std::vector{event_kind::suspend, event_kind::resume}));
}

TEST(script, the_frame_limit_ends_the_run_and_presents_no_more)
{
    auto b = scripted("3 key_down 32\n4 key_down 65\n");
    b->set_frame_limit(3);
    int shown = 0;
    b->on_present = [&](int, const uint32_t*, int, int) { ++shown; };
    present_frames(*b, 2);
    b->pump_events();
    EXPECT_TRUE(seen.empty());
    present_frames(*b, 4);
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(b->presented(), 3);
    b->pump_events();
    EXPECT_EQ(kinds(), (std::vector{event_kind::key_down, event_kind::terminate}))
        << "the last frame's events still come, later ones never";
    b->pump_events();
    EXPECT_EQ(seen.back().kind, event_kind::terminate) << "asked again at every pump";
    EXPECT_EQ(seen.size(), 3u);
}

TEST(script, a_moved_pointer_stays_in_the_window_and_arrives_at_the_next_pump)
{
    auto b = scripted("");
    b->move_pointer(-6, 500);
    EXPECT_TRUE(seen.empty());
    b->pump_events();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].a, 0);
    EXPECT_EQ(seen[0].b, 479);
    EXPECT_EQ(b->pointer_x(), 0);
}

TEST(script, pads_come_and_go_as_the_script_says)
{
    auto b = scripted("0 joy_down 0 1\n2 joy_plug 1\n2 joy_axis 1 1 -1\n4 joy_unplug 0\n");
    EXPECT_EQ(b->joystick_count(), 1) << "pad 1 starts unplugged";
    b->pump_events();
    platform::joystick_state s;
    ASSERT_TRUE(b->joystick_read(0, s));
    EXPECT_EQ(s.buttons, 2u);
    present_frames(*b, 2);
    b->pump_events();
    EXPECT_EQ(kinds(), std::vector{event_kind::joy_added});
    EXPECT_FALSE(b->joystick_read(1, s)) << "not read until the pads are counted again";
    EXPECT_EQ(b->joystick_count(), 2);
    ASSERT_TRUE(b->joystick_read(1, s));
    EXPECT_EQ(s.x, 1.0f);
    present_frames(*b, 2);
    b->pump_events();
    EXPECT_EQ(seen.back().kind, event_kind::joy_removed);
    EXPECT_FALSE(b->joystick_read(0, s)) << "the pulled pad no longer answers";
    EXPECT_EQ(b->joystick_count(), 1);
    ASSERT_TRUE(b->joystick_read(0, s));
    EXPECT_EQ(s.y, -1.0f) << "port 0 is now the pad that is left";
}

// The game's own wait, on the headless backend, through the input layer.
class focus_wait : public ::testing::Test {
protected:
    headless_backend* start(const std::string& text, int limit = -1)
    {
        auto b = scripted(text);
        b->set_frame_limit(limit);
        auto* raw = b.get();
        platform::set_backend(std::move(b));
        start_input();
        return raw;
    }
    void TearDown() override { platform::set_backend(nullptr); }
};

TEST_F(focus_wait, the_game_waits_until_the_script_gives_the_focus_back)
{
    auto* b = start("2 focus_lost\n700 focus_gained\n");
    present_frames(*b, 2);
    uint32_t before = b->ticks_ms();
    wait_while_inactive(0);
    EXPECT_EQ(app_suspended(), 0);
    EXPECT_GT(b->ticks_ms(), before) << "it waited";
    EXPECT_EQ(b->presented(), 2);
    EXPECT_EQ(app_terminate(), 0);
}

TEST_F(focus_wait, the_frame_limit_ends_a_wait)
{
    auto* b = start("2 focus_lost\n", 2);
    present_frames(*b, 2);
    wait_while_inactive(0);
    EXPECT_EQ(app_suspended(), 1) << "still away: the wait ended on the close request";
    EXPECT_EQ(app_terminate(), 1);
}

TEST_F(focus_wait, scripted_pads_reach_the_game_and_a_plugged_pad_is_picked_up)
{
    auto* b = start("1 joy_plug 0\n1 joy_axis 0 -1 1\n1 joy_down 0 0\n");
    EXPECT_EQ(joy_count(), 0);
    EXPECT_EQ(joy_x(0), 0.0f);
    present_frames(*b, 1);
    pump_input();
    EXPECT_EQ(joy_x(0), -1.0f);
    EXPECT_EQ(joy_y(0), 1.0f);
    EXPECT_EQ(joy_down(0, 0), 1);
}

} // namespace
