// Paratroopers: opening, drifting, plunging, landing and walking into the fort.
#include "actors/actors.h"

void commando_tag::Create(float, float, float) {}
void commando_tag::update() {}
