// SDL key symbols to the game's key numbering (the classic virtual-key codes).
#pragma once

#include <SDL.h>

namespace platform {

// 0 for keys the game has no code for.
int game_key_code(const SDL_Keysym& key);

} // namespace platform
