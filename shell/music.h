// The two sound routines of the shell: one-shot effects and the looping music tracks.
#pragma once

#include "shell/battle_seam.h" // play_effect is defined with the music

// Track 0 is the attract-mode music, track 1 the battle music; each restarts from its beginning.
// The new channel becomes `music_channel`; the one it replaces is released.
void start_music(int track);
// Starts decoding both tracks in the background (say, before the logo), so that even the first
// start_music finds its track ready.
void prefetch_music();
