// Starting, resetting and abandoning games.
#include "shell/game_flow.h"

#include "actors/actors.h"
#include "actors/world_lists.h"
#include "assets/sprite_set.h"
#include "services/input.h"
#include "shell/battle_seam.h"
#include "shell/demo.h"
#include "shell/game_state.h"
#include "shell/labels.h"

void clear_battlefield()
{
    clear_battle_lists();
    banner_scale = 0.0f;
}

void reset_game(int fanfare)
{
    saved_pointer_x = 400;
    saved_pointer_y = 300;
    clear_battlefield();
    screen_flash(fanfare);
    trooper_timer = nuke_timer = mustang_timer = 0;
    if (difficulty == 1) {
        trooper_period = 300;
        nuke_period = 200;
        mustang_period = 300;
    } else {
        trooper_period = nuke_period = mustang_period = 400;
    }
    score = 0;
    men = 3;
    days_survived = 0;
    casualties = 0;
    sun_angle = 0.0f;
    moon_angle = 180.0f;
    banner_scale = 0.0f;
    banner_alpha = 0.0f;
    daylight = 255;
    daylight_timer = 500;
    daylight_step = -1;
    fort.can_rot = 90;
    fort.can_flash = 400;
    if (fanfare == 1) {
        play_effect(startgame_snd, 0);
        demo_new_game();
    }
    game_paused = 0;
    demo_mode = 0;
    new_best_flag = 0;
    move_pointer(320, 300);
    flush_mouse();
    flush_keys();
}

void build_labels()
{
    for (int i = 0; i < 11; ++i) volume_labels[i] = volume_label_table[i];
    for (int i = 0; i < 2; ++i) difficulty_labels[i] = difficulty_label_table[i];
    for (int i = 0; i < 6; ++i) menu_labels[i] = menu_label_table[i];
    for (int i = 0; i < 12; ++i) rank_titles[i] = rank_title_table[i];
}

void build_flag_frames()
{
    for (int i = 0; i < 8; ++i) flag_frames[i] = flag_frame_table[i];
}
