// The real backend over SDL2: a full-screen window, a streaming texture, the audio device and pads.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace platform {

std::unique_ptr<backend> make_sdl_backend();

} // namespace platform
