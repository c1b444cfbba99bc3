// The day cycle's full-screen effects: the white flash.
#include "services/display.h"
#include "shell/game_state.h"

void screen_flash(int trigger)
{
    if (trigger == 1) {
        flash_alpha = 1.0f;
        return;
    }
    if (flash_alpha > 0.0f) {
        set_blend_mode(blend_alpha);
        set_draw_alpha(flash_alpha);
        set_draw_color(255, 255, 255);
        draw_rect(0, 0, 800, 571);
        set_draw_alpha(1.0f);
        set_blend_mode(blend_mask);
        flash_alpha = flash_alpha - 0.01f;
    }
}
