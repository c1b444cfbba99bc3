// The pause loop over a snapshot of the frozen battle.
#include "shell/game_state.h"

void pause_menu() {}
