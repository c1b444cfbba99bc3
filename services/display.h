// The display, frame pacing and the one global draw state every drawing goes through.
#pragma once

#include <cstdint>
#include <string>

#include "services/render/renderer.h"

struct font;

struct draw_state_t {
    int color_red = 255, color_green = 255, color_blue = 255;
    float color_alpha = 1.0f;
    int clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
    float line_width = 1.0f;
    float tform_rot = 0.0f;
    float tform_scale_x = 1.0f, tform_scale_y = 1.0f;
    float tform_ix = 1.0f, tform_iy = 0.0f, tform_jx = 0.0f, tform_jy = 1.0f;
    int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
    float origin_x = 0.0f, origin_y = 0.0f;
    float handle_x = 0.0f, handle_y = 0.0f;
    font* image_font = nullptr; // null: the built-in font
    int blend_mode = blend_mask;
};

extern draw_state_t draw_state;

struct display {
    int width, height, depth, hz, flags;
};

// Bumped by every successful open; textures made for an older generation are rebuilt.
extern int display_generation;

void set_app_title(const std::string& title);
const std::string& app_title();
// The window's icon (0xAARRGGBB), given to every window opened from now on.
void set_app_icon(const uint32_t* pixels, int width, int height);

// Display flags; every display is back-buffered whatever the caller asks.
constexpr int display_back_buffered = 2;

// depth 0 opens a window, any other depth full screen; hz 0 leaves frames unpaced.
display* open_display(int width, int height, int depth, int hz, int flags);
display* current_display();
void flip_frame(int sync);
void clear_screen();
void set_clear_color(int r, int g, int b);
void set_draw_color(int r, int g, int b);
void set_draw_alpha(float alpha);
void set_blend_mode(int mode);
void set_draw_rotation(float degrees);
void set_draw_scale(float sx, float sy);
void set_draw_transform(float degrees, float sx, float sy);
void draw_rect(float x, float y, float w, float h);
void draw_point(float x, float y);

// For the image and text layers: a textured quad of local rectangle (x0, y0)-(x1, y1) placed by
// the draw-state matrix at (tx, ty), tinted and blended by the renderer's state.
void draw_texture_quad(const texture& tex, float x0, float y0, float x1, float y1, float tx, float ty);
// The back buffer (null before a display is open).
frame_buffer* back_buffer();
// The renderer's copy of the draw state as it stands.
paint current_paint();

// Pacing internals, readable by tests.
struct pacing_info {
    int pace_hz, frame_ms, frame_rem, frame_acc;
    uint32_t next_frame_time;
    bool soft_pacing;
};
pacing_info pacing();
