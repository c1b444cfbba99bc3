// SDL keys to the game's key numbering (the classic virtual-key codes).
#include "platform/sdl_keys.h"

#include <SDL.h>

#include <array>

namespace platform {

namespace {

struct key_pair {
    SDL_Scancode scan;
    int code;
};

// Keys whose code does not follow from a run of letters, digits or function keys.
constexpr key_pair fixed_keys[] = {
    {SDL_SCANCODE_BACKSPACE, 8},
    {SDL_SCANCODE_TAB, 9},
    {SDL_SCANCODE_RETURN, 13},
    {SDL_SCANCODE_KP_ENTER, 13},
    {SDL_SCANCODE_PAUSE, 19},
    {SDL_SCANCODE_CAPSLOCK, 20},
    {SDL_SCANCODE_ESCAPE, 27},
    {SDL_SCANCODE_SPACE, 32},
    {SDL_SCANCODE_PAGEUP, 33},
    {SDL_SCANCODE_PAGEDOWN, 34},
    {SDL_SCANCODE_END, 35},
    {SDL_SCANCODE_HOME, 36},
    {SDL_SCANCODE_LEFT, 37},
    {SDL_SCANCODE_UP, 38},
    {SDL_SCANCODE_RIGHT, 39},
    {SDL_SCANCODE_DOWN, 40},
    {SDL_SCANCODE_PRINTSCREEN, 44},
    {SDL_SCANCODE_INSERT, 45},
    {SDL_SCANCODE_DELETE, 46},
    {SDL_SCANCODE_LGUI, 91},
    {SDL_SCANCODE_RGUI, 92},
    {SDL_SCANCODE_APPLICATION, 93},
    {SDL_SCANCODE_KP_0, 96},
    {SDL_SCANCODE_KP_MULTIPLY, 106},
    {SDL_SCANCODE_KP_PLUS, 107},
    {SDL_SCANCODE_KP_MINUS, 109},
    {SDL_SCANCODE_KP_PERIOD, 110},
    {SDL_SCANCODE_KP_DIVIDE, 111},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144},
    {SDL_SCANCODE_SCROLLLOCK, 145},
    // Shift, Control and Alt always come sided, never as the generic 16, 17 and 18.
    {SDL_SCANCODE_LSHIFT, 160},
    {SDL_SCANCODE_RSHIFT, 161},
    {SDL_SCANCODE_LCTRL, 162},
    {SDL_SCANCODE_RCTRL, 163},
    {SDL_SCANCODE_LALT, 164},
    {SDL_SCANCODE_RALT, 165},
    {SDL_SCANCODE_SEMICOLON, 186},
    {SDL_SCANCODE_EQUALS, 187},
    {SDL_SCANCODE_COMMA, 188},
    {SDL_SCANCODE_MINUS, 189},
    {SDL_SCANCODE_PERIOD, 190},
    {SDL_SCANCODE_SLASH, 191},
    {SDL_SCANCODE_GRAVE, 192},
    {SDL_SCANCODE_LEFTBRACKET, 219},
    {SDL_SCANCODE_BACKSLASH, 220},
    {SDL_SCANCODE_RIGHTBRACKET, 221},
    {SDL_SCANCODE_APOSTROPHE, 222},
    {SDL_SCANCODE_NONUSBACKSLASH, 226},
};

struct key_run {
    SDL_Scancode first, last;
    int code; // code of `first`; the others follow one by one
};

constexpr key_run runs[] = {
    {SDL_SCANCODE_A, SDL_SCANCODE_Z, 65},     {SDL_SCANCODE_1, SDL_SCANCODE_9, 49},
    {SDL_SCANCODE_0, SDL_SCANCODE_0, 48},     {SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_9, 97},
    {SDL_SCANCODE_F1, SDL_SCANCODE_F12, 112},
};

// Scancodes beyond this have no classic code.
constexpr int table_size = 512;

constexpr std::array<unsigned char, table_size> make_table()
{
    std::array<unsigned char, table_size> t{};
    for (const auto& r : runs)
        for (int s = r.first; s <= r.last; ++s)
            t[static_cast<size_t>(s)] = static_cast<unsigned char>(r.code + s - r.first);
    for (const auto& k : fixed_keys) t[static_cast<size_t>(k.scan)] = static_cast<unsigned char>(k.code);
    return t;
}

constexpr auto scancode_table = make_table();

static_assert(SDL_NUM_SCANCODES <= table_size);
static_assert(scancode_table[SDL_SCANCODE_LCTRL] == 162 && scancode_table[SDL_SCANCODE_Z] == 90);

} // namespace

int game_key_code_for_scancode(int scancode)
{
    if (scancode <= 0 || scancode >= table_size) return 0;
    return scancode_table[static_cast<size_t>(scancode)];
}

int game_key_code_for_key(int scancode, int keycode)
{
    int code = game_key_code_for_scancode(scancode);
    // The digit row and the keypad keep their codes whatever the layout prints on them.
    bool digit = (code >= 48 && code <= 57) || (code >= 96 && code <= 111);
    if (code != 0 && !digit && keycode >= SDLK_a && keycode <= SDLK_z) return 65 + (keycode - SDLK_a);
    return code;
}

} // namespace platform
