// Writes 0x00RRGGBB frames as 8-bit RGB PNG files, for shots and golden pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

[[nodiscard]] bool write_png_rgb(const std::string& path, const uint32_t* pixels, int width, int height);
// Reads an 8-bit RGB or RGBA PNG back as 0x00RRGGBB pixels.
[[nodiscard]] bool read_png_rgb(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height);
