// The null driver: virtual clock, scripted input keyed to presented frames, captured frames and audio.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

// One line of a replay script: delivered after `frame` frames have been presented.
struct scripted_event {
    int frame = 0;
    enum class what { input, joy_axis, joy_down, joy_up, joy_plug, joy_unplug } type = what::input;
    event ev{event_kind::key_down};
    int port = 0;
    float jx = 0.0f, jy = 0.0f;
    int button = 0;
};

// Parses "FRAME EVENT ARGS" lines; on a bad line returns false with "line N: why" in `error`.
// Events: move X Y, down B, up B, key_down K, key_up K, focus_lost, focus_gained, close,
// joy_axis PAD X Y, joy_down PAD B, joy_up PAD B, joy_plug PAD, joy_unplug PAD. A pad whose
// first line is joy_plug starts unplugged; every other pad the script names is there from the start.
[[nodiscard]] bool parse_script(const std::string& text, std::vector<scripted_event>& out, std::string& error);

class headless_backend final : public backend {
public:
    explicit headless_backend(uint32_t start_clock = 1000);

    void set_script(std::vector<scripted_event> script);
    // After this many presented frames the run is asked to end, as a close request would;
    // later frames are not presented.
    void set_frame_limit(int frames) { frame_limit_ = frames; }
    // A screen behind present(vsync = true): with hz > 0 a waiting present sleeps until the next
    // of hz blanks a second; with hz 0 the driver has vsync forced off and the wait returns at once.
    // Without a call there is no screen to wait for, and can_wait_for_blank() says so.
    void set_refresh(int hz) { refresh_hz_ = hz; }
    // Where the player's files go in this run (a replay's --save-dir); empty: none.
    void set_user_folder(std::string folder) { user_folder_ = std::move(folder); }
    // Called for each presented frame (1-based number) up to the frame limit.
    std::function<void(int frame, const uint32_t* pixels, int width, int height)> on_present;
    // Receives the 735 sample frames mixed for each presented frame, when audio is open.
    std::function<void(const int16_t* samples, int frames)> on_audio;

    // The window as the game asked for it, which window_state() reports back; tests change it as a
    // player's Alt+Enter or resizing would.
    struct window_shape {
        bool fullscreen = true;
        int width = 0, height = 0;
    } shape;

    int presented() const { return presented_; }
    int pointer_x() const { return pointer_x_; }
    int pointer_y() const { return pointer_y_; }
    bool pointer_hidden() const { return pointer_hidden_; }
    bool window_open() const { return window_open_; }
    bool audio_open() const { return audio_cb_ != nullptr; }

    // Tests can push events straight in, as if the window system sent them.
    void inject(const event& e) { pending_.push_back(e); }

    const char* name() const override { return "headless"; }
    bool open_window(const char* caption, int width, int height, bool fullscreen) override;
    void set_event_handler(event_handler handler) override { handler_ = handler; }
    void pump_events() override;
    void present(const uint32_t* pixels, int width, int height, bool vsync) override;
    bool can_wait_for_blank() const override { return refresh_hz_ >= 0; }
    void hide_pointer() override { pointer_hidden_ = true; }
    void move_pointer(int x, int y) override;
    uint32_t ticks_ms() override { return clock_; }
    void sleep_ms(int ms) override;
    bool open_audio(audio_callback cb, void* user) override;
    void close_audio() override { audio_cb_ = nullptr; }
    int joystick_count() override;
    bool joystick_read(int index, joystick_state& state) override;
    std::string user_folder() override { return user_folder_; }
    void prefer_window(bool fullscreen, int width, int height) override { shape = {fullscreen, width, height}; }
    bool window_state(bool& fullscreen, int& width, int& height) const override
    {
        fullscreen = shape.fullscreen;
        width = shape.width;
        height = shape.height;
        return true;
    }

private:
    struct pad {
        joystick_state state;
        bool attached = true;
    };

    void deliver(const scripted_event& e);
    void dispatch(const event& e);
    void plug(int pad_number, bool in);
    void advance(uint64_t ms);
    void wait_for_blank();

    uint32_t clock_;       // what the game reads: wraps at 2^32
    uint64_t elapsed_ = 0; // since the start, never wraps: the blanks are counted from it
    int refresh_hz_ = -1;
    std::string user_folder_;
    event_handler handler_ = nullptr;
    std::vector<scripted_event> script_;
    size_t next_ = 0;
    std::vector<event> pending_;
    int presented_ = 0;
    int frame_limit_ = -1;
    bool suspended_ = false;
    bool idle_ = false;                            // slept since the last frame or event: waiting, not drawing
    uint64_t idle_ms_ = 0;                         // slept since then, in virtual ms
    static constexpr uint64_t long_wait_ms = 2000; // longer than any pause the game takes on purpose
    bool window_open_ = false;
    bool pointer_hidden_ = false;
    int pointer_x_ = 0, pointer_y_ = 0;
    int width_ = 0, height_ = 0;
    audio_callback audio_cb_ = nullptr;
    void* audio_user_ = nullptr;
    std::vector<int16_t> audio_buf_;
    std::vector<pad> pads_;
    std::vector<int> attach_order_; // pad numbers, first attached first
    std::vector<int> table_;        // attach_order_ as the last joystick_count saw it
};

} // namespace platform
