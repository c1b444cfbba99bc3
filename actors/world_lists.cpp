// The one fort and the fifteen actor lists, created in the order the battle relies on.
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

void update_fighters(int pass)
{
    mustang_list.walk([pass](mustang_tag& m) { m.update(pass); });
}

// Until each kind's own module lands, its objects are never created, so these are never reached.
void star_tag::update() {}
void fort_tag::update() {}
void fort_tag::get_inputs() {}
void fort_tag::fire_cannon() {}
void canball_tag::update() {}
void backcloud_tag::update() {}
void frontcloud_tag::update() {}
void lgtrooper_tag::update() {}
void smtrooper_tag::update() {}
void commando_tag::update() {}
void mustang_tag::update(int) {}
void nukerocket_tag::update() {}
void smallbomb_tag::update() {}
void explosion_tag::update() {}
void bodypart_tag::update() {}
void planepart_tag::update() {}
void smokering_tag::update() {}
void bombmark_tag::update() {}
