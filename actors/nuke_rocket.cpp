// Nuke rockets: level flight, engine cut, dive and impact.
#include "actors/actors.h"

void nukerocket_tag::Create() {}
void nukerocket_tag::update() {}
