// The heads-up display: score, best score with its casualties, casualties and men.
#include "shell/hud.h"

#include <string>

#include "assets/sprite_set.h"
#include "services/display.h"
#include "services/images.h"
#include "shell/battle_seam.h"
#include "shell/game_state.h"

namespace {

constexpr int cell_width = 16;
constexpr int score_cap = 99999;
constexpr int casualties_cap = 9999;

struct hud_field {
    int x;
    const int* value;
    int digits;
};

constexpr hud_field hud_fields[] = {
    {66, &score, 5}, {211, &best_score, 5}, {296, &best_casualties, 4}, {474, &casualties, 4}, {600, &men, 2},
};

} // namespace

void draw_number(int x, int y, int value, int digits)
{
    // Exactly `digits` cells, so a field never runs into the lettering or the next field: a value
    // that needs more is shown as the largest that fits (only an edited save holds one).
    if (digits <= 0) return;
    int largest = 0;
    for (int i = 0; i < digits && i < 9; ++i) largest = largest * 10 + 9;
    if (value > largest) value = largest;
    if (value < 0) value = 0;
    std::string text = std::to_string(value);
    if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
    for (char c : text) {
        draw_image(digit_img, static_cast<float>(x), static_cast<float>(y), c - '0');
        x += cell_width;
    }
}

void draw_hud(int top)
{
    int y = 461;
    float height = 1.0f;
    if (top == 1) {
        y = 3;
        height = 0.8f;
        set_blend_mode(blend_alpha);
        set_draw_alpha(0.6f);
        set_draw_color(15, 15, 25);
        draw_rect(0, 0, 800, 20);
        set_draw_alpha(1.0f);
    }
    set_blend_mode(blend_mask);
    set_draw_color(255, 255, 255);
    set_draw_scale(1.0f, height);
    draw_image(hud_img, 2, static_cast<float>(y), 0);

    if (score > score_cap) score = score_cap;
    if (casualties > casualties_cap) casualties = casualties_cap;
    if (new_best_flag == 0 && score > best_score) {
        new_best_flag = 1;
        play_effect(hiscore_snd, demo_mode);
    }
    // The best score follows a record-breaking game live, with that game's casualties.
    if (score > best_score) {
        best_score = score;
        best_casualties = casualties;
    }

    for (const hud_field& f : hud_fields) draw_number(f.x, y + 2, *f.value, f.digits);
    set_draw_scale(1.0f, 1.0f);
}
