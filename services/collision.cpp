// Pixel-exact collision of image frames placed as they would be drawn, over 32 layers of quads.
#include "services/collision.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "services/display.h"
#include "services/images.h"
#include "services/maths.h"

namespace {

constexpr int layer_count = 32;
constexpr int scratch_layer = 31;

struct vertex {
    float x, y, u, v;
};

struct quad {
    quad* next = nullptr;
    void* id = nullptr;
    std::shared_ptr<pixmap> mask; // null: solid everywhere
    int frame = 0;
    float minx = 0, miny = 0, maxx = 0, maxy = 0;
    vertex xyuv[4]{};
};

quad* layers[layer_count] = {};
quad* free_quads = nullptr;
// Every quad ever made; they move between the layers and the free list and are never released.
std::vector<std::unique_ptr<quad>> quad_pool;
// Which columns of the current overlap a quad has claimed; only ever grows.
std::vector<uint8_t> markers;

quad* take_quad()
{
    if (!free_quads) {
        quad_pool.push_back(std::make_unique<quad>());
        return quad_pool.back().get();
    }
    quad* q = free_quads;
    free_quads = q->next;
    q->next = nullptr;
    return q;
}

void release_layer(int i)
{
    while (quad* q = layers[i]) {
        layers[i] = q->next;
        q->mask.reset();
        q->id = nullptr;
        q->next = free_quads;
        free_quads = q;
    }
}

// The frame's quad in screen space, through the collision transform and the draw origin.
bool place(image* img, int x, int y, int frame, quad& q)
{
    if (!img || frame < 0 || frame >= img->frame_count()) return false;
    const std::shared_ptr<pixmap>& pm = img->pixmaps[static_cast<size_t>(frame)];
    // A frame that was never filled is blank: nothing of it can be hit.
    if (!pm) return false;
    q.mask = pm->has_alpha() ? pm : nullptr;
    q.frame = frame;
    const float ix = draw_state.tform_ix, iy = draw_state.tform_iy;
    const float jx = draw_state.tform_jx, jy = draw_state.tform_jy;
    const float tx = static_cast<float>(x) + draw_state.origin_x;
    const float ty = static_cast<float>(y) + draw_state.origin_y;
    const float left = -img->handle_x, top = -img->handle_y;
    const float right = left + static_cast<float>(img->width), bottom = top + static_cast<float>(img->height);
    const float lu[4] = {left, right, right, left}, lv[4] = {top, top, bottom, bottom};
    const float tu[4] = {0, 1, 1, 0}, tv[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
        q.xyuv[i] = {tx + lu[i] * ix + lv[i] * iy, ty + lu[i] * jx + lv[i] * jy, tu[i], tv[i]};
    }
    q.minx = q.maxx = q.xyuv[0].x;
    q.miny = q.maxy = q.xyuv[0].y;
    for (int i = 1; i < 4; ++i) {
        q.minx = std::min(q.minx, q.xyuv[i].x);
        q.maxx = std::max(q.maxx, q.xyuv[i].x);
        q.miny = std::min(q.miny, q.xyuv[i].y);
        q.maxy = std::max(q.maxy, q.xyuv[i].y);
    }
    return true;
}

// Mirrored placements come out wound the other way; the scan needs the right walk going clockwise.
void fix_winding(vertex v[4])
{
    bool reverse = false;
    for (int i = 1; i < 3; ++i) {
        float ax = v[i].x - v[0].x, ay = v[i].y - v[0].y;
        float bx = v[i + 1].x - v[0].x, by = v[i + 1].y - v[0].y;
        if (ax * by - ay * bx < 0.0f) reverse = true;
    }
    if (reverse) std::reverse(v, v + 4);
}

// One side of a quad, walked down from its top vertex one row at a time.
struct edge_walk {
    const vertex* v;
    const int* row; // truncated y of each vertex
    int start, dir;
    int a, b; // the edge in use runs from vertex a to vertex b
    bool done = false;

    edge_walk(const vertex* verts, const int* rows, int top, int step)
        : v(verts), row(rows), start(top), dir(step), a(top), b((top + step + 4) % 4)
    {
    }

    // Moves on to the edge that covers row r; false once the walk is back at its start.
    bool reach(int r)
    {
        while (!done && r >= row[b]) {
            a = b;
            b = (b + dir + 4) % 4;
            if (a == start) done = true;
        }
        return !done;
    }

    vertex at(int r) const
    {
        const vertex& p = v[a];
        const vertex& q = v[b];
        const float rows = static_cast<float>(row[b] - row[a]);
        const float t = static_cast<float>(r - row[a]) + 0.5f;
        return {p.x + t * ((q.x - p.x) / rows), 0.0f, p.u + t * ((q.u - p.u) / rows), p.v + t * ((q.v - p.v) / rows)};
    }
};

struct scan_quad {
    const quad* q;
    vertex v[4];
    int row[4];
    int top = 0;
    edge_walk left, right;

    scan_quad(const scan_quad&) = delete; // the walks point into this object
    explicit scan_quad(const quad& src) : q(&src), left(v, row, 0, -1), right(v, row, 0, 1)
    {
        std::copy(src.xyuv, src.xyuv + 4, v);
        fix_winding(v);
        for (int i = 0; i < 4; ++i) row[i] = float_to_int(v[i].y);
        for (int i = 1; i < 4; ++i)
            if (row[i] < row[top]) top = i;
        left = edge_walk(v, row, top, -1);
        right = edge_walk(v, row, top, 1);
    }

    // The span of row r, if the quad covers it.
    bool span(int r, vertex& l, vertex& rt)
    {
        if (r < row[top]) return false;
        if (!left.reach(r) || !right.reach(r)) return false;
        l = left.at(r);
        rt = right.at(r);
        return true;
    }
};

struct row_span {
    vertex l, r;
    int first, last; // columns first..last-1
};

bool texel_solid(const pixmap& m, float u, float v)
{
    u = std::clamp(u, 0.0f, 1.0f);
    v = std::clamp(v, 0.0f, 1.0f);
    int ty = std::min(float_to_int(v * static_cast<float>(m.height)), m.height - 1);
    int tx = std::min(float_to_int(u * static_cast<float>(m.width)), m.width - 1);
    return m.pixels[(static_cast<size_t>(ty) * m.width + tx) * 4 + 3] & 0x80;
}

// Walks one quad's solid columns of [start, end); true when one is already claimed by the other.
bool claim_columns(const quad& q, const row_span& s, int start, int end, uint8_t mark)
{
    uint8_t* col = markers.data();
    if (!q.mask) {
        for (int c = start; c < end; ++c) {
            if (col[c - start] && col[c - start] != mark) return true;
            col[c - start] = mark;
        }
        return false;
    }
    const pixmap& m = *q.mask;
    if (m.width <= 0 || m.height <= 0) return false;
    int e = s.first, f = s.last;
    if (f - e < 1) return false;
    float du = (s.r.u - s.l.u) / static_cast<float>(f - e);
    float dv = (s.r.v - s.l.v) / static_cast<float>(f - e);
    float lead = static_cast<float>(start - e) + 0.5f;
    float u = s.l.u + lead * du, v = s.l.v + lead * dv;
    for (int c = start; c < end; ++c, u += du, v += dv) {
        if (!texel_solid(m, u, v)) continue;
        if (col[c - start] && col[c - start] != mark) return true;
        col[c - start] = mark;
    }
    return false;
}

bool quads_collide(const quad& a, const quad& b)
{
    if (a.maxx < b.minx || a.maxy < b.miny || a.minx > b.maxx || a.miny > b.maxy) return false;
    scan_quad sa(a), sb(b);
    int first = std::min(sa.row[sa.top], sb.row[sb.top]);
    int last = std::max(*std::max_element(sa.row, sa.row + 4), *std::max_element(sb.row, sb.row + 4));
    for (int r = first; r < last; ++r) {
        row_span ra{}, rb{};
        if (!sa.span(r, ra.l, ra.r)) continue;
        if (!sb.span(r, rb.l, rb.r)) continue;
        ra.first = float_to_int(ra.l.x);
        ra.last = float_to_int(ra.r.x);
        rb.first = float_to_int(rb.l.x);
        rb.last = float_to_int(rb.r.x);
        int start = std::max(ra.first, rb.first), end = std::min(ra.last, rb.last);
        if (start >= end) continue;
        size_t n = static_cast<size_t>(end - start);
        if (markers.size() < n) markers.resize(n);
        std::fill(markers.begin(), markers.begin() + static_cast<std::ptrdiff_t>(n), uint8_t{0});
        if (claim_columns(a, ra, start, end, 1)) return true;
        if (claim_columns(b, rb, start, end, 2)) return true;
    }
    return false;
}

} // namespace

int collide_image(image* img, int x, int y, int frame, unsigned test_mask, unsigned write_mask, void* id)
{
    quad probe;
    if (!place(img, x, y, frame, probe)) return 0;
    int hit = 0;
    for (int i = 0; i < layer_count && !hit; ++i) {
        if (!(test_mask & (1u << i))) continue;
        for (const quad* q = layers[i]; q; q = q->next)
            if (quads_collide(*q, probe)) {
                hit = 1;
                break;
            }
    }
    for (int i = 0; i < layer_count; ++i) {
        if (!(write_mask & (1u << i))) continue;
        quad* q = take_quad();
        *q = probe;
        q->id = id;
        q->next = layers[i];
        layers[i] = q;
    }
    return hit;
}

long collision_tests = 0;

int images_collide(image* image1, int x1, int y1, int frame1, image* image2, int x2, int y2, int frame2)
{
    ++collision_tests;
    release_layer(scratch_layer);
    collide_image(image1, x1, y1, frame1, 0, 1u << scratch_layer, nullptr);
    return collide_image(image2, x2, y2, frame2, 1u << scratch_layer, 0, nullptr);
}

int images_collide_transformed(image* image1, int x1, int y1, int frame1, float rot1, float sx1, float sy1,
                               image* image2, int x2, int y2, int frame2, float rot2, float sx2, float sy2)
{
    ++collision_tests;
    const float rot = draw_state.tform_rot;
    const float sx = draw_state.tform_scale_x, sy = draw_state.tform_scale_y;
    release_layer(scratch_layer);
    set_draw_transform(rot1, sx1, sy1);
    collide_image(image1, x1, y1, frame1, 0, 1u << scratch_layer, nullptr);
    set_draw_transform(rot2, sx2, sy2);
    int hit = collide_image(image2, x2, y2, frame2, 1u << scratch_layer, 0, nullptr);
    set_draw_transform(rot, sx, sy);
    return hit;
}

void reset_collision_layers(int mask)
{
    unsigned bits = mask == 0 ? ~0u : static_cast<unsigned>(mask);
    for (int i = 0; i < layer_count; ++i)
        if (bits & (1u << i)) release_layer(i);
}
