// Keyboard, mouse, joystick and window state, fed by the platform's events and polled by the game.
#pragma once

namespace platform {
struct event;
}

// Installs the event handler and clears all key and mouse state (done when the first display opens).
void start_input();
// Applies one event as the window procedure would; the platform's handler.
void handle_input_event(const platform::event& e);
void pump_input();

// The game's numbers for the keys and buttons it reads: keys by their classic virtual-key code,
// mouse buttons 1..3, pad buttons from 0 on each pad port.
constexpr int key_escape = 27, key_space = 32, key_left_control = 162;
constexpr int mouse_left = 1, mouse_right = 2;
constexpr int pad_fire = 0, pad_pause = 1; // fire also picks menu rows and ends screens
constexpr int first_pad = 0;

int key_hit(int key);
int key_down(int key);
// The oldest unread character, 0 when none is waiting.
int next_char();
void flush_keys();
int mouse_x();
int mouse_y();
int mouse_z();
int mouse_hit(int button);
int mouse_down(int button);
void flush_mouse();
void move_pointer(int x, int y);
// Whether a game is being played: the window then holds the pointer on the picture, where the
// menus let it leave (taken up by the next presented frame of the battle).
void set_pointer_in_play(bool in_play);
bool pointer_in_play();
void hide_pointer();
int app_suspended();
int app_terminate();

int joy_count();
int joy_down(int button, int port);
int joy_hit(int button, int port);
float joy_x(int port);
float joy_y(int port);

// Whether a close request is waiting, without taking it.
int app_close_pending();

// Every value the game reads passes through the tap, when one is set, so a demo can record it or
// hand back a recorded one. Floats pass as their bit patterns; `arg` is the key, button or port
// (port * 32 + button for pad buttons).
enum class input_read : int {
    key_hit,
    key_down,
    next_char,
    mouse_x,
    mouse_y,
    mouse_z,
    mouse_hit,
    mouse_down,
    app_suspended,
    app_terminate,
    app_close_pending,
    joy_count,
    joy_down,
    joy_hit,
    joy_x,
    joy_y,
};
constexpr int input_read_kinds = 16;
using input_tap = int (*)(input_read what, int arg, int value);
void set_input_tap(input_tap tap);
