// pixman as a peer: each command becomes one composite or fill; pictures are premultiplied up front.
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>

#include "peers.h"

namespace bench {

std::vector<uint32_t> peer_texels(const picture& pic, const paint& p, bool premultiply)
{
    std::vector<uint32_t> out(pic.argb.size());
    for (size_t i = 0; i < out.size(); ++i) {
        uint32_t t = pic.argb[i];
        uint32_t a = t >> 24;
        uint32_t r = div255(((t >> 16) & 255) * p.r), g = div255(((t >> 8) & 255) * p.g), b = div255((t & 255) * p.b);
        if (p.blend == blend_mask) a = a >= 128 ? 255 : 0; // the alpha test, baked in
        if (p.blend == blend_solid) a = 255;
        if (premultiply) {
            r = div255(r * a);
            g = div255(g * a);
            b = div255(b * a);
        }
        out[i] = a << 24 | r << 16 | g << 8 | b;
    }
    return out;
}

namespace {

struct box {
    int x, y, w, h;
};

box bounds_of(const float xy[8])
{
    float x0 = std::min({xy[0], xy[2], xy[4], xy[6]}), x1 = std::max({xy[0], xy[2], xy[4], xy[6]});
    float y0 = std::min({xy[1], xy[3], xy[5], xy[7]}), y1 = std::max({xy[1], xy[3], xy[5], xy[7]});
    int bx0 = std::max(0, static_cast<int>(std::floor(x0))), by0 = std::max(0, static_cast<int>(std::floor(y0)));
    int bx1 = std::min(screen_w, static_cast<int>(std::ceil(x1)));
    int by1 = std::min(screen_h, static_cast<int>(std::ceil(y1)));
    return {bx0, by0, std::max(0, bx1 - bx0), std::max(0, by1 - by0)};
}

pixman_color_t premultiplied(const paint& p)
{
    auto c16 = [&](uint32_t v) { return static_cast<uint16_t>(div255(v * p.a) * 257); };
    return pixman_color_t{c16(p.r), c16(p.g), c16(p.b), static_cast<uint16_t>(p.a * 257)};
}

struct step {
    op kind;
    pixman_op_t pop = PIXMAN_OP_OVER;
    pixman_image_t* src = nullptr;
    pixman_image_t* mask = nullptr; // the draw alpha, when not 1
    bool transformed = false;
    pixman_transform_t tf{};
    int src_x = 0, src_y = 0;
    box b{};
    pixman_color_t color{};
};

class pixman_peer : public peer {
public:
    explicit pixman_peer(const scene_set& set) : set_(set), px_(screen_w * screen_h, 0)
    {
        dst_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, screen_w, screen_h, px_.data(), screen_w * 4);
    }
    ~pixman_peer() override
    {
        for (auto& [s, steps] : plans_)
            for (step& st : steps)
                if (st.mask) pixman_image_unref(st.mask);
        for (auto& [k, img] : images_) pixman_image_unref(img);
        pixman_image_unref(dst_);
    }
    const char* name() const override { return "pixman"; }
    std::string emulation() const override
    {
        return "pixman: tints baked into pre-tinted premultiplied copies; mask mode as OVER of a copy whose "
               "alpha is thresholded at 128; solid mode as SRC of an opaque copy; draw alpha as a solid mask; "
               "rotation and scale as an inverse transform over the quad's bounding box (nearest, bilinear for "
               "filtered pictures)";
    }
    void draw(const scene& s) override
    {
        if (!plans_.count(&s)) prepare(s);
        for (const step& st : plans_[&s]) {
            switch (st.kind) {
            case op::clear: {
                pixman_color_t black{0, 0, 0, 0xFFFF};
                pixman_rectangle16_t r{0, 0, screen_w, screen_h};
                pixman_image_fill_rectangles(PIXMAN_OP_SRC, dst_, &black, 1, &r);
                break;
            }
            case op::rect:
            case op::point: {
                pixman_rectangle16_t r{static_cast<int16_t>(st.b.x), static_cast<int16_t>(st.b.y),
                                       static_cast<uint16_t>(st.b.w), static_cast<uint16_t>(st.b.h)};
                pixman_image_fill_rectangles(st.pop, dst_, &st.color, 1, &r);
                break;
            }
            case op::quad:
                pixman_image_set_transform(st.src, st.transformed ? &st.tf : nullptr);
                pixman_image_composite32(st.pop, st.src, st.mask, dst_, st.src_x, st.src_y, 0, 0, st.b.x, st.b.y,
                                         st.b.w, st.b.h);
                break;
            }
        }
    }
    const uint32_t* pixels() const override { return px_.data(); }

private:
    pixman_image_t* image_for(int pic, const paint& p)
    {
        int mode = p.blend == blend_mask || p.blend == blend_solid ? p.blend : 0;
        auto key = std::make_tuple(pic, p.r, p.g, p.b, mode);
        auto it = images_.find(key);
        if (it != images_.end()) return it->second;
        const picture& src = set_.pictures[static_cast<size_t>(pic)];
        auto& texels = store_.emplace_back(peer_texels(src, p, true));
        pixman_image_t* img =
            pixman_image_create_bits(PIXMAN_a8r8g8b8, src.width, src.height, texels.data(), src.width * 4);
        pixman_image_set_filter(img, (src.flags & texture_filtered) ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST,
                                nullptr, 0);
        images_[key] = img;
        return img;
    }

    void prepare(const scene& s)
    {
        auto& steps = plans_[&s];
        for (const command& c : s.commands) {
            step st;
            st.kind = c.kind;
            if (c.kind == op::rect) {
                st.b = bounds_of(c.xy);
                st.color = premultiplied(c.p);
                st.pop = c.p.blend == blend_solid ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
            } else if (c.kind == op::point) {
                st.b = {static_cast<int>(std::floor(c.tx + 0.5f)), static_cast<int>(std::floor(c.ty + 0.5f)), 1, 1};
                st.color = premultiplied(c.p);
            } else if (c.kind == op::quad) {
                const picture& pic = set_.pictures[static_cast<size_t>(c.pic)];
                st.src = image_for(c.pic, c.p);
                st.pop = c.p.blend == blend_solid ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
                if (c.p.a != 255 && c.p.blend == blend_alpha) {
                    pixman_color_t a{0, 0, 0, static_cast<uint16_t>(c.p.a * 257)};
                    st.mask = pixman_image_create_solid_fill(&a);
                }
                st.b = bounds_of(c.xy);
                double ex = c.xy[2] - c.xy[0], ey = c.xy[3] - c.xy[1], fx = c.xy[6] - c.xy[0], fy = c.xy[7] - c.xy[1];
                bool plain = ex == pic.width && ey == 0 && fx == 0 && fy == pic.height &&
                             c.xy[0] == std::floor(c.xy[0]) && c.xy[1] == std::floor(c.xy[1]);
                if (plain) {
                    st.src_x = st.b.x - static_cast<int>(c.xy[0]);
                    st.src_y = st.b.y - static_cast<int>(c.xy[1]);
                } else {
                    // screen = corner0 + (s / W) e + (t / H) f, inverted for pixman's destination-to-source map
                    double a = ex / pic.width, b = fx / pic.height, cc = ey / pic.width, d = fy / pic.height;
                    double det = a * d - b * cc;
                    pixman_f_transform f{};
                    f.m[0][0] = d / det;
                    f.m[0][1] = -b / det;
                    f.m[1][0] = -cc / det;
                    f.m[1][1] = a / det;
                    f.m[0][2] = -(f.m[0][0] * c.xy[0] + f.m[0][1] * c.xy[1]);
                    f.m[1][2] = -(f.m[1][0] * c.xy[0] + f.m[1][1] * c.xy[1]);
                    f.m[2][2] = 1;
                    st.transformed = pixman_transform_from_pixman_f_transform(&st.tf, &f);
                    st.src_x = st.b.x;
                    st.src_y = st.b.y;
                }
            }
            steps.push_back(st);
        }
    }

    const scene_set& set_;
    std::vector<uint32_t> px_;
    pixman_image_t* dst_ = nullptr;
    std::map<std::tuple<int, int, int, int, int>, pixman_image_t*> images_;
    std::vector<std::vector<uint32_t>> store_;
    std::map<const scene*, std::vector<step>> plans_;
};

} // namespace

std::unique_ptr<peer> make_pixman_peer(const scene_set& set)
{
    return std::make_unique<pixman_peer>(set);
}

} // namespace bench
