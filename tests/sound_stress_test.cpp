// Channel operations hammered against an output thread that mixes without pause (run under TSan).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "services/audio/mixer.h"
#include "services/audio/sound.h"
#include "shell/game_state.h"
#include "shell/music.h"

namespace {

// An output that calls the mixer on its own thread block after block, far more often than a sound
// card would. It rests a moment every few blocks: the lock is not fair, and a mixer that always
// takes it back at once can starve the game thread for minutes on a busy machine.
class racing_backend final : public platform::backend {
public:
    ~racing_backend() override { close_audio(); }

    // Nothing but the audio output matters here.
    const char* name() const override { return "racing"; }
    bool open_window(const char*, int, int, bool) override { return true; }
    void set_event_handler(platform::event_handler) override {}
    void pump_events() override {}
    void present(const uint32_t*, int, int, bool) override {}
    bool can_wait_for_blank() const override { return false; }
    void hide_pointer() override {}
    void move_pointer(int, int) override {}
    uint32_t ticks_ms() override { return 0; }
    void sleep_ms(int) override {}
    int joystick_count() override { return 0; }
    bool joystick_read(int, platform::joystick_state&) override { return false; }

    bool open_audio(platform::audio_callback cb, void* user) override
    {
        if (thread_.joinable()) return true;
        run_ = true;
        thread_ = std::thread([this, cb, user] {
            int16_t buf[2 * 64];
            while (run_.load()) {
                cb(buf, 64, user);
                int peak = 0;
                for (int16_t s : buf) peak = std::max(peak, std::abs(static_cast<int>(s)));
                last_peak = peak;
                if (++blocks % 4 == 0) std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
        });
        return true;
    }

    void close_audio() override
    {
        run_ = false;
        if (thread_.joinable()) thread_.join();
    }

    // Waits until the mixer has run `n` more blocks; false if it seems to have stopped.
    bool wait_blocks(int n)
    {
        int until = blocks.load() + n;
        auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (blocks.load() < until) {
            if (std::chrono::steady_clock::now() > give_up) return false;
            std::this_thread::yield();
        }
        return true;
    }

    std::atomic<int> blocks{0};
    std::atomic<int> last_peak{0};

private:
    std::thread thread_;
    std::atomic<bool> run_{false};
};

sound* constant_sound(int frames, int16_t value, bool loop, int rate = mix_rate)
{
    auto* s = new sound;
    s->rate = rate;
    s->frames = static_cast<size_t>(frames);
    s->loop = loop;
    s->pcm16.assign(s->frames, value);
    return s;
}

// Sets a racing backend and opens the output on it, as the first channel allocation does.
racing_backend* use_racing_backend()
{
    auto b = std::make_unique<racing_backend>();
    racing_backend* raw = b.get();
    platform::set_backend(std::move(b));
    stop_channel(alloc_channel());
    return raw;
}

TEST(sound_stress, channel_operations_against_a_running_mixer)
{
    silence_every_channel(); // only this test's voices may sound at the end
    racing_backend* out = use_racing_backend();
    std::vector<sound*> sounds = {constant_sound(50, 1000, false), constant_sound(3000, -500, true),
                                  constant_sound(700, 2000, false, 22050), constant_sound(10, 30000, true)};
    std::vector<channel> held;
    std::mt19937 rng(7);
    int started = 0;
    for (int op = 0; op < 20000; ++op) {
        sound* s = sounds[rng() % sounds.size()];
        channel pick = held.empty() ? 0 : held[rng() % held.size()];
        switch (rng() % 9) {
        case 0: {
            channel c = cue_sound(s, 0); // the way every effect starts
            set_channel_volume(c, 0.5f);
            resume_channel(c);
            if (c) ++started;
            if (held.size() < 64) held.push_back(c);
            break;
        }
        case 1:
            play_sound(s, pick);
            break;
        case 2:
            pause_channel(pick);
            break;
        case 3:
            resume_channel(pick);
            break;
        case 4:
            set_channel_volume(pick, static_cast<float>(rng() % 200) / 100.0f);
            break;
        case 5:
            stop_channel(pick);
            break;
        case 6:
            (void)channel_playing(pick);
            break;
        case 7:
            if (held.size() < 64) held.push_back(alloc_channel());
            break;
        default:
            if (!held.empty()) held.erase(held.begin() + static_cast<long>(rng() % held.size()));
            break;
        }
        if (op % 100 == 0) { // the mixer runs alongside, not only now and then
            ASSERT_TRUE(out->wait_blocks(1));
        }
    }
    EXPECT_GT(started, 1000);
    EXPECT_GT(out->blocks.load(), 200) << "the mixer did not run alongside";

    // Free the sounds while the mixer still runs: every voice on them must end first.
    for (sound* s : sounds) free_sound(s);
    ASSERT_TRUE(out->wait_blocks(3));
    EXPECT_EQ(out->last_peak.load(), 0);
    for (channel c : held) EXPECT_EQ(channel_playing(c), 0);
    platform::set_backend(nullptr);
}

TEST(sound_stress, output_comes_and_goes_while_voices_play)
{
    sound* s = constant_sound(4410, 100, false);
    for (int n = 0; n < 200; ++n) {
        if (n % 2)
            use_racing_backend();
        else
            platform::set_backend(nullptr); // silent output, mixing on a thread of its own
        for (int k = 0; k < 20; ++k) {
            channel c = cue_sound(s, 0);
            set_channel_volume(c, 0.3f);
            resume_channel(c);
            if (k % 3 == 0) stop_channel(c);
        }
    }
    free_sound(s);
    platform::set_backend(nullptr);
}

TEST(sound_stress, music_changes_while_mixing)
{
    std::filesystem::path was = std::filesystem::current_path();
    std::filesystem::current_path(RAMPARION_SOURCE_DIR);
    racing_backend* out = use_racing_backend();
    prefetch_music();
    sound* fx = constant_sound(500, 300, false);
    for (int n = 0; n < 30; ++n) {
        stop_channel(music_channel);
        start_music(n % 2);
        ASSERT_EQ(channel_playing(music_channel), 1) << "track change " << n;
        play_effect(fx, 0);
        ASSERT_TRUE(out->wait_blocks(2));
    }
    stop_channel(music_channel);
    free_sound(fx);
    platform::set_backend(nullptr);
    std::filesystem::current_path(was);
}

} // namespace
