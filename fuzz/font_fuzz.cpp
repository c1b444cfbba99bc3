// Feeds arbitrary bytes to the font loader, then renders, measures and draws text with what it made.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/headless_backend.h"
#include "services/display.h"
#include "services/text.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    platform::set_backend(std::make_unique<platform::headless_backend>());
    open_display(320, 240, 0, 0, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The last byte picks the size and style, so both the smooth and the plain paths are run; it
    // stays part of the font, since a face's last byte is mostly padding.
    if (size < 1) return 0;
    int size_px = 6 + data[size - 1] % 40;
    int style = (data[size - 1] & 0x80) ? 4 : 0;
    font* f = load_font_memory(std::vector<uint8_t>(data, data + size), size_px, style);
    if (!f) return 0;
    set_font(f);
    static const char line[] = "RAMPARION '07 Day 12: 0123456789 gjpqy \xc3\xa9\xe4\xb8\x80 ~{|}";
    int w = text_width(line);
    if (w < 0) __builtin_trap();
    set_blend_mode(blend_alpha);
    draw_text(line, 4, 4);
    set_draw_transform(33.0f, 2.0f, 1.5f);
    draw_text(line, 40, 100);
    set_draw_transform(0.0f, 1.0f, 1.0f);
    free_font(f);
    return 0;
}
