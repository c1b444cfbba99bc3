// The menu over the attract battle and over a paused game: six rows, options and the choices.
#pragma once

#include <string>

constexpr int menu_rows = 6;

// The row the pointer's height answers to, or -1: row 0 takes twice the height of the others.
int menu_row_at(int pointer_y);
// The label row `row` shows now, its setting included.
std::string menu_label(int row);
// Draws the menu over the back buffer and acts on a click; one call per frame.
void menu_frame();
// The row the menu answered to in its last frame; -1 when no row or no menu was drawn.
extern int menu_hover;
