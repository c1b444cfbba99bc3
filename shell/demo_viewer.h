// The backend as demos see it: every presented frame counted, and the watcher's controls.
#pragma once

#include <memory>

#include "platform/platform.h"

// Wraps the backend the game runs on so demos see every presented frame. With `controls` (watching
// in a window) Space pauses, the right arrow or a pad's right shoulder runs four times as fast while
// held, and Escape or closing the window leaves; the game's own pointer warps are kept from the desktop.
std::unique_ptr<platform::backend> with_demo_frames(std::unique_ptr<platform::backend> inner, bool controls);
