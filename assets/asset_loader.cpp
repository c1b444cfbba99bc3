// Fills the sprite set at start-up: font, pictures, the sheet cut into sprites, and the effects.
#include "assets/sprite_set.h"
#include "services/audio/sound.h"
#include "services/display.h"
#include "services/images.h"
#include "services/text.h"

void load_assets()
{
    game_font = load_font("incbin::fonts/armalite.ttf", 24, 4);
    set_font(game_font);
    sky_img = load_image("incbin::graphx/rp_sky.png", -1);
    ground_img = load_image("incbin::graphx/rp_bkgr.png", -1);
    static image* sheet; // held for the run like every picture
    sheet = load_image("incbin::graphx/rmpar_sf1.png", -1);

    // The sheet's black is keyed out, so the grabs must read a back buffer cleared to pure black.
    clear_screen();
    draw_image(sheet, 0, 0, 0);
    for (const sprite_row& r : sprite_table) {
        if (r.sheet_x < 0) continue;
        for (int k = 0; k < r.frames; ++k) grab_image(*r.img, r.sheet_x + r.step * k, r.sheet_y, k);
    }

    for (const effect_row& e : effect_table) *e.snd = load_sound(e.file, 0);
}
