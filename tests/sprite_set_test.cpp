// The sprite set cut from the embedded sheet: sizes, handles, keyed-out black and distinct frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "assets/sprite_set.h"
#include "services/files.h"
#include "services/images.h"
#include "test_display.h"

namespace {

// The sheet as the program carries it, decoded without masking.
std::shared_ptr<pixmap> sheet()
{
    static std::shared_ptr<pixmap> s = [] {
        register_embedded_assets();
        stream_handle st(open_read("incbin::graphx/rmpar_sf1.png"));
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(read_all(st.get(), bytes));
        return decode_png(bytes.data(), bytes.size());
    }();
    return s;
}

class sprite_set : public drawing_test {
protected:
    static void SetUpTestSuite()
    {
        ensure_test_display();
        set_default_image_flags(9);
        set_clear_color(0, 0, 0);
        create_sprite_images();
        load_assets();
        set_font(nullptr); // other tests expect the built-in font
    }
};

// Each image as the game is drawn for: size, frames, where frame k is cut from (x0 + step k, y) on the
// sheet, and whether it is placed by its top-left corner or its centre.
struct expected_sprite {
    image** img;
    const char* name;
    int w, h, frames, x0, step, y;
    bool top_left;
};

constexpr int not_cut = -1;
const expected_sprite expected[] = {
    {&pointer_img, "pointer", 17, 24, 1, 514, 0, 32, true},
    {&snapshot_img, "snapshot", 640, 480, 1, not_cut, 0, 0, true},
    {&hud_img, "hud", 640, 19, 1, 0, 0, 259, true},
    {&digit_img, "digit", 16, 15, 10, 339, 17, 146, true},
    {&title_img, "title", 332, 75, 1, 0, 0, 144, false},
    {&fort_img, "fort", 94, 70, 1, 1, 0, 1, false},
    {&ruin_img, "ruin", 94, 59, 1, 123, 0, 12, false},
    {&mount_img, "mount", 22, 23, 1, 98, 0, 1, false},
    {&barrel_img, "barrel", 9, 36, 2, 98, 10, 27, false},
    {&ball_img, "ball", 7, 8, 1, 123, 0, 1, false},
    {&cloud_img, "cloud", 180, 68, 1, 1, 0, 74, false},
    {&lgtrooper_img, "lgtrooper", 84, 28, 4, 294, 85, 1, false},
    {&smtrooper_img, "smtrooper", 53, 24, 4, 295, 54, 32, false},
    {&rocket_img, "rocket", 44, 10, 6, 340, 45, 170, false},
    {&mustang_img, "mustang", 57, 21, 4, 295, 58, 59, false},
    {&bombmark_img, "bombmark", 40, 22, 1, 561, 0, 88, false},
    {&explosion_img, "explosion", 73, 67, 1, 219, 0, 1, false},
    {&planepart_img, "planepart", 30, 28, 12, 183, 31, 83, false},
    {&orb_img, "orb", 36, 36, 3, 1, 37, 221, false},
    {&man_img, "man", 30, 28, 14, 183, 31, 115, false},
    {&bonus_img, "bonus", 303, 15, 1, 319, 0, 285, false},
    {&dust_img, "dust", 293, 23, 1, 5, 0, 283, false},
    {&flag_img, "flag", 41, 24, 5, 416, 42, 226, false},
    {&gameover_img, "gameover", 251, 18, 1, 349, 0, 195, false},
};

const uint8_t* rgba(const image* img, int frame, int x, int y)
{
    const pixmap& p = *img->pixmaps[static_cast<size_t>(frame)];
    return &p.pixels[(static_cast<size_t>(y) * p.width + x) * 4];
}

} // namespace

TEST_F(sprite_set, images_have_their_sizes_frames_flags_and_handles)
{
    ASSERT_EQ(std::size(expected), 24u);
    for (const expected_sprite& e : expected) {
        const image* img = *e.img;
        ASSERT_NE(img, nullptr) << e.name;
        EXPECT_EQ(img->width, e.w) << e.name;
        EXPECT_EQ(img->height, e.h) << e.name;
        EXPECT_EQ(img->frame_count(), e.frames) << e.name;
        EXPECT_EQ(img->flags, 9) << e.name;
        EXPECT_EQ(img->handle_x, e.top_left ? 0.0f : e.w * 0.5f) << e.name;
        EXPECT_EQ(img->handle_y, e.top_left ? 0.0f : e.h * 0.5f) << e.name;
    }
    EXPECT_EQ(ball_img->handle_x, 3.5f);
    EXPECT_EQ(ball_img->handle_y, 4.0f);
    ASSERT_NE(sky_img, nullptr);
    ASSERT_NE(ground_img, nullptr);
    EXPECT_EQ(sky_img->handle_x, 0.0f); // the pictures load after mid-handling is off
    EXPECT_EQ(ground_img->width, 640);
    EXPECT_EQ(ground_img->height, 294);
    EXPECT_EQ(sky_img->height, 392);
}

TEST_F(sprite_set, rectangles_lie_inside_the_sheet_and_apart)
{
    struct rect {
        int x0, y0, x1, y1;
        const char* name;
    };
    std::vector<rect> boxes;
    for (const expected_sprite& e : expected) {
        if (e.x0 == not_cut) continue;
        for (int k = 0; k < e.frames; ++k) {
            rect b{e.x0 + e.step * k, e.y, e.x0 + e.step * k + e.w, e.y + e.h, e.name};
            EXPECT_GE(b.x0, 0) << e.name;
            EXPECT_LE(b.x1, 640) << e.name;
            EXPECT_LE(b.y1, 314) << e.name;
            boxes.push_back(b);
        }
    }
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            const rect &a = boxes[i], &b = boxes[j];
            bool apart = a.x1 <= b.x0 || b.x1 <= a.x0 || a.y1 <= b.y0 || b.y1 <= a.y0;
            EXPECT_TRUE(apart) << a.name << " overlaps " << b.name;
        }
}

TEST_F(sprite_set, each_frame_is_its_sheet_cell_transparent_exactly_where_the_sheet_is_pure_black)
{
    auto sh = sheet();
    ASSERT_TRUE(sh);
    ASSERT_EQ(sh->channels, 3);
    ASSERT_EQ(sh->width, 640);
    ASSERT_EQ(sh->height, 314);
    for (const expected_sprite& e : expected) {
        if (e.x0 == not_cut) continue;
        const image* img = *e.img;
        for (int k = 0; k < e.frames; ++k) {
            ASSERT_TRUE(img->pixmaps[static_cast<size_t>(k)]) << e.name << " frame " << k << " was never cut";
            int opaque = 0, wrong = 0;
            for (int y = 0; y < e.h; ++y)
                for (int x = 0; x < e.w; ++x) {
                    const uint8_t* s = &sh->pixels[(static_cast<size_t>(e.y + y) * 640 + e.x0 + e.step * k + x) * 3];
                    bool black = s[0] == 0 && s[1] == 0 && s[2] == 0;
                    const uint8_t* p = rgba(img, k, x, y);
                    wrong += black ? p[3] != 0 : (p[3] != 255 || p[0] != s[0] || p[1] != s[1] || p[2] != s[2]);
                    opaque += p[3] == 255;
                }
            EXPECT_EQ(wrong, 0) << e.name << " frame " << k;
            EXPECT_GT(opaque, 0) << e.name << " frame " << k << " is empty";
        }
    }
}

TEST_F(sprite_set, near_black_stays_opaque_in_the_cut)
{
    // A near-black pixel drawn onto the cleared buffer and grabbed keeps its colour and opacity.
    image* probe = create_image(2, 1, 1, -1);
    std::vector<uint32_t> t = {0xFF010101, 0xFF000000};
    auto tex = make_texture(t.data(), 2, 1, 0);
    set_clear_color(0, 0, 0);
    clear_screen();
    set_blend_mode(blend_solid);
    draw_texture_quad(*tex, 0, 0, 2, 1, 0, 0);
    grab_image(probe, 0, 0, 0);
    EXPECT_EQ(rgba(probe, 0, 0, 0)[3], 255);
    EXPECT_EQ(rgba(probe, 0, 0, 0)[0], 1);
    EXPECT_EQ(rgba(probe, 0, 1, 0)[3], 0);
}

TEST_F(sprite_set, fort_windows_let_the_light_through_and_nothing_else_does)
{
    // The light is a rectangle at (280, 398) 86 x 30 behind a fort centred at (320, 400).
    const int left = 320 - 47, top = 400 - 35;
    int clear_panes = 0, holes_elsewhere = 0;
    for (int y = 398; y < 428; ++y)
        for (int x = 280; x < 366; ++x) {
            int fx = x - left, fy = y - top;
            bool pane = fy >= 36 && fy <= 48 && ((fx >= 14 && fx <= 29) || (fx >= 64 && fx <= 79));
            bool see_through = rgba(fort_img, 0, fx, fy)[3] == 0;
            if (pane)
                clear_panes += see_through;
            else
                holes_elsewhere += see_through;
        }
    EXPECT_EQ(clear_panes, 2 * 16 * 13);
    EXPECT_EQ(holes_elsewhere, 0);
}

TEST_F(sprite_set, blood_drop_sits_small_in_the_middle_of_its_cell)
{
    int n = 0, sx = 0, sy = 0;
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 30; ++x)
            if (rgba(man_img, 12, x, y)[3]) {
                ++n;
                sx += x;
                sy += y;
            }
    ASSERT_GT(n, 0);
    EXPECT_LT(n, 40);
    EXPECT_NEAR(sx / static_cast<double>(n), 14.5, 2.0);
    EXPECT_NEAR(sy / static_cast<double>(n), 13.5, 2.0);
}

TEST_F(sprite_set, frames_of_an_animated_image_all_differ)
{
    for (const expected_sprite& e : expected) {
        if (e.x0 == not_cut || e.frames < 2) continue;
        const image* img = *e.img;
        for (int a = 0; a < e.frames; ++a)
            for (int b = a + 1; b < e.frames; ++b)
                EXPECT_NE(img->pixmaps[static_cast<size_t>(a)]->pixels, img->pixmaps[static_cast<size_t>(b)]->pixels)
                    << e.name << " frames " << a << " and " << b;
    }
}

TEST_F(sprite_set, the_font_loads_at_its_size)
{
    ASSERT_NE(game_font, nullptr);
    EXPECT_GE(font_height(game_font), 20);
    EXPECT_LE(font_height(game_font), 32);
}
