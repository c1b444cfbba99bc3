// Cairo drawing surface for one sprite plus the finishing passes that turn
// anti-aliased vector art into masked pixel art (hard silhouette, outlines).
#pragma once

#include <cairo.h>

#include <initializer_list>

#include "raster.h"

namespace artgen {

struct stop {
    double at;
    rgb c;
    double a = 1.0;
};

class canvas {
public:
    canvas(int width, int height);
    ~canvas();
    canvas(const canvas&) = delete;
    canvas& operator=(const canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surf_; }
    int w() const { return w_; }
    int h() const { return h_; }

    // Hard-edged picture: coverage below `cut` becomes key black, the rest
    // keeps its un-blended colour; opaque pure black is nudged off the key.
    rgb_image finish(double cut = 0.5) const;
    // Composite over `ground` instead (for full-frame pictures).
    rgb_image flatten(rgb ground) const;

private:
    int w_, h_;
    cairo_surface_t* surf_;
    cairo_t* cr_;
};

void set_color(cairo_t* cr, rgb c, double a = 1.0);
void source_linear(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<stop> stops);
void source_radial(cairo_t* cr, double cx0, double cy0, double r0, double cx1, double cy1, double r1,
                   std::initializer_list<stop> stops);

void ellipse_path(cairo_t* cr, double cx, double cy, double rx, double ry);
void rounded_rect_path(cairo_t* cr, double x, double y, double w, double h, double r);
// Polygon from flat coordinate pairs.
void poly_path(cairo_t* cr, std::initializer_list<double> xy);

// Darkens the silhouette's own edge pixels (a "selective" outline that
// follows the local colour, lighter where the light falls on the top-left).
void outline_inner(rgb_image& img, double dark = 0.45);
// Adds a one-pixel outline of `col` around the silhouette, outside it.
void outline_outer(rgb_image& img, rgb col = near_black);
// A colour meant to be opaque, moved off the key colour if it is on it.
rgb off_key(rgb c);

} // namespace artgen
