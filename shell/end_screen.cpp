// The end-of-game screen: the fallen fort, the days survived and the rank title.
#include "shell/game_state.h"

void game_over() {}
