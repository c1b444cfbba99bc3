// Whole-frame cost of the real game on the headless backend: update and draw, present, collision tests,
// and the heavy frames at changes of screen. Each run is a child process, so every run starts from a
// fresh program as a player's would.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "actors/actors.h"
#include "harness/autoplay.h"
#include "platform/headless_backend.h"
#include "services/collision.h"
#include "services/display.h"
#include "services/render/renderer_spans.h"
#include "shell/data_folder.h"
#include "shell/game_state.h"
#include "shell/high_score.h"
#include "shell/main_loop.h"

namespace {

double cpu_ms()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double wall_ms()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The screens a frame can belong to; a change between two of them is where heavy frames hide.
enum class screen { startup, logo, attract, play, pause, end };

const char* screen_name(screen s)
{
    switch (s) {
    case screen::startup:
        return "start-up";
    case screen::logo:
        return "logo";
    case screen::attract:
        return "attract";
    case screen::play:
        return "play";
    case screen::pause:
        return "pause";
    case screen::end:
        return "end screen";
    }
    return "?";
}

screen current_screen()
{
    const char* loop = presenting_loop ? presenting_loop : "";
    if (!std::strcmp(loop, "logo")) return screen::logo;
    if (!std::strcmp(loop, "pause")) return screen::pause;
    if (!std::strcmp(loop, "gameover")) return screen::end;
    if (!std::strcmp(loop, "world")) return demo_mode ? screen::attract : screen::play;
    return screen::startup;
}

// The changes the hitch table lists, each with what it costs beyond a plain frame.
struct change_kind {
    screen from, to;
    const char* what;
};
constexpr std::array<change_kind, 7> changes = {{
    {screen::logo, screen::attract, "logo -> attract: reset, high score, attract music"},
    {screen::attract, screen::play, "menu -> game: battle music"},
    {screen::play, screen::pause, "game -> pause: snapshot, attract music"},
    {screen::pause, screen::play, "pause -> game: battle music"},
    {screen::pause, screen::attract, "pause -> attract: game quit"},
    {screen::play, screen::end, "game -> end screen: its start"},
    {screen::end, screen::attract, "end screen -> attract: attract music"},
}};

struct frame_cost {
    double work, present;
    long tests;
    int actors;
    screen where;
};

int actor_count()
{
    return canball_list.size() + lgtrooper_list.size() + smtrooper_list.size() + commando_list.size() +
           mustang_list.size() + nukerocket_list.size() + smallbomb_list.size() + explosion_list.size() +
           bodypart_list.size() + planepart_list.size() + smokering_list.size() + bombmark_list.size();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

// With --slow MS: every frame over MS is listed as it happens, to find what made it slow.
double slow_ms = -1;

double max_of(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// What a child sends back: plain numbers, so repeats can be combined.
struct summary {
    int frames = 0; // frames measured: those of the run's own screen
    double work_med = 0, work_p99 = 0, work_max = 0;
    double present_med = 0, present_p99 = 0, present_max = 0;
    double tests_med = 0, tests_p99 = 0, tests_max = 0;
    double actors_max = 0;
    double longest = 0; // work + present, any frame but the first after start-up
    screen longest_at = screen::startup;
    double startup = 0; // the first logo frame: asset loading before it
    std::array<double, changes.size()> hitch{};
    std::array<int, changes.size()> hitch_count{};
    std::array<double, 6> screen_med{}, screen_max{}; // update+draw+present, by screen
    std::array<int, 6> screen_frames{};
    double peak_rss_mb = 0;
    double wall_s = 0;
    int games = 0;
};

// `measured` is the screen whose frames the run is about; scripted runs take the battle on either.
summary summarize(const std::vector<frame_cost>& frames, screen measured, bool any_battle)
{
    summary s;
    std::vector<double> work, present, tests;
    std::array<std::vector<double>, 6> by_screen;
    for (size_t i = 0; i < frames.size(); ++i) {
        const frame_cost& f = frames[i];
        double whole = f.work + f.present;
        if (f.where == screen::logo && (i == 0 || frames[i - 1].where != screen::logo)) {
            s.startup = f.work; // the assets were loaded before it
        } else {
            by_screen[static_cast<size_t>(f.where)].push_back(whole);
            if (whole > s.longest) s.longest = whole, s.longest_at = f.where;
        }
        if (i > 0 && f.where != frames[i - 1].where)
            for (size_t k = 0; k < changes.size(); ++k) {
                if (changes[k].from != frames[i - 1].where || changes[k].to != f.where) continue;
                // Around the change: the frame before it and the two after.
                double worst = 0;
                for (size_t j = i - 1; j <= i + 2 && j < frames.size(); ++j)
                    worst = std::max(worst, frames[j].work + frames[j].present);
                s.hitch[k] = std::max(s.hitch[k], worst);
                ++s.hitch_count[k];
            }
        bool battle = f.where == screen::attract || f.where == screen::play;
        if (f.where != measured && !(any_battle && battle)) continue;
        work.push_back(f.work);
        present.push_back(f.present);
        tests.push_back(static_cast<double>(f.tests));
        s.actors_max = std::max(s.actors_max, static_cast<double>(f.actors));
    }
    s.frames = static_cast<int>(work.size());
    s.work_med = percentile(work, 0.5), s.work_p99 = percentile(work, 0.99), s.work_max = max_of(work);
    s.present_med = percentile(present, 0.5), s.present_p99 = percentile(present, 0.99);
    s.present_max = max_of(present);
    s.tests_med = percentile(tests, 0.5), s.tests_p99 = percentile(tests, 0.99), s.tests_max = max_of(tests);
    for (size_t k = 0; k < by_screen.size(); ++k) {
        s.screen_med[k] = percentile(by_screen[k], 0.5);
        s.screen_max[k] = max_of(by_screen[k]);
        s.screen_frames[k] = static_cast<int>(by_screen[k].size());
    }
    return s;
}

// Drives the screens a player moves through: a game from the menu, pauses now and then, and after
// the end screen back to the menu, over and over. Plays "Suicidal" without firing, so games end soon.
class screen_tour {
public:
    explicit screen_tour(platform::headless_backend* b) : b_(b) {}

    void after_frame()
    {
        screen now = current_screen();
        if (now != last_) frames_here_ = 0, last_ = now;
        ++frames_here_;
        switch (now) {
        case screen::logo:
            if (frames_here_ == 2) key(32);
            break;
        case screen::attract:
            if (frames_here_ < 30) break;
            if (difficulty != 1) {
                if (frames_here_ % 10 == 0) click(320, 270); // the difficulty row
            } else if (frames_here_ == 60) {
                click(320, 195); // "Start New Game"
            }
            break;
        case screen::play:
            if (frames_here_ == 90) key(32); // pause
            break;
        case screen::pause:
            if (frames_here_ == 30) key(32); // and back
            break;
        case screen::end:
            if (frames_here_ == 240) click(320, 240);
            break;
        case screen::startup:
            break;
        }
    }

private:
    void key(int k)
    {
        b_->inject({platform::event_kind::key_down, k});
        b_->inject({platform::event_kind::key_up, k});
    }
    void click(int x, int y)
    {
        b_->inject({platform::event_kind::mouse_move, x, y});
        b_->inject({platform::event_kind::mouse_down, 1});
        b_->inject({platform::event_kind::mouse_up, 1});
    }

    platform::headless_backend* b_;
    screen last_ = screen::startup;
    int frames_here_ = 0;
};

// The spawn periods eight dawns leave on "Suicidal": every timer at its floor.
void late_days()
{
    days_survived = 8;
    trooper_period = 100;
    nuke_period = 50;
    mustang_period = 200;
}

summary run(const std::string& name, int frames, uint32_t clock)
{
    double start = wall_ms();
    char tmpl[] = "/tmp/ramparion-bench-XXXXXX";
    if (!mkdtemp(tmpl)) std::exit(1);
    auto backend = std::make_unique<platform::headless_backend>(clock);
    platform::headless_backend* raw = backend.get();
    backend->set_user_folder(std::string(tmpl) + "/");
    backend->set_frame_limit(frames);
    auto send = [raw](const platform::event& e) { raw->inject(e); };
    std::unique_ptr<autoplayer> bot;
    std::unique_ptr<screen_tour> tour;
    screen measured = screen::play;
    if (name == "play") bot = std::make_unique<autoplayer>(0, 1000000, send);
    if (name == "stress") bot = std::make_unique<autoplayer>(1, 1000000, send);
    if (name == "hitches") tour = std::make_unique<screen_tour>(raw);
    bool scripted = name.rfind("script:", 0) == 0;
    if (scripted) { // a replay script, a golden one say, played as the replay tool plays it
        std::ifstream in(name.substr(7));
        std::stringstream text;
        text << in.rdbuf();
        std::vector<platform::scripted_event> script;
        std::string error;
        if (!in || !platform::parse_script(text.str(), script, error)) {
            std::fprintf(stderr, "frame_bench: %s: %s\n", name.c_str() + 7, in ? error.c_str() : "cannot read it");
            std::exit(1);
        }
        backend->set_script(std::move(script));
    }
    if (name == "attract") { // skip the logo, then leave the battle to itself
        measured = screen::attract;
        std::vector<platform::scripted_event> script(2);
        script[0].frame = 2;
        script[0].ev = {platform::event_kind::key_down, 32};
        script[1].frame = 3;
        script[1].ev = {platform::event_kind::key_up, 32};
        backend->set_script(script);
    }

    std::vector<frame_cost> costs;
    costs.reserve(static_cast<size_t>(frames));
    double last_exit = cpu_ms(), present_entry = 0;
    long last_tests = 0;
    int last_demo = 1;
    backend->on_present = [&](int, const uint32_t*, int, int) {
        // Called inside the backend's present: everything since the last present returned was the frame's work.
        double now = cpu_ms();
        if (slow_ms >= 0 && !costs.empty() && costs.back().work + costs.back().present > slow_ms)
            std::fprintf(stderr, "%s frame %zu (%s): update+draw %.3f ms, present %.3f ms\n", name.c_str(),
                         costs.size(), screen_name(costs.back().where), costs.back().work, costs.back().present);
        costs.push_back({now - last_exit, 0, collision_tests - last_tests, actor_count(), current_screen()});
        last_tests = collision_tests;
        if (name == "stress" && demo_mode == 0 && last_demo == 1) late_days();
        last_demo = demo_mode;
        if (bot) bot->after_frame(raw->presented());
        if (tour) tour->after_frame();
        present_entry = cpu_ms();
    };
    // The mixed audio is handed over last in a present: what precedes it since the bot returned is the
    // present step, and what follows it until the next present is the next frame's work.
    raw->on_audio = [&](const int16_t*, int) {
        double now = cpu_ms();
        if (!costs.empty()) costs.back().present = now - present_entry;
        last_exit = now;
    };
    platform::set_backend(std::move(backend));
    game_main();
    platform::set_backend(nullptr);
    std::filesystem::remove_all(tmpl);

    summary s = summarize(costs, measured, scripted);
    if (bot) s.games = static_cast<int>(bot->results().size());
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    s.peak_rss_mb = static_cast<double>(ru.ru_maxrss) / 1024.0;
    s.wall_s = (wall_ms() - start) / 1000.0;
    return s;
}

// Runs `name` in a child process and reads its summary back through a pipe.
bool run_child(const std::string& name, int frames, uint32_t clock, summary& out)
{
    int fd[2];
    if (pipe(fd) != 0) return false;
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        close(fd[0]);
        summary s = run(name, frames, clock);
        bool ok = write(fd[1], &s, sizeof s) == static_cast<ssize_t>(sizeof s);
        _exit(ok ? 0 : 1);
    }
    close(fd[1]);
    size_t got = 0;
    ssize_t n;
    while (got < sizeof out && (n = read(fd[0], reinterpret_cast<char*>(&out) + got, sizeof out - got)) > 0)
        got += static_cast<size_t>(n);
    close(fd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return got == sizeof out && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> v)
{
    return percentile(std::move(v), 0.5);
}

template <typename F> double median_of(const std::vector<summary>& runs, F field)
{
    std::vector<double> v;
    for (const summary& s : runs) v.push_back(field(s));
    return median(v);
}

template <typename F> double max_over(const std::vector<summary>& runs, F field)
{
    double m = 0;
    for (const summary& s : runs) m = std::max(m, field(s));
    return m;
}

void print(const std::string& name, const std::vector<summary>& r)
{
    auto med = [&](auto f) { return median_of(r, f); };
    auto top = [&](auto f) { return max_over(r, f); };
    std::printf("%-8s %7.0f  %6.3f %6.3f %7.3f   %6.3f %6.3f %6.3f   %5.0f %5.0f %5.0f  %6.0f  %6.1f  %5.1f\n",
                name.c_str(), med([](const summary& s) { return s.frames; }),
                med([](const summary& s) { return s.work_med; }), med([](const summary& s) { return s.work_p99; }),
                top([](const summary& s) { return s.work_max; }), med([](const summary& s) { return s.present_med; }),
                med([](const summary& s) { return s.present_p99; }),
                top([](const summary& s) { return s.present_max; }), med([](const summary& s) { return s.tests_med; }),
                med([](const summary& s) { return s.tests_p99; }), top([](const summary& s) { return s.tests_max; }),
                top([](const summary& s) { return s.actors_max; }), top([](const summary& s) { return s.peak_rss_mb; }),
                med([](const summary& s) { return s.wall_s; }));
}

} // namespace

int main(int argc, char** argv)
{
    int frames = 20000, repeat = 1;
    uint32_t clock = 1000;
    std::vector<std::string> runs;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--frames" && i + 1 < argc)
            frames = std::max(10, std::atoi(argv[++i]));
        else if (a == "--clock" && i + 1 < argc)
            clock = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else if (a == "--repeat" && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (a == "--slow" && i + 1 < argc)
            slow_ms = std::atof(argv[++i]);
        else if (a == "attract" || a == "play" || a == "stress" || a == "hitches")
            runs.push_back(a);
        else if (a == "--script" && i + 1 < argc)
            runs.push_back("script:" + std::filesystem::absolute(argv[++i]).string());
        // The children forked for the runs inherit the choice.
        else if (a == "--kernels" && i + 1 < argc && span_kernel_level(argv[i + 1]) >= 0)
            set_span_kernels(span_kernel_level(argv[++i]));
        else {
            std::fprintf(stderr,
                         "usage: frame_bench [--frames N] [--clock MS] [--repeat R] [attract] [play] [stress] "
                         "[hitches] [--script FILE]... [--slow MS] [--kernels portable|sse2|neon|avx2|avx512]\n");
            return 2;
        }
    }
    if (runs.empty()) runs = {"attract", "play", "stress", "hitches"};
    old_high_score_path.clear();
    enter_data_folder(executable_folder() + "/.."); // bench/ sits one below the build's data/

    std::printf("CPU ms of the game thread per presented frame (headless, %d frames a run, %d run%s each; "
                "medians of the runs' medians and p99s, the largest max; %s span kernels)\n",
                frames, repeat, repeat > 1 ? "s" : "", span_kernel_name(span_kernels_in_use()));
    std::printf("run       frames  update+draw ms          present ms             collision tests     actors  peak    "
                "wall\n");
    std::printf("                  median p99    max       median p99    max      median p99  max   max     RSS MB  "
                "s\n");
    std::vector<summary> all;
    for (const std::string& name : runs) {
        std::vector<summary> r;
        for (int k = 0; k < repeat; ++k) {
            summary s;
            if (run_child(name, frames, clock + static_cast<uint32_t>(k), s))
                r.push_back(s);
            else
                std::printf("%s: run failed\n", name.c_str());
        }
        if (r.empty()) continue;
        print(name.rfind("script:", 0) == 0 ? std::filesystem::path(name).stem().string() : name, r);
        all.insert(all.end(), r.begin(), r.end());
    }
    if (all.empty()) return 1;

    std::printf("\nlongest frame (update+draw+present) around each change of screen, over all runs:\n");
    for (size_t k = 0; k < changes.size(); ++k) {
        int count = 0;
        double worst = 0;
        for (const summary& s : all) count += s.hitch_count[k], worst = std::max(worst, s.hitch[k]);
        if (count) std::printf("  %-52s %7.3f ms  (%d seen)\n", changes[k].what, worst, count);
    }
    std::printf("frames of each screen (update+draw+present), over all runs: median of the runs' medians, the "
                "largest\n");
    for (size_t k = 1; k < 6; ++k) {
        std::vector<summary> with;
        for (const summary& s : all)
            if (s.screen_frames[k]) with.push_back(s);
        if (with.empty()) continue;
        std::printf("  %-11s %7.3f ms %7.3f ms\n", screen_name(static_cast<screen>(k)),
                    median_of(with, [k](const summary& s) { return s.screen_med[k]; }),
                    max_over(with, [k](const summary& s) { return s.screen_max[k]; }));
    }
    const summary* longest = &all[0];
    for (const summary& s : all)
        if (s.longest > longest->longest) longest = &s;
    std::printf("longest frame of all, start-up aside: %.3f ms (%s)\n", longest->longest,
                screen_name(longest->longest_at));
    std::printf("start-up before the logo's first frame (asset loading): median %.1f ms CPU\n",
                median_of(all, [](const summary& s) { return s.startup; }));
    return 0;
}
