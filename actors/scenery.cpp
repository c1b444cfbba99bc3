// Stars and the two cloud layers of the sky.
#include "actors/actor_tables.h"
#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/game_state.h"

void star_tag::Create()
{
    // The run's one seeding: every random draw after this depends on the clock.
    seed_rnd(millis());
    for (int i = 0; i < 200; ++i) {
        auto s = std::make_unique<star_tag>();
        s->x = float_to_int(rnd_range(0, 640));
        s->y = float_to_int(rnd_range(0, 340));
        s->hue = float_to_int(rnd_range(235, 255));
        star_list.append(std::move(s));
    }
}

// The colour stays: the sun and moon after the stars are tinted with the last grey.
void star_tag::update()
{
    set_draw_color(hue, hue, hue);
    draw_point(static_cast<float>(x), static_cast<float>(y));
}

namespace {

template <typename C> void make_clouds(const cloud_setting& s, actor_list<C>& list)
{
    for (int i = 0; i < 15; ++i) {
        auto c = std::make_unique<C>();
        c->x = static_cast<float>(rnd_range(0, 640));
        c->y = static_cast<float>(25.0 + rnd_range(0, s.y_range));
        c->xstp = static_cast<float>(s.xstp_base + rnd_range(0, s.xstp_range));
        c->xscale = static_cast<float>(s.scale_base + rnd_range(0, s.scale_range));
        c->yscale = static_cast<float>(s.scale_base + rnd_range(0, s.scale_range));
        list.append(std::move(c));
    }
}

template <typename C> void drift_cloud(const cloud_setting& s, C& c)
{
    set_blend_mode(blend_alpha);
    set_draw_alpha(s.alpha);
    // Light blue-grey by full day; only below 180 do the clouds follow the sky's colour.
    if (daylight < 180)
        set_draw_color(daylight, daylight, 255);
    else
        set_draw_color(180, 180, 225);
    set_draw_scale(c.xscale, c.yscale);
    draw_image(cloud_img, c.x, c.y, 0);
    set_draw_scale(1.0f, 1.0f);
    set_draw_alpha(1.0f);
    set_blend_mode(blend_mask);
    set_draw_color(255, 255, 255);

    // Off the right edge even at the largest size: back in from the left as a new cloud.
    if (c.x > s.wrap_x) {
        c.xstp = static_cast<float>(s.xstp_base + rnd_range(0, s.xstp_range));
        c.xscale = static_cast<float>(s.scale_base + rnd_range(0, s.scale_range));
        c.yscale = static_cast<float>(s.scale_base + rnd_range(0, s.scale_range));
        c.x = s.reenter_x;
        c.y = static_cast<float>(25.0 + rnd_range(0, s.y_range));
    }
    c.x = c.x + c.xstp;
}

} // namespace

void backcloud_tag::Create()
{
    make_clouds(cloud_settings[cloud_back], backcloud_list);
}
void backcloud_tag::update()
{
    drift_cloud(cloud_settings[cloud_back], *this);
}
void frontcloud_tag::Create()
{
    make_clouds(cloud_settings[cloud_front], frontcloud_list);
}
void frontcloud_tag::update()
{
    drift_cloud(cloud_settings[cloud_front], *this);
}
