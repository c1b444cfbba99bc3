// The heads-up display: digit cells and leading zeros, the caps, the live best score, the jingle and the two places.
#include <gtest/gtest.h>

#include <vector>

#include "effect_counter.h"
#include "services/images.h"
#include "shell/game_flow.h"
#include "shell/hud.h"
#include "shell_fixture.h"

namespace {

class hud_test : public shell_test {
protected:
    static std::vector<uint32_t> screen()
    {
        const frame_buffer* fb = back_buffer();
        std::vector<uint32_t> out;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) out.push_back(fb->pixel(x, y));
        return out;
    }

    // The picture of these digits, one cell each from (x, y).
    static std::vector<uint32_t> cells(int x, int y, const std::string& digits)
    {
        clear_screen();
        for (char c : digits) {
            draw_image(digit_img, static_cast<float>(x), static_cast<float>(y), c - '0');
            x += 16;
        }
        return screen();
    }

    static std::vector<uint32_t> number(int x, int y, int value, int digits)
    {
        clear_screen();
        draw_number(x, y, value, digits);
        return screen();
    }

    // The pixels of rows y0..y1 and columns x0..x1-1.
    static std::vector<uint32_t> part(int x0, int x1, int y0, int y1)
    {
        std::vector<uint32_t> out;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x < x1; ++x) out.push_back(px(x, y));
        return out;
    }
};

TEST_F(hud_test, numbers_fill_their_field_with_zeros_and_always_lead_with_one)
{
    const struct {
        int value, digits;
        const char* shown;
    } cases[] = {
        {12345, 5, "012345"}, {123, 5, "00123"}, {0, 5, "00000"}, {3, 2, "03"},
        {10, 2, "010"},       {7, 4, "0007"},    {1234567, 5, "01234567"},
    };
    for (const auto& c : cases) EXPECT_EQ(number(66, 100, c.value, c.digits), cells(66, 100, c.shown)) << c.value;
}

TEST_F(hud_test, score_and_casualties_are_cut_to_their_caps_and_the_best_follows_with_its_casualties)
{
    best_score = 500;
    best_casualties = 9;
    score = 400;
    casualties = 30;
    draw_hud(0);
    EXPECT_EQ(best_score, 500);
    EXPECT_EQ(best_casualties, 9);

    score = 501;
    draw_hud(0);
    EXPECT_EQ(best_score, 501);
    EXPECT_EQ(best_casualties, 30) << "the casualties of the game that set it";

    score = 123456;
    casualties = 12345;
    draw_hud(0);
    EXPECT_EQ(score, 99999);
    EXPECT_EQ(casualties, 9999);
    EXPECT_EQ(best_score, 99999);
    EXPECT_EQ(best_casualties, 9999);
}

TEST_F(hud_test, a_best_score_above_99999_from_the_file_is_shown_in_full)
{
    best_score = 123456;
    score = 40;
    draw_hud(0);
    EXPECT_EQ(best_score, 123456) << "only the running score is capped";
    auto shown = part(211, 291, 463, 477);
    clear_screen();
    draw_image(hud_img, 2, 461, 0);
    draw_number(211, 463, 123456, 5);
    EXPECT_EQ(shown, part(211, 291, 463, 477)) << "the first five of seven cells: 0, 1, 2, 3, 4";
}

TEST_F(hud_test, the_strip_sits_at_the_bottom_in_play_and_squeezed_over_a_band_at_the_top)
{
    score = 12345;
    draw_hud(0);
    box b = ink();
    EXPECT_GE(b.y, 461);
    EXPECT_LE(b.y + b.h, 480);
    EXPECT_GT(b.w, 600);

    clear_screen();
    draw_hud(1);
    b = ink();
    EXPECT_EQ(b.y, 0);
    EXPECT_EQ(b.y + b.h, 20) << "the band is 20 rows; the strip inside it is squeezed to 0.8";
    EXPECT_EQ(b.x, 0);
    EXPECT_EQ(px(639, 19), 0x09090fu) << "(15, 15, 25) at 0.6 over black";
    EXPECT_EQ(draw_state.tform_scale_y, 1.0f) << "scale put back";

    // The digits are squeezed with the strip: cells of 15 rows take 12.
    clear_screen();
    draw_hud(1);
    auto squeezed = part(66, 162, 0, 19);
    clear_screen();
    set_blend_mode(blend_alpha);
    set_draw_alpha(0.6f);
    set_draw_color(15, 15, 25);
    draw_rect(0, 0, 800, 20);
    set_draw_alpha(1.0f);
    set_blend_mode(blend_mask);
    set_draw_color(255, 255, 255);
    set_draw_scale(1.0f, 0.8f);
    draw_image(hud_img, 2, 3, 0);
    draw_number(66, 5, 12345, 5);
    set_draw_scale(1.0f, 1.0f);
    EXPECT_EQ(squeezed, part(66, 162, 0, 19));
}

TEST_F(hud_test, the_jingle_sounds_once_per_game_when_the_best_is_first_passed)
{
    wait_for_silence();
    effect_counter jingle(&hiscore_snd);
    best_score = 1000;
    score = 1000;
    draw_hud(0);
    EXPECT_EQ(jingle.plays(), 0) << "equal is not better";
    score = 1001;
    draw_hud(0);
    EXPECT_EQ(jingle.plays(), 1);
    score = 1500;
    draw_hud(0);
    draw_hud(0);
    EXPECT_EQ(jingle.plays(), 0) << "later records in the same game are silent";
    EXPECT_EQ(best_score, 1500);

    reset_game(0);
    score = 1501;
    draw_hud(0);
    EXPECT_EQ(jingle.plays(), 1) << "the next game may sound it again";

    // The attract battle scores nothing itself, but the state of an abandoned game is shown silently.
    reset_game(0);
    demo_mode = 1;
    score = 1600;
    draw_hud(1);
    EXPECT_EQ(jingle.plays(), 0);
    EXPECT_EQ(new_best_flag, 1);
    EXPECT_EQ(best_score, 1600);
}

} // namespace
