// One JSON line of game state per presented frame.
#include "tools/replay/trace.h"

#include <cstdio>
#include <sstream>

#include "actors/actors.h"
#include "actors/world_lists.h"
#include "services/display.h"
#include "shell/game_state.h"
#include "shell/main_loop.h"
#include "shell/menu.h"

namespace {

// Nine significant digits: enough to tell any two floats apart.
std::string exact(float v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
    return buf;
}

} // namespace

std::string trace_line(int frame)
{
    std::ostringstream o;
    o << "{\"frame\":" << frame << ",\"loop\":\"" << presenting_loop << "\",\"demo_mode\":" << demo_mode
      << ",\"game_paused\":" << game_paused << ",\"score\":" << score << ",\"casualties\":" << casualties
      << ",\"men\":" << men << ",\"days_survived\":" << days_survived << ",\"best_score\":" << best_score
      << ",\"best_casualties\":" << best_casualties << ",\"daylight\":" << daylight << ",\"difficulty\":" << difficulty
      << ",\"lists\":{";
    const char* comma = "";
    for_each_world_list([&](const auto& row) {
        o << comma << '"' << row.name << "\":" << row.list->size();
        comma = ",";
    });
    o << "},\"can_rot\":" << fort.can_rot << ",\"shot_tmr\":" << fort.shot_tmr << ",\"can_flash\":" << fort.can_flash
      << ",\"crot_stp\":" << fort.crot_stp << ",\"daylight_timer\":" << daylight_timer
      << ",\"daylight_step\":" << daylight_step << ",\"sun_angle\":" << exact(sun_angle)
      << ",\"moon_angle\":" << exact(moon_angle) << ",\"trooper_timer\":" << trooper_timer
      << ",\"trooper_period\":" << trooper_period << ",\"nuke_timer\":" << nuke_timer
      << ",\"nuke_period\":" << nuke_period << ",\"nuke_side\":" << nuke_side << ",\"mustang_timer\":" << mustang_timer
      << ",\"mustang_period\":" << mustang_period << ",\"mustang_side\":" << mustang_side
      << ",\"banner_scale\":" << exact(banner_scale) << ",\"banner_alpha\":" << exact(banner_alpha)
      << ",\"flash_alpha\":" << exact(flash_alpha) << ",\"new_best_flag\":" << new_best_flag
      << ",\"quit_requested\":" << quit_requested << ",\"sound_volume\":" << exact(sound_volume)
      << ",\"sound_volume_step\":" << sound_volume_step << ",\"music_volume\":" << exact(music_volume)
      << ",\"music_volume_step\":" << music_volume_step << ",\"saved_pointer\":[" << saved_pointer_x << ","
      << saved_pointer_y << "],\"menu_row\":" << menu_hover << "}";
    return o.str();
}
