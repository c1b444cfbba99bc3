// The program-wide game state: the variables the battle and the screens share, and their start values.
#pragma once

#include <ctime> // POSIX declares a `daylight` of its own: declared first, ours below agrees with it
#include <string>

#include "services/audio/sound.h"

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

// Puts the program's start values back: every variable above (the label tables and the music
// channel excepted: start-up builds and allocates those), a new fort and all fifteen lists empty.
// Start-up calls it, and so does every test fixture.
void set_start_values();
