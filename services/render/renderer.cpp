// The software renderer: textured and flat quads, points, clears and read-back on a 32-bit back buffer.
//
// Quads are walked row by row. Each row's span comes from the quad's edge forms and its ends are
// settled by the exact coverage rule; the texels along a span come from per-column tables when the
// quad is not rotated, or from 32.32 fixed-point steps when it is. A step that lands within a hair
// of a texel (or filter-weight) boundary is redone in doubles the way the per-pixel rule computes it,
// so the pixels are exactly those of that rule, only cheaper.
#include "services/render/renderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "services/render/renderer_spans.h"

namespace {

// The quad's edges as exact linear forms: a pixel centre (cx, cy) has un = u x det and vn = v x det
// with det > 0, and is covered when 0 <= un < det and 0 <= vn < det. Avoiding the division keeps
// whole and half-pixel placements exact.
struct uv_map {
    double px, py; // corner 0
    double ex, ey; // corner 1 - corner 0: the u axis
    double fx, fy; // corner 3 - corner 0: the v axis
    double det;    // made positive; sgn flips the forms for mirrored quads
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

// The part of the unit square a draw may change, in the edge forms' units: [0, det) unless the
// picture's transparent margins are left out.
struct uv_window {
    double u0, u1, v0, v1;
};

inline bool inside(const uv_map& m, const uv_window& w, double cx, double cy)
{
    double u = m.un(cx, cy), v = m.vn(cx, cy);
    return (u >= w.u0) & (u < w.u1) & (v >= w.v0) & (v < w.v1); // no branches to mispredict
}

// Narrows [lo, hi] to the x where a + b x lies in [from, to); false when nothing is left.
bool narrow(double a, double b, double from, double to, double& lo, double& hi)
{
    if (b == 0.0) return a >= from && a < to;
    double x0 = (from - a) / b, x1 = (to - a) / b;
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

// floor and ceil for values well inside the int range, without a library call; the same integers.
inline int floor_int(double x)
{
    int i = static_cast<int>(x);
    return i - (x < i);
}
inline int ceil_int(double x)
{
    int i = static_cast<int>(x);
    return i + (x > i);
}

// Visits the covered span x0..x1 (inclusive) of every row: fn(y, x0, x1, cy).
template <typename F>
void scan_spans(const uv_map& m, const uv_window& w, const float xy[8], const clip_rect& clip, F&& fn)
{
    if (!m.ok) return;
    bounds b = row_bounds(xy, clip);
    // un = ua + ux x cx along a row, and likewise vn.
    const double ux = m.sgn * m.fy, vx = -m.sgn * m.ey;
    // Unrotated, un depends on x alone and vn on y alone: every covered row has the same span.
    const bool aligned = m.fx == 0.0 && m.ey == 0.0;
    bool have_span = false;
    int sx0 = 0, sx1 = -1;
    for (int y = b.y0; y < b.y1; ++y) {
        double cy = y + 0.5;
        double va = m.vn(0.0, cy);
        if (have_span) {
            if (va >= w.v0 && va < w.v1 && sx0 <= sx1) fn(y, sx0, sx1, cy);
            continue;
        }
        double ua = m.un(0.0, cy);
        double lo = clip.x0 - 1.0, hi = clip.x1 + 1.0;
        if (!narrow(ua, ux, w.u0, w.u1, lo, hi)) continue;
        if (!narrow(va, vx, w.v0, w.v1, lo, hi)) continue;
        // The covered pixels of a row are one run (the edge forms are monotone along it). Try the
        // centres nearest the solved ends first: when they are in and their outer neighbours out,
        // that run is what settling from one pixel further out gives, in four tests.
        int x0 = std::max(clip.x0, ceil_int(lo - 0.5)), x1 = std::min(clip.x1 - 1, floor_int(hi - 0.5));
        bool settled = x0 < x1 && inside(m, w, x0 + 0.5, cy) & inside(m, w, x1 + 0.5, cy) &
                                      (x0 == clip.x0 || !inside(m, w, x0 - 0.5, cy)) &
                                      (x1 == clip.x1 - 1 || !inside(m, w, x1 + 1.5, cy));
        if (!settled) {
            // The solved ends may be off by one through rounding: settle them by the exact rule.
            x0 = std::max(clip.x0, ceil_int(lo - 0.5) - 1);
            x1 = std::min(clip.x1 - 1, floor_int(hi - 0.5) + 1);
            while (x0 <= x1 && !inside(m, w, x0 + 0.5, cy)) ++x0;
            while (x1 >= x0 && !inside(m, w, x1 + 0.5, cy)) --x1;
        }
        if (aligned) {
            have_span = true;
            sx0 = x0;
            sx1 = x1;
        }
        if (x0 <= x1) fn(y, x0, x1, cy);
    }
}

inline int clampi(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

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

// lerp_argb on two channels at a time: each 16-bit half holds one channel's sum, which stays
// below 65536, so the result is the same channel by channel.
inline uint32_t lerp2(uint32_t a, uint32_t b, uint32_t w)
{
    const uint32_t lo = 0x00FF00FFu, iw = 256 - w;
    uint32_t even = (((a & lo) * iw + (b & lo) * w + 0x00800080u) >> 8) & lo;
    uint32_t odd = ((((a >> 8) & lo) * iw + ((b >> 8) & lo) * w + 0x00800080u) >> 8) & lo;
    return even | odd << 8;
}

constexpr int chunk = 256;
static_assert(chunk % 8 == 0, "the eight-wide texel steps fill whole groups of a chunk");
constexpr double one32 = 4294967296.0;
// Steps closer than the spans' guard to a boundary are redone exactly.
constexpr uint32_t guard = texel_step_guard;

inline bool near_texel_edge(int64_t t)
{
    return static_cast<uint32_t>(static_cast<uint32_t>(t) + guard) < 2 * guard;
}

// Bilinear weights round frac x 256 to the nearest: the boundaries sit at frac x 256 + 0.5 whole.
// Where the texel index itself changes the weight is 256 on one side and 0 on the other, which
// fetch the same texel, so that is no boundary.
inline bool near_weight_edge(int64_t t)
{
    return ((static_cast<uint32_t>(t) + (1u << 23) + guard) & 0xFFFFFFu) < 2 * guard;
}

inline uint32_t weight_of(int64_t t)
{
    return static_cast<uint32_t>((static_cast<uint64_t>(static_cast<uint32_t>(t)) + (1u << 23)) >> 24);
}

// Truncates: off by less than one unit, which the step bound allows for.
inline int64_t to_fixed(double t)
{
    return static_cast<int64_t>(t * one32);
}

constexpr double pow2_m31 = 1.0 / 2147483648.0, pow2_m32 = pow2_m31 / 2;
constexpr double pow2_m50 = pow2_m32 / 262144.0, pow2_m51 = pow2_m50 / 2;

// Whether fixed-point steps over this quad stay within the guard of the exact per-pixel values.
// The exact rule's own rounding grows with the size of the terms in its edge forms.
bool steps_are_safe(const uv_map& m, const float xy[8], const clip_rect& c, int width, int height)
{
    float xmin = std::min(std::min(xy[0], xy[2]), std::min(xy[4], xy[6]));
    float xmax = std::max(std::max(xy[0], xy[2]), std::max(xy[4], xy[6]));
    float ymin = std::min(std::min(xy[1], xy[3]), std::min(xy[5], xy[7]));
    float ymax = std::max(std::max(xy[1], xy[3]), std::max(xy[5], xy[7]));
    double dx = std::max(std::fabs(xmin - m.px), std::fabs(xmax - m.px)) + 2.0;
    double dy = std::max(std::fabs(ymin - m.py), std::fabs(ymax - m.py)) + 2.0;
    double n = std::max(1, c.x1 - c.x0);
    auto safe = [&](double terms, int size, double slope) {
        double scale = size / m.det;
        double exact_err = (terms * scale + size + 2.0) * pow2_m51;
        double total = 2.0 * exact_err + pow2_m31 + n * (pow2_m32 + std::fabs(slope) * pow2_m50);
        return std::isfinite(total) && total * one32 < guard - 4;
    };
    double su = std::fabs(m.fy) * width / m.det, sv = std::fabs(m.ey) * height / m.det;
    return safe(dx * std::fabs(m.fy) + dy * std::fabs(m.fx), width, su) &&
           safe(dy * std::fabs(m.ex) + dx * std::fabs(m.ey), height, sv) && su < 65536.0 && sv < 65536.0;
}

// One screen step in fixed point along u and v, for a level of the given size.
struct level_steps {
    int64_t du, dv;
    level_steps(const uv_map& m, const texture::level& l)
        : du(to_fixed(m.sgn * m.fy * l.width / m.det)), dv(to_fixed(-m.sgn * m.ey * l.height / m.det))
    {
    }
};

// Small quads touch a line or two of many rows: ask for the rows below early, as the hardware
// will not guess a stride that long.
inline void prefetch_next_rows(const uint32_t* dst, int stride, int n)
{
    // A prefetch never faults, so rows past the buffer's end are harmless; the address is formed
    // as an integer so that no pointer leaves the buffer.
    uintptr_t ahead = reinterpret_cast<uintptr_t>(dst) + 2 * sizeof(uint32_t) * static_cast<size_t>(stride);
    __builtin_prefetch(reinterpret_cast<const void*>(ahead), 1);
    __builtin_prefetch(reinterpret_cast<const void*>(ahead + sizeof(uint32_t) * static_cast<size_t>(n - 1)), 1);
}

struct quad_job {
    uint32_t* px;
    int stride;
    const uv_map& m;
    const float* xy;
    const clip_rect& c;
    const paint& p;
    shade_fn kernel; // chosen once for the paint
    owed_clear& owed;
    bool overwrites; // every covered pixel is replaced whatever it held
    uv_window w;     // where the quad can change anything
    int showing;     // which of a level's `showing` runs bound what changes a pixel; -1: every texel does
    void shade(uint32_t* dst, const uint32_t* src, int n) const { kernel(dst, src, n, p); }
};

// The whole quad, or (nearest sampling only) the part of it whose texels can show, with a texel to
// spare on every side: the pixels left out all sample texels that change nothing.
uv_window window_of(const uv_map& m, const texture::level& l, int showing)
{
    uv_window w{0.0, m.det, 0.0, m.det};
    if (showing < 0) return w;
    const texel_run &c = l.box_cols[showing], &r = l.box_rows[showing];
    if (c.to < c.from) return {0.0, 0.0, 0.0, 0.0};
    if (c.from >= 2) w.u0 = (c.from - 1) * m.det / l.width;
    if (c.to + 2 < l.width) w.u1 = (c.to + 2) * m.det / l.width;
    if (r.from >= 2) w.v0 = (r.from - 1) * m.det / l.height;
    if (r.to + 2 < l.height) w.v1 = (r.to + 2) * m.det / l.height;
    return w;
}

// Fills the owed rows among y0..y1 - 1 with the clear colour, runs of whole rows at a time.
void pay_owed(owed_clear& o, uint32_t* px, int width, int y0, int y1)
{
    const paint solid{static_cast<uint8_t>(o.rgb >> 16), static_cast<uint8_t>(o.rgb >> 8), static_cast<uint8_t>(o.rgb),
                      255, blend_solid};
    for (int y = y0; y < y1;) {
        if (!o.rows[static_cast<size_t>(y)]) {
            ++y;
            continue;
        }
        int end = y;
        while (end < y1 && o.rows[static_cast<size_t>(end)]) o.rows[static_cast<size_t>(end++)] = 0;
        o.count -= end - y;
        fill_span(px + static_cast<size_t>(y) * width, (end - y) * width, solid);
        y = end;
    }
}

// Before a span touches a row that owes a clear: a span over the whole row that replaces every
// pixel settles the debt by itself; anything else needs the cleared row underneath.
inline void settle_row(owed_clear& o, uint32_t* px, int width, bool overwrites, int y, int x0, int x1)
{
    if (!o.rows[static_cast<size_t>(y)]) return;
    if (overwrites && x0 == 0 && x1 == width - 1) {
        o.rows[static_cast<size_t>(y)] = 0;
        --o.count;
        return;
    }
    pay_owed(o, px, width, y, y + 1);
}

// scan_spans for a quad job, minding the rows that owe a clear.
template <typename F> void scan_job(const quad_job& j, F&& fn)
{
    if (j.owed.count == 0) return scan_spans(j.m, j.w, j.xy, j.c, fn);
    scan_spans(j.m, j.w, j.xy, j.c, [&](int y, int x0, int x1, double cy) {
        settle_row(j.owed, j.px, j.stride, j.overwrites, y, x0, x1);
        fn(y, x0, x1, cy);
    });
}

// Whether a mode's result depends on the pixel underneath (mask mode: where the alpha test fails).
inline bool reads_pixels(int blend)
{
    return blend == blend_mask || blend == blend_alpha || blend == blend_add || blend == blend_multiply;
}

// A row of one colour as a flat colour: the paint that blends it is the texel, tinted.
inline paint flat_paint(uint32_t texel, const paint& p)
{
    shaded s = shade_texel(texel, p);
    return {static_cast<uint8_t>(s.r), static_cast<uint8_t>(s.g), static_cast<uint8_t>(s.b), static_cast<uint8_t>(s.a),
            p.blend};
}

// Unrotated, unfiltered: one texel column per screen column, found once for the whole quad.
void aligned_nearest(const quad_job& j, const texture::level& l)
{
    thread_local std::vector<int> cols;
    int cx0 = 0, cx1 = -1;
    bool run = false; // consecutive columns: the row is read straight from the texture
    const shade_cols_fn by_cols = shade_cols_kernel(j.p);
    const double det = j.m.det;
    scan_job(j, [&](int y, int x0, int x1, double cy) {
        if (x0 != cx0 || x1 != cx1) {
            cx0 = x0;
            cx1 = x1;
            cols.resize(static_cast<size_t>(x1 - x0 + 1));
            run = true;
            for (int x = x0; x <= x1; ++x) {
                int tx = clampi(floor_int(j.m.un(x + 0.5, cy) * l.width / det), 0, l.width - 1);
                cols[static_cast<size_t>(x - x0)] = tx;
                run = run && tx == cols[0] + (x - x0);
            }
        }
        int ty = clampi(floor_int(j.m.vn(x0 + 0.5, cy) * l.height / det), 0, l.height - 1);
        const uint32_t* row = &l.texels[static_cast<size_t>(ty) * l.width];
        int i0 = 0, i1 = x1 - x0; // the columns of this row that can show
        if (j.showing >= 0) {
            const texel_run& r = l.showing[j.showing][static_cast<size_t>(ty)];
            if (r.to < r.from) return;
            // The columns run one way, so the ones that show are a run found by halving.
            const int* c = cols.data();
            const int* e = c + (x1 - x0 + 1);
            if (*c <= e[-1]) {
                i0 = static_cast<int>(std::partition_point(c, e, [&](int t) { return t < r.from; }) - c);
                i1 = static_cast<int>(std::partition_point(c, e, [&](int t) { return t <= r.to; }) - c) - 1;
            } else {
                i0 = static_cast<int>(std::partition_point(c, e, [&](int t) { return t > r.to; }) - c);
                i1 = static_cast<int>(std::partition_point(c, e, [&](int t) { return t >= r.from; }) - c) - 1;
            }
            if (i0 > i1) return;
        }
        uint32_t* dst = j.px + static_cast<size_t>(y) * j.stride + x0 + i0;
        int n = i1 - i0 + 1;
        prefetch_next_rows(dst, j.stride, n);
        if (l.one_colour[static_cast<size_t>(ty)]) {
            fill_span(dst, n, flat_paint(row[0], j.p));
            return;
        }
        if (run)
            j.shade(dst, row + cols[static_cast<size_t>(i0)], n);
        else
            by_cols(dst, row, cols.data() + i0, n, j.p);
    });
}

// The picture at its own size, on whole pixels: then every sum in the rule is exact, each centre
// maps to the middle of texel (x - px, y - py) and filtering weights are all 0, so the texels are
// copied as they are, filtered or not.
bool is_plain_blit(const uv_map& m, const texture::level& l)
{
    return m.fx == 0.0 && m.ey == 0.0 && m.ex == l.width && m.fy == l.height && m.px == std::floor(m.px) &&
           m.py == std::floor(m.py) && std::fabs(m.px) < 1 << 24 && std::fabs(m.py) < 1 << 24;
}

void plain_blit(const quad_job& j, const texture::level& l)
{
    const int ox = static_cast<int>(j.m.px), oy = static_cast<int>(j.m.py);
    scan_job(j, [&](int y, int x0, int x1, double) {
        if (j.showing >= 0) {
            const texel_run& r = l.showing[j.showing][static_cast<size_t>(y - oy)];
            x0 = std::max(x0, ox + r.from);
            x1 = std::min(x1, ox + r.to);
            if (x0 > x1) return;
        }
        const uint32_t* src = &l.texels[static_cast<size_t>(y - oy) * l.width + (x0 - ox)];
        uint32_t* dst = j.px + static_cast<size_t>(y) * j.stride + x0;
        if (l.one_colour[static_cast<size_t>(y - oy)])
            fill_span(dst, x1 - x0 + 1, flat_paint(*src, j.p));
        else
            j.shade(dst, src, x1 - x0 + 1);
    });
}

struct axis_tap {
    int a, b;   // the two texels
    uint32_t w; // weight of b, 0..256
};

// fetch_bilinear's rule along one axis; f is the texel position (un x size / det).
inline axis_tap tap_of(double f, int size)
{
    f -= 0.5;
    int i0 = floor_int(f);
    uint32_t w = static_cast<uint32_t>((f - i0) * 256.0 + 0.5);
    return {clampi(i0, 0, size - 1), clampi(i0 + 1, 0, size - 1), w};
}

inline uint32_t bilinear(const texture::level& l, const axis_tap& tx, const axis_tap& ty)
{
    const uint32_t* ra = &l.texels[static_cast<size_t>(ty.a) * l.width];
    const uint32_t* rb = &l.texels[static_cast<size_t>(ty.b) * l.width];
    return lerp2(lerp2(ra[tx.a], ra[tx.b], tx.w), lerp2(rb[tx.a], rb[tx.b], tx.w), ty.w);
}

// Unrotated, filtered: the taps of every column found once; l1 (when not null) is mixed in.
void aligned_filtered(const quad_job& j, const texture::level& l0, const texture::level* l1, uint32_t mix)
{
    thread_local std::vector<axis_tap> cols0, cols1;
    int cx0 = 0, cx1 = -1;
    bool direct = false; // every weight 0 and consecutive taps: the texels themselves
    uint32_t buf[chunk];
    const double det = j.m.det;
    scan_job(j, [&](int y, int x0, int x1, double cy) {
        if (x0 != cx0 || x1 != cx1) {
            cx0 = x0;
            cx1 = x1;
            size_t n = static_cast<size_t>(x1 - x0 + 1);
            cols0.resize(n);
            cols1.resize(n);
            direct = l1 == nullptr;
            for (int x = x0; x <= x1; ++x) {
                double un = j.m.un(x + 0.5, cy);
                axis_tap t = tap_of(un * l0.width / det, l0.width);
                cols0[static_cast<size_t>(x - x0)] = t;
                if (l1) cols1[static_cast<size_t>(x - x0)] = tap_of(un * l1->width / det, l1->width);
                direct = direct && t.w == 0 && t.a == cols0[0].a + (x - x0);
            }
        }
        double vn = j.m.vn(x0 + 0.5, cy);
        axis_tap r0 = tap_of(vn * l0.height / det, l0.height);
        axis_tap r1 = l1 ? tap_of(vn * l1->height / det, l1->height) : axis_tap{0, 0, 0};
        uint32_t* dst = j.px + static_cast<size_t>(y) * j.stride + x0;
        int n = x1 - x0 + 1;
        prefetch_next_rows(dst, j.stride, n);
        if (direct && r0.w == 0) {
            j.shade(dst, &l0.texels[static_cast<size_t>(r0.a) * l0.width + cols0[0].a], n);
            return;
        }
        for (int i = 0; i < n; i += chunk) {
            int k = std::min(chunk, n - i);
            for (int t = 0; t < k; ++t) {
                size_t ci = static_cast<size_t>(i + t);
                uint32_t texel = bilinear(l0, cols0[ci], r0);
                if (l1) texel = lerp2(texel, bilinear(*l1, cols1[ci], r1), mix);
                buf[t] = texel;
            }
            j.shade(dst + i, buf, k);
        }
    });
}

// Any quad, every pixel by the exact rule: for the rare quad whose steps could stray.
void exact_pixels(const quad_job& j, const texture::level& l0, const texture::level* l1, uint32_t mix, bool filtered)
{
    uint32_t buf[chunk];
    const double det = j.m.det;
    scan_job(j, [&](int y, int x0, int x1, double cy) {
        uint32_t* dst = j.px + static_cast<size_t>(y) * j.stride + x0;
        int n = x1 - x0 + 1;
        prefetch_next_rows(dst, j.stride, n);
        for (int i = 0; i < n; i += chunk) {
            int k = std::min(chunk, n - i);
            for (int t = 0; t < k; ++t) {
                double cx = x0 + i + t + 0.5, u = j.m.un(cx, cy), v = j.m.vn(cx, cy);
                uint32_t texel;
                if (filtered) {
                    texel = fetch_bilinear(l0, u, v, det);
                    if (l1) texel = lerp_argb(texel, fetch_bilinear(*l1, u, v, det), mix);
                } else {
                    texel = fetch_nearest(l0, u, v, det);
                }
                buf[t] = texel;
            }
            j.shade(dst + i, buf, k);
        }
    });
}

// Rotated, unfiltered: fixed-point steps from each span's exact start.
void stepped_nearest(const quad_job& j, const texture::level& l)
{
    uint32_t buf[chunk];
    const double det = j.m.det;
    const level_steps s(j.m, l);
    const int w = l.width, h = l.height;
    const double ku = w / det, kv = h / det;
    const bool wide = span_kernels_in_use() >= span_avx2;
    uint8_t unsure[chunk / 8];
    scan_job(j, [&](int y, int x0, int x1, double cy) {
        int64_t tu = to_fixed(j.m.un(x0 + 0.5, cy) * ku);
        int64_t tv = to_fixed(j.m.vn(x0 + 0.5, cy) * kv);
        uint32_t* dst = j.px + static_cast<size_t>(y) * j.stride + x0;
        int n = x1 - x0 + 1;
        prefetch_next_rows(dst, j.stride, n);
        for (int i = 0; i < n; i += chunk) {
            int k = std::min(chunk, n - i);
            if (wide && step_texels(buf, unsure, l.texels.data(), static_cast<uint32_t>(w), static_cast<uint32_t>(h),
                                    tu, tv, s.du, s.dv, k)) {
                for (int b = 0; b < (k + 7) / 8; ++b)
                    for (unsigned bits = unsure[b]; bits; bits &= bits - 1) {
                        int t = b * 8 + __builtin_ctz(bits);
                        double cx = x0 + i + t + 0.5;
                        buf[t] = fetch_nearest(l, j.m.un(cx, cy), j.m.vn(cx, cy), det);
                    }
                tu += k * s.du;
                tv += k * s.dv;
                j.shade(dst + i, buf, k);
                continue;
            }
            for (int t = 0; t < k; ++t, tu += s.du, tv += s.dv) {
                // Away from texel edges the exact index lies in the texture, so no clamp is needed;
                // anything else (an edge, or outside through a step we did not foresee) is redone.
                uint32_t tx = static_cast<uint32_t>(tu >> 32), ty = static_cast<uint32_t>(tv >> 32);
                if ((near_texel_edge(tu) | near_texel_edge(tv) | (tx >= static_cast<uint32_t>(w)) |
                     (ty >= static_cast<uint32_t>(h)))) {
                    double cx = x0 + i + t + 0.5;
                    buf[t] = fetch_nearest(l, j.m.un(cx, cy), j.m.vn(cx, cy), det);
                    continue;
                }
                buf[t] = l.texels[static_cast<size_t>(ty) * w + tx];
            }
            j.shade(dst + i, buf, k);
        }
    });
}

inline axis_tap tap_of_fixed(int64_t t, int size)
{
    int i0 = static_cast<int>(t >> 32);
    return {clampi(i0, 0, size - 1), clampi(i0 + 1, 0, size - 1), weight_of(t)};
}

// Rotated, filtered: as stepped_nearest, with the taps' weights checked against their boundaries.
void stepped_filtered(const quad_job& j, const texture::level& l0, const texture::level* l1, uint32_t mix)
{
    uint32_t buf[chunk];
    const double det = j.m.det;
    const level_steps s0(j.m, l0);
    const level_steps s1 = l1 ? level_steps(j.m, *l1) : s0;
    const texture::level& m1 = l1 ? *l1 : l0;
    const double ku0 = l0.width / det, kv0 = l0.height / det, ku1 = m1.width / det, kv1 = m1.height / det;
    scan_job(j, [&](int y, int x0, int x1, double cy) {
        double un = j.m.un(x0 + 0.5, cy), vn = j.m.vn(x0 + 0.5, cy);
        int64_t u0 = to_fixed(un * ku0 - 0.5), v0 = to_fixed(vn * kv0 - 0.5);
        int64_t u1 = to_fixed(un * ku1 - 0.5), v1 = to_fixed(vn * kv1 - 0.5);
        uint32_t* dst = j.px + static_cast<size_t>(y) * j.stride + x0;
        int n = x1 - x0 + 1;
        prefetch_next_rows(dst, j.stride, n);
        for (int i = 0; i < n; i += chunk) {
            int k = std::min(chunk, n - i);
            for (int t = 0; t < k; ++t, u0 += s0.du, v0 += s0.dv, u1 += s1.du, v1 += s1.dv) {
                bool unsure = near_weight_edge(u0) || near_weight_edge(v0) ||
                              (l1 && (near_weight_edge(u1) || near_weight_edge(v1)));
                if (unsure) {
                    double cx = x0 + i + t + 0.5, u = j.m.un(cx, cy), v = j.m.vn(cx, cy);
                    uint32_t texel = fetch_bilinear(l0, u, v, det);
                    if (l1) texel = lerp_argb(texel, fetch_bilinear(*l1, u, v, det), mix);
                    buf[t] = texel;
                    continue;
                }
                uint32_t texel = bilinear(l0, tap_of_fixed(u0, l0.width), tap_of_fixed(v0, l0.height));
                if (l1)
                    texel = lerp2(texel, bilinear(*l1, tap_of_fixed(u1, l1->width), tap_of_fixed(v1, l1->height)), mix);
                buf[t] = texel;
            }
            j.shade(dst + i, buf, k);
        }
    });
}

// Halves the last level until it is one texel, each texel the rounded mean of up to four.
void add_mip_levels(texture& t)
{
    while (t.levels.back().width > 1 || t.levels.back().height > 1) {
        const texture::level& src = t.levels.back();
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
        t.levels.push_back(std::move(d));
    }
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
    uint32_t least = 255;
    for (uint32_t v : l0.texels) least = std::min(least, v >> 24);
    t->min_alpha = static_cast<uint8_t>(least); // mip averages and filter blends stay at or above it
    t->levels.push_back(std::move(l0));
    if (flags & texture_mipmapped) add_mip_levels(*t);
    for (texture::level& l : t->levels) {
        l.one_colour.resize(static_cast<size_t>(l.height));
        for (int k = 0; k < 2; ++k) {
            l.showing[k].assign(static_cast<size_t>(l.height), texel_run{});
            l.box_cols[k] = {l.width, -1};
            l.box_rows[k] = {l.height, -1};
        }
        for (int y = 0; y < l.height; ++y) {
            const uint32_t* row = &l.texels[static_cast<size_t>(y) * l.width];
            l.one_colour[static_cast<size_t>(y)] =
                std::all_of(row, row + l.width, [&](uint32_t v) { return v == row[0]; });
            for (int k = 0; k < 2; ++k) {
                const uint32_t shows_from = k == 0 ? 128 : 1;
                texel_run& r = l.showing[k][static_cast<size_t>(y)];
                r = {l.width, -1};
                for (int x = 0; x < l.width; ++x)
                    if (row[x] >> 24 >= shows_from) {
                        r.from = std::min(r.from, x);
                        r.to = x;
                    }
                if (r.to < 0) continue;
                l.box_cols[k] = {std::min(l.box_cols[k].from, r.from), std::max(l.box_cols[k].to, r.to)};
                l.box_rows[k] = {std::min(l.box_rows[k].from, y), y};
            }
        }
    }
    return t;
}

frame_buffer::frame_buffer(int width, int height)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height, 0)
{
    owed_.rows.assign(static_cast<size_t>(std::max(0, height)), 0);
}

void frame_buffer::pay_row(int y) const
{
    pay_owed(owed_, px_.data(), width_, y, y + 1);
}

void frame_buffer::pay_rows(int y0, int y1) const
{
    pay_owed(owed_, px_.data(), width_, y0, y1);
}

void frame_buffer::clear(const clip_rect& c, uint32_t rgb)
{
    rgb &= 0xFFFFFF;
    const int x0 = std::max(0, c.x0), x1 = std::min(width_, c.x1), y0 = std::max(0, c.y0), y1 = std::min(height_, c.y1);
    if (x0 >= x1 || y0 >= y1) return;
    if (x0 == 0 && x1 == width_) { // whole rows: owed until something draws there
        if (y0 == 0 && y1 == height_) clean_tops_ = true;
        if (owed_.count && owed_.rgb != rgb) { // rows outside this clear still owe the old colour
            pay_rows(0, y0);
            pay_rows(y1, height_);
        }
        owed_.rgb = rgb;
        for (int y = y0; y < y1; ++y) {
            owed_.count += !owed_.rows[static_cast<size_t>(y)];
            owed_.rows[static_cast<size_t>(y)] = 1;
        }
        return;
    }
    pay_rows(y0, y1);
    const paint solid{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), 255,
                      blend_solid};
    for (int y = y0; y < y1; ++y) fill_span(&px_[static_cast<size_t>(y) * width_ + x0], x1 - x0, solid);
}

void frame_buffer::fill_quad(const float xy[8], const clip_rect& clip, const paint& p)
{
    clip_rect c{std::max(0, clip.x0), std::max(0, clip.y0), std::min(width_, clip.x1), std::min(height_, clip.y1)};
    if (p.blend == blend_mask && p.a < 128) return;
    const uv_map m = invert(xy);
    const bool overwrites = p.blend == blend_mask || !reads_pixels(p.blend);
    const quad_job job{px_.data(), width_, m, xy, c, p, nullptr, owed_, overwrites, {0.0, m.det, 0.0, m.det}, -1};
    scan_job(job, [&](int y, int x0, int x1, double) {
        fill_span(job.px + static_cast<size_t>(y) * job.stride + x0, x1 - x0 + 1, p);
    });
}

void frame_buffer::draw_quad(const texture& tex, const float xy[8], const clip_rect& clip, const paint& p)
{
    if (tex.levels.empty()) return;
    if (p.blend == blend_mask && p.a < 128) return; // no texel can pass the alpha test
    clip_rect c{std::max(0, clip.x0), std::max(0, clip.y0), std::min(width_, clip.x1), std::min(height_, clip.y1)};
    const uv_map m = invert(xy);
    if (!m.ok) return;
    // Mask mode replaces every pixel when even the least alpha passes; mips and filters never go below it.
    const bool overwrites = p.blend == blend_mask ? div255(tex.min_alpha * p.a) >= 128 : !reads_pixels(p.blend);
    // The texels that can change a pixel: in mask mode those that pass the test; under a blend
    // those with any alpha, as alpha 0 leaves a pixel as it was (bar a top byte, if one is set).
    const int showing = p.blend == blend_mask                                             ? 0
                        : (p.blend == blend_alpha || p.blend == blend_add) && clean_tops_ ? 1
                                                                                          : -1;
    quad_job job{px_.data(), width_, m, xy, c, p, shade_kernel(p), owed_, overwrites, {0.0, m.det, 0.0, m.det}, -1};
    auto skip_margins = [&](const texture::level& l) {
        job.showing = showing;
        job.w = window_of(m, l, showing);
    };
    // At its own size on whole pixels the footprint is 1 up to rounding: level 0, no mixing.
    if (is_plain_blit(m, tex.levels[0])) {
        skip_margins(tex.levels[0]); // each pixel takes its own texel, filtered or not
        return plain_blit(job, tex.levels[0]);
    }
    bool filtered = tex.flags & texture_filtered;
    const texture::level* l0 = &tex.levels[0];
    const texture::level* l1 = nullptr;
    uint32_t level_mix = 0;
    double footprint = (tex.flags & texture_mipmapped) && tex.levels.size() > 1 ? texel_footprint(m, tex) : 1.0;
    if (footprint > 1.0) { // log2 of anything above 1 is above 0
        double lod = std::log2(footprint);
        {
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
    if (level_mix == 0) l1 = nullptr; // a mix of 0 keeps the first level exactly
    if (!filtered) skip_margins(*l0); // filtering reads the neighbours as well
    if (m.fx == 0.0 && m.ey == 0.0) {
        if (filtered)
            aligned_filtered(job, *l0, l1, level_mix);
        else
            aligned_nearest(job, *l0);
        return;
    }
    bool safe =
        steps_are_safe(m, xy, c, l0->width, l0->height) && (!l1 || steps_are_safe(m, xy, c, l1->width, l1->height));
    if (!safe)
        exact_pixels(job, *l0, l1, level_mix, filtered);
    else if (filtered)
        stepped_filtered(job, *l0, l1, level_mix);
    else
        stepped_nearest(job, *l0);
}

void frame_buffer::put_point(int x, int y, const clip_rect& clip, const paint& p)
{
    if (x < std::max(0, clip.x0) || y < std::max(0, clip.y0) || x >= std::min(width_, clip.x1) ||
        y >= std::min(height_, clip.y1))
        return;
    if (p.blend == blend_mask && p.a < 128) return;
    if (owed_.count) pay_row(y);
    uint32_t& d = px_[static_cast<size_t>(y) * width_ + x];
    d = blend_pixel(d, p.r, p.g, p.b, p.a, p.blend);
}

void frame_buffer::read_rect(int x, int y, int w, int h, uint32_t* out) const
{
    settle();
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            int sx = x + i, sy = y + j;
            bool in = sx >= 0 && sy >= 0 && sx < width_ && sy < height_;
            out[static_cast<size_t>(j) * w + i] = in ? 0xFF000000u | pixel(sx, sy) : 0u;
        }
}
