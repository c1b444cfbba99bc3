// The day cycle: brightness, sun and moon, the sky and ground layers, spawning, the bonus banner and the flash.
#pragma once

// One frame of the day cycle; with no_count 1 the sky turns but no day is counted.
void advance_daylight(int no_count);
// Pass 0 the sky layer, pass 1 the ground layer.
void draw_sky(int pass);
void draw_bonus_banner();
// The three spawn timers: troop carriers, nuke rockets and fighters, each kind by its day.
void spawn_enemies();
// screen_flash() is defined here too; the actors call it, so it is declared in shell/battle_seam.h.
