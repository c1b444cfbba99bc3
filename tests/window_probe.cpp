// Test program: a real window and pads opened through the services, answering on stdin.
//
//   where            -> "at X Y"   (mouse_x, mouse_y in 640x480 picture pixels)
//   move X Y         -> "ok"       (move_pointer)
//   plug_controller  -> "pad K"    (attaches a virtual game controller, K counts from 0)
//   plug_stick       -> "pad K"    (a virtual plain joystick: 2 axes, 4 buttons, 1 hat)
//   axis K A V, button K B 0|1, hat K V, unplug K -> "ok"   (what pad K's hardware does)
//   joy P            -> "joy X Y D0 D1 H0 H1"  (joy_x, joy_y, joy_down and joy_hit of port P)
//   count            -> "count N"  (joy_count)
//   keys             -> "keys S D32 H32 D162 D163"  (app_suspended, Space and both Controls)
//   key K            -> "key K D H"  (key_down and key_hit of game key K)
//   mapping G        -> "mapping NAME" or "mapping none"  (the controller mapping SDL holds for GUID G)
//   pattern          -> "ok"       (draws a fixed test picture in every frame from now on)
//   save FILE        -> "ok"       (the picture as drawn, as a PNG, to compare with what is shown)
//   frames           -> "frames N" (frames presented so far)
//   play 0|1         -> "ok"       (whether a game is played: a played game holds the pointer)
//   quit             -> ends the program
//
// It prints "ready" once the window is up, and "closed" if the window is asked to close.
// With --fullscreen its window covers the screen as the game's does.
#include <SDL.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/screenshot.h"
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

// The probe's own handles on the virtual pads it plugged in, by the number it gave them.
std::vector<SDL_Joystick*> pads;

SDL_Joystick* pad(int k)
{
    return k >= 0 && k < static_cast<int>(pads.size()) ? pads[static_cast<size_t>(k)] : nullptr;
}

void plug(SDL_JoystickType type, int axes, int buttons, int hats)
{
    int device = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
    SDL_Joystick* j = device >= 0 ? SDL_JoystickOpen(device) : nullptr;
    if (!j) {
        std::printf("no pad: %s\n", SDL_GetError());
        std::fflush(stdout);
        return;
    }
    pads.push_back(j);
    std::printf("pad %d\n", static_cast<int>(pads.size()) - 1);
    std::fflush(stdout);
}

bool unplug(int k)
{
    SDL_Joystick* j = pad(k);
    if (!j) return false;
    SDL_JoystickID id = SDL_JoystickInstanceID(j);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    SDL_JoystickClose(j);
    pads[static_cast<size_t>(k)] = nullptr;
    return true;
}

// The pad commands; false when the line is not one of them.
bool pad_command(const std::string& line)
{
    int k = 0, a = 0, v = 0;
    char text[128];
    if (line == "plug_controller") {
        plug(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    } else if (line == "plug_stick") {
        plug(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 1);
    } else if (std::sscanf(line.c_str(), "axis %d %d %d", &k, &a, &v) == 3) {
        answer(pad(k) && SDL_JoystickSetVirtualAxis(pad(k), a, static_cast<Sint16>(v)) == 0 ? "ok" : "no such pad");
    } else if (std::sscanf(line.c_str(), "button %d %d %d", &k, &a, &v) == 3) {
        answer(pad(k) && SDL_JoystickSetVirtualButton(pad(k), a, static_cast<Uint8>(v)) == 0 ? "ok" : "no such pad");
    } else if (std::sscanf(line.c_str(), "hat %d %d", &k, &v) == 2) {
        answer(pad(k) && SDL_JoystickSetVirtualHat(pad(k), 0, static_cast<Uint8>(v)) == 0 ? "ok" : "no such pad");
    } else if (std::sscanf(line.c_str(), "unplug %d", &k) == 1) {
        answer(unplug(k) ? "ok" : "no such pad");
    } else if (std::sscanf(line.c_str(), "joy %d", &k) == 1) {
        pump_input(); // as the game's frame does before it reads the pad
        float x = joy_x(k), y = joy_y(k);
        int d0 = joy_down(0, k), d1 = joy_down(1, k);
        int h0 = joy_hit(0, k), h1 = joy_hit(1, k);
        std::snprintf(text, sizeof text, "joy %.6g %.6g %d %d %d %d", x, y, d0, d1, h0, h1);
        answer(text);
    } else if (line == "keys") {
        int away = app_suspended(), d32 = key_down(32), h32 = key_hit(32);
        std::snprintf(text, sizeof text, "keys %d %d %d %d %d", away, d32, h32, key_down(162), key_down(163));
        answer(text);
    } else if (std::sscanf(line.c_str(), "key %d", &k) == 1) {
        int d = key_down(k), h = key_hit(k);
        std::snprintf(text, sizeof text, "key %d %d %d", k, d, h);
        answer(text);
    } else if (line.rfind("mapping ", 0) == 0) {
        char* m = SDL_GameControllerMappingForGUID(SDL_JoystickGetGUIDFromString(line.c_str() + 8));
        std::string name = "none";
        if (m) { // GUID,name,bindings...
            std::string all = m;
            SDL_free(m);
            size_t first = all.find(','), second = all.find(',', first + 1);
            name = all.substr(first + 1, second - first - 1);
        }
        answer(("mapping " + name).c_str());
    } else if (line == "count") {
        std::snprintf(text, sizeof text, "count %d", joy_count());
        answer(text);
    } else {
        return false;
    }
    return true;
}

// Colour bars over the top half and a one-pixel checkerboard below: any smoothing, lost row or
// shifted column shows in a comparison.
void draw_pattern()
{
    set_clear_color(20, 40, 60);
    clear_screen();
    set_blend_mode(2);
    for (int i = 0; i < 8; ++i) {
        set_draw_color(i * 32, 255 - i * 32, (i * 97) % 256);
        draw_rect(static_cast<float>(i * 80), 0.0f, 80.0f, 240.0f);
    }
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            if ((x + y) % 2)
                set_draw_color(250, 250, 250);
            else
                set_draw_color(10, 10, 10);
            draw_rect(static_cast<float>(288 + x), static_cast<float>(300 + y), 1.0f, 1.0f);
        }
    set_draw_color(200, 30, 30);
    draw_rect(0.0f, 470.0f, 640.0f, 10.0f);
    draw_rect(630.0f, 240.0f, 10.0f, 240.0f);
}

} // namespace

int main(int argc, char** argv)
{
    bool fullscreen = argc > 1 && std::strcmp(argv[1], "--fullscreen") == 0;
    platform::set_backend(platform::make_sdl_backend());
    set_app_title("Ramparion window probe");
    // A window of its own size, so the test can resize it and see the picture letterboxed.
    if (!open_display(640, 480, fullscreen ? 32 : 0, 60, display_back_buffered)) {
        std::fprintf(stderr, "window_probe: no display\n");
        return 1;
    }
    hide_pointer();
    answer("ready");
    std::string pending, line;
    bool eof = false, pattern = false;
    long frames = 0;
    for (;;) {
        if (pattern)
            draw_pattern();
        else
            clear_screen();
        flip_frame(-1);
        ++frames;
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
        } else if (line == "pattern") {
            pattern = true;
            answer("ok");
        } else if (line.rfind("save ", 0) == 0) {
            frame_buffer* b = back_buffer();
            std::string error;
            answer(b && platform::save_png_frame(line.substr(5), b->pixels(), b->width(), b->height(), error)
                       ? "ok"
                       : "cannot save");
        } else if (std::sscanf(line.c_str(), "play %d", &x) == 1) {
            set_pointer_in_play(x != 0);
            answer("ok");
        } else if (line == "frames") {
            answer(("frames " + std::to_string(frames)).c_str());
        } else if (line == "quit") {
            break;
        } else if (!pad_command(line)) {
            answer("what?");
        }
    }
    for (int k = 0; k < static_cast<int>(pads.size()); ++k) unplug(k);
    platform::set_backend(nullptr);
    return 0;
}
