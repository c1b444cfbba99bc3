// Start-up, the frame loop and shutdown: the program's spine.
#include "shell/main_loop.h"

#include <cstdio>

#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "platform/platform.h"
#include "services/audio/sound.h"
#include "services/collision.h"
#include "services/display.h"
#include "services/images.h"
#include "services/input.h"
#include "services/maths.h"
#include "shell/app_icon.h"
#include "shell/demo.h"
#include "shell/game_flow.h"
#include "shell/game_state.h"
#include "shell/high_score.h"
#include "shell/hud.h"
#include "shell/labels.h"
#include "shell/logo.h"
#include "shell/menu.h"
#include "shell/music.h"
#include "shell/settings.h"
#include "shell/world_frame.h"

const char* presenting_loop = "startup";

void wait_while_inactive(channel to_pause)
{
    if (!app_suspended()) return;
    pause_channel(to_pause);
    // A close request ends the wait too, or a window closed from the task bar would hang here.
    while (app_suspended() && !app_close_pending()) delay_ms(10);
    resume_channel(to_pause);
}

void joystick_pointer()
{
    int x = mouse_x(), y = mouse_y();
    float jx = joy_x(0), jy = joy_y(0);
    if (jx == -1.0f) {
        x -= 6;
        move_pointer(x, y);
    } else if (jx == 1.0f) {
        x += 6;
        move_pointer(x, y);
    }
    if (jy == -1.0f) {
        y -= 6;
        move_pointer(x, y);
    } else if (jy == 1.0f) {
        y += 6;
        move_pointer(x, y);
    }
}

namespace {

enum class start { failed, ready, leave };

// A close request while loading (a desktop logging out): the rest is not loaded, and the game
// leaves as it does from the battle, with the best score it read.
start leave_while_loading()
{
    load_high_score();
    return start::leave;
}

// Failed when no display can be opened.
start start_up()
{
    set_start_values();
    register_embedded_assets();
    set_app_title(app_caption);
    load_settings(); // the volumes, the onslaught and the window the player kept, before the first frame
    give_window_its_icon();
    if (!open_display(640, 480, 32, 60, display_back_buffered)) return start::failed;
    note_display_opened();
    if (app_close_pending()) return leave_while_loading();
    set_default_image_flags(image_masked | image_dynamic);
    build_labels();
    star_tag::Create(); // seeds the generator: the one seed of the run
    create_sprite_images();
    if (app_close_pending()) return leave_while_loading();
    music_channel = alloc_channel();
    build_flag_frames();
    joy_count();
    hide_pointer();
    load_assets();
    if (app_close_pending()) return leave_while_loading();
    backcloud_tag::Create();
    frontcloud_tag::Create();
    flush_mouse();
    flush_keys();
    if (watching_demo()) {
        start_watched_game(); // in place of the logo and attract mode
        return start::ready;
    }
    prefetch_music(); // decoded behind the logo, so attract mode starts without a stall
    show_logo();
    if (app_close_pending()) return leave_while_loading(); // the music is not started to be stopped
    reset_game(0);
    load_high_score();
    demo_mode = 1;
    fort.crot_stp = -1;
    move_pointer(320, 195);
    start_music(0);
    return start::ready;
}

// Escape, a quit request or a close request, tested in that order.
bool leaving()
{
    if (key_hit(key_escape)) return true;
    if (quit_requested == 1) return true;
    return app_terminate() != 0;
}

void shut_down()
{
    if (channel_playing(music_channel)) {
        stop_channel(music_channel);
        delay_ms(500); // lets the device play out what it holds, so the music stops without a click
    }
    save_high_score();
    save_settings_at_exit();
    demo_shutdown();
}

} // namespace

int game_main()
{
    start how = start_up();
    if (how == start::failed) {
        const char* why = platform::current().failure();
        std::fprintf(stderr, "ramparion: cannot open the display%s%s\n", *why ? ": " : "", why);
        return 1;
    }
    if (how == start::leave) {
        shut_down();
        return 0;
    }
    presenting_loop = "world";
    for (;;) {
        if (!demo_frame_top()) break;
        joystick_pointer();
        reset_collision_layers(0);
        world_frame();
        if (demo_mode == 1)
            menu_frame();
        else
            menu_hover = -1;
        draw_hud(demo_mode);
        set_pointer_in_play(demo_mode == 0);
        flip_frame(-1);
        wait_while_inactive(music_channel);
        if (leaving()) break;
    }
    shut_down();
    return 0;
}
