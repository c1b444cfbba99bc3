// The maker's logo screen shown once at start-up.
#include "shell/logo.h"

#include <algorithm>

#include "services/audio/sound.h"
#include "services/display.h"
#include "services/images.h"
#include "services/input.h"
#include "services/maths.h"
#include "shell/game_state.h"
#include "shell/main_loop.h"

void show_logo()
{
    static image* logo; // held for the run like every picture
    static sound* jingle;
    channel ch = alloc_channel();
    free_sound(jingle); // only a second start-up in one process (the tests') has one to free
    jingle = load_sound("data\\introwar.ogg", 0);
    logo = load_image("incbin::graphx/tmlogo.png", -1);
    mid_handle_image(logo);
    // The logo's ground is the full-screen bars' black, so no frame shows around the picture.
    set_clear_color(0, 0, 0);
    // Full strength at the usual effects volume, as the jingle was made; quieter with the player's
    // effects volume below it, and silent with effects off.
    set_channel_volume(ch, std::min(1.0f, sound_volume * 2.0f));
    play_sound(jingle, ch);
    presenting_loop = "logo";

    float a = 1.0f;
    int n = 0;
    do {
        clear_screen();
        set_blend_mode(blend_alpha);
        set_draw_alpha(a);
        set_draw_color(255, 255, 255);
        draw_image(logo, 320, 220, 0);
        if (a == 1.0f) ++n;
        if (n > 375) a = a - 0.01f;
        if (a < 0.0f) {
            a = 0.0f;
            ++n;
        }
        set_blend_mode(blend_mask);
        set_draw_alpha(1.0f);
        flip_frame(-1);
        wait_while_inactive(ch);
        if (key_hit(key_escape) || key_hit(key_space) || mouse_hit(mouse_left) || joy_hit(pad_fire, first_pad)) {
            stop_channel(ch);
            break;
        }
        // A close request (the window's button, the desktop's SIGTERM) is left for the main
        // loop to take, which leaves after its first frame; the logo does not play on.
        if (app_close_pending()) {
            stop_channel(ch);
            break;
        }
    } while (a > 0.0f);

    set_clear_color(0, 0, 8); // the battle's clear colour from here on
    if (!app_close_pending()) delay_ms(500);
    flush_keys();
    flush_mouse();
}
