// Checks on the lettering, the PNG writer, the full pictures and the
// pixel-art finishing passes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "check.h"
#include "compositor.h"
#include "fixtures.h"
#include "paint.h"
#include "png_io.h"
#include "sheet_layout.h"

using namespace artgen;

namespace {

std::vector<unsigned char> file_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Opaque columns of a picture, as a bitmap over x.
std::vector<bool> inked_columns(const rgb_image& img)
{
    std::vector<bool> cols(img.w, false);
    for (int x = 0; x < img.w; ++x)
        for (int y = 0; y < img.h; ++y)
            if (!is_key(img.at(x, y))) cols[x] = true;
    return cols;
}

int max_row_step(const rgb_image& img, int from, int to)
{
    int worst = 0;
    for (int y = from; y < to; ++y) {
        const rgb a = img.at(0, y), b = img.at(0, y + 1);
        worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }
    return worst;
}

} // namespace

void lettering_checks()
{
    EXPECT(fixtures::font().ready(), "committed font loads");
    lettering missing;
    std::string error;
    EXPECT(!missing.load(fixtures::scratch_dir() + "/no_such_font.ttf", error) && !error.empty(),
           "a missing font is reported");
    const std::string junk = fixtures::scratch_dir() + "/junk.ttf";
    std::ofstream(junk) << "definitely not a font";
    lettering bad;
    error.clear();
    EXPECT(!bad.load(junk, error) && !error.empty(), "a corrupt font is reported");

    // HUD labels stay inside the columns the HUD code leaves for them.
    const std::vector<bool> cols = inked_columns(fixtures::frame(sprite::hud, 0));
    constexpr int spans[][2] = {{3, 62}, {159, 207}, {288, 293}, {368, 470}, {552, 596}};
    for (int x = 0; x < 640; ++x) {
        bool allowed = false;
        for (const auto& s : spans) allowed |= x >= s[0] - 1 && x <= s[1] + 1;
        if (cols[x] && !allowed) {
            EXPECT(false, "HUD ink outside the label columns at x " + std::to_string(x));
            break;
        }
    }
    for (const auto& s : spans) {
        int inked = 0;
        for (int x = s[0]; x <= s[1]; ++x) inked += cols[x] ? 1 : 0;
        EXPECT(inked >= (s[1] - s[0] + 1) * 6 / 10, "HUD label fills its column span from " + std::to_string(s[0]));
    }
    // Digits fill their cells and read differently from each other.
    for (int k = 0; k < 10; ++k) {
        const rgb_image d = fixtures::frame(sprite::digit, k);
        int top = 99, bottom = -1;
        for (int y = 0; y < d.h; ++y)
            for (int x = 0; x < d.w; ++x)
                if (!is_key(d.at(x, y))) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        EXPECT(bottom - top >= 12, "digit " + std::to_string(k) + " is at least 13 rows tall");
    }
    // Every digit's ink weighs on the same middle of its cell, the narrow 1 too, so 00001 reads evenly.
    auto weight_x = [](const rgb_image& d) {
        double sum = 0, n = 0;
        for (int y = 0; y < d.h; ++y)
            for (int x = 0; x < d.w; ++x)
                if (!is_key(d.at(x, y))) sum += x, n += 1;
        return n > 0 ? sum / n : -1.0;
    };
    const double zero = weight_x(fixtures::frame(sprite::digit, 0));
    for (int k = 1; k < 10; ++k) {
        const double w = weight_x(fixtures::frame(sprite::digit, k));
        EXPECT(w > zero - 0.6 && w < zero + 0.6, "digit " + std::to_string(k) +
                                                     " sits in the middle of its cell like 0 (" + std::to_string(w) +
                                                     " against " + std::to_string(zero) + ")");
    }
    // Without a font the lettered sprites come out blank rather than crashing.
    const lettering none;
    EXPECT(opaque_count(title_image(none)) == 0, "no font, no title lettering");
}

void png_checks()
{
    rgb_image img(5, 3, {10, 20, 30});
    img.set(4, 2, {255, 0, 1});
    const std::string a = fixtures::scratch_dir() + "/a.png", b = fixtures::scratch_dir() + "/b.png";
    std::string error;
    EXPECT(write_png(a, img, error), "png written: " + error);
    EXPECT(write_png(b, img, error), "png written again");
    const std::vector<unsigned char> bytes = file_bytes(a);
    EXPECT(!bytes.empty() && bytes == file_bytes(b), "same picture, same bytes");
    // IHDR: bit depth 8, colour type 2 (RGB, no alpha).
    EXPECT(bytes.size() > 26 && bytes[24] == 8 && bytes[25] == 2, "8-bit RGB without alpha");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT(text.find("tIME") == std::string::npos && text.find("tEXt") == std::string::npos,
           "no time stamp or text chunk");
    rgb_image back;
    EXPECT(read_png(a, back, error) && back == img, "round trip keeps every pixel");

    error.clear();
    EXPECT(!write_png(fixtures::scratch_dir() + "/missing_dir/x.png", img, error) && !error.empty(),
           "unwritable path is reported");
    error.clear();
    const std::string junk = fixtures::scratch_dir() + "/junk.png";
    std::ofstream(junk) << "\x89PNG but not really";
    EXPECT(!read_png(junk, back, error) && !error.empty(), "corrupt png is reported");

    // The whole sheet is reproducible to the byte.
    const std::string s1 = fixtures::scratch_dir() + "/s1.png", s2 = fixtures::scratch_dir() + "/s2.png";
    EXPECT(write_png(s1, fixtures::sheet(), error), "sheet written");
    EXPECT(write_png(s2, build_sheet(fixtures::font()), error), "sheet rebuilt and written");
    EXPECT(file_bytes(s1) == file_bytes(s2), "sheet bytes identical on a rebuild");
}

void backdrop_checks()
{
    const rgb_image sky = sky_image();
    EXPECT(sky.w == 640 && sky.h == 392, "sky is 640x392");
    EXPECT(sky.at(0, 0) == (rgb{145, 145, 255}), "periwinkle at the top");
    bool navy = true, rows_flat = true;
    for (int y = 360; y < 392; ++y) navy &= sky.at(320, y) == (rgb{0, 0, 128});
    for (int y = 0; y < 392; y += 7) rows_flat &= sky.at(0, y) == sky.at(639, y);
    EXPECT(navy, "solid navy from row 360");
    EXPECT(rows_flat, "each sky row is one colour");
    EXPECT(max_row_step(sky, 0, 275) <= 2, "no banding in the upper sky");
    // Lower down the colours race, but evenly: no flat run ends in a jump.
    int worst_bend = 0;
    for (int y = 0; y + 2 < 392; ++y) {
        const rgb a = sky.at(0, y), b = sky.at(0, y + 1), c = sky.at(0, y + 2);
        worst_bend = std::max(
            {worst_bend, std::abs(c.r - 2 * b.r + a.r), std::abs(c.g - 2 * b.g + a.g), std::abs(c.b - 2 * b.b + a.b)});
    }
    EXPECT(worst_bend <= 8, "sky gradient bends smoothly, worst " + std::to_string(worst_bend));
    const rgb cyan = sky.at(0, 160), yellow = sky.at(0, 270), orange = sky.at(0, 305), pink = sky.at(0, 320),
              magenta = sky.at(0, 336);
    EXPECT(cyan.b > cyan.r && cyan.g > 210, "pale cyan near row 160");
    EXPECT(yellow.r > 230 && yellow.g > 210 && yellow.b < 160, "yellow near row 270");
    EXPECT(orange.r > 230 && orange.g > 120 && orange.g < 200 && orange.b < 110, "orange near row 305");
    EXPECT(pink.r > 200 && pink.g < 130 && pink.b > 80, "red-pink near row 320");
    EXPECT(magenta.r > 150 && magenta.b > 120 && magenta.g < 100, "magenta near row 336");

    const rgb_image ground = ground_image();
    EXPECT(ground.w == 640 && ground.h == 294, "ground is 640x294");
    EXPECT(is_key(ground.at(5, 5)) && is_key(ground.at(634, 5)), "open sky above the skyline");
    EXPECT(!is_key(ground.at(340, 12)), "the butte reaches almost to the top");
    EXPECT(is_key(ground.at(240, 12)) && is_key(ground.at(440, 12)),
           "the butte stays between its columns near the top");
    int holes = 0;
    for (int y = 200; y < 294; ++y)
        for (int x = 0; x < 640; ++x) holes += is_key(ground.at(x, y)) ? 1 : 0;
    EXPECT(holes == 0, "sand and bar are solid");
    const rgb sand = ground.at(100, 240), bar_l = ground.at(10, 283), bar_r = ground.at(630, 283);
    EXPECT(sand.r > sand.g && sand.g > sand.b && sand.r > 180, "orange sand");
    EXPECT(bar_l.b > bar_l.r && bar_r.b > bar_r.r && bar_l.b > bar_r.b && bar_l.r > bar_r.r,
           "blue bar shades from light to dark blue");

    const rgb_image logo = logo_image(fixtures::font());
    EXPECT(logo.w == 420 && logo.h == 236, "logo is 420x236");
    EXPECT(is_key(logo.at(0, 0)) && opaque_count(logo) > 420 * 236 / 10, "logo has art on a see-through ground");
}

void finishing_checks()
{
    // An opaque black brush stroke must not turn see-through.
    canvas cv(4, 4);
    cairo_rectangle(cv.cr(), 0, 0, 2, 4);
    set_color(cv.cr(), {0, 0, 0});
    cairo_fill(cv.cr());
    cairo_rectangle(cv.cr(), 2, 0, 2, 4);
    set_color(cv.cr(), {200, 100, 50}, 0.2);
    cairo_fill(cv.cr());
    const rgb_image fin = cv.finish();
    EXPECT(!is_key(fin.at(0, 0)) && fin.at(0, 0).r < 30, "opaque black stays opaque and near-black");
    EXPECT(is_key(fin.at(3, 0)), "faint coverage is cut to the mask colour");

    rgb_image dot(5, 5);
    dot.set(2, 2, {200, 200, 200});
    outline_outer(dot);
    EXPECT(dot.at(2, 1) == near_black && dot.at(1, 2) == near_black && is_key(dot.at(1, 1)), "outline hugs the shape");

    // Night tint keeps only blue, and key pixels never reach the screen.
    rgb_image spr(2, 1);
    spr.set(0, 0, {200, 150, 100});
    rgb_image screen(2, 1, {9, 9, 9});
    draw_sprite(screen, spr, 0, 0, {{0, 0, 255}, 1, 1, 1, 0, false});
    EXPECT(screen.at(0, 0) == (rgb{0, 0, 100}), "night tint multiplies by (0, 0, 255)");
    EXPECT(screen.at(1, 0) == (rgb{9, 9, 9}), "key texel leaves the screen alone");
}
