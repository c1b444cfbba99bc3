// The night's stars and the two cloud layers drifting across the sky.
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "actors/actor_tables.h"
#include "battle_fixture.h"
#include "shell/day_cycle.h"

namespace {

class scenery : public battle_test {
protected:
    static std::vector<std::tuple<int, int, int>> stars()
    {
        std::vector<std::tuple<int, int, int>> v;
        star_list.each([&](const star_tag& s, long) { v.emplace_back(s.x, s.y, s.hue); });
        return v;
    }
    static std::vector<uint32_t> shot()
    {
        const frame_buffer* fb = back_buffer();
        return {fb->pixels(), fb->pixels() + fb->width() * fb->height()};
    }
    static std::vector<uint32_t> cloud_drawn_as(float x, float y, float xs, float ys, float alpha, int r, int g,
                                                int b)
    {
        clear_screen();
        set_blend_mode(blend_alpha);
        set_draw_alpha(alpha);
        set_draw_color(r, g, b);
        set_draw_scale(xs, ys);
        draw_image(cloud_img, x, y, 0);
        set_draw_scale(1.0f, 1.0f);
        set_draw_alpha(1.0f);
        set_blend_mode(blend_mask);
        set_draw_color(255, 255, 255);
        return shot();
    }
    template <typename C>
    static void expect_in_layer(const C& c, const cloud_setting& s)
    {
        EXPECT_GE(c.y, 25.0f);
        EXPECT_LT(c.y, 25.0f + s.y_range);
        EXPECT_GE(c.xstp, s.xstp_base);
        EXPECT_LT(c.xstp, s.xstp_base + s.xstp_range);
        EXPECT_GE(c.xscale, s.scale_base);
        EXPECT_LT(c.xscale, s.scale_base + s.scale_range);
        EXPECT_GE(c.yscale, s.scale_base);
        EXPECT_LT(c.yscale, s.scale_base + s.scale_range);
        EXPECT_EQ(c.back, 0);
    }
};

TEST_F(scenery, star_field_is_seeded_from_the_clock)
{
    star_tag::Create();
    const auto first = stars();
    ASSERT_EQ(first.size(), 200u);
    int x0 = 999, x1 = 0, y0 = 999, y1 = 0, h0 = 999, h1 = 0;
    for (auto [x, y, h] : first) {
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
        h0 = std::min(h0, h), h1 = std::max(h1, h);
    }
    EXPECT_GE(x0, 0);
    EXPECT_LE(x1, 639);
    EXPECT_GT(x1, 600);
    EXPECT_GE(y0, 0);
    EXPECT_LE(y1, 339);
    EXPECT_GT(y1, 300);
    EXPECT_EQ(h0, 235);
    EXPECT_EQ(h1, 254);

    // Whatever the generator did before, the same millisecond gives the same sky.
    const int32_t after_first = rnd_state;
    star_list.clear();
    rnd_range(0, 1);
    star_tag::Create();
    EXPECT_EQ(stars(), first);
    EXPECT_EQ(rnd_state, after_first);

    star_list.clear();
    delay_ms(7);
    star_tag::Create();
    EXPECT_NE(stars(), first) << "another run, another sky";
}

TEST_F(scenery, stars_show_below_daylight_80_and_leave_the_last_grey)
{
    star_tag::Create();
    sun_angle = moon_angle = 180.0f; // both below the star band
    std::map<std::pair<int, int>, int> grey; // the last star on a pixel wins
    for (auto [x, y, h] : stars()) grey[{x, y}] = h;

    daylight = 79;
    draw_sky(0);
    int shown = 0;
    for (auto& [at, h] : grey) shown += px(at.first, at.second) == static_cast<uint32_t>(h * 0x010101);
    EXPECT_EQ(shown, static_cast<int>(grey.size()));
    const int last = std::get<2>(stars().back());
    EXPECT_EQ(draw_state.color_red, last);
    EXPECT_EQ(draw_state.color_green, last);
    EXPECT_EQ(draw_state.color_blue, last);

    daylight = 80;
    clear_screen();
    draw_sky(0);
    shown = 0;
    for (auto& [at, h] : grey) shown += px(at.first, at.second) == static_cast<uint32_t>(h * 0x010101);
    EXPECT_EQ(shown, 0);
}

TEST_F(scenery, fifteen_clouds_a_layer_within_its_ranges)
{
    backcloud_tag::Create();
    frontcloud_tag::Create();
    ASSERT_EQ(backcloud_list.size(), 15);
    ASSERT_EQ(frontcloud_list.size(), 15);
    int stretched = 0;
    backcloud_list.each([&](const backcloud_tag& c, long) {
        EXPECT_GE(c.x, 0.0f);
        EXPECT_LT(c.x, 640.0f);
        expect_in_layer(c, cloud_settings[cloud_back]);
        stretched += c.xscale != c.yscale;
    });
    frontcloud_list.each([&](const frontcloud_tag& c, long) {
        EXPECT_GE(c.x, 0.0f);
        EXPECT_LT(c.x, 640.0f);
        expect_in_layer(c, cloud_settings[cloud_front]);
        stretched += c.xscale != c.yscale;
    });
    EXPECT_EQ(stretched, 30) << "each axis drawn on its own";
}

TEST_F(scenery, clouds_wrap_strictly_past_the_limit)
{
    backcloud_tag::Create();
    frontcloud_tag::Create();
    backcloud_tag* b = backcloud_list.front();
    frontcloud_tag* f = frontcloud_list.front();
    b->x = 697.0f;
    f->x = 753.0f;
    const float bstep = b->xstp, fstep = f->xstp, by = b->y;
    b->update();
    f->update();
    EXPECT_EQ(b->x, 697.0f + bstep);
    EXPECT_EQ(b->xstp, bstep);
    EXPECT_EQ(b->y, by);
    EXPECT_EQ(f->x, 753.0f + fstep);

    b->x = 697.01f;
    f->x = 753.01f;
    const int32_t before = rnd_state;
    b->update();
    EXPECT_NE(rnd_state, before) << "a new cloud drawn";
    EXPECT_EQ(b->x, -57.0f + b->xstp);
    expect_in_layer(*b, cloud_settings[cloud_back]);
    f->update();
    EXPECT_EQ(f->x, -113.0f + f->xstp);
    expect_in_layer(*f, cloud_settings[cloud_front]);
}

TEST_F(scenery, clouds_blue_grey_by_day_and_following_the_dusk_below_180)
{
    backcloud_tag::Create();
    frontcloud_tag::Create();
    backcloud_tag* b = backcloud_list.front();
    frontcloud_tag* f = frontcloud_list.front();
    b->x = 300.0f, b->y = 150.0f;
    f->x = 300.0f, f->y = 150.0f;
    struct {
        int daylight, r, g, bl;
    } cases[] = {{255, 180, 180, 225}, {180, 180, 180, 225}, {179, 179, 179, 255}, {40, 40, 40, 255}};
    for (auto k : cases) {
        daylight = k.daylight;
        auto want = cloud_drawn_as(b->x, b->y, b->xscale, b->yscale, 0.4f, k.r, k.g, k.bl);
        clear_screen();
        b->update();
        EXPECT_EQ(shot(), want) << "back cloud at daylight " << k.daylight;
        want = cloud_drawn_as(f->x, f->y, f->xscale, f->yscale, 0.6f, k.r, k.g, k.bl);
        clear_screen();
        f->update();
        EXPECT_EQ(shot(), want) << "front cloud at daylight " << k.daylight;
        EXPECT_EQ(draw_state.blend_mode, blend_mask);
        EXPECT_EQ(draw_state.color_red, 255);
        EXPECT_EQ(draw_state.color_blue, 255);
        EXPECT_EQ(draw_state.color_alpha, 1.0f);
        EXPECT_EQ(draw_state.tform_scale_x, 1.0f);
        EXPECT_EQ(draw_state.tform_scale_y, 1.0f);
    }
    EXPECT_NE(cloud_drawn_as(300, 150, 1, 1, 0.4f, 180, 180, 225), cloud_drawn_as(300, 150, 1, 1, 0.4f, 179, 179, 255))
        << "the two colours tell apart";
}

} // namespace
