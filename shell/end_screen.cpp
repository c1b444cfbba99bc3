// The end-of-game screen: the fallen fort, the days survived and the rank title.
#include "shell/end_screen.h"

#include "actors/actors.h"
#include "assets/sprite_set.h"
#include "services/audio/sound.h"
#include "services/display.h"
#include "services/images.h"
#include "services/input.h"
#include "services/maths.h"
#include "services/text.h"
#include "shell/battle_seam.h"
#include "shell/day_cycle.h"
#include "shell/game_flow.h"
#include "shell/game_state.h"
#include "shell/hud.h"
#include "shell/labels.h"
#include "shell/main_loop.h"
#include "shell/music.h"

namespace {

constexpr int click_blind_frames = 200; // clicks in the first 201 frames are thrown away
constexpr int longest_stay = 5000;
constexpr int flag_frame_length = 10;

void draw_centred(const std::string& text, int y)
{
    draw_text(text, static_cast<float>(320 - text_width(text) / 2), static_cast<float>(y));
}

// A pad button still held from the last shot would end the screen at once: wait until it is let go.
void wait_for_pad_release()
{
    pump_input();
    while (joy_down(pad_fire, first_pad) || joy_hit(pad_fire, first_pad)) {
        if (app_close_pending()) return; // seen again by the screen's own test
        delay_ms(10);
        pump_input();
    }
}

} // namespace

std::string days_line(int days)
{
    if (days == 1) return one_day_line;
    return days_line_start + std::to_string(days) + days_line_end;
}

std::string rank_line(int days)
{
    int rank = days < 0 ? 0 : days > 11 ? 11 : days;
    return rank_line_start + rank_titles[rank] + rank_line_end;
}

void game_over()
{
    clear_battlefield(); // the actor that called is among the removed: see battle_seam.h
    screen_flash(1);
    stop_channel(music_channel);
    play_effect(explode2_snd, 0);
    flush_mouse();
    flush_keys();
    wait_for_pad_release();

    const char* outer_loop = presenting_loop;
    presenting_loop = "gameover";
    // The menus let the pointer go; the battle takes it up again when it goes on.
    const bool outer_play = pointer_in_play();
    set_pointer_in_play(false);
    int flag_ctr = 0, flag_index = 0, count = 0;
    for (;;) {
        clear_screen();
        advance_daylight(1); // the sky turns on, counting nothing
        draw_sky(0);
        draw_sky(1);

        set_draw_scale(2.0f, 1.0f);
        set_blend_mode(blend_mask);
        draw_image(dust_img, 320, 435, 0); // in the tint the ground left
        set_draw_scale(1.0f, 1.0f);

        set_blend_mode(blend_alpha);
        set_draw_alpha(0.6f);
        if (daylight > 50)
            set_draw_color(20, 20, 20);
        else
            set_draw_color(8, 8, 8);
        draw_rect(280, 414, 100, 25);
        set_draw_alpha(1.0f);
        set_blend_mode(blend_mask);

        set_draw_color(daylight, daylight, 255);
        draw_image(ruin_img, 320, 405, 0);

        flag_ctr = flag_ctr + 1;
        if (flag_ctr > flag_frame_length) {
            flag_ctr = 0;
            flag_index = flag_index + 1;
            if (flag_index > 7) flag_index = 0;
        }
        set_draw_scale(1.8f, 1.8f);
        draw_image(flag_img, 320, 395, flag_frames[flag_index]); // tinted like the ruin
        set_draw_scale(1.0f, 1.0f);

        frontcloud_list.walk([](frontcloud_tag& c) { c.update(); });

        set_blend_mode(blend_alpha);
        set_draw_alpha(0.6f);
        set_draw_color(10, 10, 20);
        draw_rect(0, 160, 640, 150);
        set_draw_alpha(1.0f);
        set_blend_mode(blend_mask);
        set_draw_color(255, 255, 255);
        draw_image(gameover_img, 320, 180, 0);

        set_draw_color(250, 250, 250);
        draw_centred(days_line(days_survived), 220);
        set_draw_color(250, 250, 0);
        draw_centred(rank_line(days_survived), 270);

        set_draw_color(255, 255, 255);
        screen_flash(0);
        draw_hud(0);

        if (key_hit(key_escape)) {
            quit_requested = 1;
            break; // this frame is not presented
        }
        flip_frame(-1);
        wait_while_inactive(0);
        if (count <= click_blind_frames) flush_mouse();
        count = count + 1;
        if (count > longest_stay) break;
        if (app_terminate()) {
            quit_requested = 1;
            break;
        }
        if (mouse_hit(mouse_left) || joy_hit(pad_fire, first_pad)) break;
    }
    presenting_loop = outer_loop;
    set_pointer_in_play(outer_play);

    move_pointer(320, 195); // on "Start New Game"
    flush_mouse();
    flush_keys();
    if (quit_requested != 1) {
        demo_mode = 1;
        start_music(0);
        fort.can_rot = 90;
    }
}
