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

#include "services/render/pixel_ops.h"

// Texture flag bits, shared with images.
constexpr int texture_filtered = 2;
constexpr int texture_mipmapped = 4;

// Texel columns or rows from..to; none when to < from.
struct texel_run {
    int from = 0, to = -1;
};

// Texels are 0xAARRGGBB; the back buffer is 0x00RRGGBB. Texels are fixed once the texture is made.
struct texture {
    struct level {
        int width = 0, height = 0;
        std::vector<uint32_t> texels;
        std::vector<uint8_t> one_colour; // per row: every texel the same, so the row draws as a flat span
        // Where texels can show, [0] for alpha 128 and up (what passes the mask test), [1] for alpha
        // 1 and up (what changes a blended pixel): per row, and the box around them all.
        std::vector<texel_run> showing[2];
        texel_run box_cols[2], box_rows[2];
    };
    int flags = 0;
    std::vector<level> levels; // level 0 is the full picture
    uint8_t min_alpha = 0;     // no sample of any level (filtered or mixed) has less
    int width() const { return levels.empty() ? 0 : levels[0].width; }
    int height() const { return levels.empty() ? 0 : levels[0].height; }
};

// Builds a texture from width x height texels (and its mip chain when asked).
std::shared_ptr<texture> make_texture(const uint32_t* argb, int width, int height, int flags);

struct clip_rect {
    int x0, y0, x1, y1; // x1, y1 exclusive
};

// Whole rows a clear still owes. Paying waits for the first draw on the row, and a draw that
// replaces the whole row without reading it (the sky, say) pays by drawing.
struct owed_clear {
    std::vector<uint8_t> rows; // 1: the row still shows what was there before the clear
    int count = 0;
    uint32_t rgb = 0;
};

class frame_buffer {
public:
    frame_buffer(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    // The pixels as drawn so far: a pointer taken here shows later clears only after another call.
    uint32_t* pixels()
    {
        settle();
        clean_tops_ = false; // whoever writes here may leave top bytes set
        return px_.data();
    }
    const uint32_t* pixels() const
    {
        settle();
        return px_.data();
    }
    uint32_t pixel(int x, int y) const
    {
        if (owed_.count && owed_.rows[static_cast<size_t>(y)]) pay_row(y);
        return px_[static_cast<size_t>(y) * width_ + x];
    }

    void clear(const clip_rect& clip, uint32_t rgb);
    // Corners in the order top-left, top-right, bottom-right, bottom-left of the source rectangle.
    void fill_quad(const float xy[8], const clip_rect& clip, const paint& p);
    void draw_quad(const texture& tex, const float xy[8], const clip_rect& clip, const paint& p);
    void put_point(int x, int y, const clip_rect& clip, const paint& p);
    // Copies a rectangle out as 0xFFRRGGBB; pixels outside the buffer read as 0.
    void read_rect(int x, int y, int w, int h, uint32_t* out) const;

private:
    void settle() const
    {
        if (owed_.count) pay_rows(0, height_);
    }
    void pay_row(int y) const;
    void pay_rows(int y0, int y1) const; // the owed rows among y0..y1 - 1

    int width_, height_;
    // Mutable as looking at a pixel pays the clear its row still owes; what is seen never changes.
    mutable std::vector<uint32_t> px_;
    mutable owed_clear owed_;
    // Every pixel's top byte is 0 (as every draw and clear leaves it): then a texel of alpha 0
    // changes nothing under a blend, and a sprite's transparent margins can be skipped.
    bool clean_tops_ = true;
};
