// The texts and small tables the screens show, fixed in one place.
#pragma once

constexpr const char* app_caption = "Ramparion '07";

constexpr const char* volume_label_table[11] = {"Off", "10%", "20%", "30%", "40%", "50%",
                                                "60%", "70%", "80%", "90%", "100%"};
constexpr const char* difficulty_label_table[2] = {"Normal", "Suicidal"};
// Three labels end in a blank: the setting is written after them.
constexpr const char* menu_label_table[6] = {"Start New Game", "Resume Game",   "Onslaught ",
                                             "Sound Volume ",  "Music Volume ", "Exit Ramparion '07"};
// Row 0 while a game is paused.
constexpr const char* quit_game_label = "Quit Current Game";
constexpr const char* credit_line = "Ramparion '07 \xc2\xb7 free software";

constexpr const char* rank_title_table[12] = {
    "Rookie Cannon Master, Class 4",   "Rookie Cannon Master, Class 3",   "Rookie Cannon Master, Class 2",
    "Rookie Cannon Master, Class 1",   "Advanced Cannon Master, Class 4", "Advanced Cannon Master, Class 3",
    "Advanced Cannon master, Class 2", "Advanced Cannon Master, Class 1", "Expert Cannon Master, Class 4",
    "Expert Cannon Master, Class 3",   "Expert Cannon Master, Class 2",   "Expert Cannon Master, Class 1",
};
constexpr int flag_frame_table[8] = {0, 1, 2, 3, 4, 3, 2, 1};

// The end screen's lines: one day is said in the singular, with a small d.
constexpr const char* one_day_line = "You Survived a Total of 1 day.";
constexpr const char* days_line_start = "You Survived a Total of ";
constexpr const char* days_line_end = " Days.";
constexpr const char* rank_line_start = "Rank: ";
constexpr const char* rank_line_end = ".";

// The best score lives in the player's own folder; earlier builds kept it beside the game.
constexpr const char* high_score_name = "hiscore.dat";
constexpr const char* old_high_score_file = "data\\hiscore.dat";
