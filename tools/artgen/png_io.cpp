// libpng front end with every nondeterministic knob pinned down.
#include "png_io.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace artgen {
namespace {

struct png_failure {
    std::jmp_buf jump;
    char message[256] = {};
};

void on_error(png_structp png, png_const_charp msg)
{
    auto* f = static_cast<png_failure*>(png_get_error_ptr(png));
    std::snprintf(f->message, sizeof f->message, "%s", msg);
    std::longjmp(f->jump, 1);
}

void on_warning(png_structp, png_const_charp) {}

// Kept apart so that no local of the caller is live across the longjmp.
bool decode(png_structp png, png_infop info, png_failure& fail, rgb_image* out)
{
    if (setjmp(fail.jump)) return false;
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    const int w = static_cast<int>(png_get_image_width(png, info));
    const int h = static_cast<int>(png_get_image_height(png, info));
    if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 3) png_error(png, "not 8-bit RGB");
    *out = rgb_image(w, h);
    for (int y = 0; y < h; ++y) png_read_row(png, out->px.data() + static_cast<size_t>(y) * w * 3, nullptr);
    png_read_end(png, nullptr);
    return true;
}

} // namespace

namespace {

// 3 channels: colour type 2; 4: colour type 6 (straight alpha).
bool write_rows(const std::string& path, int w, int h, const uint8_t* data, int channels, std::string& error)
{
    if (w <= 0 || h <= 0) {
        error = path + ": empty picture";
        return false;
    }
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    png_failure fail;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &fail, on_error, on_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        std::fclose(fp);
        error = path + ": libpng could not start";
        return false;
    }
    if (setjmp(fail.jump)) {
        png_destroy_write_struct(&png, &info);
        std::fclose(fp);
        error = path + ": " + fail.message;
        return false;
    }
    png_init_io(png, fp);
    png_set_compression_level(png, 9);
    png_set_compression_mem_level(png, 9);
    png_set_compression_strategy(png, 0);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
    png_set_IHDR(png, info, w, h, 8, channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, data + static_cast<size_t>(y) * w * channels);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(fp) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

bool write_png(const std::string& path, const rgb_image& img, std::string& error)
{
    return write_rows(path, img.w, img.h, img.px.data(), 3, error);
}

bool write_png_rgba(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba, std::string& error)
{
    if (rgba.size() != static_cast<size_t>(w) * static_cast<size_t>(h) * 4) {
        error = path + ": pixel count does not match the size";
        return false;
    }
    return write_rows(path, w, h, rgba.data(), 4, error);
}

bool read_png(const std::string& path, rgb_image& img, std::string& error)
{
    std::FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    png_failure fail;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &fail, on_error, on_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(fp);
        error = path + ": libpng could not start";
        return false;
    }
    png_init_io(png, fp);
    rgb_image out;
    const bool ok = decode(png, info, fail, &out);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(fp);
    if (!ok) {
        error = path + ": " + fail.message;
        return false;
    }
    img = std::move(out);
    return true;
}

} // namespace artgen
