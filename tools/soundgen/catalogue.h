// The files written into data/ and how each becomes finished Ogg bytes within the level limits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dsp.h"

namespace snd {

enum class sound_kind { effect, loud_effect, jingle, loop };

struct sound_entry {
    const char* file;
    sound_kind kind;
    buffer (*render)();
    double trim_db; // nudge from the kind's loudness, for how loud it should feel
};

extern const sound_entry sound_table[];
extern const int sound_count;

// Target loudness of an entry, in dBFS over the loud part.
double target_loudness_db(const sound_entry& entry);

constexpr float vorbis_quality = 0.5f;
constexpr double render_peak = 0.80;       // limiter ceiling before encoding
constexpr double decoded_peak_max = 0.871; // about -1.2 dBFS, margin under -1

struct built_sound {
    bool ok = false;
    std::vector<uint8_t> bytes;
    double seconds = 0.0;
    double peak = 0.0;        // of the decoded stream
    double loudness_db = 0.0; // of the decoded stream
    std::string error;
};

// Comment tag holding a digest of the exact PCM that was encoded, so two
// files can be told apart by content even if an encoder differs in its bytes.
constexpr const char* pcm_tag = "SOUNDGEN_PCM";

uint32_t stream_serial(const char* file);
std::string pcm_digest(const buffer& pcm);
built_sound build_sound(const sound_entry& entry);

} // namespace snd
