// Mixer cost per output frame, and how long a frame takes when the music track changes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "platform/headless_backend.h"
#include "services/audio/mixer.h"
#include "services/audio/sound.h"
#include "shell/game_state.h"
#include "shell/music.h"

namespace {

using clock_type = std::chrono::steady_clock;

double ms_since(clock_type::time_point t0)
{
    return std::chrono::duration<double, std::milli>(clock_type::now() - t0).count();
}

// The mix of a busy battle: mono effects at the output rate, a few at other rates, some stereo.
std::vector<sound> test_sounds()
{
    std::vector<sound> v(4);
    for (size_t i = 0; i < v.size(); ++i) {
        sound& s = v[i];
        s.rate = i == 2 ? 22050 : (i == 3 ? 32000 : mix_rate);
        s.channels = i == 1 ? 2 : 1;
        s.loop = true;
        s.frames = 44100;
        s.pcm16.resize(s.frames * s.channels);
        for (size_t k = 0; k < s.pcm16.size(); ++k) s.pcm16[k] = static_cast<int16_t>((k * 7919 + i) % 20000 - 10000);
    }
    return v;
}

void BM_MixBlock(benchmark::State& state)
{
    const int voices = static_cast<int>(state.range(0));
    const int frames = static_cast<int>(state.range(1));
    std::vector<sound> sounds = test_sounds();
    std::vector<voice> table(voices);
    std::vector<voice*> live;
    for (int i = 0; i < voices; ++i) {
        table[i].snd = &sounds[i % sounds.size()];
        table[i].volume = static_cast<uint16_t>(1000 + i * 50);
        table[i].pos = static_cast<uint64_t>(i * 997) << 16;
        live.push_back(&table[i]);
    }
    std::vector<int16_t> out(2 * frames);
    int n = 0;
    for (auto _ : state) {
        // Every fourth block one voice changes its volume, so the gain ramp is in the figure too.
        if (++n % 4 == 0) table[n % voices].volume ^= 0x0100;
        mix_voices(live.data(), live.size(), out.data(), frames);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * frames);
    state.counters["ns_per_frame"] = benchmark::Counter(static_cast<double>(state.iterations() * frames),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixBlock)->Args({32, 220})->Args({1, 220})->Args({256, 220})->Args({32, 735});

// The same 32 voices through channels and the output callback, lock included.
void BM_OutputThroughChannels(benchmark::State& state)
{
    auto b = std::make_unique<platform::headless_backend>();
    platform::headless_backend* hb = b.get();
    platform::set_backend(std::move(b));
    std::vector<sound> sounds = test_sounds();
    std::vector<channel> chans;
    for (int i = 0; i < 32; ++i) {
        channel c = cue_sound(&sounds[i % sounds.size()], 0);
        set_channel_volume(c, 0.5f);
        resume_channel(c);
        chans.push_back(c);
    }
    uint32_t px = 0;
    for (auto _ : state) hb->present(&px, 1, 1, false); // 735 frames mixed
    for (channel c : chans) stop_channel(c);
    state.counters["ns_per_frame"] = benchmark::Counter(static_cast<double>(state.iterations() * 735),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    platform::set_backend(std::make_unique<platform::headless_backend>());
}
BENCHMARK(BM_OutputThroughChannels);

bool enter_source_dir()
{
    std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
    std::error_code ec;
    std::filesystem::current_path(root, ec);
    return !ec && std::filesystem::exists("data/theattack.ogg");
}

// Decoding a whole track from its file: what a change of track would cost with no cache.
void BM_DecodeTrack(benchmark::State& state)
{
    if (!enter_source_dir()) {
        state.SkipWithError("data/ not found");
        return;
    }
    const char* file = state.range(0) == 0 ? "data/theintro.ogg" : "data/theattack.ogg";
    for (auto _ : state) {
        sound* s = load_sound(file, 1);
        benchmark::DoNotOptimize(s);
        free_sound(s);
    }
}
BENCHMARK(BM_DecodeTrack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// As the game does it: the attract track starts (its first load), frames run at 60 Hz for a
// while, then a game starts and the battle track replaces it. Runs once: the tracks stay cached.
void BM_TrackChangeFrames(benchmark::State& state)
{
    if (!enter_source_dir()) {
        state.SkipWithError("data/ not found");
        return;
    }
    auto b = std::make_unique<platform::headless_backend>();
    platform::headless_backend* hb = b.get();
    platform::set_backend(std::move(b));
    uint32_t px = 0;
    double first = 0, change = 0, cached_max = 0;
    for (auto _ : state) {
        auto t0 = clock_type::now();
        stop_channel(music_channel);
        start_music(0);
        hb->present(&px, 1, 1, false);
        first = ms_since(t0);
        for (int f = 0; f < 90; ++f) { // a second and a half of attract mode
            hb->present(&px, 1, 1, false);
            std::this_thread::sleep_for(std::chrono::microseconds(16667));
        }
        t0 = clock_type::now();
        stop_channel(music_channel);
        start_music(1);
        hb->present(&px, 1, 1, false);
        change = ms_since(t0);
        for (int n = 0; n < 20; ++n) {
            t0 = clock_type::now();
            stop_channel(music_channel);
            start_music(n % 2);
            hb->present(&px, 1, 1, false);
            cached_max = std::max(cached_max, ms_since(t0));
        }
    }
    stop_channel(music_channel);
    state.counters["first_load_frame_ms"] = first;
    state.counters["first_change_frame_ms"] = change;
    state.counters["cached_change_max_ms"] = cached_max;
    platform::set_backend(std::make_unique<platform::headless_backend>());
}
BENCHMARK(BM_TrackChangeFrames)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
