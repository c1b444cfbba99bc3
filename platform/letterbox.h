// Where the 640x480 picture lands in a window of another size, and the pointer mapped both ways.
#pragma once

#include <algorithm>

namespace platform {

struct letterbox {
    int x, y, w, h;     // the picture's rectangle in the window's drawable pixels
    bool whole = false; // a whole multiple of the picture: sampled by nearest pixel
    // Not whole: the whole multiple the picture is first enlarged to by nearest pixel, then
    // filtered smoothly down to w x h (1: filtered straight from the picture).
    int prescale = 1;
};

// A whole multiple is shown when it is at least this share of the largest picture of the same
// shape that fits; short of it the bars would waste the screen, so the picture fills it instead.
// 2x on 1920x1080 (89% of the fit) and 3x on 2560x1600 (90%) stay whole; 1366x768, 1280x720
// and 1600x900 (1x is 63%, 67%, 53%) are filled.
constexpr int whole_share_percent = 85;

// Centred in the window: the largest whole multiple of the picture when it fills enough of the
// window, else the largest rectangle of the picture's aspect, to be filtered smoothly.
inline letterbox fit_picture(int out_w, int out_h, int pic_w, int pic_h)
{
    if (out_w <= 0 || out_h <= 0 || pic_w <= 0 || pic_h <= 0) return {0, 0, pic_w, pic_h, true, 1};
    int n = std::min(out_w / pic_w, out_h / pic_h);
    // n against the fit's scale min(out_w / pic_w, out_h / pic_h), exactly: the share is reached
    // when it is on either axis.
    bool enough = 100LL * n * pic_w >= static_cast<long long>(whole_share_percent) * out_w ||
                  100LL * n * pic_h >= static_cast<long long>(whole_share_percent) * out_h;
    if (n >= 1 && enough) return {(out_w - n * pic_w) / 2, (out_h - n * pic_h) / 2, n * pic_w, n * pic_h, true, 1};
    long long wa = static_cast<long long>(out_w) * pic_h, ha = static_cast<long long>(out_h) * pic_w;
    int w, h, prescale;
    if (wa >= ha) { // wider than the picture: bars left and right
        h = out_h;
        w = static_cast<int>(static_cast<long long>(out_h) * pic_w / pic_h);
        prescale = (out_h + pic_h - 1) / pic_h;
    } else {
        w = out_w;
        h = static_cast<int>(static_cast<long long>(out_w) * pic_h / pic_w);
        prescale = (out_w + pic_w - 1) / pic_w;
    }
    // Up to the next whole multiple, not the last one: filtering down by less than half blends
    // only across the edges of the enlarged pixels, where filtering up would blur them all.
    return {(out_w - w) / 2, (out_h - h) / 2, std::max(w, 1), std::max(h, 1), false, std::max(prescale, 1)};
}

// Room a window's frame and title bar take beyond its client area, roughly.
constexpr int frame_allowance_w = 16;
constexpr int frame_allowance_h = 64;

// The client size of the game's window on a screen whose free area is free_w x free_h: twice the
// picture where that fits with the window's frame, else once, else the picture shrunk to fit.
inline void window_size_for(int free_w, int free_h, int pic_w, int pic_h, int& w, int& h)
{
    int room_w = free_w - frame_allowance_w, room_h = free_h - frame_allowance_h;
    for (int n = 2; n >= 1; --n)
        if (n * pic_w <= room_w && n * pic_h <= room_h) {
            w = n * pic_w;
            h = n * pic_h;
            return;
        }
    letterbox lb = fit_picture(std::max(room_w, 1), std::max(room_h, 1), pic_w, pic_h);
    w = lb.w;
    h = lb.h;
}

// The pointer between window coordinates (what mouse events and warps use) and picture pixels.
// The window is win_w x win_h in coordinates but out_w x out_h in pixels on a high-DPI screen.
struct pointer_map {
    letterbox box; // in drawable pixels
    int pic_w, pic_h, win_w, win_h, out_w, out_h;

    // The picture pixel under window coordinate w along one axis, before clamping: the middle of
    // the coordinate's cell, taken to drawable pixels, then into the picture.
    static long long raw(long long w, int win, int out, int start, int size, int pic)
    {
        long long num = ((2 * w + 1) * out - 2LL * start * win) * pic;
        long long den = 2LL * win * size;
        return num >= 0 ? num / den : -((-num + den - 1) / den);
    }

    static int to_picture_axis(int w, int win, int out, int start, int size, int pic)
    {
        if (win <= 0 || out <= 0 || size <= 0) return std::clamp(w, 0, pic - 1);
        return static_cast<int>(std::clamp<long long>(raw(w, win, out, start, size, pic), 0, pic - 1));
    }

    // The middle of the window coordinates that read back as picture pixel p; a picture shrunk
    // below its size may leave p none of its own, and then the next one is taken.
    static int to_window_axis(int p, int win, int out, int start, int size, int pic)
    {
        if (win <= 0 || out <= 0 || size <= 0) return p;
        p = std::clamp(p, 0, pic - 1);
        auto first_at_least = [&](long long target) {
            int lo = 0, hi = win; // the answer lies in [lo, hi]; hi means none
            while (lo < hi) {
                int mid = lo + (hi - lo) / 2;
                if (raw(mid, win, out, start, size, pic) >= target)
                    hi = mid;
                else
                    lo = mid + 1;
            }
            return lo;
        };
        int lo = first_at_least(p), end = first_at_least(p + 1);
        if (end > lo) return lo + (end - 1 - lo) / 2;
        return std::min(lo, win - 1);
    }

    // The window coordinates [lo, hi] along one axis that lie over the picture.
    static void window_span(int win, int out, int start, int size, int pic, int& lo, int& hi)
    {
        lo = 0;
        hi = win - 1;
        if (win <= 0 || out <= 0 || size <= 0) return;
        auto first_at_least = [&](long long target) {
            int a = 0, b = win;
            while (a < b) {
                int mid = a + (b - a) / 2;
                if (raw(mid, win, out, start, size, pic) >= target)
                    b = mid;
                else
                    a = mid + 1;
            }
            return a;
        };
        lo = std::min(first_at_least(0), win - 1);
        hi = std::max(first_at_least(pic) - 1, lo);
    }

    // The rectangle of window coordinates over the picture, edges included: where a held
    // pointer is kept.
    void picture_in_window(int& x0, int& y0, int& x1, int& y1) const
    {
        window_span(win_w, out_w, box.x, box.w, pic_w, x0, x1);
        window_span(win_h, out_h, box.y, box.h, pic_h, y0, y1);
    }

    void to_picture(int wx, int wy, int& px, int& py) const
    {
        px = to_picture_axis(wx, win_w, out_w, box.x, box.w, pic_w);
        py = to_picture_axis(wy, win_h, out_h, box.y, box.h, pic_h);
    }

    void to_window(int px, int py, int& wx, int& wy) const
    {
        wx = to_window_axis(px, win_w, out_w, box.x, box.w, pic_w);
        wy = to_window_axis(py, win_h, out_h, box.y, box.h, pic_h);
    }
};

inline pointer_map make_pointer_map(int win_w, int win_h, int out_w, int out_h, int pic_w, int pic_h)
{
    return {fit_picture(out_w, out_h, pic_w, pic_h), pic_w, pic_h, win_w, win_h, out_w, out_h};
}

} // namespace platform
