// The game's sprite images, font, pictures and sound effects, and the loader that fills them.
#include "assets/sprite_set.h"

#include "services/images.h"

image *pointer_img, *snapshot_img, *hud_img, *digit_img, *title_img, *fort_img, *ruin_img, *mount_img, *barrel_img,
    *ball_img, *cloud_img, *lgtrooper_img, *smtrooper_img, *rocket_img, *mustang_img, *bombmark_img, *explosion_img,
    *planepart_img, *orb_img, *man_img, *bonus_img, *dust_img, *flag_img, *gameover_img;
image *sky_img, *ground_img;
font* game_font;
sound *startgame_snd, *cannon_snd, *explode3_snd, *explode2_snd, *explode1_snd, *aircraft1_snd, *aircraft2_snd,
    *aircraft3_snd, *manhit1_snd, *manhit2_snd, *manhit3_snd, *chutehit_snd, *mansplat_snd, *hiscore_snd, *enemyin_snd,
    *newday_snd, *nukedrop_snd, *nukemove_snd;

const sprite_row sprite_table[sprite_count] = {
    {&pointer_img, "pointer_img", 17, 24, 1, 514, 32, 0},
    {&snapshot_img, "snapshot_img", 640, 480, 1, -1, -1, 0},
    {&hud_img, "hud_img", 640, 19, 1, 0, 259, 0},
    {&digit_img, "digit_img", 16, 15, 10, 339, 146, 17},
    {&title_img, "title_img", 332, 75, 1, 0, 144, 0},
    {&fort_img, "fort_img", 94, 70, 1, 1, 1, 0},
    {&ruin_img, "ruin_img", 94, 59, 1, 123, 12, 0},
    {&mount_img, "mount_img", 22, 23, 1, 98, 1, 0},
    {&barrel_img, "barrel_img", 9, 36, 2, 98, 27, 10},
    {&ball_img, "ball_img", 7, 8, 1, 123, 1, 0},
    {&cloud_img, "cloud_img", 180, 68, 1, 1, 74, 0},
    {&lgtrooper_img, "lgtrooper_img", 84, 28, 4, 294, 1, 85},
    {&smtrooper_img, "smtrooper_img", 53, 24, 4, 295, 32, 54},
    {&rocket_img, "rocket_img", 44, 10, 6, 340, 170, 45},
    {&mustang_img, "mustang_img", 57, 21, 4, 295, 59, 58},
    {&bombmark_img, "bombmark_img", 40, 22, 1, 561, 88, 0},
    {&explosion_img, "explosion_img", 73, 67, 1, 219, 1, 0},
    {&planepart_img, "planepart_img", 30, 28, 12, 183, 83, 31},
    {&orb_img, "orb_img", 36, 36, 3, 1, 221, 37},
    {&man_img, "man_img", 30, 28, 14, 183, 115, 31},
    {&bonus_img, "bonus_img", 303, 15, 1, 319, 285, 0},
    {&dust_img, "dust_img", 293, 23, 1, 5, 283, 0},
    {&flag_img, "flag_img", 41, 24, 5, 416, 226, 42},
    {&gameover_img, "gameover_img", 251, 18, 1, 349, 195, 0},
};

// The one backslash is kept as written; the stream layer turns it into "/".
const effect_row effect_table[effect_count] = {
    {&startgame_snd, "data\\startgame.ogg"}, {&cannon_snd, "data/cannon.ogg"},
    {&explode3_snd, "data/explode03.ogg"},   {&explode2_snd, "data/explode02.ogg"},
    {&explode1_snd, "data/explode01.ogg"},   {&aircraft1_snd, "data/aircraft01.ogg"},
    {&aircraft2_snd, "data/aircraft02.ogg"}, {&aircraft3_snd, "data/aircraft03.ogg"},
    {&manhit1_snd, "data/manhit01.ogg"},     {&manhit2_snd, "data/manhit02.ogg"},
    {&manhit3_snd, "data/manhit03.ogg"},     {&chutehit_snd, "data/chutehit.ogg"},
    {&mansplat_snd, "data/mansplat.ogg"},    {&hiscore_snd, "data/hiscore.ogg"},
    {&enemyin_snd, "data/enemyin.ogg"},      {&newday_snd, "data/newday.ogg"},
    {&nukedrop_snd, "data/nukedrop.ogg"},    {&nukemove_snd, "data/nukemove.ogg"},
};

void create_sprite_images()
{
    for (int i = 0; i < sprite_count; ++i) {
        const sprite_row& r = sprite_table[i];
        *r.img = create_image(r.width, r.height, r.frames, -1);
        if (r.img == &digit_img) set_auto_mid_handle(1);
    }
    set_auto_mid_handle(0);
}
