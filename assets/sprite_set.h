// The game's sprite images, font, pictures and sound effects, and the loader that fills them.
#pragma once

struct image;
struct font;
struct sound;

extern image *pointer_img, *snapshot_img, *hud_img, *digit_img, *title_img, *fort_img, *ruin_img, *mount_img,
    *barrel_img, *ball_img, *cloud_img, *lgtrooper_img, *smtrooper_img, *rocket_img, *mustang_img, *bombmark_img,
    *explosion_img, *planepart_img, *orb_img, *man_img, *bonus_img, *dust_img, *flag_img, *gameover_img;
extern image *sky_img, *ground_img;
extern font* game_font;
extern sound *startgame_snd, *cannon_snd, *explode3_snd, *explode2_snd, *explode1_snd, *aircraft1_snd, *aircraft2_snd,
    *aircraft3_snd, *manhit1_snd, *manhit2_snd, *manhit3_snd, *chutehit_snd, *mansplat_snd, *hiscore_snd, *enemyin_snd,
    *newday_snd, *nukedrop_snd, *nukemove_snd;

// One row of the sprite table: where each frame is cut from the sheet.
struct sprite_row {
    image** img;
    const char* name;
    int width, height, frames;
    int sheet_x, sheet_y, step; // frame k from (sheet_x + step k, sheet_y); snapshot_img is never cut
};

constexpr int sprite_count = 24;
extern const sprite_row sprite_table[sprite_count];

struct effect_row {
    sound** snd;
    const char* file;
};
constexpr int effect_count = 18;
extern const effect_row effect_table[effect_count];

// The 24 blank images, in table order, the first four with top-left handles.
void create_sprite_images();
// Font, sky and ground, the sheet cut into the sprites, and the effects.
void load_assets();

// The five built-in files, registered before anything else runs.
void register_embedded_assets();
