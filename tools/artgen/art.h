// The painters: one function per sprite (per frame where it animates).
#pragma once

#include <string>

#include "raster.h"
#include "sheet_layout.h"

namespace artgen {

class lettering;

// The fort and its cannon.
rgb_image fort_image();
rgb_image ruin_image();
rgb_image mount_image();
rgb_image barrel_image(int frame);
rgb_image ball_image();

// Aircraft and rockets; frames as the game numbers them.
rgb_image lgtrooper_image(int frame);
rgb_image smtrooper_image(int frame);
rgb_image mustang_image(int frame);
rgb_image rocket_image(int frame);
rgb_image planepart_image(int frame);

// People and props.
rgb_image man_image(int frame);
rgb_image flag_image(int frame);
rgb_image pointer_image();

// Effects and scenery sprites.
rgb_image explosion_image();
rgb_image orb_image(int frame);
rgb_image bombmark_image();
rgb_image cloud_image();
rgb_image dust_image();

// Full pictures.
rgb_image sky_image();
rgb_image ground_image();
rgb_image logo_image(const lettering& font);

// One frame of any sheet sprite.
rgb_image sprite_frame(sprite id, int frame, const lettering& font);
// The whole sprite sheet.
rgb_image build_sheet(const lettering& font);

} // namespace artgen
