// Render functions of every sound the game ships, as raw unfinished PCM.
#pragma once

#include "dsp.h"

namespace snd {

// Battle noises.
buffer render_cannon();
buffer render_explode_small();
buffer render_explode_big();
buffer render_explode_aircraft();
buffer render_aircraft_large();
buffer render_aircraft_small();
buffer render_aircraft_fighter();
buffer render_nuke_move();
buffer render_nuke_drop();

// The paratroopers.
buffer render_man_hit(int which);
buffer render_chute_hit();
buffer render_man_splat();

// Signals and calls.
buffer render_enemy_in();
buffer render_hiscore();
buffer render_new_day();
buffer render_start_game();

// Music.
buffer render_logo_jingle();
buffer render_title_music();
buffer render_battle_music();

} // namespace snd
