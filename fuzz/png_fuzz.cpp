// Feeds arbitrary bytes to the PNG decoder and the mask rule, as load_image would.
#include <cstddef>
#include <cstdint>

#include "services/images.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::shared_ptr<pixmap> pm = decode_png(data, size);
    if (!pm) return 0;
    // Whatever comes out must be a whole buffer of its stated size.
    size_t want = static_cast<size_t>(pm->width) * pm->height * static_cast<size_t>(pm->channels);
    if (pm->width <= 0 || pm->height <= 0 || pm->pixels.size() != want) __builtin_trap();
    if (!pm->has_alpha() && want <= (4u << 20)) {
        std::shared_ptr<pixmap> masked = mask_pixmap(*pm, 0, 0, 0);
        if (masked->pixels.size() != static_cast<size_t>(pm->width) * pm->height * 4) __builtin_trap();
    }
    return 0;
}
