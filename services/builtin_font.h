// The small bitmap font used when no TrueType font is selected: characters 32 to 127.
#pragma once

#include <cstdint>

namespace builtin_font {

constexpr int first_char = 32;
constexpr int glyph_count = 96;
// Every glyph is 5 x 9 pixels in a cell 6 wide and 10 high: one blank row above the capitals,
// seven rows down to the base line, two rows for descenders.
constexpr int glyph_w = 5, glyph_h = 9;
constexpr int advance = 6;
constexpr int top = 1;
constexpr int height = 10, ascend = 8, descend = -2;

// The glyph a character maps to, or -1 when the font has none.
constexpr int glyph_index(uint32_t ch)
{
    return ch >= first_char && ch < first_char + glyph_count ? static_cast<int>(ch) - first_char : -1;
}

// Row `row` of glyph `glyph`: bit 4 is the leftmost column.
uint8_t glyph_row(int glyph, int row);

} // namespace builtin_font
