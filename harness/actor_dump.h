// One JSON line per presented frame with every actor of every list and the fort, field by field.
#pragma once

#include <string>

std::string actor_dump_line(int frame);
