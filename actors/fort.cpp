// The fort and its cannon: drawing, aiming, firing and the pause control.
#include "actors/actors.h"

void fort_tag::update() {}
void fort_tag::get_inputs() {}
void fort_tag::fire_cannon() {}
