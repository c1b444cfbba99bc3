// The shell routines the battlefield actors may call: the one seam between the battle and the shell.
#pragma once

struct sound;

// Plays an effect once on a fresh channel at the effects volume, unless `silent` is 1.
void play_effect(sound* s, int silent);
// 1 starts a white flash; 0 draws and fades the one running.
void screen_flash(int trigger);

// The two below run frame loops of their own nested inside the world frame: they present frames until
// their screen ends, then return to the actor that called them, and the world frame goes on from there.

// The end-of-game screen. It is entered from an actor's update, half-way through a walk of that
// actor's list, and empties the battle lists, the caller's own included, before its loop walks the
// clouds. The lists cope: a removed node keeps its link onward, so the interrupted walk steps on over
// it to the list's end, and nothing removed is freed while a walk of any list is still under way, so
// the calling actor may go on using its own fields after game_over returns.
void game_over();
// The pause loop, entered from the fort's input handling, between walks. It shows a snapshot of the
// battle and walks no list; the battle stands still until it returns.
void pause_menu();
