// Start-up time: from exec to the first presented frame, the logo's first frame, and the first world
// frame with the logo skipped at once; and the time to load the 18 effects. Each run is a fresh process.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "assets/sprite_set.h"
#include "platform/headless_backend.h"
#include "platform/sdl_backend.h"
#include "services/audio/sound.h"
#include "services/display.h"
#include "shell/data_folder.h"
#include "shell/high_score.h"
#include "shell/main_loop.h"

namespace {

long long now_ns()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

double ms_since(long long t0)
{
    return static_cast<double>(now_ns() - t0) / 1e6;
}

// CPU time of the calling thread since exec: what start-up costs on a machine with a core to spare.
double thread_cpu_ms()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Passes everything through, noting when frames are presented and skipping the logo on its first frame.
class timed_backend final : public platform::backend {
public:
    timed_backend(std::unique_ptr<platform::backend> inner, long long t0) : inner_(std::move(inner)), t0_(t0) {}

    const char* name() const override { return inner_->name(); }
    const char* failure() const override { return inner_->failure(); }
    bool open_window(const char* c, int w, int h, bool f) override { return inner_->open_window(c, w, h, f); }
    void set_event_handler(platform::event_handler h) override
    {
        handler_ = h;
        inner_->set_event_handler(h);
    }
    void pump_events() override
    {
        inner_->pump_events();
        if (skip_logo_ && handler_) { // as a player's key press would arrive
            skip_logo_ = false;
            handler_({platform::event_kind::key_down, 32});
            handler_({platform::event_kind::key_up, 32});
        }
    }
    void present(const uint32_t* p, int w, int h, bool v) override
    {
        inner_->present(p, w, h, v);
        const char* loop = presenting_loop ? presenting_loop : "";
        if (first_ < 0) first_ = ms_since(t0_), first_cpu_ = thread_cpu_ms();
        if (logo_ < 0 && std::strcmp(loop, "logo") == 0) {
            logo_ = ms_since(t0_);
            logo_cpu_ = thread_cpu_ms();
            skip_logo_ = true;
        }
        if (std::strcmp(loop, "world") == 0) {
            // Done: leave at once, saving nothing in the player's folder.
            std::printf("%.3f %.3f %.3f %.3f %.3f %.3f\n", first_, logo_, ms_since(t0_), first_cpu_, logo_cpu_,
                        thread_cpu_ms());
            std::fflush(stdout);
            _exit(0);
        }
    }
    bool can_wait_for_blank() const override { return inner_->can_wait_for_blank(); }
    void hide_pointer() override { inner_->hide_pointer(); }
    void move_pointer(int x, int y) override { inner_->move_pointer(x, y); }
    uint32_t ticks_ms() override { return inner_->ticks_ms(); }
    void sleep_ms(int ms) override { inner_->sleep_ms(ms); }
    bool open_audio(platform::audio_callback cb, void* user) override { return inner_->open_audio(cb, user); }
    void close_audio() override { inner_->close_audio(); }
    int joystick_count() override { return inner_->joystick_count(); }
    bool joystick_read(int i, platform::joystick_state& s) override { return inner_->joystick_read(i, s); }
    std::string user_folder() override { return inner_->user_folder(); }

private:
    std::unique_ptr<platform::backend> inner_;
    long long t0_;
    platform::event_handler handler_ = nullptr;
    bool skip_logo_ = false;
    double first_ = -1, logo_ = -1, first_cpu_ = 0, logo_cpu_ = 0;
};

int child(const std::string& mode, long long t0)
{
    old_high_score_path.clear();
    enter_data_folder(executable_folder() + "/.."); // bench/ sits one below the build's data/
    if (mode == "effects") {
        platform::set_backend(std::make_unique<platform::headless_backend>(1000)); // an output for the voices
        long long start = now_ns();
        double cpu = thread_cpu_ms();
        int loaded = 0;
        for (const effect_row& e : effect_table) loaded += load_sound(e.file, 0) != nullptr;
        std::printf("%.3f %d %.3f\n", ms_since(start), loaded, thread_cpu_ms() - cpu);
        std::fflush(stdout);
        _exit(0);
    }
    std::unique_ptr<platform::backend> inner;
    if (mode == "sdl")
        inner = platform::make_sdl_backend(platform::window_mode::window);
    else
        inner = std::make_unique<platform::headless_backend>(1000);
    platform::set_backend(std::make_unique<timed_backend>(std::move(inner), t0));
    game_main();
    return 1; // never reached the battle
}

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Runs this program again as a child in `mode`, returning the numbers it printed.
std::vector<double> run_child(const std::string& mode)
{
    int fd[2];
    if (pipe(fd) != 0) return {};
    long long t0 = now_ns();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fd[1], 1);
        close(fd[0]);
        std::string stamp = std::to_string(t0);
        execl("/proc/self/exe", "startup_bench", "--child", mode.c_str(), stamp.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fd[1]);
    std::string out;
    char buf[256];
    ssize_t n;
    while ((n = read(fd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    close(fd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::vector<double> v;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return v;
    char* p = out.data();
    char* end = nullptr;
    for (double d = std::strtod(p, &end); end != p; d = std::strtod(p, &end)) {
        v.push_back(d);
        p = end;
    }
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return child(argv[2], std::atoll(argv[3]));
    int runs = 10;
    std::vector<std::string> modes;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "headless" || a == "sdl" || a == "effects") {
            modes.push_back(a);
        } else {
            std::fprintf(stderr, "usage: startup_bench [--runs N] [headless] [sdl] [effects]\n"
                                 "  sdl needs a display (xvfb-run) and opens a window\n");
            return 2;
        }
    }
    if (modes.empty()) modes = {"headless", "effects"};
    std::printf("start-up, median of %d runs (min..max), ms from exec\n", runs);
    for (const std::string& mode : modes) {
        std::vector<std::vector<double>> cols;
        int failed = 0;
        for (int r = 0; r < runs; ++r) {
            std::vector<double> v = run_child(mode);
            if (v.empty()) {
                ++failed;
                continue;
            }
            if (cols.size() < v.size()) cols.resize(v.size());
            for (size_t i = 0; i < v.size(); ++i) cols[i].push_back(v[i]);
        }
        auto cell = [&](size_t i) {
            if (i >= cols.size() || cols[i].empty()) return std::string("-");
            char b[96];
            std::snprintf(b, sizeof b, "%.1f (%.1f..%.1f)", median(cols[i]),
                          *std::min_element(cols[i].begin(), cols[i].end()),
                          *std::max_element(cols[i].begin(), cols[i].end()));
            return std::string(b);
        };
        if (mode == "effects") {
            std::string found =
                cols.size() > 1 && !cols[1].empty() ? std::to_string(static_cast<int>(cols[1][0])) : "none";
            std::printf("%-9s all 18 effects loaded (%s found): wall %s, CPU %s\n", mode.c_str(), found.c_str(),
                        cell(0).c_str(), cell(2).c_str());
        } else {
            std::printf("%-9s wall: first presented frame %s | logo's first frame %s | first world frame, logo "
                        "skipped at once %s\n",
                        mode.c_str(), cell(0).c_str(), cell(1).c_str(), cell(2).c_str());
            std::printf("%-9s game thread's CPU: %s | %s | %s\n", "", cell(3).c_str(), cell(4).c_str(),
                        cell(5).c_str());
        }
        if (failed) std::printf("%-9s %d of %d runs failed\n", "", failed, runs);
    }
    return 0;
}
