// Cannon balls: flight, shrinking and the hit tests against every target.
#include "actors/actor_tables.h"
#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/collision.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/battle_seam.h"
#include "shell/game_state.h"

namespace {

// Pieces of a fighter fly its own way; the carriers' pieces have a fixed push.
template <typename T> float debris_push(const T&, const hit_setting& hit)
{
    return hit.debris_xdir;
}
float debris_push(const mustang_tag& m, const hit_setting&)
{
    return m.xstp;
}

// Tests the ball against every target of one list and destroys each that it overlaps. The walk
// goes on after a hit, so one ball can bring down several targets in the same frame.
template <typename T, typename Qualifies, typename Frame>
void hit_targets(canball_tag& ball, actor_list<T>& targets, const hit_setting& hit, Qualifies qualifies, Frame frame_of)
{
    targets.walk([&](T& t) {
        if (!qualifies(t)) return;
        if (!images_collide(ball_img, float_to_int(ball.x), float_to_int(ball.y), 0, *hit.img, float_to_int(t.x),
                            float_to_int(t.y), frame_of(t)))
            return;
        canball_list.remove(&ball);
        targets.remove(&t);
        if (hit.flash) screen_flash(1);
        play_effect(*hit.snd, demo_mode);
        explosion_tag::Create(ball.x, ball.y, hit.blast_scale, hit.blast_step);
        if (hit.debris) planepart_tag::Create(ball.x, ball.y, 1.0f, debris_push(t, hit), hit.debris_frame, 0);
        if (demo_mode == 0) {
            score += hit.points;
            casualties += 1;
        }
    });
}

} // namespace

void canball_tag::Create(int dir)
{
    auto b = std::make_unique<canball_tag>();
    // From the barrel's pivot, not its muzzle.
    b->x = 320.0f;
    b->y = 355.0f;
    b->scale = 1.0f;
    b->dir = static_cast<float>(dir);
    canball_list.append(std::move(b));
}

void canball_tag::update()
{
    // No colour of its own: the ball takes the tint the ground picture left.
    set_blend_mode(blend_mask);
    x = static_cast<float>(x + 2.0 * sin_deg(dir));
    y = static_cast<float>(y - 2.0 * cos_deg(dir));
    set_draw_scale(scale, scale);
    draw_image(ball_img, x, y, 0);
    set_draw_scale(1.0f, 1.0f);
    // Shrinks as if flying away into the picture.
    scale -= 0.002f;

    // No bottom edge: a ball never sinks more than a fraction of a pixel a frame.
    if (x < -5.0f || x > 645.0f || y < -5.0f) canball_list.remove(this);

    // Frame 0 for the carriers: a carrier flying left is tested with its mirror image.
    hit_targets(
        *this, lgtrooper_list, hit_settings[hit_lgtrooper], [](const lgtrooper_tag& c) { return c.scale == 1.0f; },
        [](const lgtrooper_tag&) { return 0; });
    hit_targets(
        *this, smtrooper_list, hit_settings[hit_smtrooper], [](const smtrooper_tag& c) { return c.scale == 1.0f; },
        [](const smtrooper_tag&) { return 0; });
    hit_targets(
        *this, nukerocket_list, hit_settings[hit_nukerocket], [](const nukerocket_tag&) { return true; },
        [](const nukerocket_tag& r) { return r.frame; });
    hit_targets(
        *this, mustang_list, hit_settings[hit_mustang], [](const mustang_tag& m) { return m.scale > 1.0f; },
        [](const mustang_tag& m) { return m.frame; });
    hit_targets(
        *this, smallbomb_list, hit_settings[hit_smallbomb], [](const smallbomb_tag&) { return true; },
        [](const smallbomb_tag& b) { return b.frame; });
}
