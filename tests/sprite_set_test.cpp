// The sprite set cut from the embedded sheet: sizes, handles, keyed-out black and distinct frames.
#include <gtest/gtest.h>

#include <algorithm>
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

const uint8_t* rgba(const image* img, int frame, int x, int y)
{
    const pixmap& p = *img->pixmaps[static_cast<size_t>(frame)];
    return &p.pixels[(static_cast<size_t>(y) * p.width + x) * 4];
}

} // namespace

TEST_F(sprite_set, images_have_their_sizes_frames_flags_and_handles)
{
    for (int i = 0; i < sprite_count; ++i) {
        const sprite_row& r = sprite_table[i];
        const image* img = *r.img;
        ASSERT_NE(img, nullptr) << r.name;
        EXPECT_EQ(img->width, r.width) << r.name;
        EXPECT_EQ(img->height, r.height) << r.name;
        EXPECT_EQ(img->frame_count(), r.frames) << r.name;
        EXPECT_EQ(img->flags, 9) << r.name;
        float hx = i < 4 ? 0.0f : r.width * 0.5f, hy = i < 4 ? 0.0f : r.height * 0.5f;
        EXPECT_EQ(img->handle_x, hx) << r.name;
        EXPECT_EQ(img->handle_y, hy) << r.name;
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
    struct box {
        int x0, y0, x1, y1;
        const char* name;
    };
    std::vector<box> boxes;
    for (const sprite_row& r : sprite_table) {
        if (r.sheet_x < 0) continue;
        for (int k = 0; k < r.frames; ++k) {
            box b{r.sheet_x + r.step * k, r.sheet_y, r.sheet_x + r.step * k + r.width, r.sheet_y + r.height, r.name};
            EXPECT_GE(b.x0, 0) << r.name;
            EXPECT_LE(b.x1, 640) << r.name;
            EXPECT_LE(b.y1, 314) << r.name;
            boxes.push_back(b);
        }
    }
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            const box &a = boxes[i], &b = boxes[j];
            bool apart = a.x1 <= b.x0 || b.x1 <= a.x0 || a.y1 <= b.y0 || b.y1 <= a.y0;
            EXPECT_TRUE(apart) << a.name << " overlaps " << b.name;
        }
}

TEST_F(sprite_set, transparent_exactly_where_the_sheet_is_pure_black)
{
    auto sh = sheet();
    ASSERT_TRUE(sh);
    ASSERT_EQ(sh->channels, 3);
    for (const sprite_row& r : sprite_table) {
        if (r.sheet_x < 0) continue;
        const image* img = *r.img;
        for (int k = 0; k < r.frames; ++k) {
            ASSERT_TRUE(img->pixmaps[static_cast<size_t>(k)]) << r.name << " frame " << k << " was never cut";
            int opaque = 0, wrong = 0;
            for (int y = 0; y < r.height; ++y)
                for (int x = 0; x < r.width; ++x) {
                    const uint8_t* s = &sh->pixels[(static_cast<size_t>(r.sheet_y + y) * 640 + r.sheet_x +
                                                    r.step * k + x) * 3];
                    bool black = s[0] == 0 && s[1] == 0 && s[2] == 0;
                    const uint8_t* p = rgba(img, k, x, y);
                    wrong += black ? p[3] != 0 : (p[3] != 255 || p[0] != s[0] || p[1] != s[1] || p[2] != s[2]);
                    opaque += p[3] == 255;
                }
            EXPECT_EQ(wrong, 0) << r.name << " frame " << k;
            EXPECT_GT(opaque, 0) << r.name << " frame " << k << " is empty";
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
            if (pane) clear_panes += see_through;
            else holes_elsewhere += see_through;
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
    for (const sprite_row& r : sprite_table) {
        if (r.sheet_x < 0 || r.frames < 2) continue;
        const image* img = *r.img;
        for (int a = 0; a < r.frames; ++a)
            for (int b = a + 1; b < r.frames; ++b)
                EXPECT_NE(img->pixmaps[static_cast<size_t>(a)]->pixels, img->pixmaps[static_cast<size_t>(b)]->pixels)
                    << r.name << " frames " << a << " and " << b;
    }
}

TEST_F(sprite_set, the_font_loads_at_its_size)
{
    ASSERT_NE(game_font, nullptr);
    EXPECT_GE(font_height(game_font), 20);
    EXPECT_LE(font_height(game_font), 32);
}
