// The two benchmark scenes as one command list that every renderer under test replays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "services/render/renderer.h"

namespace bench {

constexpr int screen_w = 640, screen_h = 480;

// A picture as the game would hold it: straight (not premultiplied) 0xAARRGGBB texels.
struct picture {
    std::string name;
    int width = 0, height = 0;
    int flags = 0; // texture_filtered / texture_mipmapped
    std::vector<uint32_t> argb;
    std::shared_ptr<texture> tex; // ours
};

enum class op { clear, quad, rect, point };

struct command {
    op kind = op::quad;
    int pic = -1;                         // index into scene::pictures for quads
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0; // local rectangle
    float tx = 0, ty = 0;                 // where the local origin lands
    float rot = 0, sx = 1, sy = 1;        // degrees clockwise, scale
    float xy[8] = {};                     // the four screen corners, as the display places them
    paint p;
    const char* group = ""; // what the command stands for, for the breakdown
};

struct scene {
    std::string name;
    std::vector<command> commands;
};

struct scene_set {
    std::vector<picture> pictures;
    scene a, b;
    bool real_art = false; // false when the game's pictures could not be read
};

// Builds both scenes from fixed pseudo-random placements; the game's pictures are read from `asset_dir`.
scene_set build_scenes(const std::string& asset_dir);

// The scene's commands of one group alone.
scene only_group(const scene& s, const std::string& group);

// Our renderer: replays a scene onto the frame buffer.
void draw_ours(const scene_set& set, const scene& s, frame_buffer& fb);

} // namespace bench
