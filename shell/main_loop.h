// Start-up, the frame loop and shutdown: the program's spine.
#pragma once

#include "services/audio/sound.h"

// Which of the game's loops presents ("startup", "logo", "world", "pause", "gameover"): so a trace can
// tell the start-up passes from the game's own loops.
extern const char* presenting_loop;

// Runs the whole program on the backend in force; returns the exit status.
int game_main();
// Waits, presenting nothing, while the window is inactive; the music is paused meanwhile.
void wait_while_inactive(channel to_pause);
// Moves the pointer with joystick 0 at full deflection.
void joystick_pointer();
