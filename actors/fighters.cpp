// Fighters on their far and near passes, and the small bombs they drop.
#include "actors/actors.h"

void mustang_tag::Create() {}
void mustang_tag::update(int) {}
void smallbomb_tag::Create(float, float, int) {}
void smallbomb_tag::update() {}
