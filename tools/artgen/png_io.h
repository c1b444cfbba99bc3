// Writes and reads 8-bit RGB PNG files byte-for-byte reproducibly.
#pragma once

#include <string>

#include "raster.h"

namespace artgen {

// Colour type 2, bit depth 8, no ancillary chunks, fixed zlib level and
// filter, so the same picture always gives the same bytes. On failure
// returns false and puts the reason in `error`.
bool write_png(const std::string& path, const rgb_image& img, std::string& error);

// Reads any 8-bit PNG as RGB (alpha dropped); used by the checks.
bool read_png(const std::string& path, rgb_image& img, std::string& error);

}  // namespace artgen
