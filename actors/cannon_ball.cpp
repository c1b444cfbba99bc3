// Cannon balls: flight, shrinking and the hit tests against every target.
#include "actors/actors.h"

void canball_tag::Create(int) {}
void canball_tag::update() {}
