// Explosions, smoke rings and bomb marks: effects that only draw and fade.
#include "actors/actors.h"

void explosion_tag::Create(float, float, float, float) {}
void explosion_tag::update() {}
void smokering_tag::Create(float, float, float) {}
void smokering_tag::update() {}
void bombmark_tag::Create(float, float) {}
void bombmark_tag::update() {}
