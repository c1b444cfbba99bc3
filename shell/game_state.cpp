// The program-wide game state and its start values, and the label tables the screens show.
#include "shell/game_state.h"

#include "actors/actors.h"
#include "actors/world_lists.h"

std::string volume_labels[11];
std::string difficulty_labels[2];
std::string menu_labels[6];
std::string rank_titles[12];
int flag_frames[8];

// Zero until set_start_values runs, as start-up does before anything reads them.
int demo_mode;
int game_paused;
int quit_requested;
int difficulty;
int score;
int casualties;
int men;
int days_survived;
int best_score, best_casualties;
int new_best_flag;
int daylight;
int daylight_step, daylight_timer;
float sun_angle, moon_angle;
int trooper_timer, trooper_period;
int nuke_timer, nuke_period, nuke_side;
int mustang_timer, mustang_period, mustang_side;
float banner_scale, banner_alpha;
float flash_alpha;
float sound_volume;
int sound_volume_step;
float music_volume;
int music_volume_step;
channel music_channel;
int saved_pointer_x, saved_pointer_y;

void set_start_values()
{
    demo_mode = 0;
    game_paused = 0;
    quit_requested = 0;
    difficulty = 0;
    score = 0;
    casualties = 0;
    men = 3;
    days_survived = 0;
    best_score = best_casualties = 0;
    new_best_flag = 0;
    daylight = 255;
    daylight_step = -1;
    daylight_timer = 500;
    sun_angle = 0.0f;
    moon_angle = 180.0f;
    trooper_timer = 0;
    trooper_period = 400;
    nuke_timer = nuke_side = 0;
    nuke_period = 400;
    mustang_timer = mustang_side = 0;
    mustang_period = 400;
    banner_scale = banner_alpha = 0.0f;
    flash_alpha = 0.0f;
    sound_volume = 0.5f;
    sound_volume_step = 5;
    music_volume = 0.8f;
    music_volume_step = 8;
    saved_pointer_x = 400;
    saved_pointer_y = 300;
    fort = fort_tag{};
    clear_all_lists();
}
