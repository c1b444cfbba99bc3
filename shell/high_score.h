// The best score and its casualties, kept from run to run in an 8-byte file.
#pragma once

#include <string>

// Where the file is read and written; the replay tool points it elsewhere.
extern std::string high_score_path;

void load_high_score();
void save_high_score();
