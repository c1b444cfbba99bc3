// Nuke rockets: level flight, engine cut, dive and impact.
#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/battle_seam.h"
#include "shell/game_state.h"

void nukerocket_tag::Create()
{
    auto r = std::make_unique<nukerocket_tag>();
    r->y = 180.0f;
    r->dist_ctr = float_to_int(rnd_range(100, 125));
    if (nuke_side == 0) {
        r->x = -30.0f;
        r->frame = 0;
        r->dir = 90.0f;
    } else {
        r->x = 670.0f;
        r->frame = 3;
        r->dir = 270.0f;
    }
    nukerocket_list.append(std::move(r));
    play_effect(nukemove_snd, demo_mode);
}

void nukerocket_tag::update()
{
    // Last frame's flame: a new rocket starts with the long one.
    const int f = frame + fr_ctr;

    // Twice the speed downwards, so the dive outruns the level flight.
    x = static_cast<float>(x + 2.0 * sin_deg(dir));
    y = static_cast<float>(y - 4.0 * cos_deg(dir));

    set_blend_mode(blend_mask);
    set_draw_color(daylight, daylight, 255);
    set_draw_transform(rotation, 1.0f, 1.2f);
    draw_image(rocket_img, x, y, f);
    set_draw_transform(0.0f, 1.0f, 1.0f);

    fr_ctr = float_to_int(rnd_range(0, 2));
    if (dist_ctr > 0) dist_ctr = dist_ctr - 1;
    if (dist_ctr <= 25) fr_ctr = 2; // engine cut
    if (dist_ctr == 24) play_effect(nukedrop_snd, demo_mode);

    if (frame == 0 && dist_ctr == 0 && rotation < 90.0f) {
        rotation = rotation + 1.0f;
        dir = dir + 1.0f;
    }
    if (frame == 3 && dist_ctr == 0 && rotation > -90.0f) {
        rotation = rotation - 1.0f;
        dir = dir - 1.0f;
    }

    // Wherever it comes down, the fort is gone.
    if (y > 350.0f) {
        if (demo_mode == 1) {
            nukerocket_list.remove(this);
            screen_flash(1);
            explosion_tag::Create(x, y, 0.8f, 0.08f);
        } else {
            men = 0;
            game_over();
        }
    }
}
