// Fighters on their far and near passes, and the small bombs they drop.
#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/battle_seam.h"
#include "shell/game_state.h"

void mustang_tag::Create()
{
    auto m = std::make_unique<mustang_tag>();
    if (mustang_side == 0) {
        m->x = -36.0f;
        m->frame = 0;
        m->xstp = 4.0f;
    } else {
        m->x = 836.0f;
        m->frame = 2;
        m->xstp = -4.0f;
    }
    m->y = 280.0f;
    m->scale = 0.4f;
    m->bomb_tmr = float_to_int(rnd_range(5, 15));
    mustang_list.append(std::move(m));
}

void mustang_tag::update(int pass)
{
    // Far fighters fly behind the ground picture, near ones in front of the fort and explosions.
    if (pass == 1 && scale > 0.4f) return;
    if (pass == 0 && scale < 1.0f) return;

    x = x + xstp;
    fr_ctr = float_to_int(rnd_range(0, 2));

    set_blend_mode(blend_mask);
    set_draw_color(daylight, daylight, 255);
    set_draw_scale(scale, scale);
    draw_image(mustang_img, x, y, frame + fr_ctr);
    set_draw_scale(1.0f, 1.0f);

    if (xstp > 0.0f && x > 676.0f) {
        if (scale > 1.0f) {
            mustang_list.remove(this);
        } else if (scale < 1.0f) { // back from the right, close and low
            x = 836.0f;
            y = 260.0f;
            scale = 1.4f;
            frame = 2;
            xstp = -6.0f;
            play_effect(aircraft3_snd, demo_mode);
        }
    }
    if (xstp < 0.0f && x < -36.0f) {
        if (scale > 1.0f) {
            mustang_list.remove(this);
        } else if (scale < 1.0f) {
            x = -36.0f;
            y = 260.0f;
            scale = 1.4f;
            frame = 0;
            xstp = 6.0f;
            play_effect(aircraft3_snd, demo_mode);
        }
    }

    if (scale > 1.0f && x > 25.0f && x < 615.0f) {
        bomb_tmr = bomb_tmr - 1;
        if (bomb_tmr <= 0) {
            bomb_tmr = float_to_int(rnd_range(5, 15));
            smallbomb_tag::Create(x, y + 5.0f, frame); // the fighter's facing picks the bomb's
        }
    }
}

void smallbomb_tag::Create(float x, float y, int side)
{
    auto b = std::make_unique<smallbomb_tag>();
    b->x = x;
    b->y = y;
    if (side == 0) {
        b->frame = 2;
        b->dir = 90.0f;
    } else {
        b->frame = 5;
        b->dir = 270.0f;
    }
    smallbomb_list.append(std::move(b));
}

void smallbomb_tag::update()
{
    x = static_cast<float>(x + 2.0 * sin_deg(dir));
    y = static_cast<float>(y - 2.0 * cos_deg(dir));

    // The flameless rocket, slimmed down.
    set_blend_mode(blend_mask);
    set_draw_color(daylight, daylight, 255);
    set_draw_transform(rotation, 0.5f, 0.7f);
    draw_image(rocket_img, x, y, frame);
    set_draw_transform(0.0f, 1.0f, 1.0f);

    // Curl nose-down into the dive.
    if (frame == 2 && rotation < 90.0f) {
        rotation = rotation + 1.0f;
        dir = dir + 1.0f;
    }
    if (frame == 5 && rotation > -90.0f) {
        rotation = rotation - 1.0f;
        dir = dir - 1.0f;
    }

    if (y > 400.0f) {
        smallbomb_list.remove(this);
        play_effect(explode1_snd, demo_mode);
        const float my = static_cast<float>(420.0 + rnd_range(0, 20));
        bombmark_tag::Create(x, my);
        explosion_tag::Create(x, my, 0.2f, 0.04f);
    }
    // Also after a burst on the ground: a bomb between the walls still takes the fort.
    if (x > 275.0f && x < 365.0f && y > 360.0f) {
        smallbomb_list.remove(this);
        if (demo_mode == 0) {
            men = 0;
            game_over();
        } else {
            explosion_tag::Create(x, y, 0.2f, 0.04f);
        }
    }
}
