// The pause loop over a snapshot of the frozen battle.
#include "shell/pause_menu.h"

#include "assets/sprite_set.h"
#include "services/audio/sound.h"
#include "services/display.h"
#include "services/images.h"
#include "services/input.h"
#include "shell/game_state.h"
#include "shell/hud.h"
#include "shell/main_loop.h"
#include "shell/menu.h"
#include "shell/music.h"

void pause_menu()
{
    saved_pointer_x = mouse_x();
    saved_pointer_y = mouse_y();
    game_paused = 1;
    move_pointer(320, 235); // on "Resume Game"
    // Entered half-way through a world frame: the back buffer holds the battle without the HUD.
    grab_image(snapshot_img, 0, 0, 0);
    flush_mouse();
    flush_keys();
    stop_channel(music_channel);
    start_music(0);

    const char* outer_loop = presenting_loop;
    presenting_loop = "pause";
    // The menus let the pointer go; the battle takes it up again when it goes on.
    const bool outer_play = pointer_in_play();
    set_pointer_in_play(false);
    do {
        clear_screen();
        joystick_pointer();
        draw_image(snapshot_img, 0, 0, 0);
        menu_frame();
        draw_hud(1);
        flip_frame(-1);
        wait_while_inactive(music_channel);
        if (mouse_hit(mouse_right) || key_hit(key_space) || joy_hit(pad_pause, first_pad)) game_paused = 0;
        if (key_hit(key_escape) || app_terminate()) {
            quit_requested = 1;
            game_paused = 0;
        }
    } while (game_paused == 1);
    presenting_loop = outer_loop;
    set_pointer_in_play(outer_play);

    if (demo_mode == 0) {
        // The game goes on (or the program is about to end): back to the battle music.
        move_pointer(saved_pointer_x, saved_pointer_y);
        stop_channel(music_channel);
        start_music(1);
    } else {
        move_pointer(320, 195); // "Quit Current Game" was chosen: on "Start New Game"
    }
    flush_mouse();
    flush_keys();
}
