// The pause menu: how it opens and ends, the snapshot it shows, the frozen battle, and quitting a game from it.
#include <gtest/gtest.h>

#include <vector>

#include "services/images.h"
#include "shell/day_cycle.h"
#include "shell/game_flow.h"
#include "shell/menu.h"
#include "shell/world_frame.h"
#include "shell_fixture.h"

namespace {

using platform::event_kind;

class pause_test : public shell_test {
protected:
    void SetUp() override
    {
        shell_test::SetUp();
        difficulty = 1; // every kind from the first frame
        reset_game(0);
        point_at(100, 200);
        for (int f = 0; f < 60; ++f) world_frame();
    }

    // Positions of everything that moves, and the clocks that run.
    static std::vector<float> battle()
    {
        std::vector<float> v;
        auto add = [&v](float x, float y) { v.push_back(x), v.push_back(y); };
        lgtrooper_list.each([&](const lgtrooper_tag& a, long) { add(a.x, a.y); });
        smtrooper_list.each([&](const smtrooper_tag& a, long) { add(a.x, a.y); });
        mustang_list.each([&](const mustang_tag& a, long) { add(a.x, a.y); });
        nukerocket_list.each([&](const nukerocket_tag& a, long) { add(a.x, a.y); });
        commando_list.each([&](const commando_tag& a, long) { add(a.x, a.y); });
        backcloud_list.each([&](const backcloud_tag& a, long) { add(a.x, a.y); });
        frontcloud_list.each([&](const frontcloud_tag& a, long) { add(a.x, a.y); });
        for (int t : {daylight, daylight_timer, trooper_timer, nuke_timer, mustang_timer, fort.can_rot, fort.can_flash})
            v.push_back(static_cast<float>(t));
        v.push_back(sun_angle);
        v.push_back(flash_alpha);
        return v;
    }

    int pause_frames()
    {
        loops.clear();
        pause_menu();
        return static_cast<int>(loops.size());
    }
};

TEST_F(pause_test, nothing_moves_and_no_clock_runs_while_paused)
{
    ASSERT_FALSE(lgtrooper_list.empty());
    ASSERT_FALSE(mustang_list.empty());
    auto before = battle();
    key_after(40, 32);
    EXPECT_EQ(pause_frames(), 40);
    EXPECT_EQ(battle(), before);
    EXPECT_EQ(game_paused, 0);
    EXPECT_EQ(demo_mode, 0);
}

TEST_F(pause_test, space_the_right_button_pad_button_1_and_the_resume_row_each_resume)
{
    key_after(3, 32);
    EXPECT_EQ(pause_frames(), 3);
    click_after(4, 2);
    EXPECT_EQ(pause_frames(), 4);
    click_after(5, 1); // the pointer stands on "Resume Game"; the menu takes the click in the next frame
    EXPECT_EQ(pause_frames(), 6);

    std::vector<platform::scripted_event> s;
    std::string err;
    int p = frames();
    ASSERT_TRUE(platform::parse_script(std::to_string(p + 6) + " joy_down 0 1\n", s, err)) << err;
    hb->set_script(s);
    joy_count();
    EXPECT_EQ(pause_frames(), 6);
    for (const auto& l : loops) EXPECT_EQ(l, "pause");

    EXPECT_EQ(game_paused, 0);
    EXPECT_EQ(demo_mode, 0);
    EXPECT_EQ(quit_requested, 0);
    pump_input();
    EXPECT_EQ(mouse_x(), 100) << "the pointer goes back where it was";
    EXPECT_EQ(mouse_y(), 200);
}

TEST_F(pause_test, the_fort_opens_it_mid_frame_and_the_snapshot_holds_the_battle_without_the_hud)
{
    keep_pictures = true;
    hb->inject({event_kind::key_down, 32}); // seen by the fort in the next world frame
    after(1, {event_kind::key_up, 32});
    click_after(3, 2);
    loops.clear();
    world_frame();
    ASSERT_EQ(loops.size(), 3u) << "the pause ran inside the world frame";

    // The bottom rows of the snapshot are ground, as the world frame had drawn them.
    const pixmap& snap = *snapshot_img->pixmaps[0];
    clear_screen();
    draw_sky(1);
    int differ = 0;
    for (int y = 461; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const uint8_t* p = &snap.pixels[static_cast<size_t>((y * 640 + x) * snap.channels)];
            uint32_t s = static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
            differ += s != px(x, y);
        }
    EXPECT_EQ(differ, 0) << "no heads-up display in the snapshot";

    // The pause frames show the snapshot with the display squeezed at the top.
    size_t d = 0;
    for (size_t i = 0; i < 640 * 20; ++i) d += last_picture[i] != 0;
    EXPECT_GT(d, 0u);
    EXPECT_EQ(last_picture[470 * 640 + 5], px(5, 470)) << "the bottom shows ground, not the display";
}

TEST_F(pause_test, the_difficulty_is_locked_while_paused)
{
    after(1, {event_kind::mouse_move, 320, 270});
    click_after(2);
    key_after(4, 32);
    pause_frames();
    EXPECT_EQ(difficulty, 1);
    EXPECT_EQ(game_paused, 0);
}

TEST_F(pause_test, quitting_the_game_keeps_the_sky_the_bomb_marks_and_the_abandoned_score)
{
    bombmark_tag::Create(200, 420);
    star_tag::Create();
    score = 4321;
    days_survived = 3;
    casualties = 17;
    int stars = star_list.size(), back = backcloud_list.size(), front = frontcloud_list.size();
    int light = daylight, light_timer = daylight_timer;

    after(1, {event_kind::mouse_move, 320, 190});
    click_after(2);
    EXPECT_EQ(pause_frames(), 3) << "the loop ends with the frame that took the click";
    EXPECT_EQ(demo_mode, 1);
    EXPECT_EQ(game_paused, 0);
    EXPECT_TRUE(lgtrooper_list.empty());
    EXPECT_TRUE(mustang_list.empty());
    EXPECT_TRUE(nukerocket_list.empty());
    EXPECT_EQ(star_list.size(), stars);
    EXPECT_EQ(backcloud_list.size(), back);
    EXPECT_EQ(frontcloud_list.size(), front);
    EXPECT_EQ(bombmark_list.size(), 1);
    pump_input();
    EXPECT_EQ(mouse_y(), 195) << "on \"Start New Game\"";

    // The attract battle goes on from the abandoned game's day, score and days.
    world_frame();
    EXPECT_EQ(score, 4321);
    EXPECT_EQ(days_survived, 3);
    EXPECT_EQ(casualties, 17);
    EXPECT_EQ(daylight_timer, light_timer - 1);
    EXPECT_EQ(daylight, light);
}

TEST_F(pause_test, escape_a_close_request_and_the_exit_row_end_the_program)
{
    key_after(2, 27);
    EXPECT_EQ(pause_frames(), 2);
    EXPECT_EQ(quit_requested, 1);
    EXPECT_EQ(game_paused, 0);
    EXPECT_EQ(demo_mode, 0);

    quit_requested = 0;
    after(3, {event_kind::terminate});
    EXPECT_EQ(pause_frames(), 3);
    EXPECT_EQ(quit_requested, 1);

    quit_requested = 0;
    after(1, {event_kind::mouse_move, 320, 380});
    click_after(2);
    EXPECT_EQ(pause_frames(), 3);
    EXPECT_EQ(quit_requested, 1);
}

// Whole runs: the frame loop around the pause, and the music it changes.
std::vector<std::string> run_loops(game_run& g)
{
    std::vector<std::string> l;
    g.each_frame = [&l](int) { l.push_back(presenting_loop); };
    EXPECT_EQ(g.run(), 0);
    return l;
}

TEST(pause_in_a_run, escape_in_the_pause_menu_ends_the_program_after_that_frame)
{
    scratch_folder save;
    game_run g;
    g.user_folder = save.path;
    g.script = std::string(skip_logo) + "30 down 1\n31 up 1\n200 key_down 32\n201 key_up 32\n230 key_down 27\n";
    auto l = run_loops(g);
    ASSERT_EQ(l.size(), 231u);
    EXPECT_EQ(l[199], "world");
    EXPECT_EQ(l[200], "pause");
    EXPECT_EQ(l[229], "pause");
    EXPECT_EQ(l[230], "world") << "the world frame that opened the pause is finished";
    EXPECT_EQ(quit_requested, 1);
    EXPECT_EQ(std::filesystem::file_size(save / "hiscore.dat"), 8u);
}

TEST(pause_in_a_run, resuming_starts_the_battle_music_again_from_its_beginning)
{
    // Effects off (six clicks on the sound row), so the output is the music alone.
    std::string s = std::string(skip_logo) + "10 move 320 300\n";
    for (int k = 0; k < 6; ++k) s += std::to_string(12 + 2 * k) + " down 1\n" + std::to_string(13 + 2 * k) + " up 1\n";
    s += "150 move 320 195\n152 down 1\n153 up 1\n"                         // a new game, once the cannon is quiet
         "200 key_down 32\n201 key_up 32\n260 key_down 32\n261 key_up 32\n" // pause, Space resumes
         "400 key_down 32\n401 key_up 32\n460 down 1\n461 up 1\n"           // pause, "Resume Game"
         "600 key_down 27\n";
    scratch_folder save;
    game_run g;
    g.user_folder = save.path;
    std::vector<std::vector<int16_t>> audio;
    std::vector<std::string> l;
    std::vector<int> demo;
    g.audio = [&audio](const int16_t* p, int n) { audio.emplace_back(p, p + 2 * n); };
    g.each_frame = [&](int) {
        l.push_back(presenting_loop);
        demo.push_back(demo_mode);
    };
    g.script = s;
    ASSERT_EQ(g.run(), 0);
    ASSERT_EQ(l.size(), audio.size());

    // The first frames of the game and those after each resume; the first of attract mode and of each pause.
    std::vector<size_t> battle_starts, intro_starts;
    for (size_t i = 1; i < l.size(); ++i) {
        if (l[i] == "pause" && l[i - 1] != "pause") intro_starts.push_back(i);
        if (l[i] == "world" && l[i - 1] == "pause") battle_starts.push_back(i);
    }
    ASSERT_EQ(battle_starts.size(), 2u);
    ASSERT_EQ(intro_starts.size(), 2u);
    size_t game_start = 1;
    while (game_start < demo.size() && !(demo[game_start] == 0 && l[game_start] == "world")) ++game_start;
    battle_starts.insert(battle_starts.begin(), game_start);
    for (size_t k = 0; k < 20; ++k) {
        EXPECT_EQ(audio[battle_starts[1] + k], audio[battle_starts[0] + k])
            << "frame " << k << " after the first resume";
        EXPECT_EQ(audio[battle_starts[2] + k], audio[battle_starts[0] + k]) << "frame " << k << " after the second";
        EXPECT_EQ(audio[intro_starts[1] + k], audio[intro_starts[0] + k])
            << "each pause starts the attract music afresh";
    }
    bool heard = false;
    for (size_t k = 0; k < 20; ++k)
        for (int16_t v : audio[battle_starts[0] + k]) heard |= v != 0;
    EXPECT_TRUE(heard) << "the music plays";
    EXPECT_NE(audio[battle_starts[0] + 5], audio[intro_starts[0] + 5]) << "two different tracks";
}

} // namespace
