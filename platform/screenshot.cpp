// F12 pictures: the presented frame saved as a PNG named by date and time, written off the game's thread.
#include "platform/screenshot.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

std::string screenshot_name(const std::tm& t, int n)
{
    char text[80];
    int len = std::snprintf(text, sizeof text, "ramparion-%04d-%02d-%02d_%02d-%02d-%02d", t.tm_year + 1900,
                            t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    if (n > 1 && len > 0 && len < static_cast<int>(sizeof text))
        std::snprintf(text + len, sizeof text - static_cast<size_t>(len), "-%d", n);
    return std::string(text) + ".png";
}

std::string free_screenshot_path(const std::string& folder, const std::tm& t, std::string& error)
{
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        error = folder + ": " + std::strerror(errno);
        return "";
    }
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = folder + ": not a folder";
        return "";
    }
    // Two pictures within one second keep both.
    for (int n = 1;; ++n) {
        std::string path = folder + screenshot_name(t, n);
        if (::stat(path.c_str(), &st) != 0) return path;
    }
}

namespace {

struct png_file {
    std::FILE* f = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~png_file()
    {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
        if (f) std::fclose(f);
    }
};

// libpng reports through longjmp; the message is kept for the caller.
void on_png_error(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error) *error = message;
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// The one stretch libpng may longjmp out of: plain C calls and plain values only, so no C++ object
// lives across the setjmp.
bool write_png(png_structp png, png_infop info, std::FILE* f, png_bytepp rows, int width, int height)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, f);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

} // namespace

bool save_png_frame(const std::string& path, const uint32_t* pixels, int width, int height, std::string& error)
{
    if (!pixels || width <= 0 || height <= 0) {
        error = "no frame";
        return false;
    }
    std::vector<png_byte> rows(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
        rows[3 * i] = static_cast<png_byte>(pixels[i] >> 16);
        rows[3 * i + 1] = static_cast<png_byte>(pixels[i] >> 8);
        rows[3 * i + 2] = static_cast<png_byte>(pixels[i]);
    }
    std::vector<png_bytep> row_pointers(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) row_pointers[static_cast<size_t>(y)] = &rows[static_cast<size_t>(y) * width * 3];

    png_file out;
    out.f = std::fopen(path.c_str(), "wb");
    if (!out.f) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    out.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, on_png_error, on_png_warning);
    if (out.png) out.info = png_create_info_struct(out.png);
    if (!out.png || !out.info) {
        error = "out of memory";
        return false;
    }
    if (!write_png(out.png, out.info, out.f, row_pointers.data(), width, height)) {
        error = path + ": " + error;
        std::fclose(out.f);
        out.f = nullptr;
        std::remove(path.c_str()); // no half-written picture left behind
        return false;
    }
    bool closed = std::fclose(out.f) == 0;
    out.f = nullptr;
    if (!closed) {
        error = path + ": " + std::strerror(errno);
        std::remove(path.c_str());
        return false;
    }
    return true;
}

screenshot_writer::~screenshot_writer()
{
    finish();
}

void screenshot_writer::finish()
{
    if (worker_.joinable()) worker_.join();
}

void screenshot_writer::save(const std::string& folder, const uint32_t* pixels, int width, int height)
{
    finish(); // one picture at a time; a second F12 waits for the first
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    frame_.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    worker_ = std::thread([this, folder, local, width, height] {
        std::string error;
        std::string path = folder.empty() ? "" : free_screenshot_path(folder, local, error);
        if (folder.empty()) error = "the player's folder could not be made";
        if (!path.empty() && save_png_frame(path, frame_.data(), width, height, error))
            std::fprintf(stderr, "ramparion: screenshot saved to %s\n", path.c_str());
        else
            std::fprintf(stderr, "ramparion: cannot save a screenshot: %s\n", error.c_str());
    });
}

} // namespace platform
