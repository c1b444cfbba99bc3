// Images of one or more frames: pixel buffers, handles, the mask rule and textures made on demand.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "services/render/renderer.h"

// A frame's pixels, rows top to bottom, 8 bits a channel.
struct pixmap {
    int width = 0, height = 0;
    int channels = 0;            // 1 grey, 3 RGB, 4 RGBA
    std::vector<uint8_t> pixels; // width x height x channels
    bool has_alpha() const { return channels == 4; }
};

struct image {
    int width = 0, height = 0;
    int flags = 0;
    int mask_r = 0, mask_g = 0, mask_b = 0;
    float handle_x = 0.0f, handle_y = 0.0f;
    std::vector<std::shared_ptr<pixmap>> pixmaps; // one per frame; null until filled
    std::vector<std::shared_ptr<texture>> frames; // the renderer's copies, made on demand
    std::vector<int> seqs;                        // display generation of each texture; 0 = none
    int frame_count() const { return static_cast<int>(pixmaps.size()); }
};

constexpr int image_masked = 1;
constexpr int image_filtered = 2;
constexpr int image_mipmapped = 4;
constexpr int image_dynamic = 8;

image* create_image(int width, int height, int frames, int flags);
[[nodiscard]] image* load_image(const std::string& url, int flags);
void grab_image(image* img, int x, int y, int frame);
void set_auto_mid_handle(int flag);
void set_default_image_flags(int flags);
void mid_handle_image(image* img);
void draw_image(image* img, float x, float y, int frame);

// The frame's texture, made or rebuilt for the current display generation; null if none can be made.
const texture* frame_texture(image* img, int frame);
// Masks a buffer: pure mask-colour pixels go transparent with the average of their neighbours.
std::shared_ptr<pixmap> mask_pixmap(const pixmap& src, int mr, int mg, int mb);
// Stores a buffer as a frame: masked first when the image is masked and the buffer has no alpha.
void store_pixmap(image* img, int frame, std::shared_ptr<pixmap> pm);
// Decodes a PNG held in memory; null when it is not one we can read.
[[nodiscard]] std::shared_ptr<pixmap> decode_png(const uint8_t* data, size_t size);
