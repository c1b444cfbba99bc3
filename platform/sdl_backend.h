// The real backend over SDL2: the game's window, a streaming texture, the audio device and pads.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace platform {

// The desktop's own name for the game: window class, desktop file, icon and metadata. The build
// hands in the one id its install files carry.
#ifndef RAMPARION_APP_ID
#define RAMPARION_APP_ID "io.github.ramparion.Ramparion"
#endif
constexpr const char* desktop_app_id = RAMPARION_APP_ID;
// What the desktop's mixer shows for the game's sound.
constexpr const char* audio_app_name = "Ramparion '07";

// How the window opens: as the game asks (full screen), or as the player chose on the command line.
enum class window_mode { as_asked, window, fullscreen };

std::unique_ptr<backend> make_sdl_backend(window_mode mode = window_mode::as_asked);

} // namespace platform
