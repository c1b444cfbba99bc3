// SDL2's software renderer as a peer, drawing into a 640 x 480 surface; no window is opened.
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>

#include "peers.h"

namespace bench {
namespace {

struct step {
    op kind;
    SDL_Texture* tex = nullptr;
    SDL_FRect dst{};
    SDL_FPoint centre{};
    double angle = 0;
    uint8_t r = 0, g = 0, b = 0, a = 255;
    SDL_BlendMode blend = SDL_BLENDMODE_BLEND;
};

class sdl_peer : public peer {
public:
    sdl_peer(const scene_set& set, SDL_Surface* surface, SDL_Renderer* r)
        : set_(set), surface_(surface), r_(r), px_(screen_w * screen_h)
    {
    }
    ~sdl_peer() override
    {
        for (auto& [k, t] : textures_) SDL_DestroyTexture(t);
        SDL_DestroyRenderer(r_);
        SDL_FreeSurface(surface_);
    }
    const char* name() const override { return "sdl"; }
    std::string emulation() const override
    {
        return "sdl: tints baked into pre-tinted copies; mask mode as blending of a copy whose alpha is "
               "thresholded at 128; solid mode without blending; draw alpha as the texture's alpha mod; "
               "rotation by RenderCopyEx about the handle, nearest scaling";
    }
    void draw(const scene& s) override
    {
        if (!plans_.count(&s)) prepare(s);
        for (const step& st : plans_[&s]) {
            switch (st.kind) {
            case op::clear:
                SDL_SetRenderDrawColor(r_, 0, 0, 0, 255);
                SDL_RenderClear(r_);
                break;
            case op::rect:
                SDL_SetRenderDrawBlendMode(r_, st.blend);
                SDL_SetRenderDrawColor(r_, st.r, st.g, st.b, st.a);
                SDL_RenderFillRectF(r_, &st.dst);
                break;
            case op::point:
                SDL_SetRenderDrawBlendMode(r_, st.blend);
                SDL_SetRenderDrawColor(r_, st.r, st.g, st.b, st.a);
                SDL_RenderDrawPointF(r_, st.dst.x, st.dst.y);
                break;
            case op::quad:
                SDL_SetTextureAlphaMod(st.tex, st.a);
                if (st.angle == 0)
                    SDL_RenderCopyF(r_, st.tex, nullptr, &st.dst);
                else
                    SDL_RenderCopyExF(r_, st.tex, nullptr, &st.dst, st.angle, &st.centre, SDL_FLIP_NONE);
                break;
            }
        }
        SDL_RenderFlush(r_);
    }
    const uint32_t* pixels() const override
    {
        // The surface's rows may be padded: copy them out tightly.
        for (int y = 0; y < screen_h; ++y) {
            auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(surface_->pixels) +
                                                          static_cast<size_t>(y) * surface_->pitch);
            std::copy(row, row + screen_w, px_.begin() + static_cast<long>(y) * screen_w);
        }
        return px_.data();
    }

private:
    SDL_Texture* texture_for(int pic, const paint& p)
    {
        int mode = p.blend == blend_mask || p.blend == blend_solid ? p.blend : 0;
        auto key = std::make_tuple(pic, p.r, p.g, p.b, mode);
        auto it = textures_.find(key);
        if (it != textures_.end()) return it->second;
        const picture& src = set_.pictures[static_cast<size_t>(pic)];
        std::vector<uint32_t> texels = peer_texels(src, p, false);
        SDL_Texture* t =
            SDL_CreateTexture(r_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, src.width, src.height);
        if (t) {
            SDL_UpdateTexture(t, nullptr, texels.data(), src.width * 4);
            SDL_SetTextureBlendMode(t, p.blend == blend_solid ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
            SDL_SetTextureScaleMode(t, (src.flags & texture_filtered) ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
        }
        textures_[key] = t;
        return t;
    }

    void prepare(const scene& s)
    {
        auto& steps = plans_[&s];
        for (const command& c : s.commands) {
            step st;
            st.kind = c.kind;
            st.r = c.p.r;
            st.g = c.p.g;
            st.b = c.p.b;
            st.a = c.p.a;
            st.blend = c.p.blend == blend_solid ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND;
            if (c.kind == op::point) {
                st.dst = {std::floor(c.tx + 0.5f), std::floor(c.ty + 0.5f), 1, 1};
            } else if (c.kind != op::clear) {
                st.dst = {c.tx + c.x0 * c.sx, c.ty + c.y0 * c.sy, (c.x1 - c.x0) * c.sx, (c.y1 - c.y0) * c.sy};
                st.centre = {-c.x0 * c.sx, -c.y0 * c.sy};
                st.angle = c.rot;
            }
            if (c.kind == op::quad) {
                st.tex = texture_for(c.pic, c.p);
                if (!st.tex) continue;
                if (c.p.blend != blend_alpha) st.a = 255;
            }
            steps.push_back(st);
        }
    }

    const scene_set& set_;
    SDL_Surface* surface_;
    SDL_Renderer* r_;
    mutable std::vector<uint32_t> px_;
    std::map<std::tuple<int, int, int, int, int>, SDL_Texture*> textures_;
    std::map<const scene*, std::vector<step>> plans_;
};

} // namespace

std::unique_ptr<peer> make_sdl_peer(const scene_set& set)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, screen_w, screen_h, 32, SDL_PIXELFORMAT_RGB888);
    if (!surface) {
        std::fprintf(stderr, "renderer_bench: no SDL surface: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_Renderer* r = SDL_CreateSoftwareRenderer(surface);
    if (!r) {
        std::fprintf(stderr, "renderer_bench: no SDL software renderer: %s\n", SDL_GetError());
        SDL_FreeSurface(surface);
        return nullptr;
    }
    return std::make_unique<sdl_peer>(set, surface, r);
}

} // namespace bench
