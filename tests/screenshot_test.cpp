// F12 pictures: their names, their folder, and the PNG holding exactly the frame given.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "harness/png_write.h"
#include "platform/screenshot.h"

namespace {

namespace fs = std::filesystem;

struct scratch {
    fs::path dir = fs::temp_directory_path() / ("ramparion_shots_" + std::to_string(::getpid()));
    scratch()
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~scratch() { fs::remove_all(dir); }
    std::string folder(const char* name) const { return (dir / name).string() + "/"; }
};

std::tm when()
{
    std::tm t{};
    t.tm_year = 2007 - 1900;
    t.tm_mon = 2; // March
    t.tm_mday = 4;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    return t;
}

std::vector<uint32_t> test_frame(int w, int h)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[static_cast<size_t>(y) * w + x] = static_cast<uint32_t>((x * 7) & 0xff) << 16 |
                                                 static_cast<uint32_t>((y * 13) & 0xff) << 8 |
                                                 static_cast<uint32_t>((x ^ y) & 0xff);
    return px;
}

TEST(screenshot, names_sort_by_date_and_time_and_never_overwrite)
{
    EXPECT_EQ(platform::screenshot_name(when()), "ramparion-2007-03-04_09-05-07.png");
    EXPECT_EQ(platform::screenshot_name(when(), 3), "ramparion-2007-03-04_09-05-07-3.png");

    scratch s;
    std::string error, folder = s.folder("screenshots");
    std::string first = platform::free_screenshot_path(folder, when(), error);
    EXPECT_EQ(first, folder + "ramparion-2007-03-04_09-05-07.png") << error;
    EXPECT_TRUE(fs::is_directory(folder)) << "the folder is made when missing";
    std::ofstream(first) << "taken";
    EXPECT_EQ(platform::free_screenshot_path(folder, when(), error), folder + "ramparion-2007-03-04_09-05-07-2.png");

    std::ofstream(s.dir / "a_file") << "not a folder";
    EXPECT_EQ(platform::free_screenshot_path(s.folder("a_file"), when(), error), "");
    EXPECT_NE(error.find("a_file"), std::string::npos) << error;
}

TEST(screenshot, the_png_holds_the_frame_pixel_for_pixel)
{
    scratch s;
    auto px = test_frame(640, 480);
    std::string error, path = (s.dir / "frame.png").string();
    ASSERT_TRUE(platform::save_png_frame(path, px.data(), 640, 480, error)) << error;
    std::vector<uint32_t> back;
    int w = 0, h = 0;
    ASSERT_TRUE(read_png_rgb(path, back, w, h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_TRUE(back == px);

    std::string bad = (s.dir / "no_such_folder" / "frame.png").string();
    EXPECT_FALSE(platform::save_png_frame(bad, px.data(), 640, 480, error));
    EXPECT_NE(error.find("no_such_folder"), std::string::npos) << error;
}

// The frame is copied when F12 is seen: the game drawing its next frame into the same buffer
// while the picture is written must not show in it.
TEST(screenshot, the_writer_saves_the_frame_as_it_was_when_asked)
{
    scratch s;
    auto px = test_frame(64, 48);
    auto original = px;
    std::string folder = s.folder("screenshots");
    {
        platform::screenshot_writer writer;
        writer.save(folder, px.data(), 64, 48);
        std::fill(px.begin(), px.end(), 0x00ff00ffu);
        writer.save(folder, px.data(), 64, 48); // a second within the same second keeps both
    }                                           // leaving waits for the pictures
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 2u);
    // Their order by name depends on whether both fell in one second; one holds each frame.
    std::vector<uint32_t> a, b;
    int w, h;
    ASSERT_TRUE(read_png_rgb(files[0], a, w, h));
    ASSERT_TRUE(read_png_rgb(files[1], b, w, h));
    EXPECT_TRUE((a == original && b == px) || (b == original && a == px));
}

} // namespace
