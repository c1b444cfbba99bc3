// The numbers the battle fixes for each kind of actor, in one place to review.
#include "actors/actor_tables.h"

#include "assets/sprite_set.h"

const carrier_setting carrier_settings[2] = {
    // large: enters right flying left, comes back high and fast from the left
    {.img = &lgtrooper_img,
     .start_x = 670.0f,
     .start_y = 240.0f,
     .start_xstp = -1.0f,
     .start_frame = 2,
     .far_scale = 0.4f,
     .turn_when_right = 0,
     .turn_x = -60.0f,
     .near_x = -53.0f,
     .near_y = 40.0f,
     .near_xstp = 3.0f,
     .near_frame = 0,
     .turn_snd = &aircraft1_snd,
     .drops_flying_right = 1,
     .drop_tilt = 15.0f,
     .leaves_right = 1,
     .leave_x = 693.0f,
     .tinted = 1},
    // small: enters left flying right, comes back from the right
    {.img = &smtrooper_img,
     .start_x = -50.0f,
     .start_y = 260.0f,
     .start_xstp = 2.0f,
     .start_frame = 0,
     .far_scale = 0.4f,
     .turn_when_right = 1,
     .turn_x = 700.0f,
     .near_x = 690.0f,
     .near_y = 100.0f,
     .near_xstp = -4.0f,
     .near_frame = 2,
     .turn_snd = &aircraft2_snd,
     .drops_flying_right = 0,
     .drop_tilt = -15.0f,
     .leaves_right = 0,
     .leave_x = -60.0f,
     .tinted = 0},
};

const cloud_setting cloud_settings[2] = {
    // back: small, faint, slow
    {.y_range = 300.0,
     .xstp_base = 0.05,
     .xstp_range = 0.1,
     .scale_base = 0.1,
     .scale_range = 0.3,
     .alpha = 0.4f,
     .wrap_x = 697.0f,
     .reenter_x = -57.0f},
    // front: large, denser
    {.y_range = 250.0,
     .xstp_base = 0.08,
     .xstp_range = 0.3,
     .scale_base = 0.6,
     .scale_range = 0.6,
     .alpha = 0.6f,
     .wrap_x = 753.0f,
     .reenter_x = -113.0f},
};

const hit_setting hit_settings[5] = {
    // large carrier, near pass only
    {.img = &lgtrooper_img, .snd = &explode3_snd, .flash = 0, .blast_scale = 0.8f, .blast_step = 0.04f,
     .debris = 1, .debris_xdir = 3.0f, .debris_frame = 0, .points = 25},
    // small carrier, near pass only
    {.img = &smtrooper_img, .snd = &explode3_snd, .flash = 0, .blast_scale = 0.6f, .blast_step = 0.03f,
     .debris = 1, .debris_xdir = -4.0f, .debris_frame = 3, .points = 50},
    // nuke rocket
    {.img = &rocket_img, .snd = &explode1_snd, .flash = 1, .blast_scale = 0.8f, .blast_step = 0.08f,
     .debris = 0, .debris_xdir = 0.0f, .debris_frame = 0, .points = 75},
    // near fighter
    {.img = &mustang_img, .snd = &explode3_snd, .flash = 0, .blast_scale = 1.0f, .blast_step = 0.05f,
     .debris = 2, .debris_xdir = 0.0f, .debris_frame = 6, .points = 50},
    // small bomb
    {.img = &rocket_img, .snd = &explode1_snd, .flash = 0, .blast_scale = 0.2f, .blast_step = 0.04f,
     .debris = 0, .debris_xdir = 0.0f, .debris_frame = 0, .points = 25},
};
