// One frame of the battlefield, walked back to front: the walking order is the drawing order.
#include "shell/world_frame.h"

#include "actors/actors.h"
#include "services/display.h"
#include "shell/battle_seam.h"
#include "shell/day_cycle.h"
#include "shell/game_state.h"

void world_frame()
{
    clear_screen();
    advance_daylight(demo_mode);
    draw_sky(0);
    lgtrooper_list.walk([](lgtrooper_tag& a) { a.update(); });
    smtrooper_list.walk([](smtrooper_tag& a) { a.update(); });
    update_fighters(1);
    draw_sky(1);
    canball_list.walk([](canball_tag& a) { a.update(); });
    planepart_list.walk([](planepart_tag& a) { a.update(); });
    bodypart_list.walk([](bodypart_tag& a) { a.update(); });
    bombmark_list.walk([](bombmark_tag& a) { a.update(); });
    commando_list.walk([](commando_tag& a) { a.update(); });
    nukerocket_list.walk([](nukerocket_tag& a) { a.update(); });
    fort.update();
    smallbomb_list.walk([](smallbomb_tag& a) { a.update(); });
    explosion_list.walk([](explosion_tag& a) { a.update(); });
    update_fighters(0);
    frontcloud_list.walk([](frontcloud_tag& a) { a.update(); });
    fort.get_inputs(); // may open the pause menu, which returns here
    spawn_enemies();
    draw_bonus_banner();
    screen_flash(0);
}
