// The end-of-game screen: its lines and ranks, the blind start, its time limit, the ways out and what it leaves.
#include <gtest/gtest.h>

#include "shell/end_screen.h"
#include "shell/game_flow.h"
#include "shell_fixture.h"

namespace {

using platform::event_kind;

class end_screen_test : public shell_test {
protected:
    void SetUp() override
    {
        shell_test::SetUp();
        reset_game(0);
        days_survived = 2;
        men = 0;
    }

    // Runs the screen; the number of frames it presented.
    int run_screen()
    {
        loops.clear();
        int before = frames();
        game_over();
        return frames() - before;
    }

    // The leftmost and rightmost column holding exactly this colour in rows y..y+23.
    std::pair<int, int> text_span(int y, uint32_t colour) const
    {
        int x0 = 640, x1 = -1;
        for (int yy = y; yy < y + 24; ++yy)
            for (int x = 0; x < 640; ++x)
                if (last_picture[static_cast<size_t>(yy * 640 + x)] == colour)
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
        return {x0, x1};
    }

    void pad_script(const std::string& text)
    {
        std::vector<platform::scripted_event> s;
        std::string err;
        ASSERT_TRUE(platform::parse_script(text, s, err)) << err;
        hb->set_script(s);
        joy_count();
    }
};

TEST(end_screen_lines, days_are_counted_in_words_and_ranks_climb_to_class_1_of_the_experts)
{
    build_labels();
    EXPECT_EQ(days_line(0), "You Survived a Total of 0 Days.");
    EXPECT_EQ(days_line(1), "You Survived a Total of 1 day.");
    EXPECT_EQ(days_line(6), "You Survived a Total of 6 Days.");
    EXPECT_EQ(days_line(12), "You Survived a Total of 12 Days.");
    EXPECT_EQ(rank_line(0), "Rank: Rookie Cannon Master, Class 4.");
    EXPECT_EQ(rank_line(1), "Rank: Rookie Cannon Master, Class 3.");
    EXPECT_EQ(rank_line(6), "Rank: Advanced Cannon master, Class 2.");
    EXPECT_EQ(rank_line(11), "Rank: Expert Cannon Master, Class 1.");
    EXPECT_EQ(rank_line(12), "Rank: Expert Cannon Master, Class 1.");
    EXPECT_EQ(rank_line(400), "Rank: Expert Cannon Master, Class 1.");
}

TEST_F(end_screen_test, clicks_in_the_first_201_frames_are_thrown_away_and_the_next_one_ends_it)
{
    click_after(100);
    click_after(201);
    click_after(202);
    EXPECT_EQ(run_screen(), 202);
    EXPECT_EQ(quit_requested, 0);
    for (const auto& l : loops) EXPECT_EQ(l, "gameover");
}

TEST_F(end_screen_test, a_pad_button_held_into_the_screen_must_be_let_go_first)
{
    // Fire held on the pad as the game ends: the screen waits, drawing nothing, until it is let go;
    // the next press after that ends the screen.
    int p = frames();
    pad_script(std::to_string(p) + " joy_down 0 0\n" + std::to_string(p + 1) + " joy_up 0 0\n" +
               std::to_string(p + 250) + " joy_down 0 0\n");
    pump_input();
    ASSERT_EQ(joy_down(0, 0), 1);
    uint32_t before = hb->ticks_ms();
    click_after(300);
    EXPECT_EQ(run_screen(), 250);
    EXPECT_GE(hb->ticks_ms() - before, 2000u) << "it waited for the release";
    EXPECT_EQ(quit_requested, 0);
}

TEST_F(end_screen_test, a_pad_button_never_let_go_still_lets_a_close_request_through)
{
    pad_script(std::to_string(frames()) + " joy_down 0 0\n"); // the script ends with the button held
    pump_input();
    ASSERT_EQ(joy_down(0, 0), 1);
    EXPECT_EQ(run_screen(), 1);
    EXPECT_EQ(quit_requested, 1);
}

TEST_F(end_screen_test, left_alone_it_returns_after_5001_frames_to_attract_mode)
{
    bombmark_tag::Create(100, 400);
    lgtrooper_tag::Create();
    fort.can_rot = 12;
    point_at(50, 60);
    EXPECT_EQ(run_screen(), 5001);
    EXPECT_EQ(quit_requested, 0);
    EXPECT_EQ(demo_mode, 1);
    EXPECT_EQ(fort.can_rot, 90);
    EXPECT_TRUE(lgtrooper_list.empty());
    EXPECT_EQ(bombmark_list.size(), 1) << "bomb marks stay";
    EXPECT_EQ(channel_playing(music_channel), 1) << "the attract music";
    pump_input();
    EXPECT_EQ(mouse_x(), 320);
    EXPECT_EQ(mouse_y(), 195);
    EXPECT_EQ(days_survived, 2) << "the finished game stays on show until the next game";
    EXPECT_EQ(men, 0);
}

TEST_F(end_screen_test, the_sky_turns_without_counting_a_day)
{
    daylight = 0;
    daylight_step = 1;
    daylight_timer = 1;
    int score_before = score;
    click_after(2000);
    run_screen();
    EXPECT_EQ(daylight, 255) << "dawn came during the screen";
    EXPECT_EQ(days_survived, 2);
    EXPECT_EQ(score, score_before);
    EXPECT_EQ(banner_scale, 0.0f);
}

TEST_F(end_screen_test, escape_ends_the_program_without_presenting_that_frame_and_a_close_after_it)
{
    key_after(10, 27);
    EXPECT_EQ(run_screen(), 10);
    EXPECT_EQ(quit_requested, 1);
    EXPECT_EQ(demo_mode, 0) << "no attract mode on the way out";

    quit_requested = 0;
    after(7, {event_kind::terminate});
    EXPECT_EQ(run_screen(), 7);
    EXPECT_EQ(quit_requested, 1);
}

TEST_F(end_screen_test, the_days_and_rank_lines_are_centred_in_their_colours)
{
    keep_pictures = true;
    days_survived = 1;
    key_after(110, 27); // once the screen's white flash has faded
    run_screen();
    ASSERT_FALSE(last_picture.empty());
    auto days = text_span(220, 0xfafafau);
    auto rank = text_span(270, 0xfafa00u);
    ASSERT_GE(days.second, 0);
    ASSERT_GE(rank.second, 0);
    EXPECT_NEAR((days.first + days.second) / 2.0, 320.0, 4.0);
    EXPECT_NEAR((rank.first + rank.second) / 2.0, 320.0, 4.0);
    EXPECT_GT(rank.second - rank.first, days.second - days.first) << "the rank line is the longer";
}

} // namespace
