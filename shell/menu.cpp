// The menu over the attract battle and over a paused game: six rows, options and the choices.
#include "shell/menu.h"

#include "assets/sprite_set.h"
#include "services/audio/sound.h"
#include "services/display.h"
#include "services/images.h"
#include "services/input.h"
#include "services/text.h"
#include "shell/battle_seam.h"
#include "shell/game_flow.h"
#include "shell/game_state.h"
#include "shell/labels.h"
#include "shell/music.h"
#include "shell/settings.h"

int menu_hover = -1;

namespace {

constexpr int first_row_y = 188;
constexpr int row_height = 35;
constexpr int credit_y = 456;

void draw_centred(const std::string& text, int y)
{
    draw_text(text, static_cast<float>(320 - text_width(text) / 2), static_cast<float>(y));
}

bool row_inactive(int row)
{
    if (row == 1) return demo_mode == 1;   // nothing to resume
    if (row == 2) return game_paused == 1; // a running game keeps its difficulty
    return false;
}

// One step up; past "100%" the volume turns off.
void step_volume(int& step, float& volume)
{
    step = step + 1;
    volume = volume + 0.1f;
    if (step > 10) {
        step = 0;
        volume = 0.0f;
    }
}

void choose(int row)
{
    switch (row) {
    case 0:
        if (game_paused == 0) {
            reset_game(1);
            stop_channel(music_channel);
            start_music(1);
        } else {
            clear_battlefield();
            game_paused = 0;
            demo_mode = 1;
            stop_channel(music_channel);
            start_music(0);
        }
        break;
    case 1:
        if (game_paused == 1) {
            game_paused = 0;
            stop_channel(music_channel);
            start_music(1);
        }
        break;
    case 2:
        if (demo_mode == 1) difficulty = difficulty == 1 ? 0 : difficulty + 1;
        save_settings();
        break;
    case 3:
        step_volume(sound_volume_step, sound_volume);
        play_effect(cannon_snd, 0); // so the new volume is heard
        save_settings();
        break;
    case 4:
        step_volume(music_volume_step, music_volume);
        set_channel_volume(music_channel, music_volume);
        save_settings();
        break;
    case 5:
        quit_requested = 1;
        game_paused = 0;
        break;
    default:
        break;
    }
}

} // namespace

int menu_row_at(int pointer_y)
{
    int row = (pointer_y - first_row_y) / row_height; // truncates toward zero: row 0 reaches up to 154
    return row >= 0 && row < menu_rows ? row : -1;
}

std::string menu_label(int row)
{
    switch (row) {
    case 0:
        return game_paused == 1 ? quit_game_label : menu_labels[0];
    case 2:
        return menu_labels[2] + difficulty_labels[difficulty == 1 ? 1 : 0];
    case 3:
        return menu_labels[3] + volume_labels[sound_volume_step];
    case 4:
        return menu_labels[4] + volume_labels[music_volume_step];
    default:
        return row >= 0 && row < menu_rows ? menu_labels[row] : "";
    }
}

void menu_frame()
{
    int hovered = menu_row_at(mouse_y());
    menu_hover = hovered;

    set_blend_mode(blend_alpha);
    set_draw_alpha(0.6f);
    set_draw_color(10, 10, 20);
    draw_rect(145, 70, 352, 340);
    set_draw_alpha(1.0f);
    set_blend_mode(blend_mask);
    set_draw_color(255, 255, 255);
    draw_image(title_img, 320, 125, 0);

    for (int row = 0; row < menu_rows; ++row) {
        if (row == hovered)
            set_draw_color(255, 255, 10);
        else
            set_draw_color(50, 200, 200);
        if (row_inactive(row)) set_draw_color(200, 0, 0);
        draw_centred(menu_label(row), first_row_y + row_height * row);
    }

    // The joystick is asked only when the mouse gave nothing, so one frame takes one click.
    if (mouse_hit(mouse_left) || joy_hit(pad_fire, first_pad)) choose(hovered);

    set_draw_color(250, 0, 0);
    draw_centred(credit_line, credit_y);
    set_draw_color(255, 255, 255);
    draw_image(pointer_img, static_cast<float>(mouse_x()), static_cast<float>(mouse_y()), 0);
}
