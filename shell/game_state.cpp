// The program-wide game state with its start values, and the label tables the screens show.
#include "shell/game_state.h"

std::string volume_labels[11];
std::string difficulty_labels[2];
std::string menu_labels[6];
std::string rank_titles[12];
int flag_frames[8];

int demo_mode = 0;
int game_paused = 0;
int quit_requested = 0;
int difficulty = 0;
int score = 0;
int casualties = 0;
int men = 3;
int days_survived = 0;
int best_score = 0, best_casualties = 0;
int new_best_flag = 0;
int daylight = 255;
int daylight_step = -1, daylight_timer = 500;
float sun_angle = 0.0f, moon_angle = 180.0f;
int trooper_timer = 0, trooper_period = 400;
int nuke_timer = 0, nuke_period = 400, nuke_side = 0;
int mustang_timer = 0, mustang_period = 400, mustang_side = 0;
float banner_scale = 0.0f, banner_alpha = 0.0f;
float flash_alpha = 0.0f;
float sound_volume = 0.5f;
int sound_volume_step = 5;
float music_volume = 0.8f;
int music_volume_step = 8;
channel music_channel = 0;
int saved_pointer_x = 400, saved_pointer_y = 300;
