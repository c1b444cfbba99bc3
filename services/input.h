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
