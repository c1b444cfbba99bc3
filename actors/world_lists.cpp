// The one fort and the fifteen actor lists, created in the order the battle relies on.
#include "actors/world_lists.h"

#include "actors/actors.h"

// Static construction in this file runs top to bottom, which is the lists' creation order.
fort_tag fort;
actor_list<star_tag> star_list;
actor_list<canball_tag> canball_list;
actor_list<backcloud_tag> backcloud_list;
actor_list<frontcloud_tag> frontcloud_list;
actor_list<lgtrooper_tag> lgtrooper_list;
actor_list<smtrooper_tag> smtrooper_list;
actor_list<commando_tag> commando_list;
actor_list<mustang_tag> mustang_list;
actor_list<nukerocket_tag> nukerocket_list;
actor_list<smallbomb_tag> smallbomb_list;
actor_list<explosion_tag> explosion_list;
actor_list<bodypart_tag> bodypart_list;
actor_list<planepart_tag> planepart_list;
actor_list<smokering_tag> smokering_list;
actor_list<bombmark_tag> bombmark_list;

static_assert(world_list_count == 15, "every list has its row in world_list_table");

void update_fighters(int pass)
{
    mustang_list.walk([pass](mustang_tag& m) { m.update(pass); });
}
