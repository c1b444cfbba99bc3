// The game's desktop icon: the fort under fire on a rounded tile, at the sizes desktops ask for.
#include "icon.h"

#include <cairo.h>

#include <cmath>

#include "compositor.h"
#include "paint.h"
#include "sheet_layout.h"

namespace artgen {
namespace {

constexpr int master = 256;

rgb_image frame_of(const rgb_image& sheet, sprite id, int k)
{
    const sprite_slot& s = slot_of(id);
    return crop(sheet, s.x(k), s.y0, s.w, s.h);
}

// The scene, opaque, 256 pixels square: sprites at 2x, sampled nearest like the game's.
rgb_image scene(const rgb_image& sheet, const rgb_image& ground)
{
    rgb_image img(master, master);
    constexpr int horizon = 188;
    for (int y = 0; y < master; ++y) {
        // Dusk: deep blue overhead through violet to a hot band over the sand.
        const double t = static_cast<double>(y) / horizon;
        rgb c = t < 0.55 ? mix({22, 30, 80}, {86, 82, 160}, t / 0.55)
                         : mix({86, 82, 160}, {246, 156, 84}, (t - 0.55) / 0.45);
        for (int x = 0; x < master; ++x) img.set(x, y, c);
    }
    // Sand from the ground picture's foreground, doubled.
    const rgb_image sand = crop(ground, 250, 226, master / 2, (master - horizon) / 2 + 1);
    for (int y = horizon; y < master; ++y)
        for (int x = 0; x < master; ++x) {
            const rgb s = sand.at(x / 2, (y - horizon) / 2);
            img.set(x, y, is_key(s) ? rgb{214, 170, 104} : s);
        }
    const draw_op twice{{255, 255, 255}, 1, 2, 2};
    draw_sprite(img, frame_of(sheet, sprite::orb, 1), 42, 104, {{255, 255, 255}, 1, 1.2, 1.2});
    draw_sprite(img, frame_of(sheet, sprite::mustang, 0), 78, 52, twice);
    draw_sprite(img, frame_of(sheet, sprite::explosion, 0), 198, 48, {{255, 255, 255}, 0.95, 0.85, 0.85, 20});
    // The fort as the game builds it: barrel behind the mount, both on the roof.
    draw_sprite(img, frame_of(sheet, sprite::barrel, 1), 128, 86, {{255, 255, 255}, 1, 2, 2, 45});
    draw_sprite(img, frame_of(sheet, sprite::mount, 0), 128, 110, twice);
    draw_sprite(img, frame_of(sheet, sprite::fort, 0), 128, 176, twice);
    return img;
}

// Coverage of the rounded tile with a dark rim, drawn anti-aliased at the master size.
rgba_image tile(const rgb_image& picture)
{
    canvas cv(master, master);
    cairo_t* cr = cv.cr();
    rounded_rect_path(cr, 8, 8, master - 16, master - 16, 44);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    cairo_fill(cr);
    cairo_surface_flush(cv.surface());
    const unsigned char* data = cairo_image_surface_get_data(cv.surface());
    const int stride = cairo_image_surface_get_stride(cv.surface());

    canvas rim(master, master);
    rounded_rect_path(rim.cr(), 10, 10, master - 20, master - 20, 42);
    cairo_set_line_width(rim.cr(), 4);
    cairo_set_source_rgba(rim.cr(), 1, 1, 1, 1);
    cairo_stroke(rim.cr());
    cairo_surface_flush(rim.surface());
    const unsigned char* rim_data = cairo_image_surface_get_data(rim.surface());

    rgba_image out{master, master, std::vector<uint8_t>(static_cast<size_t>(master) * master * 4)};
    for (int y = 0; y < master; ++y)
        for (int x = 0; x < master; ++x) {
            const uint8_t cover = data[y * stride + x * 4 + 3];
            const double edge = rim_data[y * stride + x * 4 + 3] / 255.0;
            const rgb c = mix(picture.at(x, y), near_black, 0.8 * edge);
            uint8_t* p = &out.px[(static_cast<size_t>(y) * master + x) * 4];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = cover;
        }
    return out;
}

// Box filter over alpha-weighted colour, so the transparent corners do not darken the rim.
rgba_image shrink(const rgba_image& src, int factor)
{
    const int w = src.w / factor, h = src.h / factor;
    rgba_image out{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx) {
                    const uint8_t* p = &src.px[(static_cast<size_t>(y * factor + dy) * src.w + x * factor + dx) * 4];
                    for (int c = 0; c < 3; ++c) sum[c] += p[c] * p[3];
                    sum[3] += p[3];
                }
            uint8_t* q = &out.px[(static_cast<size_t>(y) * w + x) * 4];
            for (int c = 0; c < 3; ++c) q[c] = sum[3] > 0 ? clamp_u8(sum[c] / sum[3]) : 0;
            q[3] = clamp_u8(sum[3] / (factor * factor));
        }
    return out;
}

} // namespace

rgba_image icon_image(const rgb_image& sheet, const rgb_image& ground, int size)
{
    const rgba_image full = tile(scene(sheet, ground));
    if (size <= 0 || size >= master || master % size != 0) return full;
    return shrink(full, master / size);
}

} // namespace artgen
