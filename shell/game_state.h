// The program-wide game state, and the few shell routines the battlefield actors may call.
#pragma once

#include <string>

#include "assets/sprite_set.h"
#include "services/sound.h"

extern std::string volume_labels[11];
extern std::string difficulty_labels[2];
extern std::string menu_labels[6];
extern std::string rank_titles[12];
extern int flag_frames[8];

extern int demo_mode;
extern int game_paused;
extern int quit_requested;
extern int difficulty;
extern int score;
extern int casualties;
extern int men;
extern int days_survived;
extern int best_score, best_casualties;
extern int new_best_flag;
extern int daylight;
extern int daylight_step, daylight_timer;
extern float sun_angle, moon_angle;
extern int trooper_timer, trooper_period;
extern int nuke_timer, nuke_period, nuke_side;
extern int mustang_timer, mustang_period, mustang_side;
extern float banner_scale, banner_alpha;
extern float flash_alpha;
extern float sound_volume;
extern int sound_volume_step;
extern float music_volume;
extern int music_volume_step;
extern channel music_channel;
extern int saved_pointer_x, saved_pointer_y;

// Plays an effect once on a fresh channel at the effects volume, unless `silent` is 1.
void play_effect(sound* s, int silent);
// 1 starts a white flash; 0 draws and fades the one running.
void screen_flash(int trigger);
// The end-of-game screen, entered from the actor that ended the game.
void game_over();
// The pause loop, entered from the fort's input handling.
void pause_menu();
