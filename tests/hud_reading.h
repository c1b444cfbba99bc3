// Reads the heads-up display off a picture against the embedded sheet's own digit cells and label strip.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/sprite_set.h"
#include "services/files.h"
#include "services/images.h"

namespace hud_reading {

// Where the sheet keeps them: digit k's 16 x 15 cell at (339 + 17k, 146), the 640 x 19 label strip at (0, 259).
constexpr int digit_x0 = 339, digit_step = 17, digit_y = 146, digit_w = 16, digit_h = 15;
constexpr int strip_x = 0, strip_y = 259, strip_w = 640, strip_h = 19;
// The strip is drawn with its top-left at (2, y); in play y is 461 and the digits sit 2 rows lower.
constexpr int strip_left = 2, bottom_y = 461;

// The sheet as the program carries it, decoded without masking.
inline std::shared_ptr<pixmap> sheet()
{
    static std::shared_ptr<pixmap> s = [] {
        register_embedded_assets();
        stream_handle st(open_read("incbin::graphx/rmpar_sf1.png"));
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(read_all(st.get(), bytes));
        return decode_png(bytes.data(), bytes.size());
    }();
    return s;
}

// The sheet's pixel as 0xRRGGBB; 0 is the see-through black.
inline uint32_t sheet_rgb(int x, int y)
{
    const pixmap& p = *sheet();
    const uint8_t* s = &p.pixels[(static_cast<size_t>(y) * p.width + x) * p.channels];
    return static_cast<uint32_t>(s[0]) << 16 | static_cast<uint32_t>(s[1]) << 8 | s[2];
}

// A 0xRRGGBB picture, `width` pixels a row.
struct picture {
    const uint32_t* px;
    int width;
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * width + x] & 0xFFFFFFu; }
};

// The digit shown in the unscaled cell at (x, y): the one whose every inked sheet pixel is there, exactly.
// ' ' when the cell is plain black, '?' when no digit (or more than one) fits.
inline char read_cell(const picture& pic, int x, int y)
{
    bool blank = true;
    for (int r = 0; r < digit_h; ++r)
        for (int c = 0; c < digit_w; ++c) blank = blank && pic.at(x + c, y + r) == 0;
    if (blank) return ' ';
    char found = '?';
    int fits = 0;
    for (int k = 0; k < 10; ++k) {
        bool all = true;
        for (int r = 0; r < digit_h && all; ++r)
            for (int c = 0; c < digit_w && all; ++c) {
                const uint32_t want = sheet_rgb(digit_x0 + digit_step * k + c, digit_y + r);
                all = want == 0 || pic.at(x + c, y + r) == want;
            }
        if (all) {
            found = static_cast<char>('0' + k);
            ++fits;
        }
    }
    return fits == 1 ? found : '?';
}

inline std::string read_cells(const picture& pic, int x, int y, int cells)
{
    std::string out;
    for (int i = 0; i < cells; ++i) out += read_cell(pic, x + 16 * i, y);
    return out;
}

// Label pixels of the unscaled strip drawn at (2, y) that the picture does not show as they are.
inline int lettering_changed(const picture& pic, int y)
{
    int changed = 0;
    for (int r = 0; r < strip_h; ++r)
        for (int c = 0; c + strip_left < pic.width && c < strip_w; ++c) {
            const uint32_t want = sheet_rgb(strip_x + c, strip_y + r);
            changed += want != 0 && pic.at(strip_left + c, y + r) != want;
        }
    return changed;
}

// Label pixels in the strip at all: a check that the reading above has something to look at.
inline int lettering_pixels()
{
    int n = 0;
    for (int r = 0; r < strip_h; ++r)
        for (int c = 0; c < strip_w; ++c) n += sheet_rgb(strip_x + c, strip_y + r) != 0;
    return n;
}

} // namespace hud_reading
