// Long runs of the real game on the headless backend: memory and list sizes sampled as it goes.
// With --live-audio the mixer is fed by SDL's own audio thread instead, for ThreadSanitizer.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "actors/actors.h"
#include "harness/autoplay.h"
#include "platform/headless_backend.h"
#include "platform/sdl_backend.h"
#include "services/audio/sound.h"
#include "shell/data_folder.h"
#include "shell/high_score.h"
#include "shell/main_loop.h"

// Present where a sanitizer's allocator is linked in (LeakSanitizer here): the bytes it has handed out,
// counted by the block.
extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

// The game's calls into the channel API, counted through the linker's --wrap.
std::atomic<long> voice_operations{0};

#define COUNTED(ret, mangled, params, args)                                                                            \
    extern "C" ret __real_##mangled params;                                                                            \
    extern "C" ret __wrap_##mangled params                                                                             \
    {                                                                                                                  \
        voice_operations.fetch_add(1, std::memory_order_relaxed);                                                      \
        return __real_##mangled args;                                                                                  \
    }
COUNTED(channel, _Z13alloc_channelv, (), ())
COUNTED(channel, _Z10play_soundP5soundi, (sound * s, channel c), (s, c))
COUNTED(channel, _Z9cue_soundP5soundi, (sound * s, channel c), (s, c))
COUNTED(void, _Z14resume_channeli, (channel c), (c))
COUNTED(void, _Z13pause_channeli, (channel c), (c))
COUNTED(void, _Z12stop_channeli, (channel c), (c))
COUNTED(void, _Z18set_channel_volumeif, (channel c, float v), (c, v))
COUNTED(int, _Z15channel_playingi, (channel c), (c))
#undef COUNTED

namespace {

struct options {
    bool attract = true;
    int frames = 1000000;
    int sample = 10000;
    int warmup = -1; // frames; default a tenth of the run
    uint32_t clock = 1000;
    int difficulty = 0;
    int games = 1000000;
    bool live_audio = false;
    bool judge = false; // fail on memory growth or a growing list, not only on leaks
    std::string samples_file;
};

// Headless video and input, with SDL's audio device calling the mixer from its own thread.
class live_audio_backend final : public platform::backend {
public:
    live_audio_backend(std::unique_ptr<platform::headless_backend> video, std::unique_ptr<platform::backend> audio)
        : video_(std::move(video)), audio_(std::move(audio))
    {
    }
    ~live_audio_backend() override { audio_->close_audio(); }

    const char* name() const override { return "headless+sdl-audio"; }
    const char* failure() const override { return audio_->failure(); }
    bool open_window(const char* c, int w, int h, bool f) override { return video_->open_window(c, w, h, f); }
    void set_event_handler(platform::event_handler h) override { video_->set_event_handler(h); }
    void pump_events() override { video_->pump_events(); }
    void present(const uint32_t* p, int w, int h, bool v) override { video_->present(p, w, h, v); }
    bool can_wait_for_blank() const override { return video_->can_wait_for_blank(); }
    void hide_pointer() override { video_->hide_pointer(); }
    void move_pointer(int x, int y) override { video_->move_pointer(x, y); }
    uint32_t ticks_ms() override { return video_->ticks_ms(); }
    void sleep_ms(int ms) override { video_->sleep_ms(ms); }
    int joystick_count() override { return video_->joystick_count(); }
    bool joystick_read(int i, platform::joystick_state& s) override { return video_->joystick_read(i, s); }
    std::string user_folder() override { return video_->user_folder(); }

    // The game asks again now and then; the callback must not change under a running device.
    bool open_audio(platform::audio_callback cb, void* user) override
    {
        if (open_) return true;
        cb_ = cb;
        user_ = user;
        open_ = audio_->open_audio(&counted, this);
        return open_;
    }
    void close_audio() override
    {
        audio_->close_audio();
        open_ = false;
    }

    std::atomic<long> callbacks{0};
    std::atomic<long> mixed_frames{0};

private:
    static void counted(int16_t* out, int frames, void* self)
    {
        auto* b = static_cast<live_audio_backend*>(self);
        b->callbacks.fetch_add(1, std::memory_order_relaxed);
        b->mixed_frames.fetch_add(frames, std::memory_order_relaxed);
        b->cb_(out, frames, b->user_);
    }

    std::unique_ptr<platform::headless_backend> video_;
    std::unique_ptr<platform::backend> audio_;
    platform::audio_callback cb_ = nullptr;
    void* user_ = nullptr;
    bool open_ = false;
};

constexpr int list_count = 15;
constexpr std::array<const char*, list_count> list_names = {
    "star",       "canball",   "backcloud", "frontcloud", "lgtrooper", "smtrooper", "commando", "mustang",
    "nukerocket", "smallbomb", "explosion", "bodypart",   "planepart", "smokering", "bombmark"};

std::array<int, list_count> list_sizes()
{
    return {star_list.size(),       canball_list.size(),   backcloud_list.size(), frontcloud_list.size(),
            lgtrooper_list.size(),  smtrooper_list.size(), commando_list.size(),  mustang_list.size(),
            nukerocket_list.size(), smallbomb_list.size(), explosion_list.size(), bodypart_list.size(),
            planepart_list.size(),  smokering_list.size(), bombmark_list.size()};
}

// Resident memory from /proc/self/status, in MB: all of it, the anonymous part (heap, stacks) and
// the part mapped from files (the program's code as it is first run).
struct resident {
    double all = 0, anon = 0, file = 0;
};

resident resident_now()
{
    resident r;
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return r;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) r.all = static_cast<double>(kb) / 1024.0;
        if (std::sscanf(line, "RssAnon: %ld kB", &kb) == 1) r.anon = static_cast<double>(kb) / 1024.0;
        if (std::sscanf(line, "RssFile: %ld kB", &kb) == 1) r.file = static_cast<double>(kb) / 1024.0;
    }
    std::fclose(f);
    return r;
}

double heap_mb()
{
    if (__sanitizer_get_current_allocated_bytes)
        return static_cast<double>(__sanitizer_get_current_allocated_bytes()) / (1024.0 * 1024.0);
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

double peak_resident_mb()
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    std::fclose(f);
    return static_cast<double>(kb) / 1024.0;
}

struct sample {
    int frame;
    resident rss;
    double heap;
    std::array<int, list_count> lists;
};

bool parse(int argc, char** argv, options& o)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (a == "attract") {
            o.attract = true;
        } else if (a == "games") {
            o.attract = false;
        } else if (a == "--frames" && (v = next())) {
            o.frames = std::atoi(v);
        } else if (a == "--sample" && (v = next())) {
            o.sample = std::atoi(v);
        } else if (a == "--warmup" && (v = next())) {
            o.warmup = std::atoi(v);
        } else if (a == "--clock" && (v = next())) {
            o.clock = static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
        } else if (a == "--difficulty" && (v = next()) && (!std::strcmp(v, "normal") || !std::strcmp(v, "suicidal"))) {
            o.difficulty = std::strcmp(v, "suicidal") == 0 ? 1 : 0;
        } else if (a == "--games" && (v = next())) {
            o.games = std::atoi(v);
        } else if (a == "--live-audio") {
            o.live_audio = true;
        } else if (a == "--judge") {
            o.judge = true;
        } else if (a == "--samples" && (v = next())) {
            o.samples_file = v;
        } else {
            return false;
        }
    }
    return o.frames > 0 && o.sample > 0 && o.games > 0;
}

} // namespace

int main(int argc, char** argv)
{
    options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: soak attract|games [--frames N] [--sample N] [--warmup N] [--clock MS]\n"
                             "            [--difficulty normal|suicidal] [--games N] [--live-audio] [--judge]\n"
                             "            [--samples FILE]\n");
        return 2;
    }
    if (o.warmup < 0) o.warmup = o.frames / 10;
    if (!o.samples_file.empty()) o.samples_file = std::filesystem::absolute(o.samples_file).string();

    char tmpl[] = "/tmp/ramparion-soak-XXXXXX";
    if (!mkdtemp(tmpl)) return 2;
    old_high_score_path.clear();
    enter_data_folder(executable_folder() + "/.."); // bench/ sits one below the build's data/

    auto headless = std::make_unique<platform::headless_backend>(o.clock);
    platform::headless_backend* raw = headless.get();
    raw->set_user_folder(std::string(tmpl) + "/");
    raw->set_frame_limit(o.frames);
    std::unique_ptr<autoplayer> bot;
    if (o.attract) { // skip the logo, then leave the battle to itself
        std::vector<platform::scripted_event> script(2);
        script[0].frame = 2;
        script[0].ev = {platform::event_kind::key_down, 32};
        script[1].frame = 3;
        script[1].ev = {platform::event_kind::key_up, 32};
        raw->set_script(script);
    } else {
        bot = std::make_unique<autoplayer>(o.difficulty, o.games, [raw](const platform::event& e) { raw->inject(e); });
    }

    std::vector<sample> samples;
    std::array<int, list_count> max_first{}, max_second{};
    raw->on_present = [&](int frame, const uint32_t*, int, int) {
        if (bot) bot->after_frame(frame);
        std::array<int, list_count> now = list_sizes();
        auto& half = frame <= o.frames / 2 ? max_first : max_second;
        for (int i = 0; i < list_count; ++i) half[i] = std::max(half[i], now[i]);
        if (frame % o.sample == 0 || frame == o.warmup) {
            samples.push_back({frame, resident_now(), heap_mb(), now});
            if (!o.live_audio)
                std::fprintf(stderr, "soak: frame %d, %.2f MB resident\n", frame, samples.back().rss.all);
        }
    };

    live_audio_backend* live = nullptr;
    if (o.live_audio) {
        auto b = std::make_unique<live_audio_backend>(std::move(headless), platform::make_sdl_backend());
        live = b.get();
        platform::set_backend(std::move(b));
    } else {
        platform::set_backend(std::move(headless));
    }
    int status = game_main();
    long callbacks = live ? live->callbacks.load() : 0, mixed = live ? live->mixed_frames.load() : 0;
    int presented = raw->presented();
    platform::set_backend(nullptr);
    std::filesystem::remove_all(tmpl);
    if (status != 0) {
        std::fprintf(stderr, "soak: the game ended with status %d\n", status);
        return 1;
    }

    bool ok = true;
    std::printf("soak %s%s: %d frames presented (clock %u)\n",
                o.attract      ? "attract"
                : o.difficulty ? "games suicidal"
                               : "games normal",
                o.live_audio ? " with live audio" : "", presented, o.clock);
    if (bot) {
        const auto& r = bot->results();
        int best = 0;
        for (const autoplay_result& g : r) best = std::max(best, g.days);
        std::printf("  games finished %zu, best %d days\n", r.size(), best);
    }
    if (live) {
        std::printf("  voice operations %ld, mixer callbacks %ld (%ld sample frames, %.1f s of sound)\n",
                    voice_operations.load(), callbacks, mixed, static_cast<double>(mixed) / 44100.0);
        if (callbacks == 0) {
            std::printf("  the audio device never called the mixer\n");
            ok = false;
        }
    }

    // Live audio runs are short and judged on the mixer alone.
    if (o.live_audio) {
        std::fflush(stdout);
        return ok ? 0 : 1;
    }

    const sample* base = nullptr;
    for (const sample& s : samples)
        if (s.frame == o.warmup) base = &s;
    if (base && !samples.empty()) {
        resident high;
        double heap_high = 0;
        for (const sample& s : samples)
            if (s.frame >= o.warmup) {
                high.all = std::max(high.all, s.rss.all);
                high.anon = std::max(high.anon, s.rss.anon);
                high.file = std::max(high.file, s.rss.file);
                heap_high = std::max(heap_high, s.heap);
            }
        const sample& last = samples.back();
        double growth = 100.0 * (high.all - base->rss.all) / base->rss.all;
        std::printf("  resident memory: %.2f MB after warm-up (frame %d), %.2f MB at frame %d, highest after warm-up "
                    "%.2f MB: growth %+.2f %%; peak %.2f MB\n",
                    base->rss.all, base->frame, last.rss.all, last.frame, high.all, growth, peak_resident_mb());
        std::printf("    of it anonymous %.2f -> %.2f MB (highest %.2f), mapped from files %.2f -> %.2f MB (highest "
                    "%.2f)\n",
                    base->rss.anon, last.rss.anon, high.anon, base->rss.file, last.rss.file, high.file);
        std::printf("  heap held by the allocator: %.2f MB after warm-up, %.2f MB at the end, highest after warm-up "
                    "%.2f MB\n",
                    base->heap, last.heap, heap_high);
        if (growth >= 1.0) {
            std::printf("  resident memory grew by 1 %% or more after warm-up\n");
            ok = ok && !o.judge;
        }
    }
    std::printf("  largest lists (first half / second half):");
    for (int i = 0; i < list_count; ++i) {
        std::printf(" %s %d/%d", list_names[i], max_first[i], max_second[i]);
        // Lists that hold steady reach their high marks early; one that keeps climbing doubles them.
        if (max_second[i] > 2 * max_first[i] + 8) {
            std::printf(" (growing)");
            ok = ok && !o.judge;
        }
    }
    std::printf("\n");

    if (!o.samples_file.empty()) {
        std::FILE* f = std::fopen(o.samples_file.c_str(), "w");
        if (!f) {
            std::fprintf(stderr, "soak: cannot write %s\n", o.samples_file.c_str());
            return 2;
        }
        std::fprintf(f, "frame\trss_mb\tanon_mb\tfile_mb\theap_mb");
        for (const char* n : list_names) std::fprintf(f, "\t%s", n);
        std::fprintf(f, "\n");
        for (const sample& s : samples) {
            std::fprintf(f, "%d\t%.3f\t%.3f\t%.3f\t%.3f", s.frame, s.rss.all, s.rss.anon, s.rss.file, s.heap);
            for (int v : s.lists) std::fprintf(f, "\t%d", v);
            std::fprintf(f, "\n");
        }
        std::fclose(f);
    }
    std::fflush(stdout);
    return ok ? 0 : 1;
}
