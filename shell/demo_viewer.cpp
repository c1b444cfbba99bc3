// The backend as demos see it: every presented frame counted, and the watcher's controls.
#include "shell/demo_viewer.h"

#include "shell/demo.h"

namespace {

using platform::backend;
using platform::event;
using platform::event_kind;

constexpr int fast_factor = 4;
constexpr int right_shoulder = 5; // pad button 5, as the SDL backend numbers a controller's buttons
constexpr int key_space = 32, key_escape = 27, key_right = 39;
// Real sleeping allowed between two frames: the game's own waits (a window that lost focus, the
// end screen's pad check) are skipped past, not sat through again.
constexpr int sleep_budget_ms = 50;
constexpr int paused_frame_ms = 15;

class demo_frames final : public backend {
public:
    demo_frames(std::unique_ptr<backend> inner, bool controls) : inner_(std::move(inner)), controls_(controls)
    {
        real_last_ = inner_->ticks_ms();
        now_ = real_last_;
    }
    ~demo_frames() override
    {
        if (self == this) self = nullptr;
    }

    const char* name() const override { return inner_->name(); }
    const char* failure() const override { return inner_->failure(); }
    bool open_window(const char* c, int w, int h, bool full) override { return inner_->open_window(c, w, h, full); }
    void set_event_handler(platform::event_handler h) override
    {
        game_handler_ = h;
        if (!controls_) {
            inner_->set_event_handler(h);
            return;
        }
        self = this;
        inner_->set_event_handler(h ? &on_event : nullptr);
    }
    void pump_events() override { inner_->pump_events(); }

    void present(const uint32_t* pixels, int width, int height, bool vsync) override
    {
        demo_frame_presented();
        if (!controls_) {
            inner_->present(pixels, width, height, vsync);
            return;
        }
        budget_ = sleep_budget_ms;
        pad_fast_ = pad_held();
        if (fast() && ++skipped_ % fast_factor != 0) return; // three frames in four go unseen
        inner_->present(pixels, width, height, vsync);
        if (!paused_) return;
        while (paused_ && !leaving_) {
            inner_->pump_events();
            inner_->sleep_ms(paused_frame_ms);
            inner_->present(pixels, width, height, false);
        }
        real_last_ = inner_->ticks_ms(); // the game's clock stood still meanwhile
    }
    bool can_wait_for_blank() const override { return inner_->can_wait_for_blank(); }
    void hide_pointer() override { inner_->hide_pointer(); }
    void move_pointer(int x, int y) override
    {
        if (!controls_) inner_->move_pointer(x, y);
    }

    // While watching, the game's clock runs four times as fast with the right arrow held.
    uint32_t ticks_ms() override
    {
        if (!controls_) return inner_->ticks_ms();
        uint32_t real = inner_->ticks_ms();
        now_ += (real - real_last_) * static_cast<uint32_t>(fast() ? fast_factor : 1);
        real_last_ = real;
        return now_;
    }
    void sleep_ms(int ms) override
    {
        if (!controls_) {
            inner_->sleep_ms(ms);
            return;
        }
        if (ms <= 0) return;
        if (budget_ <= 0) {
            ticks_ms();
            now_ += static_cast<uint32_t>(ms);
            return;
        }
        int real = fast() ? (ms + fast_factor - 1) / fast_factor : ms;
        if (real > budget_) real = budget_;
        budget_ -= real;
        inner_->sleep_ms(real);
    }

    bool open_audio(platform::audio_callback cb, void* user) override { return inner_->open_audio(cb, user); }
    void close_audio() override { inner_->close_audio(); }
    int joystick_count() override { return pads_ = inner_->joystick_count(); }
    bool joystick_read(int index, platform::joystick_state& s) override { return inner_->joystick_read(index, s); }
    std::string user_folder() override { return inner_->user_folder(); }
    // A watched game is not the watcher's to aim: the pointer stays free.
    void hold_pointer(bool in_play) override { inner_->hold_pointer(in_play && !controls_); }
    void set_icon(const uint32_t* pixels, int w, int h) override { inner_->set_icon(pixels, w, h); }
    void prefer_window(bool fullscreen, int w, int h) override { inner_->prefer_window(fullscreen, w, h); }
    bool window_state(bool& fullscreen, int& w, int& h) const override
    {
        return inner_->window_state(fullscreen, w, h);
    }

private:
    static demo_frames* self;

    static void on_event(const event& e)
    {
        demo_frames* v = self;
        if (!v) return;
        if (e.kind == event_kind::key_down && e.a == key_space) v->paused_ = !v->paused_;
        if (e.kind == event_kind::key_down && e.a == key_right) v->key_fast_ = true;
        if (e.kind == event_kind::key_up && e.a == key_right) v->key_fast_ = false;
        if ((e.kind == event_kind::key_down && e.a == key_escape) || e.kind == event_kind::terminate) {
            v->leaving_ = true;
            stop_watching();
        }
        if (v->game_handler_) v->game_handler_(e);
    }

    bool pad_held()
    {
        for (int i = 0; i < pads_; ++i) {
            platform::joystick_state s;
            if (inner_->joystick_read(i, s) && ((s.buttons >> right_shoulder) & 1)) return true;
        }
        return false;
    }
    bool fast() const { return key_fast_ || pad_fast_; }

    std::unique_ptr<backend> inner_;
    bool controls_;
    platform::event_handler game_handler_ = nullptr;
    bool paused_ = false, key_fast_ = false, pad_fast_ = false, leaving_ = false;
    int pads_ = 0, skipped_ = 0, budget_ = sleep_budget_ms;
    uint32_t real_last_ = 0, now_ = 0;
};

demo_frames* demo_frames::self = nullptr;

} // namespace

std::unique_ptr<platform::backend> with_demo_frames(std::unique_ptr<platform::backend> inner, bool controls)
{
    return std::make_unique<demo_frames>(std::move(inner), controls);
}
