// Puts every sprite frame into its slot of the sprite sheet.
#include "art.h"
#include "lettering.h"

namespace artgen {

rgb_image sprite_frame(sprite id, int frame, const lettering& font)
{
    switch (id) {
    case sprite::pointer:
        return pointer_image();
    case sprite::hud:
        return hud_image(font);
    case sprite::digit:
        return digit_image(font, frame);
    case sprite::title:
        return title_image(font);
    case sprite::fort:
        return fort_image();
    case sprite::ruin:
        return ruin_image();
    case sprite::mount:
        return mount_image();
    case sprite::barrel:
        return barrel_image(frame);
    case sprite::ball:
        return ball_image();
    case sprite::cloud:
        return cloud_image();
    case sprite::lgtrooper:
        return lgtrooper_image(frame);
    case sprite::smtrooper:
        return smtrooper_image(frame);
    case sprite::rocket:
        return rocket_image(frame);
    case sprite::mustang:
        return mustang_image(frame);
    case sprite::bombmark:
        return bombmark_image();
    case sprite::explosion:
        return explosion_image();
    case sprite::planepart:
        return planepart_image(frame);
    case sprite::orb:
        return orb_image(frame);
    case sprite::man:
        return man_image(frame);
    case sprite::bonus:
        return bonus_image(font);
    case sprite::dust:
        return dust_image();
    case sprite::flag:
        return flag_image(frame);
    case sprite::gameover:
        return gameover_image(font);
    }
    return {};
}

rgb_image build_sheet(const lettering& font)
{
    rgb_image sheet(sheet_w, sheet_h);
    for (const sprite_slot& s : sheet_slots)
        for (int k = 0; k < s.frames; ++k) {
            const rgb_image art = sprite_frame(s.id, k, font);
            // Painters work on exactly the slot's size; anything else is
            // clipped to the slot so no frame can spill into a neighbour.
            blit(sheet, crop(art, 0, 0, s.w, s.h), s.x(k), s.y0);
        }
    return sheet;
}

} // namespace artgen
