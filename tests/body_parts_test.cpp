// Body parts: thrown up, falling and growing, coming to rest below the walking line, fading.
#include <map>
#include <vector>

#include "battle_fixture.h"

namespace {

class body_parts : public battle_test {
protected:
    struct track {
        float last_y = 0.0f, last_scale = 0.0f, rest_y = 0.0f, rest_rot = 0.0f;
        int rising = 0, flying = 0;
        bool grounded = false;
    };
    static double brightness()
    {
        double sum = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const uint32_t c = px(x, y);
                sum += (c >> 16 & 255) + (c >> 8 & 255) + (c & 255);
            }
        return sum;
    }
};

TEST_F(body_parts, rise_at_most_20_frames_grow_only_falling_and_rest_between_420_and_440)
{
    // Thrown from high up and well inside the field so none leaves at the sides.
    for (int n = 0; n < 300; ++n) bodypart_tag::Create(320.0f, 100.0f, n % 2 ? 1.45f : 0.3f, 7.0f, 12);
    std::map<long, track> parts;
    bodypart_list.each([&](const bodypart_tag& p, long id) {
        EXPECT_GE(p.yspd, -2.0f);
        EXPECT_LE(p.yspd, 0.0f) << "never thrown downwards";
        EXPECT_GE(p.xspd, -3.0f);
        EXPECT_LT(p.xspd, 3.0f);
        EXPECT_EQ(p.rotation, 0.0f);
        EXPECT_EQ(p.alpha, 1.0f);
        parts[id] = {p.y, p.scale, 0, 0, 0, 0, false};
    });

    for (int frame = 0; frame < 200; ++frame) {
        update_all(bodypart_list);
        bodypart_list.each([&](const bodypart_tag& p, long id) {
            track& t = parts[id];
            if (t.grounded) {
                EXPECT_EQ(p.y, t.rest_y) << "lies still";
                EXPECT_EQ(p.rotation, t.rest_rot) << "no more spin on the ground";
                EXPECT_EQ(p.scale, t.last_scale);
                return;
            }
            if (p.grhit == 1) {
                t.grounded = true;
                t.rest_y = p.y, t.rest_rot = p.rotation;
                EXPECT_GE(p.y, 420.0f);
                EXPECT_LT(p.y, 440.0f);
                EXPECT_EQ(p.alpha, 1.0f);
            } else {
                ++t.flying;
                if (p.y < t.last_y) ++t.rising;
                EXPECT_LE(p.yspd, 5.0f);
            }
            if (p.scale != t.last_scale) {
                EXPECT_GT(p.y, t.last_y) << "grows only while falling";
                EXPECT_FLOAT_EQ(p.scale, t.last_scale + 0.01f);
            }
            EXPECT_LT(p.scale, 1.51f);
            t.last_y = p.y;
            t.last_scale = p.scale;
        });
    }
    int most_rising = 0, grounded = 0;
    bool capped = false;
    for (auto& [id, t] : parts) {
        most_rising = std::max(most_rising, t.rising);
        grounded += t.grounded;
        capped |= t.last_scale >= 1.5f;
    }
    EXPECT_LE(most_rising, 20);
    EXPECT_GE(most_rising, 18) << "some were thrown up almost at full speed";
    EXPECT_EQ(grounded, 300);
    EXPECT_TRUE(capped);
}

TEST_F(body_parts, falling_speed_is_capped_at_5)
{
    bodypart_tag::Create(320.0f, -400.0f, 0.2f, 0.0f, 9);
    bodypart_tag* p = bodypart_list.front();
    float top_speed = 0.0f, y = p->y;
    for (int n = 0; n < 100; ++n) {
        update_all(bodypart_list);
        top_speed = std::max(top_speed, p->y - y);
        y = p->y;
    }
    EXPECT_EQ(p->yspd, 5.0f);
    EXPECT_FLOAT_EQ(top_speed, 5.0f);
    EXPECT_EQ(p->grhit, 0);
}

TEST_F(body_parts, fade_on_the_ground_in_about_1000_frames)
{
    bodypart_tag::Create(320.0f, 399.0f, 1.0f, 3.0f, 10);
    bodypart_tag* p = bodypart_list.front();
    p->yspd = 2.0f;
    update_all(bodypart_list);
    ASSERT_EQ(p->grhit, 1);
    int n = 0;
    while (!bodypart_list.empty() && n < 1100) {
        update_all(bodypart_list);
        ++n;
    }
    EXPECT_GE(n, 999);
    EXPECT_LE(n, 1001);
}

TEST_F(body_parts, removed_beyond_the_sides_even_in_flight)
{
    bodypart_tag::Create(-18.0f, 300.0f, 1.0f, 0.0f, 12);
    bodypart_list.front()->xspd = -3.0f;
    bodypart_tag::Create(658.0f, 300.0f, 1.0f, 0.0f, 12);
    bodypart_list.front()->xspd = 3.0f;
    bodypart_tag::Create(-20.0f, 300.0f, 1.0f, 0.0f, 12); // exactly on the limit stays
    bodypart_list.front()->xspd = 0.0f;
    update_all(bodypart_list);
    ASSERT_EQ(bodypart_list.size(), 1);
    EXPECT_EQ(bodypart_list.front()->x, -20.0f);

    // A resting part is taken off the same way.
    bodypart_list.front()->grhit = 1;
    bodypart_list.front()->x = 661.0f;
    update_all(bodypart_list);
    EXPECT_TRUE(bodypart_list.empty());
}

TEST_F(body_parts, drawn_faded_and_leave_alpha_at_one)
{
    daylight = 100;
    bodypart_tag::Create(320.0f, 200.0f, 1.5f, 0.0f, 8);
    bodypart_tag* p = bodypart_list.front();
    p->grhit = 1; // lying still, so both drawings cover the same pixels
    update_all(bodypart_list);
    const double solid = brightness();
    EXPECT_GT(solid, 0.0);

    clear_screen();
    p->alpha = 0.25f;
    update_all(bodypart_list);
    EXPECT_NEAR(brightness() / solid, 0.247, 0.02);
    EXPECT_EQ(draw_state.blend_mode, blend_alpha);
    EXPECT_EQ(draw_state.color_alpha, 1.0f);
    EXPECT_EQ(draw_state.color_red, 100);
    EXPECT_EQ(draw_state.color_blue, 255);
    EXPECT_EQ(draw_state.tform_scale_y, 1.0f);
}

} // namespace
