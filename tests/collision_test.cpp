// Pixel-exact collision: box edges, masks, scale, rotation, mirroring, layers and the draw state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/collision.h"
#include "services/images.h"
#include "test_display.h"

namespace {

// '#' texels solid (alpha 255), the rest alpha 0; or, with rgb, a black buffer with no alpha at all.
image* shape(const std::vector<std::string>& rows, bool rgb = false)
{
    int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size()), ch = rgb ? 3 : 4;
    image* img = create_image(w, h, 1, 0);
    auto pm = std::make_shared<pixmap>(pixmap{w, h, ch, std::vector<uint8_t>(static_cast<size_t>(w * h * ch))});
    for (int i = 0; i < w * h && !rgb; ++i)
        pm->pixels[static_cast<size_t>(i * 4 + 3)] =
            rows[static_cast<size_t>(i / w)][static_cast<size_t>(i % w)] == '#' ? 255 : 0;
    store_pixmap(img, 0, pm);
    return img;
}

image* solid(int w, int h)
{
    return shape(std::vector<std::string>(h, std::string(w, '.')), true);
}

class collision : public drawing_test {
protected:
    void TearDown() override
    {
        reset_collision_layers(0);
        drawing_test::TearDown();
    }
    image* dot = solid(1, 1);
    // The dot, untransformed, against `img` placed at (ix, iy) with rotation and scale.
    int probe(image* img, int ix, int iy, int x, int y, float rot = 0, float sx = 1, float sy = 1)
    {
        return images_collide_transformed(img, ix, iy, 0, rot, sx, sy, dot, x, y, 0, 0, 1, 1);
    }
};

TEST_F(collision, boxes_must_share_a_whole_column_and_row)
{
    image* a = solid(10, 10);
    EXPECT_EQ(images_collide(a, 0, 0, 0, a, 10, 0, 0), 0) << "edge to edge";
    EXPECT_EQ(images_collide(a, 0, 0, 0, a, 0, 10, 0), 0);
    EXPECT_EQ(images_collide(a, 0, 0, 0, a, 9, -9, 0), 1) << "one pixel shared";
}

TEST_F(collision, only_solid_texels_collide)
{
    image* ring = shape({"#####", "#...#", "#...#", "#...#", "####."});
    std::string wrong; // 10 x + y of each pixel judged wrongly
    for (int y = -1; y <= 5; ++y)
        for (int x = -1; x <= 5; ++x) {
            bool solid = x >= 0 && x < 5 && y >= 0 && y < 5 && (x % 4 == 0 || y % 4 == 0) && !(x == 4 && y == 4);
            if (probe(ring, 100, 100, 100 + x, 100 + y) != solid)
                wrong.append(1, ' ').append(std::to_string(x * 10 + y));
        }
    EXPECT_EQ(wrong, "");
    image* edge = shape({"##"});
    edge->pixmaps[0]->pixels[3] = 127;
    edge->pixmaps[0]->pixels[7] = 128;
    EXPECT_EQ(probe(edge, 0, 0, 0, 0), 0);
    EXPECT_EQ(probe(edge, 0, 0, 1, 0), 1);

    // Black grabbed with the mask on never collides; black without alpha always does.
    image* keyed = create_image(6, 6, 1, image_masked);
    grab_image(keyed, 600, 400, 0);
    EXPECT_EQ(images_collide(keyed, 50, 50, 0, solid(40, 40), 40, 40, 0), 0);
    EXPECT_EQ(images_collide(solid(6, 6), 50, 50, 0, dot, 55, 55, 0), 1);
}

TEST_F(collision, scale_and_rotation_shape_the_frames)
{
    image* pip = shape({"...", ".#.", "..."});
    set_draw_scale(2.0f, 2.0f); // the texel covers 12..13, the dot its position and the next
    EXPECT_EQ(images_collide(pip, 10, 10, 0, dot, 11, 11, 0), 1);
    EXPECT_EQ(images_collide(pip, 10, 10, 0, dot, 13, 13, 0), 1);
    EXPECT_EQ(images_collide(pip, 10, 10, 0, dot, 14, 12, 0), 0);
    EXPECT_EQ(probe(pip, 10, 10, 11, 12, 0, 2, 2), 0);

    // A quarter turn clockwise about the centre takes the top-left texel to the top right.
    std::vector<std::string> rows(10, "..........");
    rows[0][0] = '#';
    image* corner = shape(rows);
    mid_handle_image(corner);
    const int at[4][2] = {{45, 45}, {54, 45}, {54, 54}, {45, 54}};
    for (int turn = 0; turn < 4; ++turn)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(probe(corner, 50, 50, at[k][0], at[k][1], 90.0f * static_cast<float>(turn)), k == turn)
                << turn << " " << k;

    // Mirrored placements wind the other way round and must still be scanned.
    image* bar = shape({"#...", "#...", "#...", "#..."});
    EXPECT_EQ(probe(bar, 20, 20, 19, 21, 0, -1, 1), 1);
    EXPECT_EQ(probe(bar, 20, 20, 16, 21, 0, -1, 1), 0);
    EXPECT_EQ(probe(bar, 20, 20, 19, 18, 0, -1, -1), 1);
    EXPECT_EQ(probe(bar, 20, 20, 20, 18, 0, 1, -1), 1);
}

TEST_F(collision, the_draw_state_is_restored_after_a_transformed_test)
{
    set_draw_transform(30.0f, 1.5f, 0.5f);
    const draw_state_t b = draw_state;
    probe(dot, 0, 0, 0, 0, 45, 2, 3);
    const draw_state_t& a = draw_state;
    auto fields = [](const draw_state_t& s) {
        return std::vector<float>{s.tform_rot, s.tform_scale_x, s.tform_scale_y, s.tform_ix,
                                  s.tform_iy,  s.tform_jx,      s.tform_jy};
    };
    EXPECT_EQ(fields(a), fields(b));
}

TEST_F(collision, layers_keep_their_quads_until_reset)
{
    image* a = solid(4, 4);
    EXPECT_EQ(collide_image(a, 0, 0, 0, 0, (1u << 3) | (1u << 7), nullptr), 0);
    EXPECT_EQ(collide_image(a, 2, 2, 0, 1u << 3, 0, nullptr), 1);
    EXPECT_EQ(collide_image(a, 2, 2, 5, 1u << 3, 0, nullptr), 0) << "no such frame";
    draw_state.origin_x = 100.0f; // moves new quads, not those kept
    EXPECT_EQ(collide_image(a, 2, 2, 0, 1u << 3, 0, nullptr), 0);
    EXPECT_EQ(collide_image(a, -98, 2, 0, 1u << 3, 0, nullptr), 1);
    reset_collision_layers(1 << 3);
    EXPECT_EQ(collide_image(a, -98, 2, 0, 1u << 3, 0, nullptr), 0);
    EXPECT_EQ(collide_image(a, -98, 2, 0, 1u << 7, 0, nullptr), 1) << "other layers kept";
    collide_image(a, 300, 300, 0, 0, 1u << 31, nullptr);
    EXPECT_EQ(images_collide(a, 0, 0, 0, a, 300, 300, 0), 0) << "the pair test empties its layer first";
}

} // namespace
