// Writes and reads 8-bit RGB PNG files byte-for-byte reproducibly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster.h"

namespace artgen {

// Colour type 2, bit depth 8, no ancillary chunks, fixed zlib level and
// filter, so the same picture always gives the same bytes. On failure
// returns false and puts the reason in `error`.
bool write_png(const std::string& path, const rgb_image& img, std::string& error);

// The same for 8-bit RGBA (colour type 6), `rgba` holding w*h*4 bytes of straight alpha.
bool write_png_rgba(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba, std::string& error);

// Reads any 8-bit PNG as RGB (alpha dropped); used by the checks.
bool read_png(const std::string& path, rgb_image& img, std::string& error);

} // namespace artgen
