// The demo recorder's cost: an hour of play (216,000 frames) recorded with the pointer moving on every
// frame and the button pressed now and then, as a busy player's would. Prints the recorder's time a
// frame (the same reads with and without it), the file's size and the time to pack and save it.
//
//   demo_bench [FRAMES]
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "actors/actors.h"
#include "platform/headless_backend.h"
#include "services/input.h"
#include "shell/demo.h"
#include "shell/game_state.h"

namespace {

using clock_type = std::chrono::steady_clock;

// What the game reads in a frame of play: the pointer, the fire and pause controls, the exit tests.
void reads_of_a_frame()
{
    (void)mouse_x();
    (void)mouse_y();
    (void)joy_x(0);
    (void)joy_y(0);
    (void)mouse_x();
    (void)mouse_down(1);
    (void)key_down(162);
    (void)joy_down(0, 0);
    (void)mouse_hit(2);
    (void)joy_hit(1, 0);
    (void)key_hit(32);
    (void)app_suspended();
    (void)key_hit(27);
    (void)app_terminate();
}

// Runs `frames` frames of reads with the pointer sweeping and a little shaky; returns seconds spent.
double run(platform::headless_backend& b, int frames, bool recording)
{
    double spent = 0;
    for (int f = 0; f < frames; ++f) {
        double t = f * 0.02;
        int x = 320 + static_cast<int>(250 * std::sin(t) + (f * 7919 % 5) - 2);
        int y = 240 + static_cast<int>(120 * std::cos(t * 0.7) + (f * 104729 % 3) - 1);
        b.inject({platform::event_kind::mouse_move, x, y});
        if (f % 40 == 0) b.inject({platform::event_kind::mouse_down, 1});
        if (f % 40 == 25) b.inject({platform::event_kind::mouse_up, 1});
        pump_input();
        auto start = clock_type::now();
        reads_of_a_frame();
        if (recording) demo_frame_presented();
        spent += std::chrono::duration<double>(clock_type::now() - start).count();
    }
    return spent;
}

} // namespace

int main(int argc, char** argv)
{
    int frames = argc > 1 ? std::atoi(argv[1]) : 216000;
    char tmpl[] = "/tmp/ramparion-demo-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) return 1;
    std::string file = std::string(tmpl) + "/hour.rdemo";
    auto owned = std::make_unique<platform::headless_backend>();
    platform::headless_backend& b = *owned;
    platform::set_backend(std::move(owned));
    start_input();
    b.open_window("bench", 640, 480, false);
    star_tag::Create(); // a sky of stars for the checksums to walk

    double plain = run(b, frames, false);
    record_demos_to(file);
    demo_mode = 0;
    (void)demo_frame_top(); // the game starts: recording begins
    double recorded = run(b, frames, true);
    demo_mode = 1;
    auto start = clock_type::now();
    (void)demo_frame_top(); // back to attract mode: packed and saved
    double save = std::chrono::duration<double>(clock_type::now() - start).count();

    std::error_code ec;
    auto size = std::filesystem::file_size(file, ec);
    std::printf("%d frames: reads %.4f ms a frame, with the recorder %.4f ms (recorder %.4f ms a frame)\n", frames,
                1e3 * plain / frames, 1e3 * recorded / frames, 1e3 * (recorded - plain) / frames);
    std::printf("demo %llu bytes, packed and saved in %.1f ms\n", ec ? 0ULL : static_cast<unsigned long long>(size),
                save * 1e3);
    std::filesystem::remove_all(tmpl, ec);
    platform::set_backend(nullptr);
    return 0;
}
