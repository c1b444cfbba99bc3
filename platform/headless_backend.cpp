// The null driver: virtual clock, scripted input keyed to presented frames, captured frames and audio.
#include "platform/headless_backend.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace platform {

namespace {

constexpr int audio_frames_per_present = 735; // 44100 / 60

struct named_event {
    const char* word;
    int args; // integer arguments after the word
};

bool parse_int(const std::string& s, int& v)
{
    if (s.empty()) return false;
    char* end = nullptr;
    long x = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || x < -1000000000L || x > 1000000000L) return false;
    v = static_cast<int>(x);
    return true;
}

bool parse_float(const std::string& s, float& v)
{
    if (s.empty()) return false;
    char* end = nullptr;
    v = std::strtof(s.c_str(), &end);
    return *end == '\0';
}

} // namespace

bool parse_script(const std::string& text, std::vector<scripted_event>& out, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    out.clear();
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(number) + ": " + why + " (\"" + line + "\")";
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        std::string body = line.substr(0, line.find('#'));
        std::istringstream words(body);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty()) continue;
        scripted_event e;
        if (!parse_int(w[0], e.frame) || e.frame < 0) return fail("the frame must be a whole number >= 0");
        if (w.size() < 2) return fail("an event name must follow the frame");
        const std::string& name = w[1];
        auto want = [&](size_t n) { return w.size() == n + 2; };
        auto ints = [&](size_t from, size_t n, int* v) {
            for (size_t i = 0; i < n; ++i)
                if (!parse_int(w[from + i], v[i])) return false;
            return true;
        };
        int v[2] = {0, 0};
        if (name == "move") {
            if (!want(2) || !ints(2, 2, v)) return fail("move takes X Y");
            e.ev = {event_kind::mouse_move, v[0], v[1]};
        } else if (name == "down" || name == "up") {
            if (!want(1) || !ints(2, 1, v) || v[0] < 1 || v[0] > 3) return fail(name + " takes a mouse button 1 to 3");
            e.ev = {name == "down" ? event_kind::mouse_down : event_kind::mouse_up, v[0]};
        } else if (name == "key_down" || name == "key_up") {
            if (!want(1) || !ints(2, 1, v) || v[0] < 1 || v[0] > 255) return fail(name + " takes a key code 1 to 255");
            e.ev = {name == "key_down" ? event_kind::key_down : event_kind::key_up, v[0]};
        } else if (name == "joy_axis") {
            if (!want(3) || !ints(2, 1, v) || !parse_float(w[3], e.jx) || !parse_float(w[4], e.jy) || v[0] < 0 ||
                v[0] > 15 || e.jx < -1 || e.jx > 1 || e.jy < -1 || e.jy > 1)
                return fail("joy_axis takes PORT X Y with X and Y in -1..1");
            e.type = scripted_event::what::joy_axis;
            e.port = v[0];
        } else if (name == "joy_plug" || name == "joy_unplug") {
            if (!want(1) || !ints(2, 1, v) || v[0] < 0 || v[0] > 15) return fail(name + " takes a PAD 0 to 15");
            e.type = name == "joy_plug" ? scripted_event::what::joy_plug : scripted_event::what::joy_unplug;
            e.port = v[0];
        } else if (name == "joy_down" || name == "joy_up") {
            if (!want(2) || !ints(2, 2, v) || v[0] < 0 || v[0] > 15 || v[1] < 0 || v[1] > 15)
                return fail(name + " takes PORT BUTTON (0 to 15 each)");
            e.type = name == "joy_down" ? scripted_event::what::joy_down : scripted_event::what::joy_up;
            e.port = v[0];
            e.button = v[1];
        } else if (name == "focus_lost" || name == "focus_gained" || name == "close") {
            if (!want(0)) return fail(name + " takes no arguments");
            e.ev = {name == "focus_lost"     ? event_kind::suspend
                    : name == "focus_gained" ? event_kind::resume
                                             : event_kind::terminate};
        } else {
            return fail("unknown event \"" + name + "\"");
        }
        if (!out.empty() && e.frame < out.back().frame) return fail("frames must not go backwards");
        out.push_back(e);
    }
    return true;
}

headless_backend::headless_backend(uint32_t start_clock) : clock_(start_clock) {}

void headless_backend::set_script(std::vector<scripted_event> script)
{
    script_ = std::move(script);
    next_ = 0;
    int count = 0;
    for (const auto& e : script_)
        if (e.type != scripted_event::what::input && e.port + 1 > count) count = e.port + 1;
    pads_.assign(static_cast<size_t>(count), pad{});
    std::vector<bool> seen(static_cast<size_t>(count), false);
    for (const auto& e : script_) {
        if (e.type == scripted_event::what::input || seen[static_cast<size_t>(e.port)]) continue;
        seen[static_cast<size_t>(e.port)] = true;
        if (e.type == scripted_event::what::joy_plug) pads_[static_cast<size_t>(e.port)].attached = false;
    }
    attach_order_.clear();
    for (int p = 0; p < count; ++p)
        if (pads_[static_cast<size_t>(p)].attached) attach_order_.push_back(p);
    table_.clear();
}

void headless_backend::plug(int number, bool in)
{
    pad& p = pads_[static_cast<size_t>(number)];
    if (p.attached == in) return;
    p.attached = in;
    if (in) {
        attach_order_.push_back(number);
    } else {
        p.state = {};
        std::erase(attach_order_, number);
    }
    dispatch({in ? event_kind::joy_added : event_kind::joy_removed, number});
}

bool headless_backend::open_window(const char*, int width, int height, bool)
{
    window_open_ = true;
    width_ = width;
    height_ = height;
    pointer_x_ = width / 2;
    pointer_y_ = height / 2;
    return true;
}

void headless_backend::dispatch(const event& e)
{
    if (e.kind == event_kind::suspend) suspended_ = true;
    if (e.kind == event_kind::resume) suspended_ = false;
    if (e.kind == event_kind::mouse_move) {
        pointer_x_ = e.a;
        pointer_y_ = e.b;
    }
    if (handler_) handler_(e);
}

void headless_backend::deliver(const scripted_event& e)
{
    using w = scripted_event::what;
    idle_ = false;
    idle_ms_ = 0;
    if (e.type == w::input) {
        dispatch(e.ev);
        return;
    }
    if (e.type == w::joy_plug || e.type == w::joy_unplug) {
        plug(e.port, e.type == w::joy_plug);
        return;
    }
    pad& p = pads_[static_cast<size_t>(e.port)];
    if (!p.attached) return; // an unplugged pad cannot be moved
    if (e.type == w::joy_axis) {
        p.state.x = e.jx;
        p.state.y = e.jy;
    } else if (e.type == w::joy_down) {
        p.state.buttons |= 1u << e.button;
    } else {
        p.state.buttons &= ~(1u << e.button);
    }
}

void headless_backend::pump_events()
{
    std::vector<event> now;
    now.swap(pending_);
    for (const auto& e : now) dispatch(e);

    while (next_ < script_.size() && script_[next_].frame <= presented_) deliver(script_[next_++]);
    if (frame_limit_ >= 0 && presented_ >= frame_limit_) {
        dispatch({event_kind::terminate});
        return;
    }
    if (suspended_ && idle_) {
        // The game presents nothing while it waits for focus, so frames cannot move the script
        // on: hand it the next event now, and give the focus back if the script never does.
        if (next_ < script_.size())
            deliver(script_[next_++]);
        else
            dispatch({event_kind::resume});
        idle_ = false;
    } else if (idle_ms_ >= long_wait_ms) {
        // Likewise a game that waits a long while for input without presenting (a pad button held
        // into the end-of-game screen): the next event now, or, with none left, a close request.
        if (next_ < script_.size())
            deliver(script_[next_++]);
        else
            dispatch({event_kind::terminate});
        idle_ms_ = 0;
    }
}

void headless_backend::advance(uint64_t ms)
{
    elapsed_ += ms;
    clock_ += static_cast<uint32_t>(ms);
}

// Blank k comes at k * 1000 / hz ms exactly; the millisecond clock reads the first whole
// millisecond at or after it. A present on a blank's millisecond waits for the next one.
void headless_backend::wait_for_blank()
{
    if (refresh_hz_ <= 0) return;
    const uint64_t hz = static_cast<uint64_t>(refresh_hz_);
    const uint64_t next = elapsed_ * hz / 1000 + 1;
    advance((next * 1000 + hz - 1) / hz - elapsed_);
}

void headless_backend::present(const uint32_t* pixels, int width, int height, bool vsync)
{
    if (frame_limit_ >= 0 && presented_ >= frame_limit_) return;
    if (vsync) wait_for_blank();
    ++presented_;
    idle_ = false;
    idle_ms_ = 0;
    if (on_present) on_present(presented_, pixels, width, height);
    // Frames presented before the output opens carry silence, so audio stays in step with frames.
    if (audio_cb_ || on_audio) {
        audio_buf_.assign(audio_frames_per_present * 2, 0);
        if (audio_cb_) audio_cb_(audio_buf_.data(), audio_frames_per_present, audio_user_);
        if (on_audio) on_audio(audio_buf_.data(), audio_frames_per_present);
    }
}

void headless_backend::move_pointer(int x, int y)
{
    // Like a real warp, the new position arrives later as a move message, and stays inside
    // the window.
    if (window_open_) {
        x = std::clamp(x, 0, width_ - 1);
        y = std::clamp(y, 0, height_ - 1);
    }
    pending_.push_back({event_kind::mouse_move, x, y});
}

void headless_backend::sleep_ms(int ms)
{
    if (ms <= 0) return;
    advance(static_cast<uint64_t>(ms));
    idle_ = true;
    idle_ms_ += static_cast<uint64_t>(ms);
}

bool headless_backend::open_audio(audio_callback cb, void* user)
{
    audio_cb_ = cb;
    audio_user_ = user;
    return true;
}

int headless_backend::joystick_count()
{
    table_ = attach_order_;
    return static_cast<int>(table_.size());
}

bool headless_backend::joystick_read(int index, joystick_state& state)
{
    if (index < 0 || index >= static_cast<int>(table_.size())) return false;
    const pad& p = pads_[static_cast<size_t>(table_[static_cast<size_t>(index)])];
    if (!p.attached) return false;
    state = p.state;
    return true;
}

} // namespace platform
