// Sounds decoded once and kept for the run, with decoding ahead of need on a worker thread.
#pragma once

#include <string>

struct sound;

// The sound for (url, flags), decoded on the first call; later calls give the same sound.
// Null, once and for all, when the file cannot be loaded. Game thread only.
sound* cached_sound(const std::string& url, int flags);
// Starts decoding (url, flags) in the background, so a later cached_sound does not wait.
void prefetch_sound(const std::string& url, int flags);
