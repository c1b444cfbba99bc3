// What is left of a commando blown apart: flying, resting and fading.
#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/game_state.h"

void bodypart_tag::Create(float x, float y, float scale, float rotstp, int frame)
{
    auto p = std::make_unique<bodypart_tag>();
    p->frame = frame;
    p->x = x;
    p->y = y;
    p->xspd = static_cast<float>(rnd_range(-3, 3));
    p->yspd = static_cast<float>(rnd_range(-2, 0)); // thrown up or level, never down
    p->alpha = 1.0f;
    p->rotstp = rotstp;
    p->scale = scale;
    bodypart_list.insert_front(std::move(p));
}

void bodypart_tag::update()
{
    set_blend_mode(blend_alpha);
    set_draw_alpha(alpha);
    set_draw_color(daylight, daylight, 255);
    set_draw_transform(rotation, scale, scale);
    draw_image(man_img, x, y, frame);
    set_draw_transform(0.0f, 1.0f, 1.0f);
    set_draw_alpha(1.0f);

    if (grhit == 1) {
        alpha = alpha - 0.001f;
        if (!(alpha > 0.0f)) bodypart_list.remove(this);
    } else {
        rotation = rotation + rotstp;
        x = x + xspd;
        y = y + yspd;
        if (scale < 1.5f && yspd > 0.0f) scale = scale + 0.01f; // nearer as it falls
        yspd = yspd + 0.1f;
        if (yspd > 5.0f) yspd = 5.0f;
        if (y > 400.0f) { // scattered in a band below the walking line
            grhit = 1;
            y = static_cast<float>(420.0 + rnd_range(0, 20));
        }
    }

    if (x < -20.0f || x > 660.0f) bodypart_list.remove(this);
}
