// Whole-frame cost of the real game on the headless backend: update and draw, present, collision tests.
// Each run is a child process, so every run starts from a fresh program as a player's would.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "actors/actors.h"
#include "platform/headless_backend.h"
#include "services/collision.h"
#include "services/display.h"
#include "shell/game_state.h"
#include "shell/high_score.h"
#include "shell/main_loop.h"
#include "tools/replay/autoplay.h"

namespace {

double cpu_ms()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double wall_ms()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct frame_cost {
    double work, present;
    long tests;
    int actors;
    std::string loop;
    int demo;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

int actor_count()
{
    return canball_list.size() + lgtrooper_list.size() + smtrooper_list.size() + commando_list.size() +
           mustang_list.size() + nukerocket_list.size() + smallbomb_list.size() + explosion_list.size() +
           bodypart_list.size() + planepart_list.size() + smokering_list.size() + bombmark_list.size();
}

// A platform that times each present against the work done since the last one.
struct timing {
    std::vector<frame_cost> frames;
    double last_exit = 0;
    long last_tests = 0;
    double present_entry = 0;
};

void report(const char* name, const timing& t, double first_frame_ms, double wall_total)
{
    std::vector<double> work, present, tests, actors;
    double hitch = 0;
    std::string hitch_at = "-";
    for (size_t i = 1; i < t.frames.size(); ++i) {
        const frame_cost& f = t.frames[i];
        const frame_cost& before = t.frames[i - 1];
        bool changed = f.loop != before.loop || f.demo != before.demo;
        if (changed && f.work > hitch) {
            hitch = f.work;
            hitch_at = before.loop + (before.demo ? "(attract)" : "(play)") + "->" + f.loop +
                       (f.demo ? "(attract)" : "(play)");
        }
        if (f.loop != "world") continue;
        work.push_back(f.work);
        present.push_back(f.present);
        tests.push_back(static_cast<double>(f.tests));
        actors.push_back(f.actors);
    }
    double max_any = 0;
    for (const frame_cost& f : t.frames) max_any = std::max(max_any, f.work);
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%-10s %7zu  work ms: median %.3f p99 %.3f max %.3f | present ms: median %.3f p99 %.3f | "
                "tests/frame: median %.0f max %.0f | actors max %.0f\n",
                name, work.size(), percentile(work, 0.5), percentile(work, 0.99),
                work.empty() ? 0 : *std::max_element(work.begin(), work.end()), percentile(present, 0.5),
                percentile(present, 0.99), percentile(tests, 0.5),
                tests.empty() ? 0 : *std::max_element(tests.begin(), tests.end()),
                actors.empty() ? 0 : *std::max_element(actors.begin(), actors.end()));
    std::printf("%-10s          longest frame of any loop %.3f ms; longest at a change of screen %.3f ms (%s); "
                "first frame %.1f ms after start; peak RSS %ld MB; wall %.1f s\n",
                "", max_any, hitch, hitch_at.c_str(), first_frame_ms, ru.ru_maxrss / 1024, wall_total / 1000);
    std::fflush(stdout);
}

int run(const std::string& name, int frames, uint32_t clock)
{
    double start = wall_ms();
    char tmpl[] = "/tmp/ramparion-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    auto backend = std::make_unique<platform::headless_backend>(clock);
    platform::headless_backend* raw = backend.get();
    backend->set_user_folder(std::string(tmpl) + "/");
    backend->set_frame_limit(frames);
    std::unique_ptr<autoplayer> bot;
    if (name == "play") bot = std::make_unique<autoplayer>(0, 1000, [raw](const platform::event& e) { raw->inject(e); });
    if (name == "stress") bot = std::make_unique<autoplayer>(1, 1000, [raw](const platform::event& e) { raw->inject(e); });
    if (!bot) { // attract: skip the logo, then leave the battle to itself
        std::vector<platform::scripted_event> script(2);
        script[0].frame = 2;
        script[0].ev = {platform::event_kind::key_down, 32};
        script[1].frame = 3;
        script[1].ev = {platform::event_kind::key_up, 32};
        backend->set_script(script);
    }
    timing t;
    double first_frame = -1;
    t.last_exit = cpu_ms();
    backend->on_present = [&](int frame, const uint32_t*, int, int) {
        // Called from inside the backend's present: everything since the last return was the frame's work.
        double now = cpu_ms();
        if (first_frame < 0) first_frame = wall_ms() - start;
        frame_cost f{now - t.last_exit, 0, collision_tests - t.last_tests, actor_count(),
                     presenting_loop ? presenting_loop : "", demo_mode};
        t.last_tests = collision_tests;
        t.frames.push_back(f);
        if (bot) bot->after_frame(frame);
        t.present_entry = cpu_ms();
    };
    platform::set_backend(std::move(backend));
    // The mixed audio is handed over last in a present: what follows it until the next present is the
    // next frame's work, and what precedes it since the bot returned is the present step.
    raw->on_audio = [&](const int16_t*, int) {
        double now = cpu_ms();
        if (!t.frames.empty()) t.frames.back().present = now - t.present_entry;
        t.last_exit = now;
    };
    game_main();
    platform::set_backend(nullptr);
    report(name.c_str(), t, first_frame, wall_ms() - start);
    std::string cleanup = std::string("rm -rf ") + tmpl;
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    int frames = 20000;
    uint32_t clock = 1000;
    std::vector<std::string> runs;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--frames" && i + 1 < argc) frames = std::atoi(argv[++i]);
        else if (a == "--clock" && i + 1 < argc) clock = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (a == "attract" || a == "play" || a == "stress") runs.push_back(a);
        else {
            std::fprintf(stderr, "usage: frame_bench [--frames N] [--clock MS] [attract] [play] [stress]\n");
            return 2;
        }
    }
    if (runs.empty()) runs = {"attract", "play", "stress"};
    std::printf("CPU time of the game thread per presented frame of the battle (headless, %d frames a run)\n",
                frames);
    for (const std::string& r : runs) {
        std::fflush(stdout);
        pid_t pid = fork();
        if (pid == 0) _exit(run(r, frames, clock));
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf("%s: run failed\n", r.c_str());
    }
    return 0;
}
