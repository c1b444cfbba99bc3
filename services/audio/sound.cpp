// Sounds and channels: loading, the voice table behind channel handles, and the audio output.
#include "services/audio/sound.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "services/audio/mixer.h"
#include "services/audio/sound_decode.h"
#include "services/files.h"

namespace {

constexpr int voice_slots = 4096; // index 0 is never handed out
constexpr int32_t index_mask = voice_slots - 1;
constexpr int32_t generation_mask = 0x7FFFFFFF & ~index_mask;
constexpr int silent_period_ms = 5;
constexpr int silent_max_frames = mix_rate / 10; // catch-up after a stall is dropped past this

struct slot {
    voice v;
    int32_t generation = 0; // multiple of 4096, kept positive
    bool owned = false;     // handed out and not stopped
    bool listed = false;    // in the mixer's list of started voices
    uint64_t stamp = 0;     // when it was handed out, to find the oldest
};

struct audio_state {
    std::mutex lock; // guards the slots and the live list, against the mixing thread
    slot slots[voice_slots];
    std::vector<voice*> live; // started voices, handed to the mixer
    std::vector<int> live_ids;
    int cursor = 0;
    uint64_t clock = 0;
    bool told_full = false;

    std::mutex output_lock; // guards what follows
    platform::backend* device = nullptr;
    bool device_ok = false;
    std::thread silent;
    std::atomic<bool> silent_run{false};
    bool told_silent = false;

    audio_state()
    {
        live.reserve(voice_slots);
        live_ids.reserve(voice_slots);
    }
};

// Never destroyed: an output thread may still mix while the program's statics go away.
audio_state& state()
{
    static audio_state* s = new audio_state;
    return *s;
}

// ---- the mixing side ----

void mix_locked(audio_state& st, int16_t* out, int frames)
{
    mix_voices(st.live.data(), st.live.size(), out, frames);
    for (size_t i = 0; i < st.live.size();) {
        const voice* v = st.live[i];
        if (v->snd && !v->stopped) {
            ++i;
            continue;
        }
        st.slots[st.live_ids[i]].listed = false;
        st.live[i] = st.live.back();
        st.live_ids[i] = st.live_ids.back();
        st.live.pop_back();
        st.live_ids.pop_back();
    }
}

void mix_callback(int16_t* out, int frames, void* user)
{
    auto& st = *static_cast<audio_state*>(user);
    std::lock_guard<std::mutex> g(st.lock);
    mix_locked(st, out, frames);
}

// No device: time still passes for the voices, so effects end and report so.
void silent_output(audio_state* st)
{
    using clock = std::chrono::steady_clock;
    int16_t scratch[2 * silent_max_frames];
    const auto start = clock::now();
    int64_t done = 0;
    while (st->silent_run.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(silent_period_ms));
        auto us = std::chrono::duration_cast<std::chrono::microseconds>(clock::now() - start).count();
        int64_t due = us * mix_rate / 1000000;
        int64_t n = std::min<int64_t>(due - done, silent_max_frames);
        done = due;
        if (n <= 0) continue;
        std::lock_guard<std::mutex> g(st->lock);
        mix_locked(*st, scratch, static_cast<int>(n));
    }
}

void stop_silent(audio_state& st)
{
    if (!st.silent.joinable()) return;
    st.silent_run.store(false);
    st.silent.join();
}

// Opens the output on the backend in force; a new backend (as tests set) gets its own. Asking an
// open output again costs nothing and is safe where a backend reuses a freed one's address.
void ensure_output()
{
    auto& st = state();
    std::lock_guard<std::mutex> g(st.output_lock);
    platform::backend* b = &platform::current();
    if (b == st.device && !st.device_ok) return; // no device here: silent already
    bool ok = b->open_audio(&mix_callback, &st);
    st.device = b;
    st.device_ok = ok;
    if (ok) {
        stop_silent(st);
        return;
    }
    if (!st.told_silent) {
        const char* why = b->failure();
        std::fprintf(stderr, "ramparion: no audio output%s%s; the game goes on without sound\n", *why ? ": " : "", why);
        st.told_silent = true;
    }
    if (st.silent.joinable()) return;
    st.silent_run.store(true);
    st.silent = std::thread(silent_output, &st);
}

// ---- the channel table (callers hold the lock) ----

slot* find(audio_state& st, channel ch)
{
    if (ch <= 0) return nullptr;
    int index = ch & index_mask;
    if (index == 0) return nullptr;
    slot& s = st.slots[index];
    if (!s.owned || s.generation != (ch & generation_mask)) return nullptr;
    return &s;
}

channel hand_out(audio_state& st, int index)
{
    slot& s = st.slots[index];
    if (s.stamp != 0) s.generation = next_generation(s.generation, voice_slots);
    s.owned = true;
    s.stamp = ++st.clock;
    s.v = voice{}; // a listed voice stays listed; with no sound the mixer skips it
    return s.generation | index;
}

// A released voice or one whose sound has ended is free. Taken round-robin, so a handle stays
// good as long as possible; when every voice is taken, the oldest never played goes.
channel allocate(audio_state& st)
{
    for (int n = 0; n < voice_slots - 1; ++n) {
        st.cursor = st.cursor % (voice_slots - 1) + 1;
        const slot& s = st.slots[st.cursor];
        if (!s.owned || s.v.stopped) return hand_out(st, st.cursor);
    }
    int oldest = 0;
    for (int i = 1; i < voice_slots; ++i) {
        const slot& s = st.slots[i];
        if (!s.v.snd && (oldest == 0 || s.stamp < st.slots[oldest].stamp)) oldest = i;
    }
    if (oldest != 0) return hand_out(st, oldest);
    if (!st.told_full) {
        std::fprintf(stderr, "ramparion: all %d sound channels are busy\n", voice_slots - 1);
        st.told_full = true;
    }
    return 0;
}

channel start(sound* snd, channel ch, bool paused)
{
    if (!snd) return ch; // a missing file: the caller goes on with a silent channel
    if (ch == 0) ensure_output();
    auto& st = state();
    std::lock_guard<std::mutex> g(st.lock);
    if (ch == 0) ch = allocate(st);
    slot* s = find(st, ch);
    if (!s) return 0;
    // Whatever played here ends now: the voice simply takes the new sound.
    voice& v = s->v;
    v.snd = snd;
    v.pos = 0;
    v.paused = paused;
    v.stopped = false;
    v.fresh = true;
    if (!s->listed) {
        s->listed = true;
        st.live.push_back(&v);
        st.live_ids.push_back(ch & index_mask);
    }
    return ch;
}

uint16_t to_gain(float volume)
{
    if (!(volume > 0.0f)) return 0; // NaN too
    float g = volume * static_cast<float>(unit_gain);
    if (g >= 65535.0f) return 65535;
    return static_cast<uint16_t>(g);
}

void report_load_failure(const std::string& url, const std::string& why)
{
    static std::mutex m;
    static std::set<std::string> told;
    std::lock_guard<std::mutex> g(m);
    if (told.insert(url).second) std::fprintf(stderr, "ramparion: sound %s: %s\n", disk_path(url).c_str(), why.c_str());
}

// Set when the whole data folder is missing, which has been said once already.
std::atomic<bool> missing_sounds_hushed{false};

} // namespace

void hush_missing_sounds()
{
    missing_sounds_hushed.store(true);
}

sound* load_sound(const std::string& url, int flags)
{
    ensure_output();
    stream_handle in(open_read(url));
    if (!in) {
        if (!missing_sounds_hushed.load()) report_load_failure(url, "cannot open (it plays as silence)");
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    if (!read_all(in.get(), bytes)) {
        report_load_failure(url, "read error");
        return nullptr;
    }
    decode_result r = decode_sound(bytes.data(), bytes.size(), (flags & 1) != 0);
    if (!r.snd) {
        report_load_failure(url, r.error);
        return nullptr;
    }
    return r.snd.release();
}

void free_sound(sound* s)
{
    if (!s) return;
    auto& st = state();
    {
        std::lock_guard<std::mutex> g(st.lock);
        for (slot& sl : st.slots) {
            if (sl.v.snd != s) continue;
            sl.v.snd = nullptr;
            sl.v.stopped = true;
        }
    }
    delete s;
}

void silence_every_channel()
{
    auto& st = state();
    std::lock_guard<std::mutex> g(st.lock);
    for (slot& sl : st.slots) {
        sl.v.snd = nullptr;
        sl.v.stopped = true;
    }
}

channel alloc_channel()
{
    ensure_output();
    auto& st = state();
    std::lock_guard<std::mutex> g(st.lock);
    return allocate(st);
}

channel play_sound(sound* s, channel ch)
{
    return start(s, ch, false);
}

channel cue_sound(sound* s, channel ch)
{
    return start(s, ch, true);
}

void resume_channel(channel ch)
{
    auto& st = state();
    std::lock_guard<std::mutex> g(st.lock);
    if (slot* s = find(st, ch)) s->v.paused = false;
}

void pause_channel(channel ch)
{
    auto& st = state();
    std::lock_guard<std::mutex> g(st.lock);
    if (slot* s = find(st, ch)) s->v.paused = true;
}

void stop_channel(channel ch)
{
    auto& st = state();
    std::lock_guard<std::mutex> g(st.lock);
    slot* s = find(st, ch);
    if (!s) return;
    s->v.snd = nullptr;
    s->v.stopped = true;
    s->owned = false;
}

void set_channel_volume(channel ch, float volume)
{
    auto& st = state();
    std::lock_guard<std::mutex> g(st.lock);
    if (slot* s = find(st, ch)) s->v.volume = to_gain(volume);
}

int channel_playing(channel ch)
{
    auto& st = state();
    std::lock_guard<std::mutex> g(st.lock);
    const slot* s = find(st, ch);
    return s && s->v.snd && !s->v.paused && !s->v.stopped ? 1 : 0;
}
