// Key, button, window and pad state as the game polls it, and the SDL key numbering.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl_keys.h"
#include "services/input.h"

namespace {

using platform::event;
using platform::event_kind;

// A window system and pads under the test's hand; events wait until the input layer pumps.
class fake_backend final : public platform::backend {
public:
    std::vector<event> pending;
    std::vector<platform::joystick_state> pads; // what each attached pad reads now
    int pumps = 0, reads = 0;

    const char* name() const override { return "fake"; }
    bool open_window(const char*, int, int, bool) override { return true; }
    void set_event_handler(platform::event_handler h) override { handler = h; }
    void pump_events() override
    {
        ++pumps;
        auto now = std::move(pending);
        pending.clear();
        for (const auto& e : now)
            if (handler) handler(e);
    }
    void present(const uint32_t*, int, int, bool) override {}
    bool can_wait_for_blank() const override { return false; }
    void hide_pointer() override {}
    void move_pointer(int x, int y) override { pending.push_back({event_kind::mouse_move, x, y}); }
    uint32_t ticks_ms() override { return 0; }
    void sleep_ms(int) override {}
    bool open_audio(platform::audio_callback, void*) override { return false; }
    void close_audio() override {}
    int joystick_count() override
    {
        table = pads.size();
        return static_cast<int>(table);
    }
    bool joystick_read(int index, platform::joystick_state& s) override
    {
        ++reads;
        if (index < 0 || static_cast<size_t>(index) >= table || static_cast<size_t>(index) >= pads.size())
            return false;
        s = pads[static_cast<size_t>(index)];
        return true;
    }

    platform::event_handler handler = nullptr;
    size_t table = 0; // pads seen by the last joystick_count
};

class input : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto b = std::make_unique<fake_backend>();
        fake = b.get();
        platform::set_backend(std::move(b));
        start_input();
    }
    void TearDown() override { platform::set_backend(nullptr); }

    void send(event_kind k, int a = 0, int b = 0) { fake->pending.push_back({k, a, b}); }

    fake_backend* fake = nullptr;
};

TEST_F(input, a_key_held_with_auto_repeat_is_one_hit)
{
    send(event_kind::key_down, 32);
    for (int i = 0; i < 30; ++i) send(event_kind::key_repeat, 32);
    EXPECT_EQ(key_hit(32), 1);
    EXPECT_EQ(key_down(32), 1);
    EXPECT_EQ(key_hit(32), 0) << "a hit is taken by the call that reads it";
    // A second down without an up, as after a lost key-up, is not a second press either.
    send(event_kind::key_down, 32);
    EXPECT_EQ(key_hit(32), 0);
    send(event_kind::key_up, 32);
    EXPECT_EQ(key_down(32), 0);
}

TEST_F(input, two_presses_between_calls_count_two_then_none)
{
    for (int i = 0; i < 2; ++i) {
        send(event_kind::key_down, 27);
        send(event_kind::key_up, 27);
    }
    EXPECT_EQ(key_hit(27), 2);
    EXPECT_EQ(key_hit(27), 0);
    EXPECT_EQ(key_hit(32), 0) << "other keys untouched";
}

TEST_F(input, every_query_sees_events_that_arrived_before_it)
{
    int before = fake->pumps;
    send(event_kind::key_down, 162);
    EXPECT_EQ(key_down(162), 1);
    send(event_kind::mouse_move, 10, 20);
    EXPECT_EQ(mouse_x(), 10);
    send(event_kind::mouse_down, 1);
    EXPECT_EQ(mouse_down(1), 1);
    send(event_kind::suspend);
    EXPECT_EQ(app_suspended(), 1);
    send(event_kind::terminate);
    EXPECT_EQ(app_terminate(), 1);
    EXPECT_EQ(fake->pumps - before, 5);
}

TEST_F(input, codes_outside_the_tables_are_ignored)
{
    for (int k : {0, -1, 256, 1000}) {
        send(event_kind::key_down, k);
        send(event_kind::key_up, k);
    }
    send(event_kind::mouse_down, 4);
    send(event_kind::mouse_down, -1);
    EXPECT_EQ(key_hit(0), 0);
    EXPECT_EQ(key_hit(256), 0);
    EXPECT_EQ(key_down(-1), 0);
    EXPECT_EQ(mouse_hit(4), 0);
    for (int b = 0; b <= 3; ++b) EXPECT_EQ(mouse_hit(b), 0);
    send(event_kind::key_down, 255);
    EXPECT_EQ(key_hit(255), 1) << "255 is the last code kept";
}

TEST_F(input, switching_away_with_space_held_leaves_it_up_on_return)
{
    send(event_kind::key_down, 32);
    send(event_kind::mouse_down, 1);
    EXPECT_EQ(key_down(32), 1);
    send(event_kind::suspend);
    EXPECT_EQ(app_suspended(), 1);
    EXPECT_EQ(key_down(32), 0);
    EXPECT_EQ(key_hit(32), 0) << "the press was flushed with the rest";
    EXPECT_EQ(mouse_down(1), 0);
    EXPECT_EQ(app_suspended(), 1) << "still away until the window is back";
    // The key is still physically held: the system keeps sending repeats, which do not count.
    send(event_kind::resume);
    send(event_kind::key_repeat, 32);
    EXPECT_EQ(app_suspended(), 0);
    EXPECT_EQ(key_down(32), 0);
    EXPECT_EQ(key_hit(32), 0);
}

TEST_F(input, the_focus_coming_back_flushes_too)
{
    send(event_kind::suspend);
    EXPECT_EQ(app_suspended(), 1);
    // Presses that slip in while away are gone once the window is active again.
    send(event_kind::key_down, 65);
    send(event_kind::mouse_down, 2);
    send(event_kind::resume);
    EXPECT_EQ(key_hit(65), 0);
    EXPECT_EQ(mouse_hit(2), 0);
}

TEST_F(input, a_close_request_is_answered_once)
{
    EXPECT_EQ(app_terminate(), 0);
    send(event_kind::terminate);
    send(event_kind::terminate); // a window close and a quit arrive together
    EXPECT_EQ(app_close_pending(), 1);
    EXPECT_EQ(app_close_pending(), 1) << "looking does not take it";
    EXPECT_EQ(app_terminate(), 1);
    EXPECT_EQ(app_terminate(), 0);
    EXPECT_EQ(app_close_pending(), 0);
}

TEST_F(input, mouse_buttons_count_presses_and_keep_the_position_through_a_flush)
{
    send(event_kind::mouse_move, 100, 200);
    send(event_kind::mouse_down, 1);
    send(event_kind::mouse_down, 1);
    send(event_kind::mouse_down, 2);
    send(event_kind::mouse_up, 2);
    send(event_kind::mouse_down, 2);
    send(event_kind::mouse_move, 320, 240);
    EXPECT_EQ(mouse_hit(1), 1);
    EXPECT_EQ(mouse_hit(2), 2);
    EXPECT_EQ(mouse_down(1), 1);
    EXPECT_EQ(mouse_down(3), 0);
    EXPECT_EQ(mouse_x(), 320);
    EXPECT_EQ(mouse_y(), 240);
    send(event_kind::mouse_down, 3);
    send(event_kind::wheel, 240);
    flush_mouse();
    EXPECT_EQ(mouse_down(1), 0);
    EXPECT_EQ(mouse_down(2), 0);
    EXPECT_EQ(mouse_hit(3), 0) << "flushing pumps first, so the last press goes too";
    EXPECT_EQ(mouse_z(), 0);
    EXPECT_EQ(mouse_x(), 320);
    EXPECT_EQ(mouse_y(), 240);
}

TEST_F(input, the_wheel_counts_whole_steps_of_120)
{
    send(event_kind::wheel, 240);
    send(event_kind::wheel, -120);
    send(event_kind::wheel, 60); // a fine-grained wheel's part step is dropped
    EXPECT_EQ(mouse_z(), 1);
}

TEST_F(input, a_moved_pointer_is_reported_once_the_move_arrives)
{
    move_pointer(400, 300);
    EXPECT_EQ(fake->pending.size(), 1u);
    EXPECT_EQ(mouse_x(), 400);
    EXPECT_EQ(mouse_y(), 300);
}

TEST_F(input, the_character_queue_holds_256_and_is_flushed_with_the_keys)
{
    for (int i = 0; i < 300; ++i) send(event_kind::key_char, 'a' + i % 26);
    EXPECT_EQ(next_char(), 'a');
    int n = 1;
    while (next_char() != 0) ++n;
    EXPECT_EQ(n, 256);
    send(event_kind::key_char, 'x');
    send(event_kind::key_char, 'y');
    EXPECT_EQ(next_char(), 'x');
    flush_keys();
    EXPECT_EQ(next_char(), 0);
}

TEST_F(input, flushing_keys_clears_every_key)
{
    send(event_kind::key_down, 37);
    send(event_kind::key_down, 162);
    flush_keys();
    EXPECT_EQ(key_down(37), 0);
    EXPECT_EQ(key_hit(162), 0);
}

TEST_F(input, without_pads_every_pad_query_answers_zero)
{
    EXPECT_EQ(joy_count(), 0);
    EXPECT_EQ(joy_x(0), 0.0f);
    EXPECT_EQ(joy_y(0), 0.0f);
    EXPECT_EQ(joy_hit(0, 0), 0);
    EXPECT_EQ(joy_down(0, 0), 0);
    EXPECT_EQ(joy_hit(0, 99), 0) << "ports past the tables are not an error";
    EXPECT_EQ(joy_x(-1), 0.0f);
}

TEST_F(input, a_pad_press_counts_when_a_poll_sees_it_newly_down)
{
    fake->pads.resize(1);
    EXPECT_EQ(joy_count(), 1);
    auto& pad = fake->pads[0];

    // Pressed and released between two polls: no poll saw it.
    joy_hit(0, 0);
    pad.buttons = 1;
    pad.buttons = 0;
    EXPECT_EQ(joy_hit(0, 0), 0);

    // Held across several polls: one press.
    pad.buttons = 1;
    EXPECT_EQ(joy_down(0, 0), 1);
    EXPECT_EQ(joy_down(0, 0), 1);
    EXPECT_EQ(joy_x(0), 0.0f);
    EXPECT_EQ(joy_hit(0, 0), 1);
    EXPECT_EQ(joy_hit(0, 0), 0);

    // Released and pressed again, each seen by a poll: a second press, on button 0 only.
    pad.buttons = 0;
    joy_down(0, 0);
    pad.buttons = 1 | 2;
    joy_down(0, 0);
    EXPECT_EQ(joy_hit(0, 0), 1);
    EXPECT_EQ(joy_hit(1, 0), 1);
    EXPECT_EQ(joy_hit(2, 0), 0);
}

TEST_F(input, pad_axes_pass_through_so_full_deflection_is_exact)
{
    fake->pads.resize(2);
    joy_count();
    fake->pads[1] = {0, -1.0f, 1.0f};
    fake->pads[0] = {0, 0.25f, 0.0f};
    EXPECT_EQ(joy_x(1), -1.0f);
    EXPECT_EQ(joy_y(1), 1.0f);
    EXPECT_EQ(joy_x(0), 0.25f);
}

TEST_F(input, a_pad_that_stops_answering_keeps_its_last_state)
{
    fake->pads.resize(1);
    joy_count();
    fake->pads[0] = {1, 1.0f, 0.0f};
    EXPECT_EQ(joy_down(0, 0), 1);
    fake->pads.clear(); // gone, but nobody said so yet
    EXPECT_EQ(joy_down(0, 0), 1);
    EXPECT_EQ(joy_x(0), 1.0f);
}

TEST_F(input, pads_plugged_in_and_out_are_followed)
{
    EXPECT_EQ(joy_count(), 0);
    fake->pads.push_back({1, 0.0f, 0.0f}); // plugged in with button 0 held
    send(event_kind::joy_added);
    pump_input();
    EXPECT_EQ(joy_down(0, 0), 1) << "the new pad is read without the game asking to count";
    EXPECT_EQ(joy_hit(0, 0), 0) << "a button already held when the pad came is not a press";

    // A second pad joins behind the first; port 0 is still the first.
    fake->pads.push_back({0, 1.0f, 0.0f});
    send(event_kind::joy_added);
    pump_input();
    EXPECT_EQ(joy_down(0, 0), 1);
    EXPECT_EQ(joy_x(1), 1.0f);

    // Both pulled out: every query answers zero, nothing left over.
    fake->pads.clear();
    send(event_kind::joy_removed);
    send(event_kind::joy_removed);
    pump_input();
    EXPECT_EQ(joy_down(0, 0), 0);
    EXPECT_EQ(joy_x(1), 0.0f);
    EXPECT_EQ(joy_hit(0, 0), 0);
    EXPECT_EQ(joy_count(), 0);
}

TEST_F(input, every_pad_query_reads_the_device_afresh)
{
    fake->pads.resize(1);
    joy_count();
    int before = fake->reads;
    joy_x(0);
    joy_y(0);
    joy_down(0, 0);
    joy_hit(0, 0);
    EXPECT_EQ(fake->reads - before, 4);
}

// SDL scancodes are the USB usage numbers of the keys, which is what these literals are.
TEST(sdl_keys, the_keys_the_game_knows_get_their_classic_codes)
{
    struct expected {
        int scancode, code;
    };
    constexpr expected table[] = {
        {42, 8},   {43, 9},   {40, 13},  {88, 13},  {41, 27},  {44, 32},  {75, 33},  {78, 34},
        {77, 35},  {74, 36},  {80, 37},  {82, 38},  {79, 39},  {81, 40},  {73, 45},  {76, 46},
        {39, 48},  {30, 49},  {38, 57},  {4, 65},   {29, 90},  {98, 96},  {89, 97},  {97, 105},
        {58, 112}, {69, 123}, {225, 160}, {229, 161}, {224, 162}, {228, 163}, {226, 164}, {230, 165},
    };
    for (const auto& e : table)
        EXPECT_EQ(platform::game_key_code_for_scancode(e.scancode), e.code) << "scancode " << e.scancode;
}

TEST(sdl_keys, modifiers_are_never_the_generic_codes_and_odd_keys_have_none)
{
    for (int s = 0; s < 600; ++s) {
        int c = platform::game_key_code_for_scancode(s);
        EXPECT_TRUE(c != 16 && c != 17 && c != 18) << "scancode " << s;
        EXPECT_TRUE(c >= 0 && c <= 255) << "scancode " << s;
    }
    EXPECT_EQ(platform::game_key_code_for_scancode(0), 0);
    EXPECT_EQ(platform::game_key_code_for_scancode(-3), 0);
    EXPECT_EQ(platform::game_key_code_for_scancode(282), 0) << "a media key";
}

TEST(sdl_keys, letters_follow_the_layout_and_digits_their_place)
{
    // On a French keyboard the key at Q's place prints A, and the digit row prints symbols.
    EXPECT_EQ(platform::game_key_code_for_key(20, 'a'), 65);
    EXPECT_EQ(platform::game_key_code_for_key(51, 'm'), 77);
    EXPECT_EQ(platform::game_key_code_for_key(30, '&'), 49);
    EXPECT_EQ(platform::game_key_code_for_key(31, 'e'), 50) << "a letter on the digit row keeps the digit";
    EXPECT_EQ(platform::game_key_code_for_key(224, 0x400000e0), 162);
    EXPECT_EQ(platform::game_key_code_for_key(44, ' '), 32);
}

} // namespace
