// The heads-up display read back cell by cell: every value in its own cells, the lettering kept, caps, the best, the
// jingle.
#include <gtest/gtest.h>

#include <vector>

#include "effect_counter.h"
#include "hud_reading.h"
#include "services/images.h"
#include "shell/game_flow.h"
#include "shell/hud.h"
#include "shell_fixture.h"

namespace {

using hud_reading::picture;
using hud_reading::read_cells;

// The five fields, as the player sees them: first cell's x and the number of 16-pixel cells.
struct field_place {
    int x, cells;
};
constexpr field_place score_at{66, 5}, best_at{211, 5}, best_casualties_at{296, 4}, casualties_at{474, 4},
    men_at{600, 2};
constexpr field_place fields[] = {score_at, best_at, best_casualties_at, casualties_at, men_at};

class hud_test : public shell_test {
protected:
    static picture shown() { return {back_buffer()->pixels(), back_buffer()->width()}; }
    static std::string field(field_place f, int y) { return read_cells(shown(), f.x, y, f.cells); }

    static std::vector<uint32_t> screen()
    {
        const frame_buffer* fb = back_buffer();
        return {fb->pixels(), fb->pixels() + fb->width() * fb->height()};
    }
    static void set_values(int s, int b, int bc, int c, int m)
    {
        score = s;
        best_score = b;
        best_casualties = bc;
        casualties = c;
        men = m;
    }
    // The squeezed strip over its band at the top, with no numbers: the reference the full display must keep.
    static std::vector<uint32_t> top_strip_alone()
    {
        clear_screen();
        set_blend_mode(blend_alpha);
        set_draw_alpha(0.6f);
        set_draw_color(15, 15, 25);
        draw_rect(0, 0, 640, 20);
        set_draw_alpha(1.0f);
        set_blend_mode(blend_mask);
        set_draw_color(255, 255, 255);
        set_draw_scale(1.0f, 0.8f);
        draw_image(hud_img, 2, 3, 0);
        set_draw_scale(1.0f, 1.0f);
        return screen();
    }
};

TEST_F(hud_test, numbers_take_exactly_their_cells_with_zeros_in_front)
{
    const struct {
        int value, digits;
        const char* shown;
    } cases[] = {
        {123, 5, "00123"},
        {0, 5, "00000"},
        {3, 2, "03"},
        {7, 4, "0007"},
        {12345, 5, "12345"},
        {10, 2, "10"},
        {9999, 4, "9999"},
        {1, 5, "00001"},
        {10000, 5, "10000"},
        {99999, 5, "99999"},
        // Longer than the field (only an edited save holds one): the largest that fits.
        {1234567, 5, "99999"},
        {10000, 4, "9999"},
        {100, 2, "99"},
        {-4, 4, "0000"},
    };
    for (const auto& c : cases) {
        clear_screen();
        draw_number(100, 100, c.value, c.digits);
        EXPECT_EQ(read_cells(shown(), 84, 100, c.digits + 2), std::string(" ") + c.shown + " ") << c.value;
    }
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

TEST_F(hud_test, every_field_reads_in_full_beside_untouched_lettering_at_the_bottom)
{
    ASSERT_GT(hud_reading::lettering_pixels(), 500);
    const struct {
        int score, best, best_casualties, casualties, men;
        const char *s, *b, *bc, *c, *m;
    } cases[] = {
        {123, 16363, 336, 45, 3, "00123", "16363", "0336", "0045", "03"},
        {10000, 17000, 357, 9999, 1, "10000", "17000", "0357", "9999", "01"},
        {99999, 99999, 9999, 9999, 2, "99999", "99999", "9999", "9999", "02"},
        {0, 0, 0, 0, 0, "00000", "00000", "0000", "0000", "00"},
        {11111, 11111, 1111, 1111, 1, "11111", "11111", "1111", "1111", "01"},
        // Above the caps: the running values are cut, a best from an edited save is shown as all nines.
        {123456, 123456, 54321, 12345, 3, "99999", "99999", "9999", "9999", "03"},
    };
    for (const auto& k : cases) {
        set_values(k.score, k.best, k.best_casualties, k.casualties, k.men);
        clear_screen();
        draw_hud(0);
        EXPECT_EQ(field(score_at, 463), k.s) << k.score;
        EXPECT_EQ(field(best_at, 463), k.b) << k.best;
        EXPECT_EQ(field(best_casualties_at, 463), k.bc) << k.best_casualties;
        EXPECT_EQ(field(casualties_at, 463), k.c) << k.casualties;
        EXPECT_EQ(field(men_at, 463), k.m) << k.men;
        EXPECT_EQ(hud_reading::lettering_changed(shown(), 461), 0) << k.score << " " << k.best;
    }
    EXPECT_EQ(best_score, 123456) << "only the running score is capped in the state";
}

TEST_F(hud_test, nothing_is_drawn_outside_the_fields_and_the_lettering)
{
    // Every digit position lit: each lit pixel must be a label's own or inside its field's cells.
    set_values(88888, 88888, 8888, 8888, 3);
    clear_screen();
    draw_hud(0);
    int stray = 0;
    for (int y = 461; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if (px(x, y) == 0) continue;
            bool in_field = false;
            for (const field_place& f : fields) in_field = in_field || (x >= f.x && x < f.x + 16 * f.cells);
            const bool label = x >= 2 && hud_reading::sheet_rgb(x - 2, 259 + y - 461) != 0;
            stray += !in_field && !label;
        }
    EXPECT_EQ(stray, 0);
    EXPECT_EQ(hud_reading::lettering_changed(shown(), 461), 0);
}

TEST_F(hud_test, the_squeezed_top_band_shows_every_digit_and_keeps_its_lettering)
{
    const std::vector<uint32_t> alone = top_strip_alone();
    set_values(99999, 99999, 9999, 9999, 3);
    clear_screen();
    draw_hud(1);
    const std::vector<uint32_t> full = screen();
    EXPECT_EQ(draw_state.tform_scale_y, 1.0f) << "scale put back";
    EXPECT_EQ(full[19 * 640 + 639], 0x09090fu) << "(15, 15, 25) at 0.6 over black";
    EXPECT_EQ(full[20 * 640 + 320], 0u) << "the band is 20 rows";

    int label_changed = 0, stray = 0;
    for (int i = 0; i < 640 * 480; ++i) {
        if (full[i] == alone[i]) continue;
        const int x = i % 640, y = i / 640;
        bool in_field = false;
        for (const field_place& f : fields) in_field = in_field || (x >= f.x && x < f.x + 16 * f.cells);
        label_changed += alone[i] != 0x09090fu;
        stray += !in_field || y < 5 || y > 16; // 15 digit rows from y 5 squeezed to 12
    }
    EXPECT_EQ(label_changed, 0);
    EXPECT_EQ(stray, 0);

    // Each cell is the digit alone, squeezed the same way at its place.
    for (const field_place& f : fields) {
        const int digit = f.x == 600 ? 3 : 9;
        for (int c = 0; c < f.cells; ++c) {
            const int x = f.x + 16 * c, want_digit = f.x == 600 && c == 0 ? 0 : digit;
            std::vector<uint32_t> ref = top_strip_alone();
            set_draw_scale(1.0f, 0.8f);
            draw_image(digit_img, static_cast<float>(x), 5, want_digit);
            set_draw_scale(1.0f, 1.0f);
            ref = screen();
            int differ = 0;
            for (int y = 0; y < 20; ++y)
                for (int xx = x; xx < x + 16; ++xx) differ += ref[y * 640 + xx] != full[y * 640 + xx];
            EXPECT_EQ(differ, 0) << "cell " << c << " of the field at " << f.x;
        }
    }
}

TEST_F(hud_test, the_strip_sits_at_the_bottom_in_play_and_at_the_top_over_its_band)
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
    EXPECT_EQ(b.y + b.h, 20);
    EXPECT_EQ(b.x, 0);
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
