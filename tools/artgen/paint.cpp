// Cairo canvas wrapper and the pixel-art finishing passes.
#include "paint.h"

#include <cmath>

namespace artgen {

canvas::canvas(int width, int height) : w_(width), h_(height)
{
    surf_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cr_ = cairo_create(surf_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GRAY);
}

canvas::~canvas()
{
    cairo_destroy(cr_);
    cairo_surface_destroy(surf_);
}

namespace {

struct argb {
    double a, r, g, b; // straight (not premultiplied), 0..255
};

argb read_pixel(cairo_surface_t* s, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const uint32_t v = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
    const double a = (v >> 24) & 255;
    if (a == 0) return {0, 0, 0, 0};
    return {a, ((v >> 16) & 255) * 255.0 / a, ((v >> 8) & 255) * 255.0 / a, (v & 255) * 255.0 / a};
}

} // namespace

rgb_image canvas::finish(double cut) const
{
    cairo_surface_flush(surf_);
    rgb_image out(w_, h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            const argb p = read_pixel(surf_, x, y);
            if (p.a < cut * 255.0) continue;
            out.set(x, y, off_key({clamp_u8(p.r), clamp_u8(p.g), clamp_u8(p.b)}));
        }
    return out;
}

rgb_image canvas::flatten(rgb ground) const
{
    cairo_surface_flush(surf_);
    rgb_image out(w_, h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            const argb p = read_pixel(surf_, x, y);
            const double t = p.a / 255.0;
            out.set(x, y,
                    {clamp_u8(ground.r + (p.r - ground.r) * t), clamp_u8(ground.g + (p.g - ground.g) * t),
                     clamp_u8(ground.b + (p.b - ground.b) * t)});
        }
    return out;
}

void set_color(cairo_t* cr, rgb c, double a)
{
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, a);
}

namespace {
void add_stops(cairo_pattern_t* p, std::initializer_list<stop> stops)
{
    for (const stop& s : stops)
        cairo_pattern_add_color_stop_rgba(p, s.at, s.c.r / 255.0, s.c.g / 255.0, s.c.b / 255.0, s.a);
}
} // namespace

void source_linear(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<stop> stops)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    add_stops(p, stops);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

void source_radial(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                   std::initializer_list<stop> stops)
{
    cairo_pattern_t* p = cairo_pattern_create_radial(cx0, cy0, r0, cx1, cy1, r1);
    add_stops(p, stops);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

void ellipse_path(cairo_t* cr, double cx, double cy, double rx, double ry)
{
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void rounded_rect_path(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

void poly_path(cairo_t* cr, std::initializer_list<double> xy)
{
    const double* p = xy.begin();
    cairo_move_to(cr, p[0], p[1]);
    for (size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(cr, p[i], p[i + 1]);
    cairo_close_path(cr);
}

void outline_inner(rgb_image& img, double dark)
{
    const rgb_image src = img;
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            if (is_key(src.at(x, y))) continue;
            auto open = [&](int dx, int dy) { return !src.inside(x + dx, y + dy) || is_key(src.at(x + dx, y + dy)); };
            const bool lit_edge = open(-1, 0) || open(0, -1);
            const bool shade_edge = open(1, 0) || open(0, 1);
            if (!lit_edge && !shade_edge) continue;
            // Edges facing the light keep more of their colour.
            const double k = shade_edge ? dark : dark + (1.0 - dark) * 0.35;
            img.set(x, y, off_key(mix(near_black, src.at(x, y), k)));
        }
}

void outline_outer(rgb_image& img, rgb col)
{
    const rgb_image src = img;
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            if (!is_key(src.at(x, y))) continue;
            bool touch = false;
            for (int d = 0; d < 4 && !touch; ++d) {
                const int nx = x + (d == 0) - (d == 1), ny = y + (d == 2) - (d == 3);
                touch = src.inside(nx, ny) && !is_key(src.at(nx, ny));
            }
            if (touch) img.set(x, y, col);
        }
}

rgb off_key(rgb c)
{
    return is_key(c) ? rgb{2, 1, 1} : c;
}

} // namespace artgen
