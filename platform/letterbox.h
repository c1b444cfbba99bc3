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

// Picture pixel to the window pixel at the centre of its scaled cell.
inline void picture_to_window(const letterbox& lb, int pic_w, int pic_h, int px, int py, int& wx, int& wy)
{
    wx = lb.x + static_cast<int>((2LL * px + 1) * lb.w / (2LL * pic_w));
    wy = lb.y + static_cast<int>((2LL * py + 1) * lb.h / (2LL * pic_h));
}

} // namespace platform
