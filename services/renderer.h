// The software renderer: textured and flat quads, points, clears and read-back on a 32-bit back buffer.
//
// Coverage rule: a quad is the affine image of the unit square (corner 0 at u,v = 0,0, corner 1 at
// 1,0, corner 3 at 0,1). A pixel is covered when its centre (px + 0.5, py + 0.5) maps to u in [0, 1)
// and v in [0, 1), computed exactly for whole and half-pixel corners. Nearest sampling reads texel
// (floor(u x width), floor(v x height)); bilinear sampling centres texels at half-texel positions.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "services/pixel_ops.h"

// Texture flag bits, shared with images.
constexpr int texture_filtered = 2;
constexpr int texture_mipmapped = 4;

// Texels are 0xAARRGGBB; the back buffer is 0x00RRGGBB.
struct texture {
    struct level {
        int width = 0, height = 0;
        std::vector<uint32_t> texels;
    };
    int flags = 0;
    std::vector<level> levels; // level 0 is the full picture
    int width() const { return levels.empty() ? 0 : levels[0].width; }
    int height() const { return levels.empty() ? 0 : levels[0].height; }
};

// Builds a texture from width x height texels (and its mip chain when asked).
std::shared_ptr<texture> make_texture(const uint32_t* argb, int width, int height, int flags);

struct clip_rect {
    int x0, y0, x1, y1; // x1, y1 exclusive
};

class frame_buffer {
public:
    frame_buffer(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t* pixels() { return px_.data(); }
    const uint32_t* pixels() const { return px_.data(); }
    uint32_t pixel(int x, int y) const { return px_[static_cast<size_t>(y) * width_ + x]; }

    void clear(const clip_rect& clip, uint32_t rgb);
    // Corners in the order top-left, top-right, bottom-right, bottom-left of the source rectangle.
    void fill_quad(const float xy[8], const clip_rect& clip, const paint& p);
    void draw_quad(const texture& tex, const float xy[8], const clip_rect& clip, const paint& p);
    void put_point(int x, int y, const clip_rect& clip, const paint& p);
    // Copies a rectangle out as 0xFFRRGGBB; pixels outside the buffer read as 0.
    void read_rect(int x, int y, int w, int h, uint32_t* out) const;

private:
    int width_, height_;
    std::vector<uint32_t> px_;
};
