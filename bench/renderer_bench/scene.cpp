// The two benchmark scenes: the game's pictures (or stand-ins), and fixed pseudo-random placements.
#include "scene.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "services/images.h"
#include "services/maths.h"

namespace bench {
namespace {

// A small generator of our own, so the scenes never change with the game's random stream.
struct lcg {
    uint32_t s;
    uint32_t next()
    {
        s = s * 1664525u + 1013904223u;
        return s >> 8;
    }
    float range(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(next() & 0xFFFF) / 65535.0f; }
};

std::shared_ptr<pixmap> read_png(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) return nullptr;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    return decode_png(bytes.data(), bytes.size());
}

std::shared_ptr<pixmap> cut(const pixmap& sheet, int x, int y, int w, int h)
{
    auto out = std::make_shared<pixmap>();
    out->width = w;
    out->height = h;
    out->channels = sheet.channels;
    out->pixels.resize(static_cast<size_t>(w) * h * sheet.channels);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            for (int c = 0; c < sheet.channels; ++c) {
                int sx = std::min(x + i, sheet.width - 1), sy = std::min(y + j, sheet.height - 1);
                out->pixels[(static_cast<size_t>(j) * w + i) * sheet.channels + c] =
                    sheet.pixels[(static_cast<size_t>(sy) * sheet.width + sx) * sheet.channels + c];
            }
    return out;
}

picture from_pixmap(const std::string& name, const pixmap& src, bool masked, int flags)
{
    std::shared_ptr<pixmap> pm = masked ? mask_pixmap(src, 0, 0, 0) : nullptr;
    const pixmap& p = pm ? *pm : src;
    picture pic;
    pic.name = name;
    pic.width = p.width;
    pic.height = p.height;
    pic.flags = flags;
    pic.argb.resize(static_cast<size_t>(p.width) * p.height);
    for (size_t i = 0; i < pic.argb.size(); ++i) {
        const uint8_t* q = &p.pixels[i * static_cast<size_t>(p.channels)];
        uint32_t a = p.channels == 4 ? q[3] : 255;
        uint32_t r = q[0], g = p.channels >= 3 ? q[1] : q[0], b = p.channels >= 3 ? q[2] : q[0];
        pic.argb[i] = a << 24 | r << 16 | g << 8 | b;
    }
    return pic;
}

// Stand-ins when the game's pictures are missing: a colour blob with a soft or keyed edge.
picture synthetic(const std::string& name, int w, int h, uint32_t rgb, bool soft, int flags, uint32_t seed)
{
    picture pic;
    pic.name = name;
    pic.width = w;
    pic.height = h;
    pic.flags = flags;
    pic.argb.resize(static_cast<size_t>(w) * h);
    lcg r{seed};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float dx = (x + 0.5f) / w * 2 - 1, dy = (y + 0.5f) / h * 2 - 1;
            float d = std::sqrt(dx * dx + dy * dy);
            uint32_t a = soft ? static_cast<uint32_t>(std::max(0.0f, std::min(1.0f, (1.0f - d) * 3.0f)) * 255)
                              : (d < 0.9f ? 255u : 0u);
            uint32_t shade = (r.next() & 31);
            uint32_t c = rgb + shade * 0x010101u;
            pic.argb[static_cast<size_t>(y) * w + x] = a << 24 | (c & 0xFFFFFF);
        }
    return pic;
}

// A glyph-like picture: strokes with anti-aliased edges, as the font layer makes them.
picture glyph(int index)
{
    picture pic;
    pic.name = "glyph" + std::to_string(index);
    pic.width = 14;
    pic.height = 20;
    pic.flags = texture_filtered | texture_mipmapped;
    pic.argb.resize(14 * 20);
    lcg r{static_cast<uint32_t>(77 + index)};
    float ax = r.range(2, 12), ay = r.range(2, 6), bx = r.range(2, 12), by = r.range(14, 18);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 14; ++x) {
            // distance to the segment a-b and to a ring: two strokes per glyph
            float px = x + 0.5f - ax, py = y + 0.5f - ay, ex = bx - ax, ey = by - ay;
            float t = std::max(0.0f, std::min(1.0f, (px * ex + py * ey) / (ex * ex + ey * ey)));
            float d1 = std::hypot(px - t * ex, py - t * ey);
            float d2 = std::fabs(std::hypot(x + 0.5f - 7, y + 0.5f - 10) - 5.0f);
            float d = std::min(d1, d2);
            uint32_t a = static_cast<uint32_t>(std::max(0.0f, std::min(1.0f, 1.6f - d)) * 255);
            pic.argb[static_cast<size_t>(y) * 14 + x] = a << 24 | 0xFFFFFF;
        }
    return pic;
}

// The display's placement: local rectangle by rotation and scale about the local origin, then (tx, ty).
void place(command& c)
{
    double s = sin_deg(c.rot), co = cos_deg(c.rot);
    float ix = static_cast<float>(co * c.sx), iy = static_cast<float>(-s * c.sy);
    float jx = static_cast<float>(s * c.sx), jy = static_cast<float>(co * c.sy);
    const float lx[4] = {c.x0, c.x1, c.x1, c.x0}, ly[4] = {c.y0, c.y0, c.y1, c.y1};
    for (int i = 0; i < 4; ++i) {
        c.xy[2 * i] = c.tx + lx[i] * ix + ly[i] * iy;
        c.xy[2 * i + 1] = c.ty + lx[i] * jx + ly[i] * jy;
    }
}

struct builder {
    const std::vector<picture>& pics;
    std::vector<command>& out;
    lcg& rng;
    paint tint; // the scene's daylight tint
    const char* group = "";

    // An image drawn about its centre handle, as the game's sprites are.
    void sprite(int pic, float x, float y, float rot, float scale, int blend, float alpha)
    {
        command c;
        c.pic = pic;
        c.x0 = -pics[static_cast<size_t>(pic)].width * 0.5f;
        c.y0 = -pics[static_cast<size_t>(pic)].height * 0.5f;
        c.x1 = c.x0 + pics[static_cast<size_t>(pic)].width;
        c.y1 = c.y0 + pics[static_cast<size_t>(pic)].height;
        c.tx = x;
        c.ty = y;
        c.rot = rot;
        c.sx = c.sy = scale;
        c.p = tint;
        c.p.blend = blend;
        c.p.a = static_cast<uint8_t>(float_to_int(alpha * 255.0f));
        c.group = group;
        place(c);
        out.push_back(c);
    }
    void picture_at(int pic, float x, float y, int blend)
    {
        command c;
        c.pic = pic;
        c.x1 = static_cast<float>(pics[static_cast<size_t>(pic)].width);
        c.y1 = static_cast<float>(pics[static_cast<size_t>(pic)].height);
        c.tx = x;
        c.ty = y;
        c.p = tint;
        c.p.blend = blend;
        c.group = group;
        place(c);
        out.push_back(c);
    }
};

} // namespace

scene_set build_scenes(const std::string& asset_dir)
{
    scene_set set;
    auto sky = read_png(asset_dir + "/graphx/rp_sky.png");
    auto ground = read_png(asset_dir + "/graphx/rp_bkgr.png");
    auto sheet = read_png(asset_dir + "/graphx/rmpar_sf1.png");
    set.real_art = sky && ground && sheet && sheet->width >= 640 && sheet->height >= 200;
    if (!set.real_art)
        std::fprintf(stderr, "renderer_bench: the game's pictures in %s cannot be read; using stand-ins\n",
                     asset_dir.c_str());
    auto& pics = set.pictures;
    if (set.real_art) {
        pics.push_back(from_pixmap("sky", *sky, false, 0));
        pics.push_back(from_pixmap("ground", *ground, true, 0));
        pics.push_back(from_pixmap("cloud", *cut(*sheet, 1, 74, 180, 68), true, 0));
        for (int k = 0; k < 6; ++k)
            pics.push_back(from_pixmap("planepart", *cut(*sheet, 183 + 31 * k, 83, 30, 28), true, 0));
        for (int k = 0; k < 3; ++k)
            pics.push_back(from_pixmap("rocket", *cut(*sheet, 340 + 45 * k, 170, 44, 10), true, 0));
    } else {
        pics.push_back(synthetic("sky", 640, 392, 0x6070C0, false, 0, 1));
        for (uint32_t& t : pics.back().argb) t |= 0xFF000000u;
        pics.push_back(synthetic("ground", 640, 294, 0x804020, false, 0, 2));
        pics.push_back(synthetic("cloud", 180, 68, 0xC0C0C0, false, 0, 3));
        for (int k = 0; k < 6; ++k) pics.push_back(synthetic("planepart", 30, 28, 0x605040, false, 0, 4 + k));
        for (int k = 0; k < 3; ++k) pics.push_back(synthetic("rocket", 44, 10, 0x909090, false, 0, 10 + k));
    }
    constexpr int sky_pic = 0, ground_pic = 1, cloud_pic = 2, part_pic = 3, rocket_pic = 9, glyph_pic = 12;
    for (int k = 0; k < 8; ++k) pics.push_back(glyph(k));
    for (picture& p : pics) p.tex = make_texture(p.argb.data(), p.width, p.height, p.flags);

    auto build = [&](scene& s, bool stress) {
        lcg rng{12345};
        builder b{pics, s.commands, rng, paint{200, 200, 255, 255, blend_mask}};
        command clear;
        clear.kind = op::clear;
        clear.group = "clear";
        s.commands.push_back(clear);
        b.group = "sky";
        b.picture_at(sky_pic, 0, 0, blend_solid);
        for (int i = 0; i < 200; ++i) {
            command c;
            c.kind = op::point;
            c.group = "points";
            c.tx = rng.range(0, 640);
            c.ty = rng.range(0, 300);
            c.p = paint{255, 255, 255, static_cast<uint8_t>(64 + (rng.next() & 191)), blend_alpha};
            s.commands.push_back(c);
        }
        b.group = "small clouds";
        for (int i = 0; i < 15; ++i)
            b.sprite(cloud_pic, rng.range(-60, 700), rng.range(20, 260), 0, rng.range(0.1f, 0.4f), blend_alpha,
                     rng.range(0.5f, 1.0f));
        b.group = "ground";
        b.picture_at(ground_pic, 0, 186, blend_mask);
        b.group = "big clouds";
        for (int i = 0; i < 15; ++i)
            b.sprite(cloud_pic, rng.range(-60, 700), rng.range(20, 300), 0, rng.range(0.6f, 1.2f), blend_alpha,
                     rng.range(0.5f, 1.0f));
        b.group = "debris";
        for (int i = 0; i < 20; ++i)
            b.sprite(part_pic + static_cast<int>(rng.next() % 6), rng.range(0, 640), rng.range(0, 460),
                     rng.range(0, 360), rng.range(0.5f, 1.5f), blend_mask, 1.0f);
        b.group = "rockets";
        for (int i = 0; i < 10; ++i)
            b.sprite(rocket_pic + static_cast<int>(rng.next() % 3), rng.range(0, 640), rng.range(0, 400),
                     rng.range(0, 360), 1.0f, blend_mask, 1.0f);
        b.group = "stress";
        if (stress)
            for (int i = 0; i < 300; ++i)
                b.sprite(part_pic + static_cast<int>(rng.next() % 6), rng.range(-10, 650), rng.range(-10, 490),
                         rng.range(0, 360), rng.range(0.3f, 1.6f), blend_alpha, rng.range(0.4f, 1.0f));
        command night;
        night.kind = op::rect;
        night.group = "rect";
        night.x1 = 640;
        night.y1 = 480;
        night.p = paint{0, 0, 64, static_cast<uint8_t>(float_to_int(0.3f * 255.0f)), blend_alpha};
        place(night);
        s.commands.push_back(night);
        b.tint = paint{255, 230, 120, 255, blend_alpha};
        b.group = "glyphs";
        for (int i = 0; i < 40; ++i)
            b.picture_at(glyph_pic + static_cast<int>(rng.next() % 8), static_cast<float>(8 + (i % 20) * 15),
                         static_cast<float>(8 + (i / 20) * 440), blend_alpha);
    };
    set.a.name = "A";
    set.b.name = "B";
    build(set.a, false);
    build(set.b, true);
    return set;
}

scene only_group(const scene& s, const std::string& group)
{
    scene out;
    out.name = s.name + " " + group;
    for (const command& c : s.commands)
        if (group == c.group) out.commands.push_back(c);
    return out;
}

void draw_ours(const scene_set& set, const scene& s, frame_buffer& fb)
{
    const clip_rect clip{0, 0, fb.width(), fb.height()};
    for (const command& c : s.commands) {
        switch (c.kind) {
        case op::clear:
            fb.clear(clip, 0);
            break;
        case op::quad:
            fb.draw_quad(*set.pictures[static_cast<size_t>(c.pic)].tex, c.xy, clip, c.p);
            break;
        case op::rect:
            fb.fill_quad(c.xy, clip, c.p);
            break;
        case op::point:
            fb.put_point(static_cast<int>(std::floor(c.tx + 0.5f)), static_cast<int>(std::floor(c.ty + 0.5f)), clip,
                         c.p);
            break;
        }
    }
    static_cast<const frame_buffer&>(fb)
        .pixels(); // a clear still owed is paid within the frame, as presenting it would
}

} // namespace bench
