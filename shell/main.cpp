// The game's entry point: the command line, the real window, sound and pads, then the program itself.
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/sdl_backend.h"
#include "shell/data_folder.h"
#include "shell/demo.h"
#include "shell/demo_viewer.h"
#include "shell/main_loop.h"
#include "shell/settings.h"

#ifndef RAMPARION_VERSION
#define RAMPARION_VERSION "unknown"
#endif

namespace {

constexpr const char* usage =
    "usage: ramparion [--window | --fullscreen] [--reduce-flashing] [--play-demo FILE] [--version] [--help]\n"
    "  --window           play in a window this time (Alt+Enter switches; the switch is kept)\n"
    "  --fullscreen       play full screen on the desktop's mode this time (the first run's default)\n"
    "  --reduce-flashing  draw the white screen flashes at a quarter of their strength this time\n"
    "                     (reduce_flashing = on in settings.ini keeps it)\n"
    "  --play-demo FILE   watch a recorded game (Space pauses, right arrow runs fast, Escape leaves)\n"
    "  --version          print the version and leave\n"
    "  --help             print this and leave\n"
    "Volumes, onslaught, full screen or window and the window's size are kept in settings.ini\n"
    "beside the best score, in ~/.local/share/ramparion/; the last game and the record game are\n"
    "kept as demos/last.rdemo and demos/best.rdemo there.\n";

} // namespace

int main(int argc, char** argv)
{
    auto mode = platform::window_mode::as_asked;
    bool version = false, help = false, gentle = false;
    const char* demo_file = nullptr;
    // Every argument is checked before any is acted on, so a typo is never half obeyed.
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--window") == 0) {
            mode = platform::window_mode::window;
        } else if (std::strcmp(a, "--fullscreen") == 0) {
            mode = platform::window_mode::fullscreen;
        } else if (std::strcmp(a, "--reduce-flashing") == 0) {
            gentle = true;
        } else if (std::strcmp(a, "--play-demo") == 0 && i + 1 < argc) {
            demo_file = argv[++i];
        } else if (std::strcmp(a, "--version") == 0) {
            version = true;
        } else if (std::strcmp(a, "--help") == 0) {
            help = true;
        } else {
            std::fprintf(stderr, "ramparion: unknown argument '%s'\n%s", a, usage);
            return 2;
        }
    }
    if (help) std::fputs(usage, stdout);
    if (version) std::printf("Ramparion '07 %s\n", RAMPARION_VERSION);
    if (help || version) return 0;
    // A demo is checked before anything is drawn, and from where it was named.
    if (demo_file && !load_demo_to_watch(demo_file, "ramparion")) return 1;
    if (!demo_file) record_demos_in_user_folder();
    enter_data_folder();
    if (gentle) reduce_flashing_this_run();
    platform::set_backend(with_demo_frames(platform::make_sdl_backend(mode), demo_file != nullptr));
    int status = game_main();
    platform::set_backend(nullptr);
    return status == 0 && demo_parted() ? 1 : status;
}
