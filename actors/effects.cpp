// Explosions, smoke rings and bomb marks: effects that only draw and fade.
#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/game_state.h"

void explosion_tag::Create(float x, float y, float scale, float scstep)
{
    auto e = std::make_unique<explosion_tag>();
    e->x = x;
    e->y = y;
    e->scale = scale;
    e->scstep = scstep;
    e->alpha = 1.0f;
    e->rotation = 0.0f;
    explosion_list.append(std::move(e));
}

void explosion_tag::update()
{
    rotation = static_cast<float>(rotation + rnd_range(0.0, 15.0));
    // Fire is not darkened by the night.
    set_draw_color(255, 255, 255);
    set_blend_mode(blend_alpha);
    set_draw_alpha(alpha);
    set_draw_transform(rotation, scale, scale);
    draw_image(explosion_img, x, y, 0);
    set_draw_alpha(1.0f);
    set_draw_transform(0.0f, 1.0f, 1.0f);
    // Blend mode stays alpha: what follows sets its own.
    alpha -= 0.02f;
    scale += scstep;
    if (alpha <= 0.0f) explosion_list.remove(this);
}

void smokering_tag::Create(float x, float y, float rotation)
{
    auto r = std::make_unique<smokering_tag>();
    r->x = x;
    r->y = y;
    r->rotation = rotation;
    r->scale = 0.3f;
    r->alpha = 1.0f;
    r->speed = 0.5f;
    smokering_list.append(std::move(r));
}

void smokering_tag::update()
{
    set_blend_mode(blend_alpha);
    set_draw_alpha(alpha);
    set_draw_color(daylight, daylight, 255);
    // Born as a thin ellipse across the line of fire, opening out as it grows.
    set_draw_transform(rotation, scale, scale - 0.2f);
    draw_image(orb_img, x, y, 0);
    set_draw_transform(0.0f, 1.0f, 1.0f);
    set_draw_alpha(1.0f);
    set_blend_mode(blend_mask);
    // The ring keeps the direction of its shot, wherever the barrel has turned since.
    x = static_cast<float>(x + sin_deg(rotation) * speed);
    y = static_cast<float>(y - cos_deg(rotation) * speed);
    alpha -= 0.01f;
    scale += 0.02f;
    speed += 0.01f;
    if (alpha <= 0.0f) smokering_list.remove(this);
}

void bombmark_tag::Create(float x, float y)
{
    auto m = std::make_unique<bombmark_tag>();
    m->x = x;
    m->y = y;
    m->alpha = 1.0f;
    bombmark_list.append(std::move(m));
}

void bombmark_tag::update()
{
    set_blend_mode(blend_alpha);
    set_draw_alpha(alpha);
    set_draw_color(daylight, daylight, 255);
    set_draw_scale(1.4f, 0.8f);
    draw_image(bombmark_img, x, y, 0);
    set_draw_scale(1.0f, 1.0f);
    set_draw_alpha(1.0f);
    alpha -= 0.001f;
    if (alpha <= 0.0f) bombmark_list.remove(this);
}
