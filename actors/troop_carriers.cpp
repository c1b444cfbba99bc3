// Large and small troop carriers: far pass, near pass and commando drops.
#include "actors/actor_tables.h"
#include "actors/actors.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/battle_seam.h"
#include "shell/game_state.h"

namespace {

int next_jump()
{
    return float_to_int(20.0 + rnd_range(0.0, 65.0));
}

template <typename T> void create_carrier(actor_list<T>& list, const carrier_setting& s)
{
    auto c = std::make_unique<T>();
    c->scale = s.far_scale;
    c->x = s.start_x;
    c->y = s.start_y;
    c->jump_tmr = next_jump();
    c->frame = s.start_frame;
    c->xstp = s.start_xstp;
    list.append(std::move(c));
}

template <typename T> void update_carrier(T& c, actor_list<T>& list, const carrier_setting& s)
{
    const int draw_frame = c.frame + c.fr_ctr;
    set_blend_mode(blend_mask);
    if (s.tinted) set_draw_color(daylight, daylight, 255);
    set_draw_scale(c.scale, c.scale);
    draw_image(*s.img, c.x, c.y, draw_frame);
    set_draw_scale(1.0f, 1.0f);

    c.x += c.xstp;
    c.fr_ctr += 1; // the propeller
    if (c.fr_ctr > 1) c.fr_ctr = 0;

    // Off the screen after the far pass: come back close, high and the other way. The near pass
    // never meets this condition, so a carrier turns once.
    if (s.turn_when_right ? c.x > s.turn_x : c.x < s.turn_x) {
        c.scale = 1.0f;
        c.x = s.near_x;
        c.y = s.near_y;
        c.xstp = s.near_xstp;
        c.frame = s.near_frame;
        play_effect(*s.turn_snd, demo_mode);
    }

    // Drops only over the field on the near pass; the far pass leaves the timer alone.
    const bool near_heading = s.drops_flying_right ? c.xstp > 0.0f : c.xstp < 0.0f;
    if (c.x > 20.0f && c.x < 620.0f && near_heading) {
        c.jump_tmr -= 1;
        if (c.jump_tmr <= 0) {
            commando_tag::Create(c.x, c.y, s.drop_tilt);
            c.jump_tmr = next_jump();
        }
    }

    if (s.leaves_right ? c.x > s.leave_x : c.x < s.leave_x) list.remove(&c);
}

} // namespace

void lgtrooper_tag::Create()
{
    create_carrier(lgtrooper_list, carrier_settings[carrier_large]);
}
void lgtrooper_tag::update()
{
    update_carrier(*this, lgtrooper_list, carrier_settings[carrier_large]);
}
void smtrooper_tag::Create()
{
    create_carrier(smtrooper_list, carrier_settings[carrier_small]);
}
void smtrooper_tag::update()
{
    update_carrier(*this, smtrooper_list, carrier_settings[carrier_small]);
}
