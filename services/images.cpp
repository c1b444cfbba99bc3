// Images of one or more frames: pixel buffers, handles, the mask rule and textures made on demand.
#include "services/images.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "services/display.h"
#include "services/files.h"

namespace {

int default_image_flags = 3;
bool auto_mid_handle = false;
int mask_r = 0, mask_g = 0, mask_b = 0;

// Every image lives for the whole run; the store keeps them reachable.
std::vector<std::unique_ptr<image>>& image_store()
{
    static std::vector<std::unique_ptr<image>> s;
    return s;
}

image* new_image(int width, int height, int frames, int flags)
{
    if (width < 0 || height < 0 || frames < 0) return nullptr;
    auto img = std::make_unique<image>();
    img->width = width;
    img->height = height;
    img->flags = flags == -1 ? default_image_flags : flags;
    img->mask_r = mask_r;
    img->mask_g = mask_g;
    img->mask_b = mask_b;
    img->pixmaps.resize(static_cast<size_t>(frames));
    img->frames.resize(static_cast<size_t>(frames));
    img->seqs.assign(static_cast<size_t>(frames), 0);
    if (auto_mid_handle) mid_handle_image(img.get());
    image_store().push_back(std::move(img));
    return image_store().back().get();
}

// Pictures larger than this are refused before any memory is set aside for them.
constexpr uint32_t max_picture_side = 16384;
constexpr uint64_t max_picture_pixels = 16ull << 20;

struct png_source {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void png_read_mem(png_structp png, png_bytep out, png_size_t n)
{
    auto* src = static_cast<png_source*>(png_get_io_ptr(png));
    if (src->size - src->pos < n) png_error(png, "truncated");
    std::memcpy(out, src->data + src->pos, n);
    src->pos += n;
}

void png_quiet(png_structp, png_const_charp) {}

void png_fail(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

uint32_t to_texel(const pixmap& pm, size_t i)
{
    const uint8_t* p = &pm.pixels[i * static_cast<size_t>(pm.channels)];
    switch (pm.channels) {
    case 1:
        return 0xFF000000u | p[0] * 0x010101u;
    case 3:
        return 0xFF000000u | static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
    default:
        return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[0]) << 16 |
               static_cast<uint32_t>(p[1]) << 8 | p[2];
    }
}

} // namespace

namespace {

struct png_work {
    pixmap pm;
    std::vector<png_bytep> rows;
};

// Kept apart from C++ objects with destructors, so the error jump clobbers nothing.
bool decode_png_into(png_structp png, png_infop info, png_source* src, png_work& work)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, src, png_read_mem);
    png_set_user_limits(png, max_picture_side, max_picture_side);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || static_cast<uint64_t>(w) * h > max_picture_pixels) png_error(png, "too large");
    int type = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
    bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (trns) png_set_tRNS_to_alpha(png);
    // Grey with any kind of alpha comes out as RGBA: there is no grey-and-alpha buffer.
    if (type == PNG_COLOR_TYPE_GRAY_ALPHA || (type == PNG_COLOR_TYPE_GRAY && trns)) png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    int channels = png_get_channels(png, info);
    if (channels == 2) png_error(png, "unexpected grey and alpha");
    if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * static_cast<size_t>(channels))
        png_error(png, "unexpected row size");
    work.pm.width = static_cast<int>(w);
    work.pm.height = static_cast<int>(h);
    work.pm.channels = channels;
    work.pm.pixels.resize(static_cast<size_t>(w) * h * static_cast<size_t>(channels));
    work.rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y)
        work.rows[y] = &work.pm.pixels[static_cast<size_t>(y) * w * static_cast<size_t>(channels)];
    png_read_image(png, work.rows.data());
    png_read_end(png, nullptr);
    return true;
}

} // namespace

std::shared_ptr<pixmap> decode_png(const uint8_t* data, size_t size)
{
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return nullptr;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fail, png_quiet);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    png_source src{data, size, 0};
    png_work work;
    bool ok = decode_png_into(png, info, &src, work);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) return nullptr;
    return std::make_shared<pixmap>(std::move(work.pm));
}

std::shared_ptr<pixmap> mask_pixmap(const pixmap& src, int mr, int mg, int mb)
{
    auto out = std::make_shared<pixmap>();
    out->width = src.width;
    out->height = src.height;
    out->channels = 4;
    out->pixels.resize(static_cast<size_t>(src.width) * src.height * 4);
    auto rgb = [&](int x, int y, int c) -> int {
        size_t i = (static_cast<size_t>(y) * src.width + x) * static_cast<size_t>(src.channels);
        return src.channels < 3 ? src.pixels[i] : src.pixels[i + static_cast<size_t>(c)];
    };
    auto is_mask = [&](int x, int y) { return rgb(x, y, 0) == mr && rgb(x, y, 1) == mg && rgb(x, y, 2) == mb; };
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) {
            uint8_t* d = &out->pixels[(static_cast<size_t>(y) * src.width + x) * 4];
            if (!is_mask(x, y)) {
                d[0] = static_cast<uint8_t>(rgb(x, y, 0));
                d[1] = static_cast<uint8_t>(rgb(x, y, 1));
                d[2] = static_cast<uint8_t>(rgb(x, y, 2));
                d[3] = 255;
                continue;
            }
            // A keyed pixel takes its neighbours' colour, so filtered edges do not go dark.
            int sum[3] = {0, 0, 0}, n = 0;
            for (int ny = y - 1; ny <= y + 1; ++ny)
                for (int nx = x - 1; nx <= x + 1; ++nx) {
                    if (nx < 0 || ny < 0 || nx >= src.width || ny >= src.height || is_mask(nx, ny)) continue;
                    for (int c = 0; c < 3; ++c) sum[c] += rgb(nx, ny, c);
                    ++n;
                }
            for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>(n ? sum[c] / n : 0);
            d[3] = 0;
        }
    return out;
}

void store_pixmap(image* img, int frame, std::shared_ptr<pixmap> pm)
{
    if (!img || frame < 0 || frame >= img->frame_count() || !pm) return;
    if ((img->flags & image_masked) && !pm->has_alpha()) pm = mask_pixmap(*pm, img->mask_r, img->mask_g, img->mask_b);
    img->pixmaps[static_cast<size_t>(frame)] = std::move(pm);
    img->frames[static_cast<size_t>(frame)].reset();
    img->seqs[static_cast<size_t>(frame)] = 0;
}

image* create_image(int width, int height, int frames, int flags)
{
    image* img = new_image(width, height, frames, flags);
    if (img) img->flags |= image_dynamic;
    return img;
}

image* load_image(const std::string& url, int flags)
{
    stream_handle s(open_read(url));
    if (!s) {
        std::fprintf(stderr, "ramparion: cannot open picture %s\n", url.c_str());
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    std::shared_ptr<pixmap> pm;
    if (read_all(s.get(), bytes)) pm = decode_png(bytes.data(), bytes.size());
    if (!pm) {
        std::fprintf(stderr, "ramparion: %s is not a picture that can be read\n", url.c_str());
        return nullptr;
    }
    image* img = new_image(pm->width, pm->height, 1, flags);
    store_pixmap(img, 0, std::move(pm));
    return img;
}

void grab_image(image* img, int x, int y, int frame)
{
    frame_buffer* fb = back_buffer();
    if (!img || !fb || frame < 0 || frame >= img->frame_count() || img->width <= 0 || img->height <= 0) return;
    std::vector<uint32_t> px(static_cast<size_t>(img->width) * img->height);
    fb->read_rect(x, y, img->width, img->height, px.data());
    auto pm = std::make_shared<pixmap>();
    pm->width = img->width;
    pm->height = img->height;
    pm->channels = 3;
    pm->pixels.resize(px.size() * 3);
    for (size_t i = 0; i < px.size(); ++i) {
        pm->pixels[i * 3] = static_cast<uint8_t>(px[i] >> 16);
        pm->pixels[i * 3 + 1] = static_cast<uint8_t>(px[i] >> 8);
        pm->pixels[i * 3 + 2] = static_cast<uint8_t>(px[i]);
    }
    // A masked grab is masked whatever the back buffer held; an unmasked one stays opaque RGB.
    if (img->flags & image_masked) pm = mask_pixmap(*pm, img->mask_r, img->mask_g, img->mask_b);
    store_pixmap(img, frame, std::move(pm));
}

void set_auto_mid_handle(int flag)
{
    auto_mid_handle = flag != 0;
}

void set_default_image_flags(int flags)
{
    if (flags != -1) default_image_flags = flags;
}

void mid_handle_image(image* img)
{
    if (!img) return;
    img->handle_x = static_cast<float>(img->width) * 0.5f;
    img->handle_y = static_cast<float>(img->height) * 0.5f;
}

const texture* frame_texture(image* img, int frame)
{
    if (!img || frame < 0 || frame >= img->frame_count() || img->width <= 0 || img->height <= 0) return nullptr;
    size_t f = static_cast<size_t>(frame);
    if (img->frames[f] && img->seqs[f] == display_generation) return img->frames[f].get();
    auto& pm = img->pixmaps[f];
    if (!pm) {
        // Never filled: a blank buffer, as the game always grabs before it draws.
        pm = std::make_shared<pixmap>();
        pm->width = img->width;
        pm->height = img->height;
        pm->channels = 4;
        pm->pixels.assign(static_cast<size_t>(img->width) * img->height * 4, 0);
    }
    std::vector<uint32_t> texels(static_cast<size_t>(pm->width) * pm->height);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = to_texel(*pm, i);
    img->frames[f] = make_texture(texels.data(), pm->width, pm->height, img->flags);
    img->seqs[f] = display_generation;
    return img->frames[f].get();
}

void draw_image(image* img, float x, float y, int frame)
{
    const texture* t = frame_texture(img, frame);
    if (!t) return;
    float x0 = -img->handle_x, y0 = -img->handle_y;
    draw_texture_quad(*t, x0, y0, x0 + static_cast<float>(img->width), y0 + static_cast<float>(img->height),
                      x + draw_state.origin_x, y + draw_state.origin_y);
}
