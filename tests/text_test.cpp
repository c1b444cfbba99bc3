// Text: loading faces, pen advance, missing glyphs, scale, the smooth border, the built-in font, a golden line.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "services/files.h"
#include "services/maths.h"
#include "services/text.h"
#include "test_display.h"
#include "tools/common/png_write.h"

namespace {

constexpr const char* font_url = "incbin::fonts/armalite.ttf";

// A bitmap font with one 8-pixel strike: "A" and the space.
constexpr const char* tiny_bdf = R"(STARTFONT 2.1
FONT -test-tiny-medium-r-normal--8-80-75-75-c-60-iso10646-1
SIZE 8 75 75
FONTBOUNDINGBOX 6 8 0 -2
STARTPROPERTIES 3
PIXEL_SIZE 8
FONT_ASCENT 6
FONT_DESCENT 2
ENDPROPERTIES
CHARS 2
STARTCHAR A
ENCODING 65
SWIDTH 540 0
DWIDTH 6 0
BBX 5 6 0 0
BITMAP
70
88
88
F8
88
88
ENDCHAR
STARTCHAR space
ENCODING 32
SWIDTH 540 0
DWIDTH 6 0
BBX 1 1 0 0
BITMAP
00
ENDCHAR
ENDFONT
)";

std::string write_file(const std::string& name, const std::string& bytes)
{
    std::string path = std::string(RAMPARION_BINARY_DIR) + "/text-test-" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

font* game_face()
{
    static font* f = load_font(font_url, 24, 4);
    return f;
}

font* sharp_face()
{
    static font* f = load_font(font_url, 24, 0);
    return f;
}

std::vector<uint32_t> screen()
{
    const frame_buffer* fb = back_buffer();
    return {fb->pixels(), fb->pixels() + static_cast<size_t>(fb->width()) * fb->height()};
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
    // What `s` draws at (x, y), on a cleared screen.
    std::vector<uint32_t> render(const std::string& s, float x = 40, float y = 40)
    {
        clear_screen();
        draw_text(s, x, y);
        return screen();
    }
};

TEST_F(text, the_embedded_face_loads_with_its_metrics)
{
    font* f = game_face();
    EXPECT_GT(font_ascend(f), 12);
    EXPECT_LT(font_descend(f), 0);
    EXPECT_GE(font_height(f), font_ascend(f) - font_descend(f));
    EXPECT_LE(font_height(f), 30);
    // The top of the line is at y: capitals start a little below it and end on the base line.
    render("H", 40, 40);
    auto b = ink_box();
    EXPECT_GE(b.y, 40);
    EXPECT_LE(b.y + b.h, 40 + font_ascend(f) + 1);
    EXPECT_GE(b.y + b.h, 40 + font_ascend(f) - 1);
}

TEST_F(text, bad_fonts_give_null)
{
    EXPECT_EQ(load_font("incbin::fonts/nothing.ttf", 24, 4), nullptr);
    EXPECT_EQ(load_font("no/such/font.ttf", 24, 4), nullptr);
    EXPECT_EQ(load_font(write_file("empty.ttf", ""), 24, 4), nullptr);
    EXPECT_EQ(load_font(write_file("words.ttf", "this is no font at all\n"), 24, 4), nullptr);
    // A picture is not a face, and half a face is none either.
    EXPECT_EQ(load_font("incbin::graphx/rp_sky.png", 24, 4), nullptr);
    stream_handle s(open_read(font_url));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(s && read_all(s.get(), bytes));
    std::string half(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
    font* h = load_font(write_file("half.ttf", half), 24, 4);
    if (h) {
        // FreeType may take the tables it finds; then drawing must still be safe.
        set_font(h);
        draw_text("RAMPARION 07", 10, 10);
        text_width("RAMPARION 07");
        free_font(h);
    }
    EXPECT_EQ(load_font(font_url, 0, 4), nullptr) << "no size down to 1";
}

TEST_F(text, a_fixed_size_face_falls_back_to_the_next_smaller_size)
{
    std::string path = write_file("tiny.bdf", tiny_bdf);
    font* f = load_font(path, 12, 0);
    ASSERT_TRUE(f) << "12 is refused, 11, 10 and 9 too, 8 is taken";
    EXPECT_EQ(font_height(f), 8);
    EXPECT_EQ(font_ascend(f), 6);
    EXPECT_EQ(font_descend(f), -2);
    EXPECT_EQ(load_font(path, 7, 0), nullptr);
    set_font(f);
    EXPECT_EQ(text_width("A A"), 18);
    set_blend_mode(blend_mask);
    render("A", 10, 10);
    auto b = ink_box();
    EXPECT_EQ(b.x, 10);
    EXPECT_EQ(b.y, 10);
    EXPECT_EQ(b.w, 5);
    EXPECT_EQ(b.h, 6);
    free_font(f);
}

TEST_F(text, a_space_advances_without_drawing)
{
    int space = text_width(" ");
    ASSERT_GT(space, 0);
    render(" ");
    EXPECT_EQ(ink_count(), 0);
    render("A");
    auto a = ink_box();
    render(" A");
    auto sa = ink_box();
    EXPECT_EQ(sa.x, a.x + space);
    EXPECT_EQ(sa.y, a.y);
    EXPECT_EQ(text_width(" A"), space + text_width("A"));
    EXPECT_EQ(text_width(""), 0);
    render("");
    EXPECT_EQ(ink_count(), 0);
}

TEST_F(text, missing_characters_neither_draw_nor_advance)
{
    // The face has no glyph for DEL, nor for a CJK ideograph.
    const std::string del = "\x7f", han = "\xe4\xb8\x80";
    EXPECT_EQ(text_width(del), 0);
    EXPECT_EQ(text_width(han), 0);
    EXPECT_EQ(text_width("A" + del + "V" + han), text_width("AV"));
    EXPECT_EQ(render("A" + del + "V" + han), render("AV"));
    EXPECT_NE(render("A\xc3\xa9V"), render("AV")) << "an accented letter the face has";
}

TEST_F(text, width_is_the_sum_of_whole_advances_whatever_the_transform)
{
    const std::string line = "RAMPARION '07: DAY 12";
    int w = text_width(line);
    int sum = 0;
    for (char c : line) sum += text_width(std::string(1, c));
    EXPECT_EQ(w, sum);
    set_draw_transform(30.0f, 2.0f, 2.0f);
    EXPECT_EQ(text_width(line), w);
}

TEST_F(text, scale_two_doubles_the_glyphs_and_their_advance)
{
    // The unfiltered face doubles exactly; the smooth one blurs its edges by up to a pixel.
    set_font(sharp_face());
    render("HH");
    auto one = ink_box();
    set_draw_scale(2.0f, 2.0f);
    render("HH");
    auto two = ink_box();
    EXPECT_EQ(two.x - 40, 2 * (one.x - 40));
    EXPECT_EQ(two.y - 40, 2 * (one.y - 40));
    EXPECT_EQ(two.w, 2 * one.w);
    EXPECT_EQ(two.h, 2 * one.h);

    set_font(game_face());
    set_draw_scale(1.0f, 1.0f);
    render("HH");
    one = ink_box();
    set_draw_scale(2.0f, 2.0f);
    render("HH");
    two = ink_box();
    EXPECT_NEAR(two.w, 2 * one.w, 2);
    EXPECT_NEAR(two.h, 2 * one.h, 2);
}

TEST_F(text, rotation_turns_the_line_about_its_start)
{
    set_draw_rotation(90.0f);
    render("HHHH", 300, 100);
    auto b = ink_box();
    EXPECT_GT(b.h, b.w) << "the line runs downwards";
    EXPECT_LE(b.x + b.w, 301) << "and its glyphs stand to the left of the start";
    EXPECT_GE(b.y, 99);
    EXPECT_NEAR(b.h, text_width("HHHH"), 4);
}

TEST_F(text, the_smooth_border_leaves_the_ink_where_the_bitmap_puts_it)
{
    ASSERT_TRUE(sharp_face());
    const std::string line = "Quiet Ramparts 0123";
    auto smooth = render(line, 33, 57);
    set_font(sharp_face());
    auto sharp = render(line, 33, 57);
    EXPECT_EQ(smooth, sharp);
    EXPECT_GT(ink_count(), 100);
}

TEST_F(text, coverage_blends_under_alpha_and_is_cut_at_half_under_mask)
{
    render("O");
    int partial = 0;
    for (uint32_t p : screen()) partial += p != 0 && p != 0xFFFFFF;
    EXPECT_GT(partial, 0) << "anti-aliased edges";
    set_blend_mode(blend_mask);
    int solid = 0, other = 0;
    for (uint32_t p : render("O")) {
        solid += p == 0xFFFFFF;
        other += p != 0 && p != 0xFFFFFF;
    }
    EXPECT_GT(solid, 20);
    EXPECT_EQ(other, 0);
    set_draw_color(255, 0, 0);
    for (uint32_t p : render("O")) ASSERT_TRUE(p == 0 || p == 0xFF0000);
}

TEST_F(text, the_built_in_font_covers_32_to_127)
{
    set_font(nullptr);
    EXPECT_EQ(font_height(nullptr), 10);
    EXPECT_EQ(font_ascend(nullptr), 8);
    EXPECT_EQ(font_descend(nullptr), -2);
    EXPECT_EQ(text_width("abc"), 18);
    EXPECT_EQ(text_width("a\xc3\xa9z"), 12) << "only 32 to 127";
    EXPECT_EQ(text_width("\x7f"), 6);
    set_blend_mode(blend_mask);
    render("|", 10, 20);
    auto bar = ink_box();
    EXPECT_EQ(bar.x, 12);
    EXPECT_EQ(bar.y, 21);
    EXPECT_EQ(bar.w, 1);
    EXPECT_EQ(bar.h, 9);
    // Every printable glyph has ink, inside its own cell.
    for (int c = 33; c < 128; ++c) {
        render(std::string(1, static_cast<char>(c)), 100, 100);
        auto b = ink_box();
        ASSERT_GT(b.w, 0) << c;
        EXPECT_GE(b.x, 100) << c;
        EXPECT_LE(b.x + b.w, 106) << c;
        EXPECT_GE(b.y, 101) << c;
        EXPECT_LE(b.y + b.h, 110) << c;
    }
    set_font(game_face());
    EXPECT_NE(text_width("abc"), 18);
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
    const frame_buffer* fb = back_buffer();
    // Only the top of the screen: the rest is the cleared black.
    constexpr int w = 640, h = 160;
    std::vector<uint32_t> got(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) got[static_cast<size_t>(y) * w + x] = fb->pixel(x, y);

    std::vector<uint32_t> want;
    int gw = 0, gh = 0;
    if (!read_png_rgb(golden, want, gw, gh)) {
        ASSERT_TRUE(write_png_rgb(golden, got.data(), w, h));
        FAIL() << "no golden picture: wrote " << golden << "; look at it and commit it";
    }
    ASSERT_EQ(gw, w);
    ASSERT_EQ(gh, h);
    int differ = 0, first = -1;
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i]) {
            ++differ;
            if (first < 0) first = static_cast<int>(i);
        }
    if (differ) {
        ASSERT_TRUE(write_png_rgb(actual, got.data(), w, h));
        FAIL() << differ << " pixels differ from " << golden << ", first at (" << first % w << ", " << first / w
               << "); this run's picture is " << actual;
    }
}

} // namespace
