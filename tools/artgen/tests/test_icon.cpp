// Checks on the desktop icons: a rounded tile, see-through outside, opaque inside, saved with alpha.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "art.h"
#include "check.h"
#include "fixtures.h"
#include "icon.h"
#include "png_io.h"

using namespace artgen;

void icon_checks()
{
    const rgb_image ground = ground_image();
    for (int size : icon_sizes) {
        const std::string at = " at " + std::to_string(size);
        const rgba_image icon = icon_image(fixtures::sheet(), ground, size);
        EXPECT(icon.w == size && icon.h == size && icon.px.size() == static_cast<size_t>(size) * size * 4,
               "icon is square" + at);
        auto alpha = [&](int x, int y) { return icon.px[(static_cast<size_t>(y) * size + x) * 4 + 3]; };
        EXPECT(alpha(0, 0) == 0 && alpha(size - 1, 0) == 0 && alpha(0, size - 1) == 0 && alpha(size - 1, size - 1) == 0,
               "corners are see-through" + at);
        int opaque = 0, partial = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                opaque += alpha(x, y) == 255;
                partial += alpha(x, y) > 0 && alpha(x, y) < 255;
            }
        EXPECT(alpha(size / 2, size / 2) == 255 && opaque > size * size * 3 / 4, "the tile is solid" + at);
        EXPECT(partial > 0 && partial < size * 4, "the tile's edge is smoothed, and only its edge" + at);
    }
    // Written as 8-bit RGBA (colour type 6), the same bytes every time, colours kept.
    const rgba_image icon = icon_image(fixtures::sheet(), ground, 64);
    const std::string a = fixtures::scratch_dir() + "/icon_a.png", b = fixtures::scratch_dir() + "/icon_b.png";
    std::string error;
    EXPECT(write_png_rgba(a, icon.w, icon.h, icon.px, error) && write_png_rgba(b, icon.w, icon.h, icon.px, error),
           "icon written: " + error);
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(fa), std::istreambuf_iterator<char>()};
    const std::vector<unsigned char> again{std::istreambuf_iterator<char>(fb), std::istreambuf_iterator<char>()};
    EXPECT(bytes.size() > 26 && bytes[24] == 8 && bytes[25] == 6 && bytes == again, "8-bit RGBA, reproducible");
    rgb_image back;
    EXPECT(read_png(a, back, error) && back.w == 64 && back.at(32, 32).r == icon.px[(32 * 64 + 32) * 4],
           "colours read back");
    EXPECT(!write_png_rgba(a, 3, 3, icon.px, error), "a size that does not match the pixels is refused");
}
