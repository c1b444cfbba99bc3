// Large and small troop carriers: far pass, near pass and commando drops.
#include "actors/actors.h"

void lgtrooper_tag::Create() {}
void lgtrooper_tag::update() {}
void smtrooper_tag::Create() {}
void smtrooper_tag::update() {}
