// The fort and its cannon: drawing, aiming, firing and the pause control.
#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/display.h"
#include "services/images.h"
#include "services/input.h"
#include "services/maths.h"
#include "shell/battle_seam.h"
#include "shell/game_state.h"

void fort_tag::update()
{
    set_blend_mode(blend_alpha);
    set_draw_alpha(0.6f);
    if (daylight > 50)
        set_draw_color(20, 20, 20);
    else
        set_draw_color(8, 8, 8);
    draw_rect(280, 414, 100, 25);

    // The light behind the windows; the building covers all of it but the panes.
    set_draw_alpha(1.0f);
    set_blend_mode(blend_solid);
    set_draw_color(200, can_flash, 0);
    draw_rect(280, 398, 86, 30);

    set_draw_color(daylight, daylight, 255);
    set_blend_mode(blend_mask);
    draw_image(fort_img, 320, 400, 0);

    // The rings go in front of the building and behind the barrel.
    smokering_list.walk([](smokering_tag& r) { r.update(); });

    set_draw_rotation(static_cast<float>(can_rot - 90));
    if (shot_tmr > 6) {
        // The flame is not darkened by the night.
        set_draw_color(255, 255, 255);
        draw_image(barrel_img, 320, 355, 1);
        set_draw_color(daylight, daylight, 255);
    } else {
        draw_image(barrel_img, 320, 355, 0);
    }
    set_draw_rotation(0.0f);
    draw_image(mount_img, 320, 367, 0);

    if (can_flash < 200) can_flash += 5;
}

void fort_tag::get_inputs()
{
    if (shot_tmr != 0) shot_tmr -= 1;

    // Each test reads the pointer again: an earlier one may just have moved it.
    if (mouse_x() < 1) move_pointer(1, mouse_y());
    if (mouse_x() > 639) move_pointer(639, mouse_y());
    if (mouse_y() < 1) move_pointer(mouse_x(), 1);
    if (mouse_y() > 479) move_pointer(mouse_x(), 479);

    if (demo_mode != 0) {
        // The battle plays itself: sweep and fire, and read no controls.
        can_rot += crot_stp;
        if (can_rot > 180) {
            can_rot = 180;
            crot_stp = -1;
        }
        if (can_rot < 0) {
            can_rot = 0;
            crot_stp = 1;
        }
        if (shot_tmr == 0) fire_cannon();
        return;
    }

    // 1..639 gives 0..182: the player can aim a little below the right-hand horizontal.
    can_rot = float_to_int(static_cast<float>(mouse_x()) / 3.5f);

    if ((mouse_down(mouse_left) || joy_down(pad_fire, first_pad) || key_down(key_left_control)) && shot_tmr == 0)
        fire_cannon();

    // The first control that answers decides; the others keep their presses.
    if (mouse_hit(mouse_right) || joy_hit(pad_pause, first_pad) || key_hit(key_space)) pause_menu();
}

void fort_tag::fire_cannon()
{
    shot_tmr = 15;
    can_flash = 0;
    canball_tag::Create(can_rot - 90);
    // The ring puffs out at the muzzle, 20 pixels along the barrel.
    const double dir = can_rot - 90;
    smokering_tag::Create(static_cast<float>(320.0 + 20.0 * sin_deg(dir)),
                          static_cast<float>(355.0 - 20.0 * cos_deg(dir)), static_cast<float>(dir));
    play_effect(cannon_snd, demo_mode);
    if (demo_mode == 0 && score > 0) score -= 1;
}
