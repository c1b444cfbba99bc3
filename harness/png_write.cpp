// PNG files of 0x00RRGGBB frames for shots and golden pictures; written by the game's screenshot writer.
#include "harness/png_write.h"

#include <png.h>

#include "platform/screenshot.h"

bool write_png_rgb(const std::string& path, const uint32_t* pixels, int width, int height)
{
    std::string error; // the caller says what failed
    return platform::save_png_frame(path, pixels, width, height, error);
}

bool read_png_rgb(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
    img.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> buf(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, buf.data(), 0, nullptr)) {
        png_image_free(&img);
        return false;
    }
    width = static_cast<int>(img.width);
    height = static_cast<int>(img.height);
    pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] =
            static_cast<uint32_t>(buf[i * 3]) << 16 | static_cast<uint32_t>(buf[i * 3 + 1]) << 8 | buf[i * 3 + 2];
    return true;
}
