// Stars and the two cloud layers of the sky.
#include "actors/actors.h"

void star_tag::Create() {}
void star_tag::update() {}
void backcloud_tag::Create() {}
void backcloud_tag::update() {}
void frontcloud_tag::Create() {}
void frontcloud_tag::update() {}
