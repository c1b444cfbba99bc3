// Images: the mask rule through grabs and loads, PNG decoding and bad files, handles, flags, textures.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "services/files.h"
#include "services/images.h"
#include "test_display.h"

namespace {

struct rgba {
    int r, g, b, a;
    bool operator==(const rgba&) const = default;
};

std::ostream& operator<<(std::ostream& os, const rgba& c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << "," << c.a << ")";
}

rgba texel(const image* img, int frame, int x, int y)
{
    const pixmap& pm = *img->pixmaps[static_cast<size_t>(frame)];
    const uint8_t* p = &pm.pixels[(static_cast<size_t>(y) * pm.width + x) * static_cast<size_t>(pm.channels)];
    switch (pm.channels) {
    case 1:
        return {p[0], p[0], p[0], 255};
    case 3:
        return {p[0], p[1], p[2], 255};
    default:
        return {p[0], p[1], p[2], p[3]};
    }
}

void put(int x, int y, int r, int g, int b)
{
    set_draw_color(r, g, b);
    draw_rect(static_cast<float>(x), static_cast<float>(y), 1.0f, 1.0f);
}

// Encodes a picture with libpng's simple writer; `format` is one of PNG_FORMAT_*.
std::vector<uint8_t> encode_png(int w, int h, png_uint_32 format, const std::vector<uint8_t>& pixels)
{
    png_image im{};
    im.version = PNG_IMAGE_VERSION;
    im.width = static_cast<png_uint_32>(w);
    im.height = static_cast<png_uint_32>(h);
    im.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&im, nullptr, &size, 0, pixels.data(), 0, nullptr));
    std::vector<uint8_t> out(size);
    EXPECT_TRUE(png_image_write_to_memory(&im, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

std::string write_file(const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::string path = std::string(RAMPARION_BINARY_DIR) + "/images-test-" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<uint8_t> asset_bytes(const std::string& name)
{
    stream_handle s(open_read("incbin::" + name));
    std::vector<uint8_t> out;
    EXPECT_TRUE(s && read_all(s.get(), out)) << name;
    return out;
}

// The flags load_image gives with -1, which is the default itself (create_image would add bit 8).
int default_flags()
{
    static const std::string tiny = write_file("tiny.png", encode_png(1, 1, PNG_FORMAT_RGB, {1, 2, 3}));
    image* img = load_image(tiny, -1);
    return img ? img->flags : -100;
}

class images : public drawing_test {
protected:
    void SetUp() override
    {
        drawing_test::SetUp();
        saved_flags_ = default_flags();
        set_default_image_flags(9);
        set_blend_mode(blend_solid);
    }
    void TearDown() override
    {
        set_default_image_flags(saved_flags_);
        set_auto_mid_handle(0);
        drawing_test::TearDown();
    }
    int saved_flags_ = 3;
};

TEST_F(images, masked_pixels_take_the_average_of_their_unmasked_neighbours)
{
    // Row 0: red beside black; row 3: red, black, blue; the rest black.
    put(10, 10, 200, 0, 0);
    put(10, 13, 200, 0, 0);
    put(12, 13, 0, 0, 100);
    image* img = create_image(4, 5, 1, -1);
    grab_image(img, 10, 10, 0);
    EXPECT_EQ(texel(img, 0, 0, 0), (rgba{200, 0, 0, 255}));
    EXPECT_EQ(texel(img, 0, 1, 0), (rgba{200, 0, 0, 0})); // one red neighbour
    EXPECT_EQ(texel(img, 0, 1, 1), (rgba{200, 0, 0, 0}));
    EXPECT_EQ(texel(img, 0, 1, 3), (rgba{100, 0, 50, 0})); // between red and blue
    EXPECT_EQ(texel(img, 0, 1, 4), (rgba{100, 0, 50, 0}));
    EXPECT_EQ(texel(img, 0, 3, 0), (rgba{0, 0, 0, 0})); // no unmasked neighbour at all
    EXPECT_EQ(texel(img, 0, 3, 3), (rgba{0, 0, 100, 0}));
}

TEST_F(images, grabs_key_out_pure_black_only_and_make_the_rest_opaque)
{
    image* img = create_image(8, 6, 2, -1);
    grab_image(img, 100, 100, 0); // the cleared screen: all black
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(texel(img, 0, x, y), (rgba{0, 0, 0, 0})) << x << "," << y;

    put(200, 200, 1, 1, 1);
    put(201, 200, 0, 0, 1);
    put(202, 200, 255, 255, 255);
    grab_image(img, 200, 200, 1);
    EXPECT_EQ(texel(img, 1, 0, 0), (rgba{1, 1, 1, 255}));
    EXPECT_EQ(texel(img, 1, 1, 0), (rgba{0, 0, 1, 255}));
    EXPECT_EQ(texel(img, 1, 2, 0), (rgba{255, 255, 255, 255}));
    EXPECT_EQ(texel(img, 1, 3, 0).a, 0);
    EXPECT_EQ(texel(img, 0, 0, 0).a, 0) << "grabbing one frame left another alone";
}

TEST_F(images, masking_replaces_any_alpha_the_buffer_had)
{
    pixmap src;
    src.width = 2;
    src.height = 1;
    src.channels = 4;
    src.pixels = {9, 8, 7, 3, 0, 0, 0, 200};
    auto out = mask_pixmap(src, 0, 0, 0);
    ASSERT_EQ(out->channels, 4);
    EXPECT_EQ((std::vector<uint8_t>(out->pixels.begin(), out->pixels.end())),
              (std::vector<uint8_t>{9, 8, 7, 255, 9, 8, 7, 0}));
}

TEST_F(images, unmasked_grabs_stay_opaque_rgb)
{
    image* img = create_image(2, 1, 1, 0);
    EXPECT_EQ(img->flags, image_dynamic);
    grab_image(img, 300, 300, 0);
    ASSERT_TRUE(img->pixmaps[0]);
    EXPECT_FALSE(img->pixmaps[0]->has_alpha());
    EXPECT_EQ(texel(img, 0, 0, 0), (rgba{0, 0, 0, 255}));
}

TEST_F(images, flags_and_handles_follow_the_defaults_in_force)
{
    image* a = create_image(17, 24, 1, -1);
    EXPECT_EQ(a->flags, 9);
    EXPECT_EQ(a->handle_x, 0.0f);
    EXPECT_EQ(a->handle_y, 0.0f);
    set_default_image_flags(1);
    EXPECT_EQ(create_image(1, 1, 1, -1)->flags, 9) << "bit 8 is always added";
    set_default_image_flags(-1);
    EXPECT_EQ(create_image(1, 1, 1, -1)->flags, 9) << "-1 leaves the default alone";
    EXPECT_EQ(create_image(1, 1, 1, 6)->flags, 14);

    set_auto_mid_handle(1);
    image* b = create_image(9, 36, 2, -1);
    EXPECT_EQ(b->handle_x, 4.5f);
    EXPECT_EQ(b->handle_y, 18.0f);
    EXPECT_EQ(b->frame_count(), 2);
    image* c = load_image("incbin::graphx/rp_sky.png", -1);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->handle_x, 320.0f);
    EXPECT_EQ(c->handle_y, 196.0f);
    EXPECT_EQ(c->flags, 1) << "loading adds no bit";
    set_auto_mid_handle(0);
    EXPECT_EQ(create_image(9, 36, 1, -1)->handle_x, 0.0f);
}

TEST_F(images, draw_places_the_handle_on_the_position)
{
    image* img = create_image(17, 24, 1, 0);
    set_draw_color(90, 180, 45);
    draw_rect(0, 0, 17, 24);
    grab_image(img, 0, 0, 0);
    clear_screen();
    set_draw_color(255, 255, 255);
    draw_image(img, 10, 20, 0);
    auto b = ink_box();
    EXPECT_EQ(b.x, 10);
    EXPECT_EQ(b.y, 20);
    EXPECT_EQ(b.w, 17);
    EXPECT_EQ(b.h, 24);
    clear_screen();
    mid_handle_image(img);
    draw_image(img, 100.0f, 100.0f, 0);
    b = ink_box();
    EXPECT_EQ(b.x, 91); // 91.5 .. 108.5: the centre of pixel 91 is on the left edge
    EXPECT_EQ(b.y, 88);
    EXPECT_EQ(b.w, 17);
    EXPECT_EQ(b.h, 24);
}

TEST_F(images, frames_outside_the_image_and_blank_frames_draw_nothing)
{
    set_draw_color(40, 50, 60);
    draw_rect(0, 0, 4, 4);
    image* img = create_image(4, 4, 2, -1);
    grab_image(img, 0, 0, 0);
    clear_screen();
    set_draw_color(255, 255, 255);
    set_blend_mode(blend_mask);
    for (int f : {-1, 2, 1000}) draw_image(img, 50, 50, f);
    draw_image(img, 60, 60, 1); // never grabbed
    draw_image(nullptr, 70, 70, 0);
    EXPECT_EQ(ink_count(), 0);
    draw_image(img, 50, 50, 0);
    EXPECT_EQ(ink_count(), 16);
}

TEST_F(images, textures_follow_grabs_and_the_display_generation)
{
    set_draw_color(255, 0, 0);
    draw_rect(0, 0, 2, 2);
    image* img = create_image(2, 2, 1, -1);
    grab_image(img, 0, 0, 0);
    clear_screen();
    draw_image(img, 10, 10, 0);
    EXPECT_EQ(px(10, 10), 0xFF0000u);
    const texture* first = frame_texture(img, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(frame_texture(img, 0), first) << "made once and kept";

    // A new grab into a drawn frame must show at the next draw.
    set_draw_color(0, 255, 0);
    draw_rect(0, 0, 2, 2);
    grab_image(img, 0, 0, 0);
    draw_image(img, 10, 10, 0);
    EXPECT_EQ(px(10, 10), 0x00FF00u);

    int gen = display_generation;
    frame_texture(img, 0);
    ASSERT_NE(open_display(640, 480, 0, 0, 0), nullptr);
    EXPECT_NE(display_generation, gen);
    EXPECT_NE(img->seqs[0], display_generation);
    ASSERT_TRUE(frame_texture(img, 0));
    EXPECT_EQ(img->seqs[0], display_generation) << "rebuilt for the new display";
}

TEST_F(images, the_sprite_sheet_loads_with_its_black_ground_keyed_out)
{
    image* sheet = load_image("incbin::graphx/rmpar_sf1.png", -1);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->width, 640);
    EXPECT_EQ(sheet->height, 314);
    ASSERT_TRUE(sheet->pixmaps[0]->has_alpha());
    int transparent = 0, opaque_black = 0;
    for (int y = 0; y < 314; ++y)
        for (int x = 0; x < 640; ++x) {
            rgba t = texel(sheet, 0, x, y);
            transparent += t.a == 0;
            opaque_black += t.a == 255 && t.r == 0 && t.g == 0 && t.b == 0;
        }
    EXPECT_GT(transparent, 640 * 314 / 4);
    EXPECT_EQ(opaque_black, 0);
    EXPECT_EQ(texel(sheet, 0, 1 + 47, 1 + 35).a, 255) << "the middle of the fort";

    image* plain = load_image("incbin::graphx/rmpar_sf1.png", 0);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->pixmaps[0]->has_alpha()) << "unmasked pictures stay RGB";
}

// A chunk with its length and CRC, for hand-made files.
void add_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
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

// A one-row picture put together by hand: IHDR, the extra chunks, then the row unfiltered.
std::vector<uint8_t> hand_png(int w, int depth, int type, const std::vector<std::pair<const char*, std::vector<uint8_t>>>& extra,
                              std::vector<uint8_t> row)
{
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    add_chunk(out, "IHDR",
              {0, 0, 0, static_cast<uint8_t>(w), 0, 0, 0, 1, static_cast<uint8_t>(depth), static_cast<uint8_t>(type), 0, 0, 0});
    for (const auto& [name, data] : extra) add_chunk(out, name, data);
    row.insert(row.begin(), 0); // filter: none
    std::vector<uint8_t> z(compressBound(static_cast<uLong>(row.size())));
    uLongf zn = static_cast<uLongf>(z.size());
    EXPECT_EQ(compress(z.data(), &zn, row.data(), static_cast<uLong>(row.size())), Z_OK);
    z.resize(zn);
    add_chunk(out, "IDAT", z);
    add_chunk(out, "IEND", {});
    return out;
}

TEST_F(images, png_colour_types_decode_to_the_expected_buffers)
{
    // Black pixels in every picture, so any masking would show.
    auto rgba_png = write_file("rgba.png", encode_png(2, 1, PNG_FORMAT_RGBA, {0, 0, 0, 255, 10, 20, 30, 40}));
    image* a = load_image(rgba_png, 1);
    ASSERT_TRUE(a);
    EXPECT_EQ(texel(a, 0, 0, 0), (rgba{0, 0, 0, 255})) << "own alpha: not masked";
    EXPECT_EQ(texel(a, 0, 1, 0), (rgba{10, 20, 30, 40}));

    auto grey_png = write_file("grey.png", encode_png(2, 1, PNG_FORMAT_GRAY, {0, 77}));
    image* g = load_image(grey_png, 0);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->pixmaps[0]->channels, 1);
    EXPECT_EQ(texel(g, 0, 1, 0), (rgba{77, 77, 77, 255}));
    image* gm = load_image(grey_png, 1);
    ASSERT_TRUE(gm);
    EXPECT_EQ(texel(gm, 0, 0, 0), (rgba{77, 77, 77, 0}));

    auto ga_png = write_file("grey-alpha.png", encode_png(2, 1, PNG_FORMAT_GA, {0, 255, 90, 12}));
    image* ga = load_image(ga_png, 1);
    ASSERT_TRUE(ga);
    EXPECT_EQ(ga->pixmaps[0]->channels, 4);
    EXPECT_EQ(texel(ga, 0, 0, 0), (rgba{0, 0, 0, 255}));
    EXPECT_EQ(texel(ga, 0, 1, 0), (rgba{90, 90, 90, 12}));

    auto rgb_png = write_file("rgb.png", encode_png(3, 1, PNG_FORMAT_RGB, {200, 0, 0, 0, 0, 0, 0, 0, 100}));
    image* m = load_image(rgb_png, 1);
    ASSERT_TRUE(m);
    EXPECT_EQ(texel(m, 0, 1, 0), (rgba{100, 0, 50, 0}));
    EXPECT_EQ(texel(m, 0, 2, 0), (rgba{0, 0, 100, 255}));

    // Grey with a transparent grey value is grey with alpha, so it is not masked either.
    auto trns = hand_png(2, 8, 0, {{"tRNS", {0, 77}}}, {0, 77});
    auto gt = decode_png(trns.data(), trns.size());
    ASSERT_TRUE(gt);
    EXPECT_EQ(gt->channels, 4);
    image* gti = load_image(write_file("grey-trns.png", trns), 1);
    ASSERT_TRUE(gti);
    EXPECT_EQ(texel(gti, 0, 0, 0), (rgba{0, 0, 0, 255}));
    EXPECT_EQ(texel(gti, 0, 1, 0), (rgba{77, 77, 77, 0}));

    // Palettes expand to RGB; four-bit grey to eight.
    auto pal = hand_png(3, 2, 3, {{"PLTE", {0, 0, 0, 200, 0, 0, 0, 0, 100}}}, {0b00'01'10'00});
    image* pi = load_image(write_file("palette.png", pal), 1);
    ASSERT_TRUE(pi);
    EXPECT_EQ(texel(pi, 0, 0, 0), (rgba{200, 0, 0, 0})); // keyed, coloured by its red neighbour
    EXPECT_EQ(texel(pi, 0, 1, 0), (rgba{200, 0, 0, 255}));
    EXPECT_EQ(texel(pi, 0, 2, 0), (rgba{0, 0, 100, 255}));
    auto g4 = hand_png(2, 4, 0, {}, {0x0F});
    auto g4p = decode_png(g4.data(), g4.size());
    ASSERT_TRUE(g4p);
    ASSERT_EQ(g4p->channels, 1);
    EXPECT_EQ(g4p->pixels, (std::vector<uint8_t>{0, 255}));

    // 16-bit samples come down to 8 bits.
    png_image im{};
    im.version = PNG_IMAGE_VERSION;
    im.width = 1;
    im.height = 1;
    im.format = PNG_FORMAT_LINEAR_RGB;
    const uint16_t deep[3] = {65535, 0, 65535};
    png_alloc_size_t size = 1024;
    std::vector<uint8_t> buf(size);
    ASSERT_TRUE(png_image_write_to_memory(&im, buf.data(), &size, 0, deep, 0, nullptr));
    buf.resize(size);
    auto pm = decode_png(buf.data(), buf.size());
    ASSERT_TRUE(pm);
    ASSERT_EQ(pm->channels, 3);
    EXPECT_EQ(pm->pixels[0], 255);
    EXPECT_EQ(pm->pixels[1], 0);
}

TEST_F(images, bad_pictures_give_null_and_the_program_goes_on)
{
    std::vector<uint8_t> sky = asset_bytes("graphx/rp_sky.png");
    ASSERT_GT(sky.size(), 100u);

    std::vector<uint8_t> truncated(sky.begin(), sky.begin() + static_cast<std::ptrdiff_t>(sky.size() / 2));
    std::vector<uint8_t> corrupt = sky;
    for (size_t i = 60; i < corrupt.size() - 20; i += 7) corrupt[i] ^= 0x5A;
    std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g', '\n'};

    std::vector<uint8_t> huge = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    add_chunk(huge, "IHDR", {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 2, 0, 0, 0}); // 100000 x 100000 RGB
    add_chunk(huge, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    add_chunk(huge, "IEND", {});
    std::vector<uint8_t> wide = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    add_chunk(wide, "IHDR", {0, 0, 0x40, 0x00, 0, 0, 0x40, 0x00, 8, 6, 0, 0, 0}); // 16384 x 16384 RGBA
    add_chunk(wide, "IEND", {});

    const std::pair<const char*, const std::vector<uint8_t>*> cases[] = {
        {"truncated", &truncated}, {"corrupt", &corrupt}, {"text", &text}, {"huge", &huge}, {"wide", &wide}};
    for (const auto& [name, bytes] : cases) {
        EXPECT_EQ(decode_png(bytes->data(), bytes->size()), nullptr) << name;
        EXPECT_EQ(load_image(write_file(std::string("bad-") + name + ".png", *bytes), -1), nullptr) << name;
    }
    EXPECT_EQ(decode_png(nullptr, 0), nullptr);
    EXPECT_EQ(load_image(write_file("empty.png", {}), -1), nullptr);
    EXPECT_EQ(load_image("no/such/picture.png", -1), nullptr);
    EXPECT_EQ(load_image("incbin::graphx/RP_SKY.PNG", -1), nullptr);
    EXPECT_TRUE(decode_png(sky.data(), sky.size())) << "the good file still reads";
}

} // namespace
