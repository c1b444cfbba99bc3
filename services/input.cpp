// Keyboard, mouse, joystick and window state, fed by the platform's events and polled by the game.
#include "services/input.h"

#include <bit>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr int max_ports = 16;    // ports with state of their own
constexpr int max_numbers = 256; // ports in the table

// Everything the input service remembers between calls.
struct input_state {
    // Keyboard: keys held, presses not yet read, and typed characters in a ring.
    int keys_down[256]{};
    int key_hits[256]{};
    int char_queue[256]{};
    int char_head = 0, char_count = 0;
    // Mouse: buttons held, presses not yet read, the pointer and the wheel.
    int buttons_down[4]{};
    int mouse_hits[4]{};
    int pointer_x = 0, pointer_y = 0, wheel_z = 0;
    // What the system asked of the application: to sleep, to close.
    int app_suspended_flag = 0;
    int app_terminate_flag = 0;
    // Joysticks: system numbers by port, each port's last reading and presses not yet read.
    int port_table[max_numbers]{};
    int port_count = 0;
    platform::joystick_state joy_state[max_ports]{};
    int joy_hits[16][max_ports]{};
    bool pads_changed = false;
    // Whether the shell says a game is being played (its frames hold the pointer).
    bool in_play_flag = false;
    // The replay's recorder or player, shown every value the game reads.
    input_tap tap = nullptr;
};

input_state st;

int seen(input_read what, int arg, int value)
{
    return st.tap ? st.tap(what, arg, value) : value;
}

float seen_float(input_read what, int port, float value)
{
    return st.tap ? std::bit_cast<float>(st.tap(what, port, std::bit_cast<int>(value))) : value;
}

void clear_keys()
{
    std::memset(st.keys_down, 0, sizeof st.keys_down);
    std::memset(st.key_hits, 0, sizeof st.key_hits);
    st.char_head = st.char_count = 0;
}

void clear_mouse()
{
    std::memset(st.buttons_down, 0, sizeof st.buttons_down);
    std::memset(st.mouse_hits, 0, sizeof st.mouse_hits);
    st.wheel_z = 0;
}

bool valid_key(int k)
{
    return k >= 1 && k <= 255;
}
bool valid_button(int b)
{
    return b >= 0 && b <= 3;
}

void clear_pads()
{
    st.port_count = 0;
    for (auto& s : st.joy_state) s = {};
    std::memset(st.joy_hits, 0, sizeof st.joy_hits);
    st.pads_changed = false;
}

bool valid_port(int p)
{
    return p >= 0 && p < max_ports;
}

// Asks every system joystick number and keeps those that answer, in order. `readings`, when
// given, receives what each port reads now.
void build_port_table(platform::joystick_state* readings)
{
    auto& b = platform::current();
    int n = b.joystick_count();
    st.port_count = 0;
    st.pads_changed = false;
    for (int i = 0; i < n && st.port_count < max_numbers; ++i) {
        platform::joystick_state s;
        if (!b.joystick_read(i, s)) continue;
        if (readings && st.port_count < max_ports) readings[st.port_count] = s;
        st.port_table[st.port_count++] = i;
    }
    // Ports past the end have no pad any more.
    for (int p = st.port_count; p < max_ports; ++p) {
        st.joy_state[p] = {};
        for (auto& h : st.joy_hits) h[p] = 0;
    }
}

// A pad came or went, so ports may now mean other pads: start each port from what it reads
// now, or a button held across the change would count as a new press.
void follow_hot_plug()
{
    platform::joystick_state now[max_ports];
    build_port_table(now);
    for (int p = 0; p < max_ports && p < st.port_count; ++p) {
        st.joy_state[p] = now[p];
        for (auto& h : st.joy_hits) h[p] = 0;
    }
}

// Reads the port afresh; a pad that does not answer keeps its last state.
void poll_port(int port)
{
    if (st.pads_changed) follow_hot_plug();
    if (!valid_port(port) || port >= st.port_count) return;
    platform::joystick_state s;
    if (!platform::current().joystick_read(st.port_table[port], s)) return;
    uint32_t old = st.joy_state[port].buttons;
    for (int b = 0; b < 16; ++b)
        if (!(old & (1u << b)) && (s.buttons & (1u << b))) ++st.joy_hits[b][port];
    st.joy_state[port] = s;
}

} // namespace

void start_input()
{
    clear_keys();
    clear_mouse();
    st.pointer_x = st.pointer_y = 0;
    st.app_suspended_flag = st.app_terminate_flag = 0;
    clear_pads();
    platform::current().set_event_handler(handle_input_event);
}

void handle_input_event(const platform::event& e)
{
    using platform::event_kind;
    switch (e.kind) {
    case event_kind::suspend:
        clear_keys();
        clear_mouse();
        st.app_suspended_flag = 1;
        break;
    case event_kind::resume:
        clear_keys();
        clear_mouse();
        st.app_suspended_flag = 0;
        break;
    case event_kind::terminate:
        st.app_terminate_flag = 1;
        break;
    case event_kind::key_down:
        if (valid_key(e.a) && !st.keys_down[e.a]) {
            st.keys_down[e.a] = 1;
            ++st.key_hits[e.a];
        }
        break;
    case event_kind::key_repeat:
        break;
    case event_kind::key_up:
        if (valid_key(e.a)) st.keys_down[e.a] = 0;
        break;
    case event_kind::key_char:
        if (st.char_count < 256) {
            st.char_queue[(st.char_head + st.char_count) % 256] = e.a;
            ++st.char_count;
        }
        break;
    case event_kind::mouse_down:
        if (valid_button(e.a) && !st.buttons_down[e.a]) {
            st.buttons_down[e.a] = 1;
            ++st.mouse_hits[e.a];
        }
        break;
    case event_kind::mouse_up:
        if (valid_button(e.a)) st.buttons_down[e.a] = 0;
        break;
    case event_kind::mouse_move:
        st.pointer_x = e.a;
        st.pointer_y = e.b;
        break;
    case event_kind::wheel:
        st.wheel_z += e.a / 120;
        break;
    case event_kind::joy_added:
    case event_kind::joy_removed:
        st.pads_changed = true;
        break;
    }
}

void pump_input()
{
    platform::current().pump_events();
}

int key_hit(int key)
{
    pump_input();
    if (!valid_key(key)) return seen(input_read::key_hit, 0, 0);
    int n = st.key_hits[key];
    st.key_hits[key] = 0;
    return seen(input_read::key_hit, key, n);
}

int key_down(int key)
{
    pump_input();
    return seen(input_read::key_down, valid_key(key) ? key : 0, valid_key(key) ? st.keys_down[key] : 0);
}

void flush_keys()
{
    pump_input();
    clear_keys();
}

int next_char()
{
    pump_input();
    if (st.char_count == 0) return seen(input_read::next_char, 0, 0);
    int c = st.char_queue[st.char_head];
    st.char_head = (st.char_head + 1) % 256;
    --st.char_count;
    return seen(input_read::next_char, 0, c);
}

int mouse_x()
{
    pump_input();
    return seen(input_read::mouse_x, 0, st.pointer_x);
}

int mouse_y()
{
    pump_input();
    return seen(input_read::mouse_y, 0, st.pointer_y);
}

int mouse_z()
{
    pump_input();
    return seen(input_read::mouse_z, 0, st.wheel_z);
}

int mouse_hit(int button)
{
    pump_input();
    if (!valid_button(button)) return seen(input_read::mouse_hit, 0, 0);
    int n = st.mouse_hits[button];
    st.mouse_hits[button] = 0;
    return seen(input_read::mouse_hit, button, n);
}

int mouse_down(int button)
{
    pump_input();
    return seen(input_read::mouse_down, valid_button(button) ? button : 0,
                valid_button(button) ? st.buttons_down[button] : 0);
}

void flush_mouse()
{
    pump_input();
    clear_mouse();
}

void move_pointer(int x, int y)
{
    platform::current().move_pointer(x, y);
}
void hide_pointer()
{
    platform::current().hide_pointer();
}

void set_pointer_in_play(bool in_play)
{
    st.in_play_flag = in_play;
}
bool pointer_in_play()
{
    return st.in_play_flag;
}

int app_suspended()
{
    pump_input();
    return seen(input_read::app_suspended, 0, st.app_suspended_flag);
}

int app_terminate()
{
    pump_input();
    int f = st.app_terminate_flag;
    st.app_terminate_flag = 0;
    return seen(input_read::app_terminate, 0, f);
}

int joy_count()
{
    build_port_table(nullptr);
    return seen(input_read::joy_count, 0, st.port_count);
}

int joy_down(int button, int port)
{
    poll_port(port);
    if (!valid_port(port) || button < 0 || button > 31) return seen(input_read::joy_down, 0, 0);
    return seen(input_read::joy_down, port * 32 + button, (st.joy_state[port].buttons >> button) & 1);
}

int joy_hit(int button, int port)
{
    poll_port(port);
    if (!valid_port(port) || button < 0 || button > 15) return seen(input_read::joy_hit, 0, 0);
    int n = st.joy_hits[button][port];
    st.joy_hits[button][port] = 0;
    return seen(input_read::joy_hit, port * 32 + button, n);
}

float joy_x(int port)
{
    poll_port(port);
    return seen_float(input_read::joy_x, valid_port(port) ? port : 0, valid_port(port) ? st.joy_state[port].x : 0.0f);
}

float joy_y(int port)
{
    poll_port(port);
    return seen_float(input_read::joy_y, valid_port(port) ? port : 0, valid_port(port) ? st.joy_state[port].y : 0.0f);
}

int app_close_pending()
{
    pump_input();
    return seen(input_read::app_close_pending, 0, st.app_terminate_flag);
}

void set_input_tap(input_tap t)
{
    st.tap = t;
}
