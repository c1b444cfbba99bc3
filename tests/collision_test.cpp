// Pixel-exact collision: box edges, masks, scale, rotation, mirroring, layers and the draw state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/collision.h"
#include "services/images.h"
#include "test_display.h"

namespace {

// A masked image whose solid texels are the '#' of the rows given (alpha 255, else 0).
image* shape(const std::vector<std::string>& rows, bool mid = false)
{
    int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    image* img = create_image(w, h, 1, image_masked);
    auto pm = std::make_shared<pixmap>();
    pm->width = w;
    pm->height = h;
    pm->channels = 4;
    pm->pixels.assign(static_cast<size_t>(w) * h * 4, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &pm->pixels[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = p[1] = p[2] = 200;
            p[3] = rows[static_cast<size_t>(y)][static_cast<size_t>(x)] == '#' ? 255 : 0;
        }
    store_pixmap(img, 0, pm);
    if (mid) mid_handle_image(img);
    return img;
}

// A w x h image with an RGB buffer and no alpha: all black, so it would be masked if it were grabbed.
image* plain(int w, int h)
{
    image* img = create_image(w, h, 1, 0);
    auto pm = std::make_shared<pixmap>();
    pm->width = w;
    pm->height = h;
    pm->channels = 3;
    pm->pixels.assign(static_cast<size_t>(w) * h * 3, 0);
    store_pixmap(img, 0, pm);
    return img;
}

class collision : public drawing_test {
protected:
    void TearDown() override
    {
        reset_collision_layers(0);
        drawing_test::TearDown();
    }
    image* dot = plain(1, 1);
    int hits(image* img, int x, int y) { return images_collide(img, x, y, 0, dot, dot_x, dot_y, 0); }
    int dot_x = 0, dot_y = 0;
};

TEST_F(collision, boxes_that_only_touch_do_not_collide)
{
    image* a = plain(10, 10);
    image* b = plain(10, 10);
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 10, 0, 0), 0) << "edge to edge across";
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 0, 10, 0), 0) << "edge to edge down";
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 10, 10, 0), 0) << "corner to corner";
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 9, 0, 0), 1) << "one column shared";
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 0, -9, 0), 1) << "one row shared";
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 200, 200, 0), 0);
}

TEST_F(collision, buffers_without_alpha_are_solid_everywhere_and_keyed_black_never_is)
{
    image* black_rgb = plain(6, 6);
    EXPECT_EQ(images_collide(black_rgb, 50, 50, 0, dot, 55, 55, 0), 1);

    // The same black grabbed with the mask on is all transparent.
    image* keyed = create_image(6, 6, 1, image_masked);
    grab_image(keyed, 600, 400, 0); // the cleared screen
    image* big = plain(40, 40);
    EXPECT_EQ(images_collide(keyed, 50, 50, 0, big, 40, 40, 0), 0);
    EXPECT_EQ(images_collide(big, 40, 40, 0, keyed, 50, 50, 0), 0) << "either way round";
}

TEST_F(collision, only_solid_texels_count)
{
    image* ring = shape({"#####", "#...#", "#...#", "#...#", "#####"});
    std::string miss;
    for (int y = -1; y <= 5; ++y)
        for (int x = -1; x <= 5; ++x) {
            dot_x = 100 + x;
            dot_y = 100 + y;
            bool inside = x >= 0 && x < 5 && y >= 0 && y < 5;
            bool solid = inside && (x == 0 || x == 4 || y == 0 || y == 4);
            if (hits(ring, 100, 100) != (solid ? 1 : 0)) miss += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
        }
    EXPECT_EQ(miss, "") << "texels judged wrongly";
}

TEST_F(collision, texels_are_solid_from_alpha_128)
{
    image* img = shape({"##"});
    img->pixmaps[0]->pixels[3] = 127;
    img->pixmaps[0]->pixels[7] = 128;
    dot_y = 0;
    dot_x = 0;
    EXPECT_EQ(hits(img, 0, 0), 0);
    dot_x = 1;
    EXPECT_EQ(hits(img, 0, 0), 1);
}

TEST_F(collision, the_scale_in_force_applies_to_both_frames)
{
    image* pip = shape({"...", ".#.", "..."}); // solid texel (1, 1)
    set_draw_scale(2.0f, 2.0f);
    // The texel covers screen 12..13; the dot, doubled too, covers its position and the next.
    auto at = [&](int x, int y) { return images_collide(pip, 10, 10, 0, dot, x, y, 0); };
    EXPECT_EQ(at(11, 11), 1);
    EXPECT_EQ(at(13, 13), 1);
    EXPECT_EQ(at(10, 10), 0);
    EXPECT_EQ(at(14, 12), 0);
    set_draw_scale(1.0f, 1.0f);
    EXPECT_EQ(at(11, 11), 1);
    EXPECT_EQ(at(12, 12), 0);

    // Scaling one frame only.
    auto one = [&](int x, int y) { return images_collide_transformed(pip, 10, 10, 0, 0, 2, 2, dot, x, y, 0, 0, 1, 1); };
    EXPECT_EQ(one(12, 12), 1);
    EXPECT_EQ(one(13, 13), 1);
    EXPECT_EQ(one(11, 12), 0);
    EXPECT_EQ(one(14, 13), 0);
}

TEST_F(collision, rotation_turns_the_shape_clockwise_about_the_handle)
{
    // A 10 x 10 frame with its top-left texel solid, centred on (50, 50).
    std::vector<std::string> rows(10, "..........");
    rows[0][0] = '#';
    image* corner = shape(rows, true);
    auto at = [&](float rot, int x, int y) {
        return images_collide_transformed(corner, 50, 50, 0, rot, 1, 1, dot, x, y, 0, 0, 1, 1);
    };
    EXPECT_EQ(at(0, 45, 45), 1);
    EXPECT_EQ(at(0, 54, 45), 0);
    // A quarter turn clockwise takes the top-left corner to the top right.
    EXPECT_EQ(at(90, 45, 45), 0);
    EXPECT_EQ(at(90, 54, 45), 1);
    EXPECT_EQ(at(180, 54, 54), 1);
    EXPECT_EQ(at(270, 45, 54), 1);
    EXPECT_EQ(at(270, 54, 45), 0);
}

TEST_F(collision, a_rotated_sprite_collides_where_it_is_drawn)
{
    std::vector<std::string> rows = {"....######....", "..##########..", ".####....####.", "###........###",
                                     "###........###", ".####....####.", "..##########..", "....######...."};
    image* sprite = shape(rows, true);
    set_draw_transform(37.0f, 2.5f, 2.0f);
    set_blend_mode(blend_mask);
    draw_image(sprite, 200, 200, 0);
    auto ink = [](int x, int y) { return px(x, y) != 0; };
    // Probe every pixel round the sprite with a dot that takes no transform of its own.
    int drawn = 0, inner_misses = 0, edge_misses = 0;
    std::string map;
    for (int y = 170; y < 230; ++y, map += '\n')
        for (int x = 170; x < 230; ++x) {
            bool hit = images_collide_transformed(sprite, 200, 200, 0, 37, 2.5f, 2, dot, x, y, 0, 0, 1, 1) == 1;
            drawn += ink(x, y);
            map += ink(x, y) ? (hit ? '#' : 'd') : (hit ? 'h' : '.');
            if (hit == ink(x, y)) continue;
            // Drawing settles edge pixels by their centres, the scan by truncated edges: only
            // pixels on the drawn outline may come out differently.
            bool on_edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) on_edge |= ink(x + dx, y + dy) != ink(x, y);
            (on_edge ? edge_misses : inner_misses) += 1;
        }
    ASSERT_GT(drawn, 250);
    EXPECT_EQ(inner_misses, 0) << map;
    EXPECT_LT(edge_misses, drawn / 5) << map;
}

TEST_F(collision, mirrored_frames_are_scanned_too)
{
    image* left_bar = shape({"#...", "#...", "#...", "#..."});
    // Scale -1 flips the frame about its top-left handle: the bar lands in column x - 1.
    auto at = [&](float sx, float sy, int x, int y) {
        return images_collide_transformed(left_bar, 20, 20, 0, 0, sx, sy, dot, x, y, 0, 0, 1, 1);
    };
    EXPECT_EQ(at(1, 1, 20, 21), 1);
    EXPECT_EQ(at(-1, 1, 19, 21), 1);
    EXPECT_EQ(at(-1, 1, 16, 21), 0);
    EXPECT_EQ(at(-1, -1, 19, 18), 1);
    EXPECT_EQ(at(1, -1, 20, 18), 1);
    EXPECT_EQ(at(1, -1, 20, 21), 0);
}

TEST_F(collision, the_draw_state_is_restored_after_a_transformed_test)
{
    set_draw_transform(30.0f, 1.5f, 0.5f);
    const draw_state_t before = draw_state;
    image* a = plain(4, 4);
    images_collide_transformed(a, 0, 0, 0, 45, 2, 3, a, 1, 1, 0, -10, 0.5f, 0.5f);
    EXPECT_EQ(draw_state.tform_rot, before.tform_rot);
    EXPECT_EQ(draw_state.tform_scale_x, before.tform_scale_x);
    EXPECT_EQ(draw_state.tform_scale_y, before.tform_scale_y);
    EXPECT_EQ(draw_state.tform_ix, before.tform_ix);
    EXPECT_EQ(draw_state.tform_iy, before.tform_iy);
    EXPECT_EQ(draw_state.tform_jx, before.tform_jx);
    EXPECT_EQ(draw_state.tform_jy, before.tform_jy);
}

TEST_F(collision, origin_handles_and_frames_place_the_quads)
{
    image* a = plain(4, 4);
    image* b = create_image(4, 4, 2, 0);
    store_pixmap(b, 0, plain(4, 4)->pixmaps[0]);
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 3, 3, 0), 1);
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 3, 3, 1), 0) << "a frame never filled holds nothing";
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 3, 3, 2), 0) << "no such frame";
    EXPECT_EQ(images_collide(a, 0, 0, -1, b, 3, 3, 0), 0);
    EXPECT_EQ(images_collide(nullptr, 0, 0, 0, b, 3, 3, 0), 0);
    mid_handle_image(b); // b now spans 1..5
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 6, 6, 0), 0);
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 5, 5, 0), 1);

    // The origin moves everything alike; a quad kept in a layer keeps where it was put.
    collide_image(a, 0, 0, 0, 0, 1u << 4, nullptr);
    draw_state.origin_x = 100.0f;
    EXPECT_EQ(images_collide(a, 0, 0, 0, b, 5, 5, 0), 1);
    EXPECT_EQ(collide_image(a, 0, 0, 0, 1u << 4, 0, nullptr), 0);
    EXPECT_EQ(collide_image(a, -100, 0, 0, 1u << 4, 0, nullptr), 1);
}

TEST_F(collision, layers_hold_quads_until_they_are_reset)
{
    image* a = plain(4, 4);
    EXPECT_EQ(collide_image(a, 0, 0, 0, 0, (1u << 3) | (1u << 7), nullptr), 0);
    EXPECT_EQ(collide_image(a, 2, 2, 0, 1u << 3, 0, nullptr), 1);
    EXPECT_EQ(collide_image(a, 2, 2, 0, 1u << 5, 0, nullptr), 0) << "an empty layer";
    reset_collision_layers(1 << 3);
    EXPECT_EQ(collide_image(a, 2, 2, 0, 1u << 3, 0, nullptr), 0);
    EXPECT_EQ(collide_image(a, 2, 2, 0, 1u << 7, 0, nullptr), 1) << "other layers are kept";
    reset_collision_layers(0);
    EXPECT_EQ(collide_image(a, 2, 2, 0, ~0u, 0, nullptr), 0);

    // Layer 31 is the pair tests' own; what was left there before does not count.
    collide_image(a, 300, 300, 0, 0, 1u << 31, nullptr);
    EXPECT_EQ(images_collide(a, 0, 0, 0, a, 300, 300, 0), 0);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(images_collide(a, 0, 0, 0, a, 1, 1, 0), 1);
}

} // namespace
