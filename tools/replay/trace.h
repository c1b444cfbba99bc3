// One JSON line of game state per presented frame.
#pragma once

#include <string>

std::string trace_line(int frame);
