// Times our renderer, pixman and SDL2's software renderer on the same two scenes, taking turns.
//
// Usage: renderer_bench [--rounds N] [--assets DIR] [--shots DIR] [--breakdown] [--kernels LEVEL]
// Ends with "scene A ratio R" and "scene B ratio R": our median frame time over pixman's.
// Times are the drawing thread's CPU time, so other work on a shared machine does not count.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "harness/png_write.h"
#include "peers.h"
#include "services/render/renderer_spans.h"

namespace {

using namespace bench;

class ours_peer : public peer {
public:
    explicit ours_peer(const scene_set& set) : set_(set), fb_(screen_w, screen_h) {}
    const char* name() const override { return "ours"; }
    std::string emulation() const override { return "ours: every command as the game issues it"; }
    void draw(const scene& s) override { draw_ours(set_, s, fb_); }
    const uint32_t* pixels() const override { return fb_.pixels(); }

private:
    const scene_set& set_;
    frame_buffer fb_;
};

double cpu_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

// times[scene][peer], one frame each, taking turns: scene 0 by every peer, scene 1 by every peer, ...
std::vector<std::vector<std::vector<double>>> take_turns(const std::vector<const scene*>& scenes,
                                                         std::vector<std::unique_ptr<peer>>& peers, int rounds)
{
    std::vector<std::vector<std::vector<double>>> times(scenes.size(), std::vector<std::vector<double>>(peers.size()));
    const int warmup = 3;
    for (int r = 0; r < warmup + rounds; ++r)
        for (size_t si = 0; si < scenes.size(); ++si)
            for (size_t pi = 0; pi < peers.size(); ++pi) {
                double t0 = cpu_ms();
                peers[pi]->draw(*scenes[si]);
                double t1 = cpu_ms();
                if (r >= warmup) times[si][pi].push_back(t1 - t0);
            }
    return times;
}

double percentile(std::vector<double> v, double q)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

// Share of pixels where some channel differs by more than 16 levels.
double share_off(const uint32_t* a, const uint32_t* b)
{
    int n = 0;
    for (int i = 0; i < screen_w * screen_h; ++i) {
        int worst = 0;
        for (int s = 0; s < 24; s += 8)
            worst = std::max(worst, std::abs(int((a[i] >> s) & 255) - int((b[i] >> s) & 255)));
        n += worst > 16;
    }
    return 100.0 * n / (screen_w * screen_h);
}

int count_of(const scene& s, op k)
{
    return static_cast<int>(
        std::count_if(s.commands.begin(), s.commands.end(), [&](const command& c) { return c.kind == k; }));
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 150;
    bool breakdown = false;
    std::string assets = RAMPARION_SOURCE_DIR "/assets", shots;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--assets" && i + 1 < argc) {
            assets = argv[++i];
        } else if (a == "--kernels" && i + 1 < argc) {
            // portable, sse2, avx2 or avx512: never more than the processor has
            std::string k = argv[++i];
            int want = k == "portable" ? span_portable
                       : k == "sse2"   ? span_sse2
                       : k == "avx2"   ? span_avx2
                                       : span_avx512;
            set_span_kernels(want);
        } else if (a == "--breakdown") {
            breakdown = true;
        } else if (a == "--shots" && i + 1 < argc) {
            shots = argv[++i];
        } else {
            std::fprintf(
                stderr,
                "usage: renderer_bench [--rounds N] [--assets DIR] [--shots DIR] [--breakdown] [--kernels LEVEL]\n");
            return 2;
        }
    }
    scene_set set = build_scenes(assets);
    std::vector<std::unique_ptr<peer>> peers;
    peers.push_back(std::make_unique<ours_peer>(set));
    if (auto p = make_pixman_peer(set)) peers.push_back(std::move(p));
    if (auto p = make_sdl_peer(set)) peers.push_back(std::move(p));
    const std::vector<const scene*> scenes = {&set.a, &set.b};

    std::printf("renderer_bench: %dx%d, %d rounds, round robin per scene: ", screen_w, screen_h, rounds);
    for (auto& p : peers) std::printf("%s ", p->name());
    constexpr const char* level_names[] = {"portable", "sse2", "avx2", "avx512"};
    std::printf("\nour span kernels: %s\n", level_names[span_kernels_in_use()]);
    std::printf("pictures: %s\n", set.real_art ? "the game's own (assets/graphx)" : "synthetic stand-ins");
    for (const scene* s : scenes)
        std::printf("scene %s: %d quads, %d rects, %d points, 1 clear\n", s->name.c_str(), count_of(*s, op::quad),
                    count_of(*s, op::rect), count_of(*s, op::point));
    for (auto& p : peers) std::printf("  %s\n", p->emulation().c_str());

    if (breakdown) {
        // Each group of scene B alone, so a slow part shows where the time goes.
        std::vector<std::string> groups;
        for (const command& c : set.b.commands)
            if (std::find(groups.begin(), groups.end(), c.group) == groups.end()) groups.emplace_back(c.group);
        std::vector<scene> parts;
        parts.reserve(groups.size());
        std::vector<const scene*> part_ptrs;
        for (const std::string& g : groups) {
            parts.push_back(only_group(set.b, g));
            part_ptrs.push_back(&parts.back());
        }
        auto t = take_turns(part_ptrs, peers, rounds);
        std::printf("\nbreakdown of scene B, median ms:\n%-14s", "group");
        for (auto& p : peers) std::printf(" %9s", p->name());
        std::printf("\n");
        for (size_t g = 0; g < groups.size(); ++g) {
            std::printf("%-14s", groups[g].c_str());
            for (size_t pi = 0; pi < peers.size(); ++pi) std::printf(" %9.3f", percentile(t[g][pi], 0.5));
            std::printf("\n");
        }
    }

    auto times = take_turns(scenes, peers, rounds);

    std::printf("\nCPU ms per frame\n%-6s %-8s %10s %10s %10s %18s\n", "scene", "renderer", "median", "p90", "/ pixman",
                "pixels off >16");
    double ratio[2] = {0, 0};
    for (int si = 0; si < 2; ++si) {
        std::vector<std::vector<uint32_t>> frames;
        for (auto& p : peers) {
            p->draw(*scenes[si]);
            frames.emplace_back(p->pixels(), p->pixels() + screen_w * screen_h);
            if (!shots.empty()) {
                std::string path = shots + "/" + scenes[si]->name + "_" + p->name() + ".png";
                if (!write_png_rgb(path, frames.back().data(), screen_w, screen_h))
                    std::fprintf(stderr, "renderer_bench: cannot write %s\n", path.c_str());
            }
        }
        double pixman_median = 0;
        for (size_t pi = 0; pi < peers.size(); ++pi)
            if (std::strcmp(peers[pi]->name(), "pixman") == 0) pixman_median = percentile(times[si][pi], 0.5);
        for (size_t pi = 0; pi < peers.size(); ++pi) {
            double med = percentile(times[si][pi], 0.5), p90 = percentile(times[si][pi], 0.9);
            char off[32] = "-";
            if (pi > 0) std::snprintf(off, sizeof off, "%.2f%%", share_off(frames[0].data(), frames[pi].data()));
            std::printf("%-6s %-8s %10.3f %10.3f %10.2f %18s\n", scenes[si]->name.c_str(), peers[pi]->name(), med, p90,
                        pixman_median > 0 ? med / pixman_median : 0.0, off);
        }
        ratio[si] = pixman_median > 0 ? percentile(times[si][0], 0.5) / pixman_median : 0.0;
    }
    std::printf("\n");
    for (int si = 0; si < 2; ++si) std::printf("scene %s ratio %.2f\n", scenes[si]->name.c_str(), ratio[si]);
    return 0;
}
