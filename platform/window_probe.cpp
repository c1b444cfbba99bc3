// Test program: a real window opened through the services, answering pointer questions on stdin.
//
//   where      -> "at X Y"   (mouse_x, mouse_y in 640x480 picture pixels)
//   move X Y   -> "ok"       (move_pointer)
//   quit       -> ends the program
//
// It prints "ready" once the window is up, and "closed" if the window is asked to close.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/sdl_backend.h"
#include "services/display.h"
#include "services/input.h"

namespace {

// One whole line from stdin if one is waiting; never blocks, so the window keeps drawing.
bool poll_line(std::string& pending, std::string& line, bool& eof)
{
    for (;;) {
        auto nl = pending.find('\n');
        if (nl != std::string::npos) {
            line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            return true;
        }
        pollfd p{0, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) return false;
        char buf[256];
        ssize_t n = ::read(0, buf, sizeof buf);
        if (n <= 0) {
            eof = true;
            return false;
        }
        pending.append(buf, static_cast<size_t>(n));
    }
}

void answer(const char* text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

} // namespace

int main()
{
    platform::set_backend(platform::make_sdl_backend());
    set_app_title("Ramparion window probe");
    // A window of its own size, so the test can resize it and see the picture letterboxed.
    if (!open_display(640, 480, 0, 60, 2)) {
        std::fprintf(stderr, "window_probe: no display\n");
        return 1;
    }
    hide_pointer();
    answer("ready");
    std::string pending, line;
    bool eof = false;
    for (;;) {
        clear_screen();
        flip_frame(-1);
        if (app_terminate()) {
            answer("closed");
            break;
        }
        if (!poll_line(pending, line, eof)) {
            if (eof) break;
            continue;
        }
        int x = 0, y = 0;
        if (line == "where") {
            char text[64];
            int mx = mouse_x(), my = mouse_y();
            std::snprintf(text, sizeof text, "at %d %d", mx, my);
            answer(text);
        } else if (std::sscanf(line.c_str(), "move %d %d", &x, &y) == 2) {
            move_pointer(x, y);
            answer("ok");
        } else if (line == "quit") {
            break;
        } else {
            answer("what?");
        }
    }
    platform::set_backend(nullptr);
    return 0;
}
