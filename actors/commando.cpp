// Paratroopers: opening, drifting, plunging, landing and walking into the fort.
#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/collision.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/battle_seam.h"
#include "shell/game_state.h"

void commando_tag::Create(float x, float y, float rotation)
{
    auto c = std::make_unique<commando_tag>();
    c->x = x;
    c->y = y;
    c->rotation = rotation;
    c->alpha = 1.0f;
    c->scale = 0.7f;
    c->state = commando_opening;
    // At the front: newer paratroopers are drawn behind the older ones.
    commando_list.insert_front(std::move(c));
}

void commando_tag::update()
{
    // The frame drawn is also the one the balls are tested against, whatever the state does next.
    const int f = frame + fr_ctr;

    set_blend_mode(blend_alpha);
    set_draw_alpha(alpha);
    set_draw_color(daylight, daylight, 255);
    set_draw_transform(rotation, scale, scale);
    draw_image(man_img, x, y, f);
    set_draw_transform(0.0f, 1.0f, 1.0f);

    switch (state) {
    case commando_opening: // one frame of the canopy every 21
        y = y + 1.0f;
        fr_tmr = fr_tmr + 1;
        if (fr_tmr > 20) {
            fr_tmr = 0;
            fr_ctr = fr_ctr + 1;
        }
        // The first swing goes against the carrier's tilt.
        rotstp = rotation == -15.0f ? 0.5f : -0.5f;
        if (fr_ctr >= 3) {
            state = commando_drifting;
            rotation = 0.0f;
        }
        break;
    case commando_plunging:
        y = y + 2.0f;
        rotation = rotation + rotstp * 5.0f;
        fr_ctr = 0;
        if (y > 110.0f && scale < 1.5f) scale = scale + 0.006f;
        break;
    case commando_splatted:
        alpha = alpha - 0.001f;
        if (!(alpha > 0.0f)) commando_list.remove(this);
        break;
    case commando_walking:
        fr_tmr = fr_tmr + 1;
        if (fr_tmr > 5) {
            fr_tmr = 0;
            fr_ctr = fr_ctr + 1;
            if (fr_ctr > 1) fr_ctr = 0;
        }
        if (x > 274.0f && x < 366.0f) {
            commando_list.remove(this);
            if (demo_mode != 1) {
                fort.can_flash = 0;
                play_effect(enemyin_snd, demo_mode);
                men = men - 1;
                if (men == 0) game_over();
            }
        }
        if (x < 320.0f)
            x = x + 1.0f;
        else
            x = x - 1.0f;
        break;
    default: // commando_drifting; steps of 0.5 meet +-25 exactly
        y = y + 0.4f;
        rotation = rotation + rotstp;
        if (rotation == 25.0f) rotstp = -0.5f;
        if (rotation == -25.0f) rotstp = 0.5f;
        if (y > 110.0f && scale < 1.5f) scale = scale + 0.002f;
        break;
    }

    canball_list.walk([this, f](canball_tag& b) {
        if (!images_collide_transformed(ball_img, float_to_int(b.x), float_to_int(b.y), 0, 0.0f, b.scale, b.scale,
                                        man_img, float_to_int(x), float_to_int(y), f, rotation, scale, scale))
            return;
        canball_list.remove(&b);
        if (b.y < y && state != commando_plunging) { // through the canopy: he lives, for now
            state = commando_plunging;
            play_effect(chutehit_snd, demo_mode);
            return;
        }
        commando_list.remove(this);
        for (int i = 0; i < 20; ++i) { // blood
            const float spin = static_cast<float>(rnd_range(-10, 10));
            const float size = static_cast<float>(rnd_range(0.1, 0.5));
            bodypart_tag::Create(x, y, size, spin, 12);
        }
        for (int part = 8; part <= 11; ++part) // head with an arm, an arm, two legs
            bodypart_tag::Create(x, y, scale, static_cast<float>(rnd_range(-10, 10)), part);
        const int cry = float_to_int(rnd_range(0, 3));
        play_effect(cry == 0 ? manhit1_snd : cry == 1 ? manhit2_snd : manhit3_snd, demo_mode);
        if (demo_mode != 1) {
            score = score + 5;
            casualties = casualties + 1;
        }
    });

    if (y > 410.0f) {
        if (state == commando_plunging) {
            state = commando_splatted;
            frame = 13;
            y = 425.0f;
            play_effect(mansplat_snd, demo_mode);
            if (demo_mode != 1) {
                score = score + 5;
                casualties = casualties + 1;
            }
        } else if (state == commando_drifting || state == commando_opening) {
            frame = x > 320.0f ? 6 : 4; // face the fort's centre
            state = commando_walking;
            fr_ctr = 0;
            fr_tmr = 0;
            y = 415.0f;
            rotation = 0.0f;
        }
    }

    set_draw_alpha(1.0f);
}
