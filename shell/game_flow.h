// Starting, resetting and abandoning games.
#pragma once

// Puts the game state into that of a new game; 1 adds the start sound and a white flash.
void reset_game(int fanfare);
// Empties the battle lists; stars, clouds and bomb marks stay.
void clear_battlefield();
// The label tables of the menu, the options and the rank titles, built once at start-up.
void build_labels();
void build_flag_frames();
