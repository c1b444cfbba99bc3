// The pause loop over a snapshot of the frozen battle.
#pragma once

// pause_menu() is opened by the fort, so it is declared with the other routines the actors may call.
#include "shell/battle_seam.h"
