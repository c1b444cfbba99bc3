// Runs every check group and prints the pass/fail summary.
#include <sys/stat.h>

#include <cstdio>

#include "check.h"
#include "fixtures.h"
#include "sheet_layout.h"

#ifndef ARTGEN_FONT
#define ARTGEN_FONT "assets/fonts/armalite.ttf"
#endif
#ifndef ARTGEN_TMP
#define ARTGEN_TMP "/tmp/artgen_tests"
#endif

namespace fixtures {

const artgen::lettering& font()
{
    static artgen::lettering f;
    static bool tried = false;
    if (!tried) {
        tried = true;
        std::string error;
        if (!f.load(ARTGEN_FONT, error)) std::fprintf(stderr, "font: %s\n", error.c_str());
    }
    return f;
}

const artgen::rgb_image& sheet()
{
    static const artgen::rgb_image s = artgen::build_sheet(font());
    return s;
}

artgen::rgb_image frame(artgen::sprite id, int k)
{
    const artgen::sprite_slot& s = artgen::slot_of(id);
    return artgen::crop(sheet(), s.x(k), s.y0, s.w, s.h);
}

std::string scratch_dir()
{
    mkdir(ARTGEN_TMP, 0755);
    return ARTGEN_TMP;
}

} // namespace fixtures

void layout_checks();
void sheet_checks();
void sprite_shape_checks();
void fit_checks();
void lettering_checks();
void png_checks();
void backdrop_checks();
void finishing_checks();
void raster_checks();
void outline_checks();
void text_fit_checks();
void compositor_checks();
void painter_size_checks();
void night_checks();
void icon_checks();

int main()
{
    const check::group groups[] = {
        {"layout", layout_checks},
        {"sheet", sheet_checks},
        {"sprite shapes", sprite_shape_checks},
        {"fit", fit_checks},
        {"lettering", lettering_checks},
        {"png", png_checks},
        {"backdrops", backdrop_checks},
        {"finishing", finishing_checks},
        {"raster", raster_checks},
        {"outline", outline_checks},
        {"text fit", text_fit_checks},
        {"compositor", compositor_checks},
        {"painter sizes", painter_size_checks},
        {"night", night_checks},
        {"icon", icon_checks},
    };
    for (const check::group& g : groups) {
        const int before = check::totals().failed;
        g.fn();
        std::printf("%-14s %s\n", g.name, check::totals().failed == before ? "ok" : "FAILED");
    }
    std::printf("%d passed, %d failed\n", check::totals().passed, check::totals().failed);
    return check::totals().failed == 0 ? 0 : 1;
}
