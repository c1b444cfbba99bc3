// The heads-up display: score, best score with its casualties, casualties and men.
#pragma once

// The strip and its five numbers; `top` 1 squeezes it over a dark band at the top of the screen.
// It also keeps the best score up to date and sounds the jingle once per game.
void draw_hud(int top);
// `value` in exactly `digits` cells from (x, y), zeros in front; a value too long for them shows as all nines.
void draw_number(int x, int y, int value, int digits);
