// Tumbling pieces of aircraft shot down.
#include "actors/actors.h"

void planepart_tag::Create(float, float, float, float, int, int) {}
void planepart_tag::update() {}
