// Writes 0x00RRGGBB frames as 8-bit RGB PNG files, for shots and golden pictures.
#include "tools/common/png_write.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace {
struct file_closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

bool write_png_rgb(const std::string& path, const uint32_t* pixels, int width, int height)
{
    std::unique_ptr<std::FILE, file_closer> f(std::fopen(path.c_str(), "wb"));
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, f.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            row[static_cast<size_t>(x) * 3] = static_cast<uint8_t>(p >> 16);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<uint8_t>(p >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<uint8_t>(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
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
        pixels[i] = static_cast<uint32_t>(buf[i * 3]) << 16 | static_cast<uint32_t>(buf[i * 3 + 1]) << 8 | buf[i * 3 + 2];
    return true;
}
