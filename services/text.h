// TrueType text: fonts loaded from streams, glyphs cached as images, drawing and measuring strings.
#pragma once

#include <string>

struct font;

[[nodiscard]] font* load_font(const std::string& url, int size, int style);
void set_font(font* f);
void draw_text(const std::string& text, float x, float y);
int text_width(const std::string& text);
int font_height(const font* f);
int font_ascend(const font* f);
int font_descend(const font* f);
