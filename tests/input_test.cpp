// Key, button, window and pad state as the game polls it, and the SDL key numbering.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl_keys.h"
#include "services/input.h"

namespace {

using platform::event_kind;

// Events wait until the input layer pumps; pads read whatever the test set.
class fake_backend final : public platform::backend {
public:
    std::vector<platform::event> pending;
    std::vector<platform::joystick_state> pads;
    platform::event_handler handler = nullptr;
    size_t counted = 0; // pads seen by the last joystick_count

    const char* name() const override { return "fake"; }
    bool open_window(const char*, int, int, bool) override { return true; }
    void set_event_handler(platform::event_handler h) override { handler = h; }
    void pump_events() override
    {
        auto now = std::move(pending);
        pending.clear();
        for (const auto& e : now) handler(e);
    }
    void present(const uint32_t*, int, int, bool) override {}
    bool can_wait_for_blank() const override { return false; }
    void hide_pointer() override {}
    void move_pointer(int, int) override {}
    uint32_t ticks_ms() override { return 0; }
    void sleep_ms(int) override {}
    bool open_audio(platform::audio_callback, void*) override { return false; }
    void close_audio() override {}
    int joystick_count() override { return static_cast<int>(counted = pads.size()); }
    bool joystick_read(int i, platform::joystick_state& s) override
    {
        if (i < 0 || static_cast<size_t>(i) >= std::min(counted, pads.size())) return false;
        s = pads[static_cast<size_t>(i)];
        return true;
    }
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

TEST_F(input, a_press_counts_once_however_long_it_is_held)
{
    send(event_kind::key_down, 32);
    for (int i = 0; i < 30; ++i) send(event_kind::key_repeat, 32);
    send(event_kind::key_down, 32); // a second down without an up is no second press
    EXPECT_EQ(key_hit(32), 1);
    EXPECT_EQ(key_down(32), 1);
    EXPECT_EQ(key_hit(32), 0);
    send(event_kind::key_up, 32);
    EXPECT_EQ(key_down(32), 0);

    for (int i = 0; i < 2; ++i) {
        send(event_kind::key_down, 27);
        send(event_kind::key_up, 27);
    }
    EXPECT_EQ(key_hit(27), 2);
    EXPECT_EQ(key_hit(27), 0);
}

TEST_F(input, codes_outside_the_tables_are_ignored)
{
    for (int k : {0, -1, 256, 1000}) send(event_kind::key_down, k);
    send(event_kind::mouse_down, 4);
    EXPECT_EQ(key_hit(0), 0);
    EXPECT_EQ(key_hit(256), 0);
    EXPECT_EQ(key_down(-1), 0);
    EXPECT_EQ(mouse_hit(4), 0);
    send(event_kind::key_down, 255);
    EXPECT_EQ(key_hit(255), 1);
}

TEST_F(input, switching_away_with_space_held_leaves_it_up_on_return)
{
    send(event_kind::key_down, 32);
    send(event_kind::mouse_down, 1);
    EXPECT_EQ(key_down(32), 1);
    send(event_kind::suspend);
    EXPECT_EQ(app_suspended(), 1);
    EXPECT_EQ(key_down(32), 0);
    EXPECT_EQ(mouse_down(1), 0);
    // Presses that slip in while away go with the focus's return; the held key repeats.
    send(event_kind::key_down, 65);
    send(event_kind::resume);
    send(event_kind::key_repeat, 32);
    EXPECT_EQ(app_suspended(), 0);
    EXPECT_EQ(key_down(32), 0);
    EXPECT_EQ(key_hit(32), 0);
    EXPECT_EQ(key_hit(65), 0);
}

TEST_F(input, a_close_request_is_answered_once)
{
    EXPECT_EQ(app_terminate(), 0);
    send(event_kind::terminate);
    send(event_kind::terminate); // a window close and a quit come together
    EXPECT_EQ(app_close_pending(), 1);
    EXPECT_EQ(app_terminate(), 1);
    EXPECT_EQ(app_terminate(), 0);
}

TEST_F(input, mouse_presses_position_and_wheel_and_what_a_flush_keeps)
{
    send(event_kind::mouse_down, 1);
    send(event_kind::mouse_down, 1);
    send(event_kind::mouse_down, 2);
    send(event_kind::mouse_up, 2);
    send(event_kind::mouse_down, 2);
    send(event_kind::mouse_move, 320, 240);
    send(event_kind::wheel, 240);
    send(event_kind::wheel, -120);
    send(event_kind::wheel, 60); // a fine wheel's part step is dropped
    EXPECT_EQ(mouse_hit(1), 1);
    EXPECT_EQ(mouse_hit(2), 2);
    EXPECT_EQ(mouse_x(), 320);
    EXPECT_EQ(mouse_y(), 240);
    EXPECT_EQ(mouse_z(), 1);
    send(event_kind::mouse_down, 3);
    flush_mouse();
    EXPECT_EQ(mouse_down(1), 0);
    EXPECT_EQ(mouse_hit(3), 0) << "the flush pumps first";
    EXPECT_EQ(mouse_z(), 0);
    EXPECT_EQ(mouse_x(), 320) << "the position stays";
}

TEST_F(input, the_character_queue_holds_256_and_goes_with_the_keys)
{
    for (int i = 0; i < 300; ++i) send(event_kind::key_char, 'a' + i % 26);
    EXPECT_EQ(next_char(), 'a');
    int n = 1;
    while (next_char() != 0) ++n;
    EXPECT_EQ(n, 256);
    send(event_kind::key_char, 'x');
    send(event_kind::key_down, 37);
    flush_keys();
    EXPECT_EQ(next_char(), 0);
    EXPECT_EQ(key_hit(37), 0);
}

TEST_F(input, without_pads_every_pad_query_answers_zero)
{
    EXPECT_EQ(joy_count(), 0);
    EXPECT_EQ(joy_x(0), 0.0f);
    EXPECT_EQ(joy_y(0), 0.0f);
    EXPECT_EQ(joy_hit(0, 0), 0);
    EXPECT_EQ(joy_down(0, 0), 0);
    EXPECT_EQ(joy_hit(0, 99), 0);
}

TEST_F(input, a_pad_press_counts_when_a_poll_sees_it_newly_down)
{
    fake->pads.resize(1);
    EXPECT_EQ(joy_count(), 1);
    auto& pad = fake->pads[0];
    pad.buttons = 1; // down and up again between two polls: no poll saw it
    pad.buttons = 0;
    EXPECT_EQ(joy_hit(0, 0), 0);
    pad.buttons = 1; // held across polls: one press
    EXPECT_EQ(joy_down(0, 0), 1);
    EXPECT_EQ(joy_down(0, 0), 1);
    EXPECT_EQ(joy_hit(0, 0), 1);
    EXPECT_EQ(joy_hit(0, 0), 0);
    pad.buttons = 0;
    joy_down(0, 0);
    pad = {2, -1.0f, 1.0f};
    EXPECT_EQ(joy_hit(1, 0), 1);
    EXPECT_EQ(joy_hit(0, 0), 0);
    EXPECT_EQ(joy_x(0), -1.0f);
    // Gone without a word: the port keeps its last state.
    fake->pads.clear();
    EXPECT_EQ(joy_y(0), 1.0f);
}

TEST_F(input, pads_plugged_in_and_out_are_followed)
{
    EXPECT_EQ(joy_count(), 0);
    fake->pads.push_back({1, 0.0f, 0.0f}); // comes with button 0 held
    send(event_kind::joy_added);
    pump_input();
    EXPECT_EQ(joy_down(0, 0), 1) << "read without the game counting again";
    EXPECT_EQ(joy_hit(0, 0), 0) << "a button held as the pad came is no press";
    fake->pads.push_back({0, 1.0f, 0.0f});
    send(event_kind::joy_added);
    pump_input();
    EXPECT_EQ(joy_down(0, 0), 1) << "port 0 is still the first pad";
    EXPECT_EQ(joy_x(1), 1.0f);
    fake->pads.clear();
    send(event_kind::joy_removed);
    pump_input();
    EXPECT_EQ(joy_down(0, 0), 0);
    EXPECT_EQ(joy_x(1), 0.0f);
}

// SDL scancodes are the keys' USB usage numbers, which is what these literals are.
TEST(sdl_keys, keys_get_their_classic_codes_and_modifiers_their_sided_ones)
{
    constexpr int table[][2] = {
        {42, 8},   {43, 9},   {40, 13},   {88, 13},   {41, 27},   {44, 32},   {75, 33},   {78, 34},
        {77, 35},  {74, 36},  {80, 37},   {82, 38},   {79, 39},   {81, 40},   {73, 45},   {76, 46},
        {39, 48},  {30, 49},  {38, 57},   {4, 65},    {29, 90},   {98, 96},   {89, 97},   {97, 105},
        {58, 112}, {69, 123}, {225, 160}, {229, 161}, {224, 162}, {228, 163}, {226, 164}, {230, 165},
    };
    for (const auto& e : table) EXPECT_EQ(platform::game_key_code_for_scancode(e[0]), e[1]) << e[0];
    for (int s = -1; s < 600; ++s) {
        int c = platform::game_key_code_for_scancode(s);
        EXPECT_TRUE(c != 16 && c != 17 && c != 18 && c >= 0 && c <= 255) << s;
    }
    EXPECT_EQ(platform::game_key_code_for_scancode(282), 0) << "a media key has no code";
}

TEST(sdl_keys, letters_follow_the_layout_and_digits_their_place)
{
    // A French keyboard: Q's place prints A, M sits right of L, the digit row prints symbols.
    EXPECT_EQ(platform::game_key_code_for_key(20, 'a'), 65);
    EXPECT_EQ(platform::game_key_code_for_key(51, 'm'), 77);
    EXPECT_EQ(platform::game_key_code_for_key(30, '&'), 49);
    EXPECT_EQ(platform::game_key_code_for_key(31, 'e'), 50);
    EXPECT_EQ(platform::game_key_code_for_key(224, 0x400000e0), 162);
}

} // namespace
