// The day cycle: brightness, sun and moon, the sky and ground layers, spawning, the bonus banner and the flash.
#include "shell/day_cycle.h"

#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/battle_seam.h"
#include "shell/game_state.h"
#include "shell/settings.h"

void advance_daylight(int no_count)
{
    daylight_timer = daylight_timer - 1;
    if (daylight_timer > 0) return;
    daylight_timer = 7;
    daylight = daylight + daylight_step;
    if (daylight < 0) { // night has fallen
        sun_angle = 180.0f;
        moon_angle = 0.0f;
        daylight = 0;
        daylight_step = 1;
        daylight_timer = 500;
    }
    if (daylight > 255) { // a new day
        sun_angle = 0.0f;
        moon_angle = 180.0f;
        daylight = 255;
        daylight_step = -1;
        daylight_timer = 500;
        if (no_count == 0) {
            days_survived = days_survived + 1;
            score = score + 250;
            banner_scale = 0.1f;
            banner_alpha = 1.0f;
            trooper_period = trooper_period - 25 < 100 ? 100 : trooper_period - 25;
            if (days_survived > 2) nuke_period = nuke_period - 50 < 50 ? 50 : nuke_period - 50;
            if (days_survived > 4) mustang_period = mustang_period - 50 < 200 ? 200 : mustang_period - 50;
            play_effect(newday_snd, demo_mode);
        }
    }
}

void draw_sky(int pass)
{
    if (pass == 1) {
        set_draw_color(daylight, daylight, 255);
        draw_image(ground_img, 0, 186, 0);
        return;
    }
    set_blend_mode(blend_mask);
    set_draw_color(daylight, daylight, 255);
    draw_image(sky_img, 0, 0, 0);
    set_draw_color(255, 255, 255);
    if (daylight < 80) star_list.walk([](star_tag& s) { s.update(); });
    draw_image(orb_img, static_cast<float>(320.0 + 180.0 * sin_deg(sun_angle)),
               static_cast<float>(240.0 - 180.0 * cos_deg(sun_angle)), 1);
    draw_image(orb_img, static_cast<float>(320.0 + 180.0 * sin_deg(moon_angle)),
               static_cast<float>(240.0 - 180.0 * cos_deg(moon_angle)), 2);
    backcloud_list.walk([](backcloud_tag& c) { c.update(); });
    if (daylight_timer <= 200) {
        sun_angle = sun_angle + 0.09f;
        moon_angle = moon_angle + 0.09f;
    }
}

void spawn_enemies()
{
    // Attract mode and "Suicidal" send every kind from the start; "Normal" unlocks them by days.
    bool all_kinds = demo_mode == 1 || difficulty == 1;
    trooper_timer = trooper_timer - 1;
    if (trooper_timer <= 0) {
        trooper_timer = trooper_period;
        lgtrooper_tag::Create();
        if (days_survived >= 1 || all_kinds) smtrooper_tag::Create();
    }
    // The side toggles change at every expiry, also when nothing comes.
    nuke_timer = nuke_timer - 1;
    if (nuke_timer <= 0) {
        nuke_timer = nuke_period;
        nuke_side = nuke_side == 0 ? 1 : 0;
        if (days_survived >= 3 || all_kinds) nukerocket_tag::Create();
    }
    mustang_timer = mustang_timer - 1;
    if (mustang_timer <= 0) {
        mustang_timer = mustang_period;
        mustang_side = mustang_side == 0 ? 1 : 0;
        if (days_survived >= 5 || all_kinds) mustang_tag::Create();
    }
}

void draw_bonus_banner()
{
    if (banner_scale <= 0.0f) return;
    set_blend_mode(blend_alpha);
    set_draw_alpha(banner_alpha);
    set_draw_scale(banner_scale, banner_scale);
    draw_image(bonus_img, 320, 230, 0);
    set_draw_alpha(1.0f);
    set_draw_scale(1.0f, 1.0f);
    banner_scale = banner_scale + 0.01f;
    if (banner_scale > 1.0f) banner_alpha = banner_alpha - 0.01f;
    if (banner_alpha <= 0.0f) banner_scale = 0.0f;
}

void screen_flash(int trigger)
{
    if (trigger == 1) {
        flash_alpha = 1.0f;
        return;
    }
    if (flash_alpha > 0.0f) {
        set_blend_mode(blend_alpha);
        set_draw_alpha(flash_alpha * flash_share()); // gentler on request; the fade itself is the same
        set_draw_color(255, 255, 255);
        draw_rect(0, 0, 800, 571);
        set_draw_alpha(1.0f);
        set_blend_mode(blend_mask);
        flash_alpha = flash_alpha - 0.01f;
    }
}
