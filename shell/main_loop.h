// Start-up, the frame loop and shutdown: the program's spine.
#pragma once

#include "services/sound.h"

// Runs the whole program on the backend in force; returns the exit status.
int game_main();
// Waits, presenting nothing, while the window is inactive; the music is paused meanwhile.
void wait_while_inactive(channel to_pause);
// Moves the pointer with joystick 0 at full deflection.
void joystick_pointer();
