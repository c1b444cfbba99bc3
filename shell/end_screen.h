// The end-of-game screen: the fallen fort, the days survived and the rank title.
#pragma once

#include <string>

// game_over(), the screen itself, is entered by the actors: it is declared in shell/battle_seam.h.

// "You Survived a Total of ..." for `days` days.
std::string days_line(int days);
// "Rank: " and the title earned by `days` days.
std::string rank_line(int days);
