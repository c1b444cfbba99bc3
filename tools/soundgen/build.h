// Turns a rendered sound into finished Ogg bytes that meet the level limits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sounds.h"

namespace snd {

constexpr float vorbis_quality = 0.5f;
constexpr double render_peak = 0.80;        // limiter ceiling before encoding
constexpr double decoded_peak_max = 0.871;  // about -1.2 dBFS, margin under -1

struct built_sound {
    bool ok = false;
    std::vector<uint8_t> bytes;
    double seconds = 0.0;
    double peak = 0.0;         // of the decoded stream
    double loudness_db = 0.0;  // of the decoded stream
    std::string error;
};

uint32_t stream_serial(const char* file);
built_sound build_sound(const sound_entry& entry);

} // namespace snd
