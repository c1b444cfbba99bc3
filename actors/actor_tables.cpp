// The numbers the battle fixes for each kind of actor, in one place to review.
#include "actors/actor_tables.h"

#include "assets/sprite_set.h"

const carrier_setting carrier_settings[2] = {
    // large: enters right flying left, comes back high and fast from the left
    {&lgtrooper_img, 670.0f, 240.0f, -1.0f, 2, 0.4f, 0, -60.0f, -53.0f, 40.0f, 3.0f, 0, &aircraft1_snd, 1, 15.0f, 1,
     693.0f, 1},
    // small: enters left flying right, comes back from the right
    {&smtrooper_img, -50.0f, 260.0f, 2.0f, 0, 0.4f, 1, 700.0f, 690.0f, 100.0f, -4.0f, 2, &aircraft2_snd, 0, -15.0f,
     0, -60.0f, 0},
};

const cloud_setting cloud_settings[2] = {
    {300.0, 0.05, 0.1, 0.1, 0.3, 0.4f, 697.0f, -57.0f},  // back: small, faint, slow
    {250.0, 0.08, 0.3, 0.6, 0.6, 0.6f, 753.0f, -113.0f}, // front: large, denser
};

const hit_setting hit_settings[5] = {
    {&lgtrooper_img, &explode3_snd, 0, 0.8f, 0.04f, 1, 3.0f, 0, 25},   // large carrier, near pass only
    {&smtrooper_img, &explode3_snd, 0, 0.6f, 0.03f, 1, -4.0f, 3, 50},  // small carrier, near pass only
    {&rocket_img, &explode1_snd, 1, 0.8f, 0.08f, 0, 0.0f, 0, 75},      // nuke rocket
    {&mustang_img, &explode3_snd, 0, 1.0f, 0.05f, 2, 0.0f, 6, 50},     // near fighter
    {&rocket_img, &explode1_snd, 0, 0.2f, 0.04f, 0, 0.0f, 0, 25},      // small bomb
};
