// Images: the mask rule through grabs and loads, bad pictures, handles and flags, textures.
#include <gtest/gtest.h>
#include <zlib.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "services/files.h"
#include "services/images.h"
#include "test_display.h"

namespace {

using bytes = std::vector<uint8_t>;

// R, G, B, A of a frame's texel, whatever the buffer's format.
bytes texel(const image* img, int frame, int x, int y)
{
    const pixmap& pm = *img->pixmaps[static_cast<size_t>(frame)];
    auto p = pm.pixels.begin() + (y * pm.width + x) * pm.channels;
    if (pm.channels == 1) return {p[0], p[0], p[0], 255};
    return {p[0], p[1], p[2], pm.channels == 4 ? p[3] : uint8_t{255}};
}

void add_chunk(bytes& out, const char* type, const bytes& data)
{
    auto be32 = [&](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
    };
    be32(static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    be32(static_cast<uint32_t>(crc32(0, &out[start], static_cast<uInt>(out.size() - start))));
}

// A picture one row high put together by hand, so each colour type can be had.
bytes png_row(int w, int type, bytes row, const char* extra = nullptr, const bytes& extra_data = {})
{
    bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    add_chunk(out, "IHDR", {0, 0, 0, static_cast<uint8_t>(w), 0, 0, 0, 1, 8, static_cast<uint8_t>(type), 0, 0, 0});
    if (extra) add_chunk(out, extra, extra_data);
    row.insert(row.begin(), 0); // no filter
    bytes z(compressBound(static_cast<uLong>(row.size())));
    uLongf n = static_cast<uLongf>(z.size());
    compress(z.data(), &n, row.data(), static_cast<uLong>(row.size()));
    z.resize(n);
    add_chunk(out, "IDAT", z);
    add_chunk(out, "IEND", {});
    return out;
}

image* load_bytes(const std::string& name, const bytes& b, int flags)
{
    // Named by process too: ctest runs the tests of this binary side by side.
    std::string path = std::string(RAMPARION_BINARY_DIR) + "/images-test-" + std::to_string(::getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::ssize(b));
    image* img = load_image(path, flags);
    std::remove(path.c_str());
    return img;
}

class images : public drawing_test {
protected:
    void SetUp() override
    {
        drawing_test::SetUp();
        // load_image with -1 shows the default itself; create_image would add bit 8.
        saved_flags_ = load_bytes("tiny.png", png_row(1, 2, {1, 2, 3}), -1)->flags;
        set_default_image_flags(9);
        set_blend_mode(blend_solid);
    }
    void TearDown() override
    {
        set_default_image_flags(saved_flags_);
        set_auto_mid_handle(0);
        drawing_test::TearDown();
    }
    static void put(int x, int y, int r, int g, int b)
    {
        set_draw_color(r, g, b);
        draw_rect(static_cast<float>(x), static_cast<float>(y), 1.0f, 1.0f);
    }
    int saved_flags_ = 3;
};

TEST_F(images, grabs_key_out_pure_black_with_the_average_of_its_neighbours)
{
    put(10, 10, 200, 0, 0); // row 0: red, then black
    put(10, 13, 200, 0, 0); // row 3: red, black, blue
    put(12, 13, 0, 0, 100);
    put(13, 10, 1, 1, 1);
    image* img = create_image(4, 7, 2, -1);
    grab_image(img, 10, 10, 0);
    EXPECT_EQ(texel(img, 0, 0, 0), (bytes{200, 0, 0, 255}));
    EXPECT_EQ(texel(img, 0, 1, 0), (bytes{200, 0, 0, 0}));
    EXPECT_EQ(texel(img, 0, 1, 3), (bytes{100, 0, 50, 0}));
    EXPECT_EQ(texel(img, 0, 1, 4), (bytes{100, 0, 50, 0}));
    EXPECT_EQ(texel(img, 0, 3, 0), (bytes{1, 1, 1, 255})) << "near black stays opaque";
    EXPECT_EQ(texel(img, 0, 3, 6), (bytes{0, 0, 0, 0})) << "no unmasked neighbour";
    grab_image(img, 300, 300, 1);
    for (int i = 0; i < 28; ++i) ASSERT_EQ(texel(img, 1, i % 4, i / 4), (bytes{0, 0, 0, 0}));
    image* plain = create_image(1, 1, 1, 0);
    grab_image(plain, 300, 300, 0);
    EXPECT_EQ(texel(plain, 0, 0, 0), (bytes{0, 0, 0, 255})) << "unmasked grabs stay opaque";
}

TEST_F(images, pictures_with_their_own_alpha_are_not_masked)
{
    image* rgb = load_bytes("rgb.png", png_row(3, 2, {200, 0, 0, 0, 0, 0, 0, 0, 100}), 1);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(texel(rgb, 0, 1, 0), (bytes{100, 0, 50, 0}));
    image* rgba = load_bytes("rgba.png", png_row(2, 6, {0, 0, 0, 255, 9, 8, 7, 6}), 1);
    ASSERT_TRUE(rgba);
    EXPECT_EQ(texel(rgba, 0, 0, 0), (bytes{0, 0, 0, 255}));
    EXPECT_EQ(texel(rgba, 0, 1, 0), (bytes{9, 8, 7, 6}));
    // Grey with a transparent grey value counts as grey with alpha.
    image* grey = load_bytes("grey.png", png_row(2, 0, {0, 77}, "tRNS", {0, 77}), 1);
    ASSERT_TRUE(grey);
    EXPECT_EQ(texel(grey, 0, 0, 0), (bytes{0, 0, 0, 255}));
    EXPECT_EQ(texel(grey, 0, 1, 0), (bytes{77, 77, 77, 0}));
}

TEST_F(images, bad_pictures_give_null)
{
    stream_handle s(open_read("incbin::graphx/rp_sky.png"));
    bytes sky;
    ASSERT_TRUE(s && read_all(s.get(), sky));
    bytes truncated(sky.begin(), sky.begin() + std::ssize(sky) / 2), corrupt = sky;
    for (size_t i = 60; i + 20 < corrupt.size(); i += 7) corrupt[i] ^= 0x5A;
    bytes huge = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    add_chunk(huge, "IHDR", {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 2, 0, 0, 0}); // 100000 x 100000
    add_chunk(huge, "IEND", {});
    for (const bytes& b : {truncated, corrupt, huge, bytes{'n', 'o', 'p', 'e'}, bytes{}}) {
        EXPECT_EQ(decode_png(b.data(), b.size()), nullptr) << b.size();
        EXPECT_EQ(load_bytes("bad.png", b, -1), nullptr) << b.size();
    }
    EXPECT_EQ(load_image("no/such/picture.png", -1), nullptr);
    EXPECT_EQ(load_image("incbin::graphx/RP_SKY.PNG", -1), nullptr);
}

TEST_F(images, flags_and_handles_follow_the_settings_in_force)
{
    image* a = create_image(17, 24, 1, -1);
    EXPECT_EQ(a->flags, 9);
    EXPECT_EQ(a->handle_x + a->handle_y, 0.0f);
    set_default_image_flags(1);
    set_default_image_flags(-1);
    EXPECT_EQ(create_image(1, 1, 1, -1)->flags, 9) << "bit 8 always; -1 keeps the default";
    EXPECT_EQ(create_image(1, 1, 1, 6)->flags, 14);
    set_auto_mid_handle(1);
    image* b = create_image(9, 36, 2, -1);
    EXPECT_EQ(b->handle_x, 4.5f);
    EXPECT_EQ(b->handle_y, 18.0f);
    image* sky = load_image("incbin::graphx/rp_sky.png", -1);
    ASSERT_TRUE(sky);
    EXPECT_EQ(sky->flags, 1);
    EXPECT_EQ(sky->handle_x, 320.0f);
}

TEST_F(images, frames_draw_from_textures_rebuilt_when_needed)
{
    put(0, 0, 255, 0, 0);
    image* img = create_image(1, 1, 2, -1);
    grab_image(img, 0, 0, 0);
    clear_screen();
    for (int f : {-1, 1, 2}) draw_image(img, 50, 50, f); // no such frame, and one never grabbed
    draw_image(nullptr, 50, 50, 0);
    EXPECT_EQ(ink().count, 0);
    draw_image(img, 50, 50, 0);
    EXPECT_EQ(px(50, 50), 0xFF0000u);
    const texture* t = frame_texture(img, 0);
    EXPECT_EQ(frame_texture(img, 0), t) << "made once";

    put(0, 0, 0, 255, 0);
    grab_image(img, 0, 0, 0);
    draw_image(img, 50, 50, 0);
    EXPECT_EQ(px(50, 50), 0x00FF00u) << "a new grab shows at once";
    ASSERT_TRUE(open_display(640, 480, 0, 0, 0));
    EXPECT_NE(img->seqs[0], display_generation);
    frame_texture(img, 0);
    EXPECT_EQ(img->seqs[0], display_generation) << "rebuilt for the new display";
}

} // namespace
