// The best score and its casualties, kept from run to run in an 8-byte file in the player's folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The earlier builds' file beside the game, read while the player has no file yet; empty: none.
extern std::string old_high_score_path;
// Tests stop the process here: the new file is written and synced but not yet moved over the old one.
extern void (*high_score_before_rename)();

// The player's file, in the platform's folder for saved files; empty when there is no such folder.
std::string high_score_path();
void load_high_score();
void save_high_score();
