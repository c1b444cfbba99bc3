// Every input kept under tests/corpus/ goes through its reader again, with the fuzz targets' checks;
// a file named refused-* must also be turned down.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/reader_checks.h"
#include "platform/headless_backend.h"
#include "test_display.h"

namespace {

namespace fs = std::filesystem;

struct kept_input {
    std::string name;
    std::vector<uint8_t> bytes;
    bool must_refuse() const { return name.rfind("refused-", 0) == 0; }
};

std::vector<kept_input> corpus(const char* target)
{
    std::vector<kept_input> out;
    fs::path dir = fs::path(RAMPARION_SOURCE_DIR) / "tests" / "corpus" / target;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        out.push_back({e.path().filename().string(),
                       std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())});
    }
    std::sort(out.begin(), out.end(), [](const kept_input& a, const kept_input& b) { return a.name < b.name; });
    EXPECT_FALSE(out.empty()) << "nothing kept in " << dir;
    return out;
}

TEST(corpus, sound_files_are_decoded_safely_or_refused)
{
    for (const kept_input& in : corpus("wav")) {
        EXPECT_EQ(reader_checks::wav(in.bytes.data(), in.bytes.size()), "") << in.name;
        EXPECT_EQ(reader_checks::sound_file(in.bytes.data(), in.bytes.size()), "") << in.name;
        if (in.must_refuse()) {
            EXPECT_FALSE(decode_wav(in.bytes.data(), in.bytes.size()).snd) << in.name;
        }
    }
    for (const kept_input& in : corpus("ogg")) {
        EXPECT_EQ(reader_checks::sound_file(in.bytes.data(), in.bytes.size()), "") << in.name;
        if (in.must_refuse()) {
            EXPECT_FALSE(decode_sound(in.bytes.data(), in.bytes.size(), false).snd) << in.name;
        }
    }
}

TEST(corpus, pictures_are_decoded_safely_or_refused)
{
    for (const kept_input& in : corpus("png")) {
        EXPECT_EQ(reader_checks::png(in.bytes.data(), in.bytes.size()), "") << in.name;
        if (in.must_refuse()) {
            EXPECT_FALSE(decode_png(in.bytes.data(), in.bytes.size())) << in.name;
        }
    }
}

TEST(corpus, fonts_are_drawn_with_safely_or_refused)
{
    ensure_test_display();
    for (const kept_input& in : corpus("font")) {
        EXPECT_EQ(reader_checks::font_file(in.bytes.data(), in.bytes.size()), "") << in.name;
        if (in.must_refuse()) {
            font* f = load_font_memory(in.bytes, 24, 0);
            EXPECT_EQ(f, nullptr) << in.name;
            free_font(f);
        }
    }
}

TEST(corpus, bad_high_score_files_give_no_best_score)
{
    char tmpl[] = "/tmp/ramparion-corpus-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string folder = tmpl;
    auto b = std::make_unique<platform::headless_backend>();
    b->set_user_folder(folder + "/");
    platform::set_backend(std::move(b));
    const std::string old_file = old_high_score_path;
    old_high_score_path.clear();

    for (const kept_input& in : corpus("hiscore")) {
        EXPECT_EQ(reader_checks::high_score(in.bytes.data(), in.bytes.size()), "") << in.name;
        if (in.name.ends_with(".dat")) {
            EXPECT_EQ(best_score, 0) << in.name << ": each of ours is a bad file";
        }
    }
    // The check tells a good file from a bad one, so it can fail.
    const uint8_t good[8] = {0x39, 0x30, 0, 0, 7, 0, 0, 0};
    EXPECT_EQ(reader_checks::high_score(good, sizeof good), "");
    EXPECT_EQ(best_score, 12345);
    EXPECT_EQ(best_casualties, 7);

    old_high_score_path = old_file;
    best_score = best_casualties = 0;
    platform::set_backend(std::make_unique<platform::headless_backend>());
    std::error_code ec;
    fs::remove_all(folder, ec);
}

} // namespace
