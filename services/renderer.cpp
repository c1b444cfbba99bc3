// The software renderer: textured and flat quads, points, clears and read-back on a 32-bit back buffer.
#include "services/renderer.h"

#include <algorithm>
#include <cmath>

namespace {

// The quad's edges as exact linear forms: a pixel centre (cx, cy) has un = u x det and vn = v x det
// with det > 0, and is covered when 0 <= un < det and 0 <= vn < det. Avoiding the division keeps
// whole and half-pixel placements exact.
struct uv_map {
    double px, py;   // corner 0
    double ex, ey;   // corner 1 - corner 0: the u axis
    double fx, fy;   // corner 3 - corner 0: the v axis
    double det;      // made positive; sgn flips the forms for mirrored quads
    double sgn;
    bool ok;
    double un(double cx, double cy) const { return sgn * ((cx - px) * fy - (cy - py) * fx); }
    double vn(double cx, double cy) const { return sgn * (ex * (cy - py) - ey * (cx - px)); }
};

uv_map invert(const float xy[8])
{
    uv_map m{};
    m.px = xy[0];
    m.py = xy[1];
    m.ex = xy[2] - m.px;
    m.ey = xy[3] - m.py;
    m.fx = xy[6] - m.px;
    m.fy = xy[7] - m.py;
    double det = m.ex * m.fy - m.ey * m.fx;
    m.ok = det != 0.0;
    m.sgn = det < 0 ? -1.0 : 1.0;
    m.det = det * m.sgn;
    return m;
}

inline bool inside(const uv_map& m, double cx, double cy)
{
    double u = m.un(cx, cy), v = m.vn(cx, cy);
    return u >= 0.0 && u < m.det && v >= 0.0 && v < m.det;
}

// Narrows [lo, hi] to the x where a + b x lies in [0, det); false when nothing is left.
bool narrow(double a, double b, double det, double& lo, double& hi)
{
    if (b == 0.0) return a >= 0.0 && a < det;
    double x0 = (0.0 - a) / b, x1 = (det - a) / b;
    if (x0 > x1) std::swap(x0, x1);
    lo = std::max(lo, x0);
    hi = std::min(hi, x1);
    return lo <= hi + 1.0;
}

struct bounds {
    int y0, y1; // rows to visit, y1 exclusive
};

bounds row_bounds(const float xy[8], const clip_rect& clip)
{
    float mn = std::min(std::min(xy[1], xy[3]), std::min(xy[5], xy[7]));
    float mx = std::max(std::max(xy[1], xy[3]), std::max(xy[5], xy[7]));
    int y0 = std::max(clip.y0, static_cast<int>(std::floor(mn - 0.5)));
    int y1 = std::min(clip.y1, static_cast<int>(std::ceil(mx + 0.5)));
    return {y0, y1};
}

// Walks every covered pixel of a quad in the clip, handing (x, y, un, vn) to `fn`.
template <typename F>
void scan(const uv_map& m, const float xy[8], const clip_rect& clip, F&& fn)
{
    if (!m.ok) return;
    bounds b = row_bounds(xy, clip);
    // un = ua + ux x cx along a row, and likewise vn.
    const double ux = m.sgn * m.fy, vx = -m.sgn * m.ey;
    for (int y = b.y0; y < b.y1; ++y) {
        double cy = y + 0.5;
        double ua = m.un(0.0, cy), va = m.vn(0.0, cy);
        double lo = clip.x0 - 1.0, hi = clip.x1 + 1.0;
        if (!narrow(ua, ux, m.det, lo, hi)) continue;
        if (!narrow(va, vx, m.det, lo, hi)) continue;
        int x0 = std::max(clip.x0, static_cast<int>(std::ceil(lo - 0.5)) - 1);
        int x1 = std::min(clip.x1 - 1, static_cast<int>(std::floor(hi - 0.5)) + 1);
        // The solved ends may be off by one through rounding: settle them by the exact rule.
        while (x0 <= x1 && !inside(m, x0 + 0.5, cy)) ++x0;
        while (x1 >= x0 && !inside(m, x1 + 0.5, cy)) --x1;
        for (int x = x0; x <= x1; ++x) fn(x, y, m.un(x + 0.5, cy), m.vn(x + 0.5, cy));
    }
}

inline int clampi(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// un, vn and det as the scan hands them over; one division each keeps exact cases exact.
inline uint32_t fetch_nearest(const texture::level& l, double un, double vn, double det)
{
    int tx = clampi(static_cast<int>(std::floor(un * l.width / det)), 0, l.width - 1);
    int ty = clampi(static_cast<int>(std::floor(vn * l.height / det)), 0, l.height - 1);
    return l.texels[static_cast<size_t>(ty) * l.width + tx];
}

inline uint32_t lerp_argb(uint32_t a, uint32_t b, uint32_t w) // w in 0..256
{
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8) {
        uint32_t ca = (a >> s) & 255, cb = (b >> s) & 255;
        out |= ((ca * (256 - w) + cb * w + 128) >> 8) << s;
    }
    return out;
}

uint32_t fetch_bilinear(const texture::level& l, double un, double vn, double det)
{
    double fx = un * l.width / det - 0.5, fy = vn * l.height / det - 0.5;
    int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    uint32_t wx = static_cast<uint32_t>((fx - x0) * 256.0 + 0.5);
    uint32_t wy = static_cast<uint32_t>((fy - y0) * 256.0 + 0.5);
    int xa = clampi(x0, 0, l.width - 1), xb = clampi(x0 + 1, 0, l.width - 1);
    int ya = clampi(y0, 0, l.height - 1), yb = clampi(y0 + 1, 0, l.height - 1);
    const uint32_t* ra = &l.texels[static_cast<size_t>(ya) * l.width];
    const uint32_t* rb = &l.texels[static_cast<size_t>(yb) * l.width];
    return lerp_argb(lerp_argb(ra[xa], ra[xb], wx), lerp_argb(rb[xa], rb[xb], wx), wy);
}

// How many texels of level 0 one screen pixel steps over, for mip selection.
double texel_footprint(const uv_map& m, const texture& tex)
{
    if (!m.ok) return 1.0;
    double w = tex.width() / m.det, h = tex.height() / m.det;
    // d(un)/dx = sgn fy, d(un)/dy = -sgn fx, d(vn)/dx = -sgn ey, d(vn)/dy = sgn ex
    double dx = std::hypot(m.fy * w, m.ey * h), dy = std::hypot(m.fx * w, m.ex * h);
    return std::max(dx, dy);
}

inline void shade(uint32_t& dst, uint32_t texel, const paint& p)
{
    uint32_t ta = texel >> 24;
    uint32_t a = p.a == 255 ? ta : div255(ta * p.a);
    uint32_t r = (texel >> 16) & 255, g = (texel >> 8) & 255, b = texel & 255;
    if (p.r != 255) r = div255(r * p.r);
    if (p.g != 255) g = div255(g * p.g);
    if (p.b != 255) b = div255(b * p.b);
    dst = blend_pixel(dst, r, g, b, a, p.blend);
}

} // namespace

std::shared_ptr<texture> make_texture(const uint32_t* argb, int width, int height, int flags)
{
    auto t = std::make_shared<texture>();
    t->flags = flags;
    if (width <= 0 || height <= 0) return t;
    texture::level l0;
    l0.width = width;
    l0.height = height;
    l0.texels.assign(argb, argb + static_cast<size_t>(width) * height);
    t->levels.push_back(std::move(l0));
    if (!(flags & texture_mipmapped)) return t;
    while (t->levels.back().width > 1 || t->levels.back().height > 1) {
        const texture::level& src = t->levels.back();
        texture::level d;
        d.width = std::max(1, src.width / 2);
        d.height = std::max(1, src.height / 2);
        d.texels.resize(static_cast<size_t>(d.width) * d.height);
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x) {
                int sx = std::min(2 * x, src.width - 1), sx1 = std::min(2 * x + 1, src.width - 1);
                int sy = std::min(2 * y, src.height - 1), sy1 = std::min(2 * y + 1, src.height - 1);
                uint32_t c[4] = {src.texels[static_cast<size_t>(sy) * src.width + sx],
                                 src.texels[static_cast<size_t>(sy) * src.width + sx1],
                                 src.texels[static_cast<size_t>(sy1) * src.width + sx],
                                 src.texels[static_cast<size_t>(sy1) * src.width + sx1]};
                uint32_t out = 0;
                for (int s = 0; s < 32; s += 8) {
                    uint32_t sum = 2;
                    for (uint32_t v : c) sum += (v >> s) & 255;
                    out |= (sum / 4) << s;
                }
                d.texels[static_cast<size_t>(y) * d.width + x] = out;
            }
        t->levels.push_back(std::move(d));
    }
    return t;
}

frame_buffer::frame_buffer(int width, int height)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height, 0)
{
}

void frame_buffer::clear(const clip_rect& c, uint32_t rgb)
{
    for (int y = std::max(0, c.y0); y < std::min(height_, c.y1); ++y) {
        uint32_t* row = &px_[static_cast<size_t>(y) * width_];
        std::fill(row + std::max(0, c.x0), row + std::min(width_, c.x1), rgb & 0xFFFFFF);
    }
}

void frame_buffer::fill_quad(const float xy[8], const clip_rect& clip, const paint& p)
{
    clip_rect c{std::max(0, clip.x0), std::max(0, clip.y0), std::min(width_, clip.x1),
                std::min(height_, clip.y1)};
    if (p.blend == blend_mask && p.a < 128) return;
    scan(invert(xy), xy, c, [&](int x, int y, double, double) {
        uint32_t& d = px_[static_cast<size_t>(y) * width_ + x];
        d = blend_pixel(d, p.r, p.g, p.b, p.a, p.blend);
    });
}

void frame_buffer::draw_quad(const texture& tex, const float xy[8], const clip_rect& clip, const paint& p)
{
    if (tex.levels.empty()) return;
    clip_rect c{std::max(0, clip.x0), std::max(0, clip.y0), std::min(width_, clip.x1),
                std::min(height_, clip.y1)};
    bool filtered = tex.flags & texture_filtered;
    const texture::level* l0 = &tex.levels[0];
    const texture::level* l1 = nullptr;
    uint32_t level_mix = 0;
    const uv_map m = invert(xy);
    if ((tex.flags & texture_mipmapped) && tex.levels.size() > 1) {
        double lod = std::log2(texel_footprint(m, tex));
        if (lod > 0.0) {
            int last = static_cast<int>(tex.levels.size()) - 1;
            if (filtered) {
                int k = std::min(static_cast<int>(std::floor(lod)), last);
                l0 = &tex.levels[static_cast<size_t>(k)];
                if (k < last) {
                    l1 = &tex.levels[static_cast<size_t>(k) + 1];
                    level_mix = static_cast<uint32_t>((lod - k) * 256.0 + 0.5);
                }
            } else {
                l0 = &tex.levels[static_cast<size_t>(std::min(static_cast<int>(std::lround(lod)), last))];
            }
        }
    }
    const double det = m.det;
    scan(m, xy, c, [&](int x, int y, double u, double v) {
        uint32_t t;
        if (filtered) {
            t = fetch_bilinear(*l0, u, v, det);
            if (l1) t = lerp_argb(t, fetch_bilinear(*l1, u, v, det), level_mix);
        } else {
            t = fetch_nearest(*l0, u, v, det);
        }
        shade(px_[static_cast<size_t>(y) * width_ + x], t, p);
    });
}

void frame_buffer::put_point(int x, int y, const clip_rect& clip, const paint& p)
{
    if (x < std::max(0, clip.x0) || y < std::max(0, clip.y0) || x >= std::min(width_, clip.x1) ||
        y >= std::min(height_, clip.y1))
        return;
    if (p.blend == blend_mask && p.a < 128) return;
    uint32_t& d = px_[static_cast<size_t>(y) * width_ + x];
    d = blend_pixel(d, p.r, p.g, p.b, p.a, p.blend);
}

void frame_buffer::read_rect(int x, int y, int w, int h, uint32_t* out) const
{
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            int sx = x + i, sy = y + j;
            bool in = sx >= 0 && sy >= 0 && sx < width_ && sy < height_;
            out[static_cast<size_t>(j) * w + i] = in ? 0xFF000000u | pixel(sx, sy) : 0u;
        }
}
