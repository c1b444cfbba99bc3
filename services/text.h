// TrueType text: fonts loaded from streams, glyphs cached as images, drawing and measuring strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct font;

[[nodiscard]] font* load_font(const std::string& url, int size, int style);
void set_font(font* f);
void draw_text(const std::string& text, float x, float y);
int text_width(const std::string& text);
int font_height(const font* f);
int font_ascend(const font* f);
int font_descend(const font* f);
// As load_font, from bytes already in memory (the font keeps them).
[[nodiscard]] font* load_font_memory(std::vector<uint8_t> bytes, int size, int style);
// Releases a font; the built-in font takes over if it was the current one.
void free_font(font* f);
