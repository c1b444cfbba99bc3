// The game's own icon for its window, built into the program so it shows from any folder.
#include "shell/app_icon.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "services/display.h"
#include "services/images.h"

#ifndef RAMPARION_ICON_FILE
#error "the build must say where the icon is"
#endif

asm(".section .rodata\n.balign 16\n.global app_icon_png_start\napp_icon_png_start:\n.incbin \"" RAMPARION_ICON_FILE
    "\"\n.global app_icon_png_end\napp_icon_png_end:\n.byte 0\n.previous\n");
extern "C" const uint8_t app_icon_png_start[];
extern "C" const uint8_t app_icon_png_end[];

void give_window_its_icon()
{
    auto png = decode_png(app_icon_png_start, static_cast<size_t>(app_icon_png_end - app_icon_png_start));
    if (!png || png->width <= 0 || png->height <= 0 || png->channels < 1) {
        std::fprintf(stderr, "ramparion: the built-in icon cannot be read; the window has none\n");
        return;
    }
    const int n = png->width * png->height, c = png->channels;
    std::vector<uint32_t> argb(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const uint8_t* p = &png->pixels[static_cast<size_t>(i) * static_cast<size_t>(c)];
        uint32_t r = p[0], g = c >= 3 ? p[1] : r, b = c >= 3 ? p[2] : r;
        uint32_t a = c == 4 ? p[3] : c == 2 ? p[1] : 255;
        argb[static_cast<size_t>(i)] = a << 24 | r << 16 | g << 8 | b;
    }
    set_app_icon(argb.data(), png->width, png->height);
}
