// Font loading through FreeType/cairo and the lettered sprites.
#include "lettering.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <vector>

#include "paint.h"

namespace artgen {
namespace {

cairo_user_data_key_t face_key;

void release_face(void* face)
{
    FT_Done_Face(static_cast<FT_Face>(face));
}

FT_Library freetype()
{
    static FT_Library lib = nullptr;
    if (!lib && FT_Init_FreeType(&lib) != 0) lib = nullptr;
    return lib;
}

void set_font(cairo_t* cr, cairo_font_face_t* face, double size, double xscale)
{
    cairo_set_font_face(cr, face);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, size * xscale, size);
    cairo_set_font_matrix(cr, &m);
    cairo_font_options_t* opt = cairo_font_options_create();
    cairo_font_options_set_hint_style(opt, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, opt);
    cairo_font_options_destroy(opt);
}

} // namespace

lettering::~lettering()
{
    if (face_) cairo_font_face_destroy(face_);
}

bool lettering::load(const std::string& path, std::string& error)
{
    FT_Library lib = freetype();
    if (!lib) {
        error = "FreeType could not start";
        return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) {
        error = path + ": cannot open as a font";
        return false;
    }
    for (int c = 32; c < 127; ++c)
        if (FT_Get_Char_Index(face, c) == 0) {
            FT_Done_Face(face);
            error = path + ": font lacks character " + std::to_string(c);
            return false;
        }
    face_ = cairo_ft_font_face_create_for_ft_face(face, 0);
    if (cairo_font_face_set_user_data(face_, &face_key, face, release_face) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face_);
        face_ = nullptr;
        FT_Done_Face(face);
        error = path + ": cairo could not take the font";
        return false;
    }
    return true;
}

void lettering::glyph_path(cairo_t* cr, std::string_view text, double x, double baseline, double size, double tracking,
                           double xscale) const
{
    set_font(cr, face_, size, xscale);
    cairo_scaled_font_t* sf = cairo_get_scaled_font(cr);
    std::vector<cairo_glyph_t> glyphs;
    double pen = x;
    for (const char ch : text) {
        cairo_glyph_t* g = nullptr;
        int count = 0;
        const char one[2] = {ch, 0};
        if (cairo_scaled_font_text_to_glyphs(sf, 0, 0, one, 1, &g, &count, nullptr, nullptr, nullptr) !=
                CAIRO_STATUS_SUCCESS ||
            count < 1)
            continue;
        cairo_text_extents_t ext;
        cairo_scaled_font_glyph_extents(sf, g, 1, &ext);
        glyphs.push_back({g[0].index, pen, baseline});
        pen += ext.x_advance + tracking;
        cairo_glyph_free(g);
    }
    cairo_glyph_path(cr, glyphs.data(), static_cast<int>(glyphs.size()));
}

void lettering::ink_extents(cairo_t* cr, std::string_view text, double size, double tracking, double xscale, double& x0,
                            double& y0, double& x1, double& y1) const
{
    // Measured on the caller's own context so that layout and drawing agree.
    cairo_path_t* keep = cairo_copy_path(cr);
    cairo_new_path(cr);
    glyph_path(cr, text, 0, 0, size, tracking, xscale);
    cairo_path_extents(cr, &x0, &y0, &x1, &y1);
    cairo_new_path(cr);
    cairo_append_path(cr, keep);
    cairo_path_destroy(keep);
}

void lettering::fit_path(cairo_t* cr, std::string_view text, const text_box& box) const
{
    if (!face_ || text.empty()) return;
    double x0, y0, x1, y1;
    ink_extents(cr, text, 100, 0, 1, x0, y0, x1, y1);
    const double size = 100 * (box.y1 - box.y0) / (y1 - y0);
    ink_extents(cr, text, size, 0, 1, x0, y0, x1, y1);
    const double want = box.x1 - box.x0;
    double tracking = 0, xscale = 1;
    if (x1 - x0 > want || text.size() == 1) {
        xscale = want / (x1 - x0);
    } else if (text.size() > 1) {
        tracking = (want - (x1 - x0)) / (text.size() - 1);
        // Very wide gaps read as separate words: stretch the letters a little instead.
        const double limit = size * 0.1;
        if (tracking > limit) {
            tracking = limit;
            ink_extents(cr, text, size, tracking, 1, x0, y0, x1, y1);
            xscale = want / (x1 - x0);
            ink_extents(cr, text, size, tracking, xscale, x0, y0, x1, y1);
            tracking += (want - (x1 - x0)) / (text.size() - 1);
        }
    }
    ink_extents(cr, text, size, tracking, xscale, x0, y0, x1, y1);
    glyph_path(cr, text, box.x0 - x0, box.y0 - y0, size, tracking, xscale);
}

double lettering::ink_centre_x(std::string_view text, const text_box& box) const
{
    // Filled at 8x on a coverage surface; the column average of the coverage is where the eye
    // puts the letter's middle.
    constexpr int k = 8;
    const int w = static_cast<int>(box.x1 + 4) * k, h = static_cast<int>(box.y1 + 4) * k;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_scale(cr, k, k);
    fit_path(cr, text, box);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    double sum = 0, weighted = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double a = data[y * stride + x];
            sum += a;
            weighted += a * (x + 0.5);
        }
    cairo_surface_destroy(s);
    return sum > 0 ? weighted / sum / k : (box.x0 + box.x1) / 2;
}

void lettering::draw(cairo_t* cr, std::string_view text, const text_box& box, const letter_style& st) const
{
    if (!face_) return;
    cairo_save(cr);
    cairo_new_path(cr);
    fit_path(cr, text, box);
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (st.drop_shadow) {
        cairo_save(cr);
        cairo_translate(cr, 1.6, 1.8);
        cairo_new_path(cr);
        cairo_append_path(cr, path);
        set_color(cr, {24, 18, 20});
        cairo_set_line_width(cr, st.edge_width * 2);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    set_color(cr, st.edge);
    cairo_set_line_width(cr, st.edge_width * 2);
    cairo_stroke(cr);
    // Face: the lit rim first, then the gradient shifted down-right over it.
    cairo_append_path(cr, path);
    set_color(cr, st.shine);
    cairo_fill_preserve(cr);
    cairo_clip(cr);
    cairo_translate(cr, 0.8, 0.8);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    source_linear(cr, 0, box.y0, 0, box.y1, {{0, st.top}, {0.5, st.middle}, {1, st.bottom}});
    cairo_fill(cr);
    cairo_path_destroy(path);
    cairo_restore(cr);
}

namespace {

constexpr letter_style fiery{{255, 250, 200}, {255, 196, 50}, {206, 44, 24}, {26, 12, 14}, 1.6, {255, 255, 240}, true};
constexpr letter_style golden{
    {255, 255, 240}, {255, 236, 120}, {240, 168, 20}, {30, 20, 16}, 1.1, {255, 255, 255}, false};
constexpr letter_style steel{
    {236, 242, 255}, {188, 204, 228}, {112, 132, 170}, {16, 20, 34}, 1.1, {255, 255, 255}, false};

rgb_image lettered(int w, int h, const lettering& font, std::string_view text, const text_box& box,
                   const letter_style& st, double cut = 0.4)
{
    canvas cv(w, h);
    font.draw(cv.cr(), text, box, st);
    return cv.finish(cut);
}

} // namespace

rgb_image title_image(const lettering& font)
{
    canvas cv(332, 75);
    font.draw(cv.cr(), "RAMPARION '07", {5, 3, 325, 50}, fiery);
    font.draw(cv.cr(), "DEFEND THE FORT", {66, 57, 266, 70}, steel);
    return cv.finish(0.4);
}

rgb_image bonus_image(const lettering& font)
{
    return lettered(303, 15, font, "24 HR SURVIVAL! BONUS: 250 PTS.", {1.5, 1.5, 300.5, 12.8}, golden);
}

rgb_image gameover_image(const lettering& font)
{
    constexpr letter_style blood{
        {255, 240, 220}, {250, 120, 60}, {170, 20, 20}, {24, 10, 12}, 1.3, {255, 255, 255}, true};
    return lettered(251, 18, font, "GAME OVER", {10, 1.5, 239, 15}, blood);
}

rgb_image hud_image(const lettering& font)
{
    canvas cv(640, 19);
    // Label columns are where the HUD code expects them, digits sit between.
    font.draw(cv.cr(), "SCORE:", {4, 3.5, 61.5, 15.5}, steel);
    font.draw(cv.cr(), "BEST:", {160, 3.5, 206.5, 15.5}, steel);
    font.draw(cv.cr(), ",", {289, 12, 293, 17.5}, steel);
    font.draw(cv.cr(), "CASUALTIES:", {369, 3.5, 469.5, 15.5}, steel);
    font.draw(cv.cr(), "MEN:", {553, 3.5, 595.5, 15.5}, steel);
    return cv.finish(0.4);
}

rgb_image digit_image(const lettering& font, int digit)
{
    const char text[2] = {static_cast<char>('0' + digit), 0};
    constexpr text_box wide{2.2, 1.3, 13.3, 13.7};
    if (digit != 1) return lettered(16, 15, font, text, wide, golden);
    // A 1 is narrow by nature: keep its stroke weight instead of stretching it, and put the weight
    // of its ink (the stem, not the flag) on the wide digits' middle so 00001 does not read 0000 1.
    text_box box{5, 1.3, 10.5, 13.7};
    const double shift = (wide.x0 + wide.x1) / 2 - font.ink_centre_x(text, box);
    box.x0 += shift;
    box.x1 += shift;
    return lettered(16, 15, font, text, box, golden);
}

} // namespace artgen
