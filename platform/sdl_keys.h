// SDL keys to the game's key numbering (the classic virtual-key codes); free of SDL types.
#pragma once

namespace platform {

// `scancode` is an SDL scancode (the USB usage number of the key's position); 0 when the
// game has no code for it.
int game_key_code_for_scancode(int scancode);

// The same, but a letter key takes its code from the letter the layout puts on it
// (`keycode` is the SDL key symbol), as the classic codes do on a French or German keyboard.
int game_key_code_for_key(int scancode, int keycode);

} // namespace platform
