// Holds the backend in force, so the game never knows which one it runs on.
#include "platform/platform.h"

namespace platform {

namespace {

// Stands in until a real backend is chosen: nothing opens, time stands still.
class null_backend final : public backend {
public:
    const char* name() const override { return "none"; }
    bool open_window(const char*, int, int, bool) override { return false; }
    void set_event_handler(event_handler) override {}
    void pump_events() override {}
    void present(const uint32_t*, int, int, bool) override {}
    bool can_wait_for_blank() const override { return false; }
    void hide_pointer() override {}
    void move_pointer(int, int) override {}
    uint32_t ticks_ms() override { return now_; }
    void sleep_ms(int ms) override
    {
        if (ms > 0) now_ += static_cast<uint32_t>(ms);
    }
    bool open_audio(audio_callback, void*) override { return false; }
    void close_audio() override {}
    int joystick_count() override { return 0; }
    bool joystick_read(int, joystick_state&) override { return false; }

private:
    uint32_t now_ = 0;
};

std::unique_ptr<backend>& slot()
{
    static std::unique_ptr<backend> b;
    return b;
}

} // namespace

backend& current()
{
    auto& b = slot();
    if (!b) b = std::make_unique<null_backend>();
    return *b;
}

void set_backend(std::unique_ptr<backend> b)
{
    slot() = std::move(b);
}

} // namespace platform
