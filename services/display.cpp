// The display, frame pacing and the one global draw state every drawing goes through.
#include "services/display.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "services/input.h"
#include "services/maths.h"

draw_state_t draw_state;
int display_generation = 0;

namespace {

// A probe long enough to see three good flips in a row on a busy desktop. It always makes all its
// flips and takes the same time, so start-up (and the run's seed, taken from the clock) does not
// depend on the screen.
constexpr int probe_flips = 20;
constexpr int probe_ms = 400;

// Everything the display service remembers between calls.
struct display_state {
    // What the next window is opened with.
    std::string title = "";
    std::vector<uint32_t> icon;
    int icon_w = 0, icon_h = 0;
    // The open display and the frame the game draws into.
    std::unique_ptr<display> the_display;
    std::unique_ptr<frame_buffer> buffer;
    // Once-only starts: the first clear-and-flip, and the input service.
    bool ever_current = false;
    bool input_started = false;
    // What the renderer was last told; set_blend_mode leaves it alone for the mode in force.
    paint renderer_paint;
    // Frame pacing for the display `paced`: a frame's length in whole ms, the rest spread over a second.
    int pace_hz = 0, frame_ms = 0, frame_rem = 0, frame_acc = 0;
    uint32_t next_frame_time = 0; // on the wrapping clock: compared only through differences
    bool soft_pacing = false;
    const display* paced = nullptr;
};

display_state st;

uint32_t now_ms()
{
    return static_cast<uint32_t>(millis());
}

int clamp255(int v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

uint8_t alpha_byte(float a)
{
    float c = a < 0.0f ? 0.0f : (a > 1.0f ? 1.0f : a);
    return static_cast<uint8_t>(float_to_int(c * 255.0f));
}

void apply_color()
{
    st.renderer_paint.r = static_cast<uint8_t>(clamp255(draw_state.color_red));
    st.renderer_paint.g = static_cast<uint8_t>(clamp255(draw_state.color_green));
    st.renderer_paint.b = static_cast<uint8_t>(clamp255(draw_state.color_blue));
}

void recompute_matrix()
{
    double s = sin_deg(draw_state.tform_rot), c = cos_deg(draw_state.tform_rot);
    draw_state.tform_ix = static_cast<float>(c * draw_state.tform_scale_x);
    draw_state.tform_iy = static_cast<float>(-s * draw_state.tform_scale_y);
    draw_state.tform_jx = static_cast<float>(s * draw_state.tform_scale_x);
    draw_state.tform_jy = static_cast<float>(c * draw_state.tform_scale_y);
}

clip_rect viewport()
{
    return {draw_state.viewport_x, draw_state.viewport_y, draw_state.viewport_x + draw_state.viewport_w,
            draw_state.viewport_y + draw_state.viewport_h};
}

void present(bool vsync)
{
    if (!st.buffer) return;
    platform::current().present(st.buffer->pixels(), st.buffer->width(), st.buffer->height(), vsync);
}

// Whether blank-waiting presents really come at hz: three flips in a row within a millisecond of
// a frame's length.
bool blank_runs_at(int hz)
{
    const int start = millis();
    int good = 0;
    bool found = false;
    for (int i = 0; i < probe_flips; ++i) {
        const int t = millis();
        present(true);
        const int d = ms_between(t, millis());
        good = std::abs(d - 1000 / hz) <= 1 ? good + 1 : 0;
        if (good >= 3) found = true;
    }
    const int spent = ms_between(start, millis());
    if (spent < probe_ms) delay_ms(probe_ms - spent);
    return found;
}

// Re-applies the whole draw state to the renderer, in its fixed order.
void make_current()
{
    st.renderer_paint.blend = draw_state.blend_mode;
    apply_color();
    st.renderer_paint.a = alpha_byte(draw_state.color_alpha);
    recompute_matrix();
    if (!st.ever_current) {
        st.ever_current = true;
        clear_screen();
        flip_frame(0);
        clear_screen();
        flip_frame(0);
    }
}

void map_corners(float x0, float y0, float x1, float y1, float tx, float ty, float out[8])
{
    const float lx[4] = {x0, x1, x1, x0}, ly[4] = {y0, y0, y1, y1};
    for (int i = 0; i < 4; ++i) {
        out[2 * i] = tx + lx[i] * draw_state.tform_ix + ly[i] * draw_state.tform_iy;
        out[2 * i + 1] = ty + lx[i] * draw_state.tform_jx + ly[i] * draw_state.tform_jy;
    }
}

} // namespace

void set_app_title(const std::string& t)
{
    st.title = t;
}
const std::string& app_title()
{
    return st.title;
}

void set_app_icon(const uint32_t* pixels, int width, int height)
{
    st.icon.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    st.icon_w = width;
    st.icon_h = height;
}

display* open_display(int width, int height, int depth, int hz, int flags)
{
    flags |= display_back_buffered; // the driver's default
    if (width <= 0 || height <= 0) return nullptr;
    if (!st.icon.empty()) platform::current().set_icon(st.icon.data(), st.icon_w, st.icon_h);
    if (!platform::current().open_window(st.title.c_str(), width, height, depth != 0)) return nullptr;
    st.the_display = std::make_unique<display>(display{width, height, depth, hz, flags});
    st.buffer = std::make_unique<frame_buffer>(width, height);
    if (draw_state.viewport_w == 0 && draw_state.viewport_h == 0) {
        draw_state.viewport_w = width;
        draw_state.viewport_h = height;
    }
    // Wraps from the largest int to the smallest and skips 0, so a frame's stamp never matches by chance.
    display_generation = static_cast<int>(static_cast<uint32_t>(display_generation) + 1u);
    if (display_generation == 0) display_generation = 1;
    make_current();

    st.soft_pacing = hz != 0;
    if (hz != 0 && depth != 0 && platform::current().can_wait_for_blank() && blank_runs_at(hz)) st.soft_pacing = false;
    st.pace_hz = hz;
    st.frame_ms = hz != 0 ? 1000 / hz : 0;
    st.frame_rem = 1000 - st.frame_ms * hz;
    st.frame_acc = 0;
    st.next_frame_time = now_ms();
    st.paced = st.the_display.get();
    if (depth != 0) platform::current().move_pointer(width / 2, height / 2);
    if (!st.input_started) {
        st.input_started = true;
        start_input();
    } else {
        platform::current().set_event_handler(handle_input_event); // the backend may have changed
    }
    return st.the_display.get();
}

display* current_display()
{
    return st.the_display.get();
}

void flip_frame(int sync)
{
    // Only frames of a game being played hold the pointer (the shell says which those are).
    platform::current().hold_pointer(pointer_in_play());
    if (sync != -1) {
        present(sync == 1);
        return;
    }
    if (st.the_display.get() != st.paced || !st.soft_pacing) {
        present(st.pace_hz != 0);
        return;
    }
    st.next_frame_time += static_cast<uint32_t>(st.frame_ms);
    st.frame_acc += st.frame_rem;
    if (st.frame_acc >= st.pace_hz) {
        st.frame_acc -= st.pace_hz;
        st.next_frame_time += 1;
    }
    const int wait = ms_between(millis(), static_cast<int>(st.next_frame_time));
    if (wait > 0)
        delay_ms(wait);
    else
        st.next_frame_time = now_ms(); // a late frame is not made up for by a burst
    present(false);
}

void clear_screen()
{
    if (!st.buffer) return;
    uint32_t rgb = static_cast<uint32_t>(clamp255(draw_state.clscolor_red)) << 16 |
                   static_cast<uint32_t>(clamp255(draw_state.clscolor_green)) << 8 |
                   static_cast<uint32_t>(clamp255(draw_state.clscolor_blue));
    st.buffer->clear(viewport(), rgb);
}

void set_clear_color(int r, int g, int b)
{
    draw_state.clscolor_red = r;
    draw_state.clscolor_green = g;
    draw_state.clscolor_blue = b;
}

void set_draw_color(int r, int g, int b)
{
    draw_state.color_red = r;
    draw_state.color_green = g;
    draw_state.color_blue = b;
    apply_color();
}

void set_draw_alpha(float alpha)
{
    draw_state.color_alpha = alpha;
    st.renderer_paint.a = alpha_byte(alpha);
}

void set_blend_mode(int mode)
{
    if (mode == draw_state.blend_mode) return;
    draw_state.blend_mode = mode;
    st.renderer_paint.blend = mode;
}

void set_draw_rotation(float degrees)
{
    draw_state.tform_rot = degrees;
    recompute_matrix();
}

void set_draw_scale(float sx, float sy)
{
    draw_state.tform_scale_x = sx;
    draw_state.tform_scale_y = sy;
    recompute_matrix();
}

void set_draw_transform(float degrees, float sx, float sy)
{
    draw_state.tform_rot = degrees;
    draw_state.tform_scale_x = sx;
    draw_state.tform_scale_y = sy;
    recompute_matrix();
}

void draw_rect(float x, float y, float w, float h)
{
    if (!st.buffer) return;
    float xy[8];
    map_corners(draw_state.handle_x, draw_state.handle_y, draw_state.handle_x + w, draw_state.handle_y + h,
                x + draw_state.origin_x, y + draw_state.origin_y, xy);
    st.buffer->fill_quad(xy, viewport(), st.renderer_paint);
}

void draw_point(float x, float y)
{
    if (!st.buffer) return;
    int px = static_cast<int>(std::floor(x + draw_state.origin_x + 0.5f));
    int py = static_cast<int>(std::floor(y + draw_state.origin_y + 0.5f));
    st.buffer->put_point(px, py, viewport(), st.renderer_paint);
}

void draw_texture_quad(const texture& tex, float x0, float y0, float x1, float y1, float tx, float ty)
{
    if (!st.buffer) return;
    float xy[8];
    map_corners(x0, y0, x1, y1, tx, ty, xy);
    st.buffer->draw_quad(tex, xy, viewport(), st.renderer_paint);
}

frame_buffer* back_buffer()
{
    return st.buffer.get();
}
paint current_paint()
{
    return st.renderer_paint;
}

pacing_info pacing()
{
    return {st.pace_hz, st.frame_ms, st.frame_rem, st.frame_acc, st.next_frame_time, st.soft_pacing};
}
