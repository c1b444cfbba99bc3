// The narrow interface between the game and the machine: window, frames, audio, joysticks, clock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// What the window system tells the input layer, already in the game's own terms.
enum class event_kind {
    suspend,     // window lost focus
    resume,      // window got focus back
    terminate,   // close request
    key_down,    // a = game key code (1..255)
    key_repeat,  // a = key code; auto-repeat, ignored by the game
    key_up,      // a = key code
    key_char,    // a = character
    mouse_down,  // a = button 1..3
    mouse_up,    // a = button 1..3
    mouse_move,  // a, b = position in display pixels
    wheel,       // a = delta in 1/120 steps
    joy_added,   // a pad was plugged in
    joy_removed, // a pad was pulled out
};

struct event {
    event_kind kind;
    int a = 0;
    int b = 0;
};

using event_handler = void (*)(const event&);

// Fills `out` with `frames` stereo sample frames (interleaved left, right).
using audio_callback = void (*)(int16_t* out, int frames, void* user);

struct joystick_state {
    uint32_t buttons = 0; // bit b = button b held
    float x = 0.0f;       // -1..1
    float y = 0.0f;
};

class backend {
public:
    virtual ~backend() = default;

    virtual const char* name() const = 0;
    // Why the last window or audio request failed, for the one message the game prints.
    virtual const char* failure() const { return ""; }

    // A window of width x height, or with `fullscreen` the whole screen on the desktop's mode.
    virtual bool open_window(const char* caption, int width, int height, bool fullscreen) = 0;
    virtual void set_event_handler(event_handler handler) = 0;
    virtual void pump_events() = 0;
    // Presents a width x height frame of 0x00RRGGBB pixels.
    virtual void present(const uint32_t* pixels, int width, int height, bool vsync) = 0;
    // Whether present(vsync = true) really waits for the screen's blank.
    virtual bool can_wait_for_blank() const = 0;
    virtual void hide_pointer() = 0;
    virtual void move_pointer(int x, int y) = 0;
    // While a game is played the pointer is held on the picture; elsewhere, in a window, it may
    // leave the window and is taken up again where it comes back. Full screen always holds it.
    virtual void hold_pointer(bool /*in_play*/) {}
    // The window's icon, width x height 0xAARRGGBB pixels, also for a window opened later.
    virtual void set_icon(const uint32_t* /*pixels*/, int /*width*/, int /*height*/) {}

    virtual uint32_t ticks_ms() = 0;
    virtual void sleep_ms(int ms) = 0;

    // Starts a 44100 Hz 16-bit stereo output that calls `cb` from its own thread.
    virtual bool open_audio(audio_callback cb, void* user) = 0;
    virtual void close_audio() = 0;

    // Rebuilds the list of attached pads; returns how many there are.
    virtual int joystick_count() = 0;
    // Reads pad `index` of that list; false when it no longer answers.
    virtual bool joystick_read(int index, joystick_state& state) = 0;

    // The window the player kept from the last run, told before the window opens: full screen, or a
    // window of width x height (0 x 0: the backend's own size). A choice on the command line wins.
    virtual void prefer_window(bool /*fullscreen*/, int /*width*/, int /*height*/) {}
    // How the window is now: full screen or not, and its size as a window (now, or the last time it
    // was one; 0 x 0 when never). False when the backend cannot tell.
    virtual bool window_state(bool& /*fullscreen*/, int& /*width*/, int& /*height*/) const { return false; }

    // The player's own folder for saved files, ending in '/', made if missing; empty when none can be had.
    virtual std::string user_folder() { return ""; }
};

// The backend everything talks to; a headless one is in force until another is set.
backend& current();
void set_backend(std::unique_ptr<backend> b);

} // namespace platform
