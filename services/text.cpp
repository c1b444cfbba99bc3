// TrueType text: fonts loaded from streams, glyphs cached as images, drawing and measuring strings.
#include "services/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "services/builtin_font.h"
#include "services/display.h"
#include "services/files.h"
#include "services/images.h"
#include "services/maths.h"

namespace {

constexpr int style_smooth = 4;
constexpr int smooth_glyph_flags = image_filtered | image_mipmapped;

struct glyph {
    bool loaded = false;
    float advance = 0.0f;
    int x = 0, y = 0, w = 0, h = 0;
    std::unique_ptr<image> img; // none for an empty bitmap
};

} // namespace

struct font {
    std::vector<uint8_t> data; // the face reads from this buffer for as long as it lives
    FT_Face face = nullptr;    // null for the built-in font
    int height = 0, ascend = 0, descend = 0, style = 0;
    int glyph_flags = 0;
    std::vector<glyph> glyphs; // by glyph number, filled on first use

    ~font()
    {
        if (face) FT_Done_Face(face);
    }
};

namespace {

// The library outlives every face made with it.
struct font_library {
    FT_Library lib = nullptr;
    bool tried = false;
    std::vector<std::unique_ptr<font>> fonts;

    ~font_library()
    {
        fonts.clear();
        if (lib) FT_Done_FreeType(lib);
    }
};

font_library& library()
{
    static font_library l;
    if (!l.tried) {
        l.tried = true;
        if (FT_Init_FreeType(&l.lib) != 0) {
            l.lib = nullptr;
            std::fprintf(stderr, "ramparion: the font rasteriser could not be started\n");
        }
    }
    return l;
}

font& builtin()
{
    static font f;
    if (f.glyphs.empty()) {
        f.height = builtin_font::height;
        f.ascend = builtin_font::ascend;
        f.descend = builtin_font::descend;
        f.glyphs.resize(builtin_font::glyph_count);
    }
    return f;
}

font& current_font()
{
    return draw_state.image_font ? *draw_state.image_font : builtin();
}

// A one-frame image, white with the coverage as alpha; `border` transparent pixels round it.
std::unique_ptr<image> coverage_image(const std::vector<uint8_t>& cover, int w, int h, int border, int flags)
{
    auto img = std::make_unique<image>();
    img->width = w + 2 * border;
    img->height = h + 2 * border;
    img->flags = flags;
    auto pm = std::make_shared<pixmap>();
    pm->width = img->width;
    pm->height = img->height;
    pm->channels = 4;
    pm->pixels.assign(static_cast<size_t>(pm->width) * pm->height * 4, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &pm->pixels[(static_cast<size_t>(y + border) * pm->width + x + border) * 4];
            p[0] = p[1] = p[2] = 255;
            p[3] = cover[static_cast<size_t>(y) * w + x];
        }
    img->pixmaps.push_back(std::move(pm));
    img->frames.resize(1);
    img->seqs.assign(1, 0);
    return img;
}

// The bitmap as one coverage byte a pixel; false for pixel modes we do not draw.
bool read_coverage(const FT_Bitmap& bm, std::vector<uint8_t>& out)
{
    int w = static_cast<int>(bm.width), h = static_cast<int>(bm.rows);
    out.assign(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
        for (int x = 0; x < w; ++x) {
            uint8_t c;
            if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                c = row[x];
            else if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                c = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            else
                return false;
            out[static_cast<size_t>(y) * w + x] = c;
        }
    }
    return true;
}

void render_face_glyph(font& f, int index, glyph& g)
{
    FT_Face face = f.face;
    if (FT_Load_Glyph(face, static_cast<FT_UInt>(index) + 1, FT_LOAD_DEFAULT) != 0) return;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bm = slot->bitmap;
    std::vector<uint8_t> cover;
    if (bm.width > 0 && bm.rows > 0) {
        if (!bm.buffer || !read_coverage(bm, cover)) return;
    }
    g.advance = static_cast<float>(slot->advance.x >> 6);
    g.x = slot->bitmap_left;
    g.y = f.ascend - slot->bitmap_top;
    g.w = static_cast<int>(bm.width);
    g.h = static_cast<int>(bm.rows);
    if (g.w == 0 || g.h == 0) return;
    // Smooth glyphs are filtered when scaled: a clear border keeps their edges from being cut off.
    int border = (f.style & style_smooth) ? 1 : 0;
    g.img = coverage_image(cover, g.w, g.h, border, f.glyph_flags);
    g.x -= border;
    g.y -= border;
    g.w += 2 * border;
    g.h += 2 * border;
}

void render_builtin_glyph(int index, glyph& g)
{
    using namespace builtin_font;
    g.advance = static_cast<float>(advance);
    std::vector<uint8_t> cover(static_cast<size_t>(glyph_w) * glyph_h, 0);
    bool ink = false;
    for (int r = 0; r < glyph_h; ++r)
        for (int c = 0; c < glyph_w; ++c)
            if (glyph_row(index, r) & (0x10 >> c)) {
                cover[static_cast<size_t>(r) * glyph_w + c] = 255;
                ink = true;
            }
    if (!ink) return;
    g.x = 0;
    g.y = top;
    g.w = glyph_w;
    g.h = glyph_h;
    g.img = coverage_image(cover, glyph_w, glyph_h, 0, 0);
}

// A glyph that fails to render stays empty: nothing drawn and no advance.
const glyph& load_glyph(font& f, int index)
{
    glyph& g = f.glyphs[static_cast<size_t>(index)];
    if (g.loaded) return g;
    g.loaded = true;
    if (f.face)
        render_face_glyph(f, index, g);
    else
        render_builtin_glyph(index, g);
    return g;
}

// Text is taken as UTF-8; a byte that does not start a whole sequence stands for itself.
uint32_t next_char(const std::string& s, size_t& i)
{
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    const uint8_t b = p[i++];
    const size_t extra = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : 0;
    if (extra == 0 || i + extra > s.size()) return b;
    uint32_t cp = b & (0x3Fu >> extra);
    for (size_t k = 0; k < extra; ++k) {
        const uint8_t c = p[i + k];
        if ((c & 0xC0) != 0x80) return b;
        cp = cp << 6 | (c & 0x3Fu);
    }
    i += extra;
    return cp;
}

// The glyph number of a character, or -1 when the font lacks it; characters are 16 bits wide.
int glyph_of(const font& f, uint32_t ch)
{
    if (ch > 0xFFFF) return -1;
    if (!f.face) return builtin_font::glyph_index(ch);
    int index = static_cast<int>(FT_Get_Char_Index(f.face, ch)) - 1;
    return index >= 0 && index < static_cast<int>(f.glyphs.size()) ? index : -1;
}

font* open_face(std::vector<uint8_t> bytes, int size, int style, const std::string& what)
{
    font_library& l = library();
    if (!l.lib) return nullptr;
    auto f = std::make_unique<font>();
    f->data = std::move(bytes);
    if (f->data.empty() ||
        FT_New_Memory_Face(l.lib, f->data.data(), static_cast<FT_Long>(f->data.size()), 0, &f->face) != 0) {
        f->face = nullptr;
        std::fprintf(stderr, "ramparion: %s is not a font that can be read\n", what.c_str());
        return nullptr;
    }
    // A face with fixed sizes only may lack the one asked for: take the next smaller it has.
    int px = size;
    while (px >= 1 && FT_Set_Pixel_Sizes(f->face, 0, static_cast<FT_UInt>(px)) != 0) --px;
    if (px < 1) {
        std::fprintf(stderr, "ramparion: %s has no pixel size of %d or below\n", what.c_str(), size);
        return nullptr;
    }
    const FT_Size_Metrics& m = f->face->size->metrics;
    f->height = static_cast<int>(m.height >> 6);
    f->ascend = static_cast<int>(m.ascender >> 6);
    f->descend = static_cast<int>(m.descender >> 6);
    f->style = style;
    f->glyph_flags = (style & style_smooth) ? smooth_glyph_flags : 0;
    f->glyphs.resize(static_cast<size_t>(std::max<FT_Long>(f->face->num_glyphs, 0)));
    l.fonts.push_back(std::move(f));
    return l.fonts.back().get();
}

} // namespace

font* load_font(const std::string& url, int size, int style)
{
    stream_handle s(open_read(url));
    if (!s) {
        std::fprintf(stderr, "ramparion: cannot open font %s\n", url.c_str());
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    if (!read_all(s.get(), bytes)) {
        std::fprintf(stderr, "ramparion: cannot read font %s\n", url.c_str());
        return nullptr;
    }
    return open_face(std::move(bytes), size, style, url);
}

font* load_font_memory(std::vector<uint8_t> bytes, int size, int style)
{
    return open_face(std::move(bytes), size, style, "font data");
}

void free_font(font* f)
{
    if (!f) return;
    if (draw_state.image_font == f) draw_state.image_font = nullptr;
    auto& fonts = library().fonts;
    auto it = std::find_if(fonts.begin(), fonts.end(), [f](const auto& p) { return p.get() == f; });
    if (it != fonts.end()) fonts.erase(it);
}

void set_font(font* f)
{
    draw_state.image_font = f;
}

void draw_text(const std::string& text, float x, float y)
{
    font& f = current_font();
    const float ix = draw_state.tform_ix, iy = draw_state.tform_iy;
    const float jx = draw_state.tform_jx, jy = draw_state.tform_jy;
    const float hx = draw_state.handle_x, hy = draw_state.handle_y;
    float px = x + draw_state.origin_x + hx * ix + hy * iy;
    float py = y + draw_state.origin_y + hx * jx + hy * jy;
    for (size_t i = 0; i < text.size();) {
        int index = glyph_of(f, next_char(text, i));
        if (index < 0) continue;
        const glyph& g = load_glyph(f, index);
        if (g.img) {
            if (const texture* t = frame_texture(g.img.get(), 0)) {
                float gx = static_cast<float>(g.x), gy = static_cast<float>(g.y);
                draw_texture_quad(*t, 0.0f, 0.0f, static_cast<float>(g.img->width), static_cast<float>(g.img->height),
                                  px + gx * ix + gy * iy, py + gx * jx + gy * jy);
            }
        }
        px += g.advance * ix;
        py += g.advance * jx;
    }
}

int text_width(const std::string& text)
{
    font& f = current_font();
    int w = 0;
    for (size_t i = 0; i < text.size();) {
        int index = glyph_of(f, next_char(text, i));
        if (index < 0) continue;
        w = float_to_int(static_cast<float>(w) + load_glyph(f, index).advance);
    }
    return w;
}

int font_height(const font* f)
{
    return (f ? *f : builtin()).height;
}
int font_ascend(const font* f)
{
    return (f ? *f : builtin()).ascend;
}
int font_descend(const font* f)
{
    return (f ? *f : builtin()).descend;
}
