// Wreckage: each aircraft broken into three pieces with charred, torn edges.
#include <cmath>

#include "art.h"
#include "paint.h"

namespace artgen {
namespace {

struct cut {
    int from, to; // columns of the whole aircraft kept in this piece
};

// Torn edge: the break wanders a little from row to row.
int tear(int column, int y, int seed)
{
    return column + static_cast<int>(std::lround(1.6 * std::sin(y * 1.9 + seed) + (hash01(y, seed, 131) - 0.5) * 2.5));
}

rgb_image piece(const rgb_image& plane, cut c, int seed)
{
    rgb_image out(30, 28);
    const int width = c.to - c.from + 1;
    const int ox = (30 - width) / 2, oy = (28 - plane.h) / 2;
    for (int y = 0; y < plane.h; ++y) {
        const int left = c.from == 0 ? 0 : tear(c.from, y, seed);
        const int right = c.to == plane.w - 1 ? plane.w - 1 : tear(c.to, y, seed + 5);
        for (int x = std::max(left, 0); x <= std::min(right, plane.w - 1); ++x) {
            const rgb p = plane.at(x, y);
            if (is_key(p)) continue;
            const int edge = std::min(c.from == 0 ? 99 : x - left, c.to == plane.w - 1 ? 99 : right - x);
            rgb q = p;
            if (edge <= 0)
                q = hash01(x, y, seed) < 0.3 ? rgb{255, 150, 40} : rgb{40, 30, 28};
            else if (edge <= 2)
                q = mix(p, rgb{44, 34, 30}, edge == 1 ? 0.7 : 0.4);
            out.set(ox + x - c.from, oy + y, off_key(q));
        }
    }
    return out;
}

} // namespace

rgb_image planepart_image(int frame)
{
    if (frame < 3) {
        constexpr cut cuts[] = {{0, 28}, {28, 56}, {56, 83}};
        return piece(lgtrooper_image(0), cuts[frame], 10 + frame);
    }
    if (frame < 6) {
        constexpr cut cuts[] = {{35, 52}, {17, 35}, {0, 17}}; // nose, fuselage, tail
        return piece(smtrooper_image(0), cuts[frame - 3], 20 + frame);
    }
    constexpr cut cuts[] = {{0, 19}, {19, 38}, {38, 56}}; // tail, cockpit, fuselage
    const int k = (frame - 6) % 3;
    const rgb_image p = piece(mustang_image(0), cuts[k], 30 + k);
    return frame < 9 ? p : mirror_x(p);
}

} // namespace artgen
