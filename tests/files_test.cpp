// The asset registry, the URL rule, and little-endian ints with their short-read rule.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "assets/sprite_set.h"
#include "services/files.h"

namespace {

std::string temp_file(const std::string& name, const std::string& bytes)
{
    auto p = std::filesystem::temp_directory_path() / ("ramparion_files_" + std::to_string(::getpid()) + name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
}

size_t stream_size(stream* s)
{
    std::vector<uint8_t> all;
    EXPECT_TRUE(read_all(s, all));
    return all.size();
}

} // namespace

TEST(registry, a_duplicate_name_keeps_the_first_entry)
{
    static const uint8_t first[] = {1, 2, 3}, second[] = {9};
    EXPECT_EQ(register_asset("test/dup.bin", first, 3), 1);
    EXPECT_EQ(register_asset("test/dup.bin", second, 1), 0);
    stream_handle s(open_read("incbin::test/dup.bin"));
    ASSERT_TRUE(s);
    EXPECT_EQ(stream_size(s.get()), 3u);
}

TEST(urls, protocol_folds_case_but_names_are_exact)
{
    register_embedded_assets();
    stream_handle font(open_read("incbin::fonts/armalite.ttf"));
    ASSERT_TRUE(font);
    size_t size = stream_size(font.get());
    EXPECT_GT(size, 1000u);
    stream_handle caps(open_read("INCBIN::fonts/armalite.ttf"));
    ASSERT_TRUE(caps);
    EXPECT_EQ(stream_size(caps.get()), size);
    EXPECT_EQ(open_read("incbin::Fonts/Armalite.ttf"), nullptr);
    EXPECT_EQ(open_read("incbin::graphx\\rp_sky.png"), nullptr); // separators are part of the name
    EXPECT_EQ(open_write("incbin::fonts/armalite.ttf"), nullptr);
    EXPECT_EQ(open_read("nosuch::thing"), nullptr);
    for (const char* name : {"graphx/tmlogo.png", "graphx/rp_bkgr.png", "graphx/rp_sky.png", "graphx/rmpar_sf1.png"}) {
        stream_handle s(open_read(std::string("incbin::") + name));
        EXPECT_TRUE(s) << name;
    }
}

TEST(urls, disk_paths_take_either_separator)
{
    auto dir = std::filesystem::temp_directory_path() / ("ramparion_files_dir" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "x.bin", std::ios::binary) << "abcd";
    std::string back = dir.string() + "\\x.bin";
    stream_handle s(open_read(back));
    ASSERT_TRUE(s);
    EXPECT_EQ(stream_size(s.get()), 4u);
    EXPECT_EQ(file_kind(dir.string()), 2);
    EXPECT_EQ(file_kind(back), 1);
    EXPECT_EQ(file_kind(dir.string() + "/missing"), 0);
    EXPECT_EQ(open_read(dir.string() + "/missing"), nullptr);
    EXPECT_EQ(open_read(dir.string()), nullptr); // a folder is not a readable file
    std::filesystem::remove_all(dir);
}

TEST(streams, read_int_on_a_six_byte_file)
{
    std::string path = temp_file("six.bin", std::string("\x01\x02\x03\x84\x05\x06", 6));
    stream_handle s(open_read(path));
    ASSERT_TRUE(s);
    EXPECT_EQ(read_int(s.get()), static_cast<int>(0x84030201u));
    EXPECT_EQ(read_int(s.get()), 0x0605);
    EXPECT_EQ(read_int(s.get()), 0);
    EXPECT_FALSE(stream_failed(s.get())); // the end of a file is not an error
    std::remove(path.c_str());
}

TEST(streams, write_int_round_trips_little_endian)
{
    std::string path = temp_file("w.bin", "");
    {
        stream_handle s(open_write(path));
        ASSERT_TRUE(s);
        write_int(s.get(), -2);
        write_int(s.get(), 123456789);
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 8u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 0xFE);
    EXPECT_EQ(static_cast<uint8_t>(bytes[3]), 0xFF);
    stream_handle r(open_read(path));
    EXPECT_EQ(read_int(r.get()), -2);
    EXPECT_EQ(read_int(r.get()), 123456789);
    std::remove(path.c_str());
}

TEST(streams, writing_to_a_read_only_stream_fails_visibly)
{
    register_embedded_assets();
    stream_handle s(open_read("incbin::graphx/rp_sky.png"));
    ASSERT_TRUE(s);
    write_int(s.get(), 5);
    EXPECT_TRUE(stream_failed(s.get()));
}
