// Tumbling pieces of aircraft shot down.
#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/game_state.h"

void planepart_tag::Create(float x, float y, float scale, float xdir, int first_frame, int bomber)
{
    for (int i = 0; i < 3; ++i) {
        auto p = std::make_unique<planepart_tag>();
        p->frame = first_frame + i;
        // Draws in the order spin, push, offset.
        if (xdir > 0.0f)
            p->rotstp = static_cast<float>(-1.0 - rnd_range(0.0, 12.0));
        else
            p->rotstp = static_cast<float>(1.0 + rnd_range(0.0, 12.0));
        // Always the aircraft's way, at least as fast.
        if (xdir < 0.0f)
            p->xspd = static_cast<float>(xdir - rnd_range(0.0, 2.5));
        else
            p->xspd = static_cast<float>(xdir + rnd_range(0.0, 2.5));
        p->scale = scale;
        p->bomber = bomber;
        p->x = x;
        p->y = y;
        p->yspd = -1.0f;
        planepart_list.append(std::move(p));
        // A ragged row to the right of the hit point.
        x = static_cast<float>(x + rnd_range(0.0, 25.0));
    }
}

void planepart_tag::update()
{
    set_blend_mode(blend_mask);
    set_draw_color(daylight, daylight, 255);
    set_draw_transform(rotation, scale, scale);
    draw_image(planepart_img, x, y, frame);
    set_draw_transform(0.0f, 1.0f, 1.0f);

    if (y > 400.0f) {
        y = 380.0f;
        yspd = -2.5f;
        scale -= 0.1f;
        // Only the first bounce turns the spin round.
        if (grhit == 0) {
            rotstp = -rotstp;
            grhit = 1;
        }
    }

    x += xspd;
    y += yspd;
    yspd += 0.1f;
    rotation += rotstp;
    scale += 0.02f;
    if (scale > 2.5f) scale = 2.5f;

    if (scale <= 0.0f || x > 660.0f || x < -20.0f) planepart_list.remove(this);
}
