// The demo file and the start state: damage of any kind refused, starts restored exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "actors/actors.h"
#include "fuzz/reader_checks.h"
#include "platform/headless_backend.h"
#include "services/maths.h"
#include "shell/demo_format.h"
#include "shell/demo_state.h"
#include "shell/game_state.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::vector<uint8_t>> seeds()
{
    std::vector<std::vector<uint8_t>> out;
    fs::path dir = fs::path(RAMPARION_SOURCE_DIR) / "fuzz" / "seeds" / "demo";
    for (const auto& e : fs::directory_iterator(dir)) {
        std::ifstream in(e.path(), std::ios::binary);
        out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_FALSE(out.empty());
    return out;
}

TEST(demo_file, recorded_demos_read_whole_and_pass_the_fuzz_checks)
{
    for (const auto& bytes : seeds()) {
        demo d;
        std::string why;
        ASSERT_TRUE(read_demo(bytes.data(), bytes.size(), d, why)) << why;
        EXPECT_GT(d.frames, 100u);
        EXPECT_EQ(d.checksums.size(), d.frames / demo_checksum_every);
        EXPECT_EQ(reader_checks::demo_file(bytes.data(), bytes.size()), "");
    }
}

TEST(demo_file, every_cut_and_every_changed_byte_is_refused_with_its_reason)
{
    const std::vector<uint8_t> bytes = seeds().front();
    demo d;
    std::string why;
    for (size_t n = 0; n < bytes.size(); ++n) {
        ASSERT_FALSE(read_demo(bytes.data(), n, d, why)) << "cut to " << n;
        if (n == 0)
            EXPECT_EQ(why, "is not a demo");
        else
            EXPECT_EQ(why.rfind("is truncated", 0), 0u) << "cut to " << n << ": " << why;
    }
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::vector<uint8_t> bad = bytes;
        bad[at] ^= 0x24;
        ASSERT_FALSE(read_demo(bad.data(), bad.size(), d, why)) << "byte " << at;
        const char* expected = at < 8                ? "is not a demo"
                               : at < 12             ? "is demo format"
                               : at >= 16 && at < 20 ? "is "
                                                     : "is damaged";
        EXPECT_EQ(why.rfind(expected, 0), 0u) << "byte " << at << ": " << why;
    }
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(read_demo(longer.data(), longer.size(), d, why));
    EXPECT_EQ(why, "is damaged (its length does not match)");
}

TEST(demo_file, other_rules_are_named_with_the_version_that_recorded_them)
{
    demo d;
    d.game_version = "9.9.9";
    d.rules = demo_rules_version + 1;
    d.frames = 5;
    std::vector<uint8_t> bytes = write_demo(d);
    std::string why;
    demo out;
    EXPECT_FALSE(read_demo(bytes.data(), bytes.size(), out, why));
    EXPECT_EQ(why, "was recorded by Ramparion '07 9.9.9, whose rules differ from this version's");
    // A count of checksums that disagrees with the frames is damage, though the file is whole.
    d.rules = demo_rules_version;
    d.frames = 2 * demo_checksum_every;
    d.checksums = {1};
    bytes = write_demo(d);
    EXPECT_FALSE(read_demo(bytes.data(), bytes.size(), out, why));
    EXPECT_EQ(why, "is damaged (its content does not unpack)");
}

class demo_start : public ::testing::Test {
protected:
    void SetUp() override { platform::set_backend(std::make_unique<platform::headless_backend>()); }
    void TearDown() override
    {
        star_list.clear();
        bombmark_list.clear();
        difficulty = 0;
    }
};

TEST_F(demo_start, a_captured_start_comes_back_exactly_over_another_battle)
{
    seed_rnd(1234);
    star_tag::Create();
    bombmark_tag::Create(100, 400);
    difficulty = 1;
    best_score = 777;
    sun_angle = 12.5f;
    std::vector<uint8_t> start = capture_start();
    const uint32_t sum = state_checksum();

    // Another battle: other stars, marks, generator and settings.
    seed_rnd(99);
    star_list.clear();
    star_tag::Create();
    bombmark_list.clear();
    difficulty = 0;
    best_score = 3;
    sun_angle = 0;
    (void)rnd_range(0, 1);
    ASSERT_NE(state_checksum(), sum);

    std::string why;
    ASSERT_TRUE(check_start(start, why)) << why;
    restore_start(start);
    EXPECT_EQ(state_checksum(), sum);
    EXPECT_EQ(capture_start(), start);
    EXPECT_EQ(difficulty, 1);
    EXPECT_EQ(bombmark_list.size(), 1);
}

TEST_F(demo_start, a_start_the_game_could_not_have_had_is_refused)
{
    star_tag::Create();
    const std::vector<uint8_t> good = capture_start();
    std::string why;
    ASSERT_TRUE(check_start(good, why)) << why;
    auto with_word = [&](size_t word, uint32_t v) {
        std::vector<uint8_t> b = good;
        for (int i = 0; i < 4; ++i) b[8 + 4 * word + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    EXPECT_FALSE(check_start(with_word(0, 2), why)) << "difficulty 2";
    EXPECT_FALSE(check_start(with_word(19, 11), why)) << "a sound volume step past 100%";
    EXPECT_FALSE(check_start(with_word(24, 1), why)) << "a start in attract mode";
    std::vector<uint8_t> shorter(good.begin(), good.end() - 1);
    EXPECT_FALSE(check_start(shorter, why));
    EXPECT_EQ(why, "holds a start the game could not have had");
}

} // namespace
