// Where the 640x480 picture lands in a window of another size, and pointer mapping both ways.
#pragma once

#include <algorithm>

namespace platform {

struct letterbox {
    int x, y, w, h; // the picture's rectangle in window pixels
};

// The largest rectangle of the picture's aspect that fits, centred.
inline letterbox fit_picture(int window_w, int window_h, int pic_w, int pic_h)
{
    if (window_w <= 0 || window_h <= 0 || pic_w <= 0 || pic_h <= 0) return {0, 0, pic_w, pic_h};
    long long wa = static_cast<long long>(window_w) * pic_h, ha = static_cast<long long>(window_h) * pic_w;
    int w, h;
    if (wa >= ha) { // window wider than the picture: bars left and right
        h = window_h;
        w = static_cast<int>(static_cast<long long>(window_h) * pic_w / pic_h);
    } else {
        w = window_w;
        h = static_cast<int>(static_cast<long long>(window_w) * pic_h / pic_w);
    }
    return {(window_w - w) / 2, (window_h - h) / 2, w, h};
}

// Window pixel to picture pixel, kept inside the picture.
inline void window_to_picture(const letterbox& lb, int pic_w, int pic_h, int wx, int wy, int& px, int& py)
{
    long long dx = wx - lb.x, dy = wy - lb.y;
    px = lb.w > 0 ? static_cast<int>(dx * pic_w / lb.w) : wx;
    py = lb.h > 0 ? static_cast<int>(dy * pic_h / lb.h) : wy;
    if (dx < 0) px = 0;
    if (dy < 0) py = 0;
    px = std::clamp(px, 0, pic_w - 1);
    py = std::clamp(py, 0, pic_h - 1);
}

// Picture pixel to the middle of the window pixels that map back to it, so a move followed by
// the pointer's report gives the same picture pixel at any scale of 1 or more.
inline void picture_to_window(const letterbox& lb, int pic_w, int pic_h, int px, int py, int& wx, int& wy)
{
    auto one = [](int p, int pic, int start, int size) {
        if (pic <= 0 || size <= 0) return start + p;
        p = std::clamp(p, 0, pic - 1);
        // Window offsets d with floor(d * pic / size) == p run from ceil(p * size / pic)
        // up to ceil((p + 1) * size / pic) - 1.
        long long lo = (static_cast<long long>(p) * size + pic - 1) / pic;
        long long hi = (static_cast<long long>(p + 1) * size + pic - 1) / pic - 1;
        // Shrunk below its size, p may have no window pixel of its own: take the next one.
        long long mid = hi < lo ? std::min<long long>(lo, size - 1) : (lo + hi) / 2;
        return start + static_cast<int>(mid);
    };
    wx = one(px, pic_w, lb.x, lb.w);
    wy = one(py, pic_h, lb.y, lb.h);
}

} // namespace platform
