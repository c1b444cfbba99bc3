// PNG files of 0x00RRGGBB frames, for shots and golden pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes an 8-bit RGB PNG through platform::save_png_frame, the one PNG writer.
[[nodiscard]] bool write_png_rgb(const std::string& path, const uint32_t* pixels, int width, int height);
// Reads an 8-bit RGB or RGBA PNG back as 0x00RRGGBB pixels.
[[nodiscard]] bool read_png_rgb(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height);
