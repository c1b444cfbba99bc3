// What is left of a commando blown apart: flying, resting and fading.
#include "actors/actors.h"

void bodypart_tag::Create(float, float, float, float, int) {}
void bodypart_tag::update() {}
