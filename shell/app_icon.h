// The game's own icon for its window.
#pragma once

// Hands the built-in 64x64 icon to the display, for the window it opens.
void give_window_its_icon();
