// Text: loading faces, pen advance, missing glyphs, scale, the smooth border, the built-in font, a golden line.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "harness/png_write.h"
#include "services/text.h"
#include "test_display.h"

namespace {

constexpr const char* font_url = "incbin::fonts/armalite.ttf";

font* game_face(int style = 4)
{
    static font* smooth = load_font(font_url, 24, 4);
    static font* sharp = load_font(font_url, 24, 0);
    return style == 4 ? smooth : sharp;
}

class text : public drawing_test {
protected:
    void SetUp() override
    {
        drawing_test::SetUp();
        ASSERT_TRUE(game_face());
        set_font(game_face());
        set_blend_mode(blend_alpha);
    }
    // The ink box of `s` drawn at (40, 40) on a cleared screen; `shot` gets the whole screen.
    box render(const std::string& s, std::vector<uint32_t>* shot = nullptr)
    {
        clear_screen();
        draw_text(s, 40, 40);
        const uint32_t* p = back_buffer()->pixels();
        if (shot) shot->assign(p, p + 640 * 480);
        return ink();
    }
};

TEST_F(text, faces_load_from_streams_or_give_null)
{
    font* f = game_face();
    EXPECT_GT(font_ascend(f), 12);
    EXPECT_LT(font_descend(f), 0);
    EXPECT_GE(font_height(f), font_ascend(f) - font_descend(f));
    box h = render("H"); // capitals stand on the base line, ascend below the top of the line
    EXPECT_NEAR(h.y + h.h, 40 + font_ascend(f), 1);

    std::string junk = std::string(RAMPARION_BINARY_DIR) + "/text-test-junk.ttf";
    std::ofstream(junk) << "this is no font at all\n";
    for (const char* url : {"incbin::fonts/nothing.ttf", "no/such/font.ttf", "incbin::graphx/rp_sky.png"})
        EXPECT_EQ(load_font(url, 24, 4), nullptr) << url;
    EXPECT_EQ(load_font(junk, 24, 4), nullptr);
    EXPECT_EQ(load_font(font_url, 0, 4), nullptr) << "no size down to 1";
}

TEST_F(text, spaces_advance_and_missing_characters_do_nothing)
{
    int space = text_width(" ");
    ASSERT_GT(space, 0);
    EXPECT_EQ(render(" ").count, 0);
    EXPECT_EQ(render(" A").x, render("A").x + space);
    EXPECT_EQ(text_width(""), 0);
    // The face has no DEL and no CJK ideograph, but it does have e acute.
    const std::string del = "\x7f", han = "\xe4\xb8\x80";
    std::vector<uint32_t> with, without;
    render("A" + del + "V" + han, &with);
    render("AV", &without);
    EXPECT_EQ(with, without);
    EXPECT_EQ(text_width("A" + del + "V" + han), text_width("AV"));
    EXPECT_GT(text_width("\xc3\xa9"), 0);
}

TEST_F(text, scale_doubles_glyphs_and_advance_but_not_the_width)
{
    const std::string s = "HAH";
    set_font(game_face(0)); // unfiltered, so it doubles exactly
    box one = render(s);
    int w = text_width(s);
    set_draw_scale(2.0f, 2.0f);
    box two = render(s);
    EXPECT_EQ(std::vector<int>({two.x - 40, two.y - 40, two.w, two.h}),
              std::vector<int>({2 * (one.x - 40), 2 * (one.y - 40), 2 * one.w, 2 * one.h}));
    EXPECT_EQ(text_width(s), w);
    set_draw_rotation(90.0f);
    box down = render(s);
    EXPECT_GT(down.h, down.w) << "the pen follows the rotation";
}

TEST_F(text, the_smooth_border_leaves_the_ink_where_the_bitmap_puts_it)
{
    std::vector<uint32_t> smooth, sharp;
    render("Quiet Ramparts 0123", &smooth);
    set_font(game_face(0));
    EXPECT_GT(render("Quiet Ramparts 0123", &sharp).count, 100);
    EXPECT_EQ(smooth, sharp);
}

TEST_F(text, the_built_in_font_covers_32_to_127)
{
    set_font(nullptr);
    EXPECT_EQ(std::vector<int>({font_height(nullptr), font_ascend(nullptr), font_descend(nullptr)}),
              std::vector<int>({10, 8, -2}));
    EXPECT_EQ(text_width("a\xc3\xa9z\x7f"), 18) << "only 32 to 127";
    set_blend_mode(blend_mask);
    for (int c = 33; c < 128; ++c) {
        box b = render(std::string(1, static_cast<char>(c)));
        ASSERT_GT(b.count, 0) << c;
        EXPECT_TRUE(b.x >= 40 && b.x + b.w <= 45 && b.y >= 41 && b.y + b.h <= 50) << c << " leaves its cell";
    }
}

TEST_F(text, a_line_in_the_game_font_matches_its_golden_picture)
{
    const std::string golden = std::string(RAMPARION_SOURCE_DIR) + "/tests/golden/text_line.png";
    const std::string actual = std::string(RAMPARION_BINARY_DIR) + "/text_line.actual.png";
    clear_screen();
    draw_text("RAMPARION '07 - Day 12: Score 0123456789, Best!", 12, 8);
    set_draw_color(255, 200, 40);
    set_draw_transform(-12.0f, 1.5f, 1.5f);
    draw_text("The Ramparts Hold & Fall?", 60, 92);
    set_font(nullptr);
    set_draw_transform(0.0f, 2.0f, 2.0f);
    set_draw_color(120, 220, 255);
    draw_text("Built-in: {[(<Quick, jumpy foxes & 0123456789!?>)]}", 12, 138);
    constexpr int w = 640, h = 160; // the rest of the screen is black
    std::vector<uint32_t> got(back_buffer()->pixels(), back_buffer()->pixels() + w * h), want;
    int gw = 0, gh = 0;
    if (!read_png_rgb(golden, want, gw, gh)) {
        ASSERT_TRUE(write_png_rgb(golden, got.data(), w, h));
        FAIL() << "no golden picture: wrote " << golden << "; look at it and commit it";
    }
    ASSERT_EQ(std::vector<int>({gw, gh}), std::vector<int>({w, h}));
    int differ = 0;
    for (int i = 0; i < w * h; ++i) differ += got[static_cast<size_t>(i)] != want[static_cast<size_t>(i)];
    if (differ) {
        ASSERT_TRUE(write_png_rgb(actual, got.data(), w, h));
        FAIL() << differ << " pixels differ from " << golden << "; this run drew " << actual;
    }
}

} // namespace
