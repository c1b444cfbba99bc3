// F12 pictures: the presented frame saved as a PNG named by date and time, written off the game's thread.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace platform {

// "ramparion-2026-12-08_13-15-04.png" for that local time; `n` above 1 adds "-n" before ".png".
std::string screenshot_name(const std::tm& t, int n = 1);

// A path in `folder` (ending in '/', made if missing) for a picture taken at `t` that no earlier
// picture holds; empty, with the reason in `error`, when the folder cannot be made.
std::string free_screenshot_path(const std::string& folder, const std::tm& t, std::string& error);

// Writes 0x00RRGGBB pixels as an 8-bit RGB PNG; false with the reason in `error`.
bool save_png_frame(const std::string& path, const uint32_t* pixels, int width, int height, std::string& error);

// Takes a copy of a frame and saves it on its own thread, so the game's frame is not held up;
// says on stderr where it went, or why it could not.
class screenshot_writer {
public:
    ~screenshot_writer();
    void save(const std::string& folder, const uint32_t* pixels, int width, int height);
    // Waits for the picture in progress, if any.
    void finish();

private:
    std::thread worker_;
    std::vector<uint32_t> frame_;
};

} // namespace platform
