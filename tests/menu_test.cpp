// The menu: which row the pointer answers to, the colours, the labels and what each row does.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "services/audio/mixer.h"
#include "shell/game_flow.h"
#include "shell/menu.h"
#include "shell_fixture.h"

namespace {

class menu_test : public shell_test {
protected:
    void SetUp() override
    {
        shell_test::SetUp();
        demo_mode = 1; // the attract battle behind the menu
    }

    // One menu frame with a click at (320, y).
    void click_at(int y)
    {
        point_at(320, y);
        click_now();
        menu_frame();
    }

    // The colours found in the band of a row's text (panel and black left out).
    static std::set<std::tuple<int, int, int>> colours_in_row(int row)
    {
        std::set<std::tuple<int, int, int>> found;
        int y0 = 188 + 35 * row;
        for (int y = y0; y < y0 + 24; ++y)
            for (int x = 150; x < 490; ++x) {
                uint32_t p = px(x, y);
                found.insert(
                    {static_cast<int>(p >> 16 & 255), static_cast<int>(p >> 8 & 255), static_cast<int>(p & 255)});
            }
        return found;
    }
};

TEST_F(menu_test, rows_answer_to_the_truncated_division_so_row_0_is_twice_as_tall)
{
    const int edges[][2] = {{153, -1}, {154, 0}, {188, 0}, {222, 0}, {223, 1}, {257, 1}, {258, 2},  {292, 2},
                            {293, 3},  {327, 3}, {328, 4}, {362, 4}, {363, 5}, {397, 5}, {398, -1}, {0, -1}};
    for (const auto& e : edges) EXPECT_EQ(menu_row_at(e[0]), e[1]) << "pointer y " << e[0];

    // The same edges through a real click: 154 starts a game, 153 does nothing, 397 leaves.
    click_at(153);
    EXPECT_EQ(demo_mode, 1);
    EXPECT_EQ(menu_hover, -1);
    click_at(397);
    EXPECT_EQ(quit_requested, 1);
    quit_requested = 0;
    click_at(154);
    EXPECT_EQ(menu_hover, 0);
    EXPECT_EQ(demo_mode, 0) << "row 0 reaches up to y 154";
}

TEST_F(menu_test, labels_carry_their_settings_and_row_0_turns_to_quit_during_a_pause)
{
    EXPECT_EQ(menu_label(0), "Start New Game");
    EXPECT_EQ(menu_label(1), "Resume Game");
    EXPECT_EQ(menu_label(2), "Onslaught Normal");
    EXPECT_EQ(menu_label(3), "Sound Volume 50%");
    EXPECT_EQ(menu_label(4), "Music Volume 80%");
    EXPECT_EQ(menu_label(5), "Exit Ramparion '07");
    difficulty = 1;
    game_paused = 1;
    EXPECT_EQ(menu_label(0), "Quit Current Game");
    EXPECT_EQ(menu_label(2), "Onslaught Suicidal");
}

TEST_F(menu_test, the_hovered_row_is_yellow_and_rows_that_do_not_apply_are_red)
{
    const std::tuple<int, int, int> yellow{255, 255, 10}, cyan{50, 200, 200}, red{200, 0, 0};
    point_at(320, 300); // row 3
    menu_frame();
    for (int row = 0; row < 6; ++row) {
        auto c = colours_in_row(row);
        auto want = row == 3 ? yellow : row == 1 ? red : cyan;
        EXPECT_TRUE(c.count(want)) << "row " << row;
        for (auto other : {yellow, cyan, red}) {
            if (other != want) {
                EXPECT_FALSE(c.count(other)) << "row " << row;
            }
        }
    }

    // Paused: row 1 can be chosen, the difficulty cannot; red wins over the hover.
    demo_mode = 0;
    game_paused = 1;
    point_at(320, 270); // row 2
    clear_screen();
    menu_frame();
    EXPECT_TRUE(colours_in_row(1).count(cyan));
    EXPECT_TRUE(colours_in_row(2).count(red));
    EXPECT_FALSE(colours_in_row(2).count(yellow));
}

TEST_F(menu_test, the_credit_line_is_red_and_centred_and_the_pointer_drawn_last)
{
    point_at(100, 40);
    menu_frame();
    int x0 = 640, x1 = -1;
    for (int y = 456; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (px(x, y) == 0xfa0000u) x0 = std::min(x0, x), x1 = std::max(x1, x);
    ASSERT_GE(x1, 0) << "no text in (250, 0, 0) at y 456";
    EXPECT_NEAR((x0 + x1) / 2.0, 320.0, 4.0);
    EXPECT_NE(px(102, 44), 0u) << "the pointer sprite at the pointer";
}

TEST_F(menu_test, six_volume_clicks_reach_100_percent_then_off_each_heard_at_the_new_volume)
{
    // A flat tone stands in for the cannon, so the level of the next frame is the volume it was played at.
    constexpr int tone = 1000;
    sound* real = cannon_snd;
    auto fresh_tone = [] {
        auto* t = new sound;
        t->frames = 4000;
        t->pcm16.assign(t->frames, tone);
        return t;
    };
    cannon_snd = fresh_tone();
    wait_for_silence();
    int level = -1;
    hb->on_audio = [&level](const int16_t* s, int) { level = s[200]; };
    const char* want[] = {"60%", "70%", "80%", "90%", "100%", "Off"};
    for (int k = 0; k < 6; ++k) {
        click_at(300);
        flip_frame(0);
        EXPECT_EQ(menu_label(3), std::string("Sound Volume ") + want[k]);
        float v = k < 5 ? 0.6f + 0.1f * static_cast<float>(k) : 0.0f;
        EXPECT_NEAR(sound_volume, v, 1e-5f);
        EXPECT_NEAR(level, tone * v, tone / 100.0) << "click " << k + 1 << " plays the cannon at the new volume";
        free_sound(cannon_snd); // silences this click's tone before the next
        cannon_snd = fresh_tone();
    }
    EXPECT_EQ(sound_volume_step, 0);
    hb->on_audio = nullptr;
    free_sound(cannon_snd);
    cannon_snd = real;
}

TEST_F(menu_test, music_volume_steps_set_the_music_channel_and_wrap_to_off)
{
    for (int k = 0; k < 3; ++k) click_at(340);
    EXPECT_EQ(menu_label(4), "Music Volume Off");
    EXPECT_EQ(music_volume, 0.0f);
    click_at(340);
    EXPECT_EQ(menu_label(4), "Music Volume 10%");
    EXPECT_NEAR(music_volume, 0.1f, 1e-6f);
}

TEST_F(menu_test, difficulty_toggles_in_attract_mode_only_and_a_new_game_takes_its_periods)
{
    click_at(270);
    EXPECT_EQ(difficulty, 1);
    click_at(270);
    EXPECT_EQ(difficulty, 0);
    click_at(270);
    EXPECT_EQ(difficulty, 1);

    click_at(230); // "Resume Game" means nothing without a game
    EXPECT_EQ(demo_mode, 1);
    EXPECT_EQ(game_paused, 0);

    click_at(195);
    EXPECT_EQ(demo_mode, 0);
    EXPECT_EQ(trooper_period, 300);
    EXPECT_EQ(nuke_period, 200);
    EXPECT_EQ(mustang_period, 300);
    EXPECT_EQ(flash_alpha, 1.0f) << "a new game starts with a flash";

    game_paused = 1; // the player pauses that game: the difficulty is locked
    click_at(270);
    EXPECT_EQ(difficulty, 1);
}

TEST_F(menu_test, a_joystick_button_chooses_only_when_the_mouse_gave_nothing)
{
    int p = frames();
    std::vector<platform::scripted_event> s;
    std::string err;
    std::string text = std::to_string(p) + " joy_down 0 0\n" + std::to_string(p + 1) + " joy_up 0 0\n" +
                       std::to_string(p + 2) + " joy_down 0 0\n";
    ASSERT_TRUE(platform::parse_script(text, s, err)) << err;
    hb->set_script(s);
    joy_count();
    point_at(320, 270);
    menu_frame();
    EXPECT_EQ(difficulty, 1) << "button 0 chooses like a click";
    flip_frame(0);
    pump_input();
    EXPECT_EQ(joy_down(0, 0), 0);
    flip_frame(0);

    // A click and a pad press in one frame make one choice; the press is left for the next frame.
    click_now();
    menu_frame();
    EXPECT_EQ(difficulty, 0);
    menu_frame();
    EXPECT_EQ(difficulty, 1);
}

} // namespace
