// One JSON line of game state per presented frame.
#include "tools/replay/trace.h"

#include <sstream>

#include "actors/actors.h"
#include "services/display.h"
#include "shell/game_state.h"

std::string trace_line(int frame)
{
    std::ostringstream o;
    o << "{\"frame\":" << frame << ",\"loop\":\"" << presenting_loop << "\",\"demo_mode\":" << demo_mode
      << ",\"game_paused\":" << game_paused << ",\"score\":" << score << ",\"casualties\":" << casualties
      << ",\"men\":" << men << ",\"days_survived\":" << days_survived << ",\"best_score\":" << best_score
      << ",\"best_casualties\":" << best_casualties << ",\"daylight\":" << daylight
      << ",\"difficulty\":" << difficulty << ",\"lists\":{"
      << "\"star\":" << star_list.size() << ",\"canball\":" << canball_list.size()
      << ",\"backcloud\":" << backcloud_list.size() << ",\"frontcloud\":" << frontcloud_list.size()
      << ",\"lgtrooper\":" << lgtrooper_list.size() << ",\"smtrooper\":" << smtrooper_list.size()
      << ",\"commando\":" << commando_list.size() << ",\"mustang\":" << mustang_list.size()
      << ",\"nukerocket\":" << nukerocket_list.size() << ",\"smallbomb\":" << smallbomb_list.size()
      << ",\"explosion\":" << explosion_list.size() << ",\"bodypart\":" << bodypart_list.size()
      << ",\"planepart\":" << planepart_list.size() << ",\"smokering\":" << smokering_list.size()
      << ",\"bombmark\":" << bombmark_list.size() << "},\"can_rot\":" << fort.can_rot
      << ",\"shot_tmr\":" << fort.shot_tmr << ",\"can_flash\":" << fort.can_flash << "}";
    return o.str();
}
