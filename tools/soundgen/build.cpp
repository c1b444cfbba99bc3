// Render, finish, encode, then decode to check the peak the game will really see.
#include "build.h"

#include "levels.h"
#include "ogg_io.h"

namespace snd {

uint32_t stream_serial(const char* file) {
    // FNV-1a of the name: fixed per file, distinct between files.
    uint32_t h = 2166136261u;
    for (const char* p = file; *p; ++p) h = (h ^ static_cast<uint8_t>(*p)) * 16777619u;
    return h & 0x7fffffffu;
}

built_sound build_sound(const sound_entry& entry) {
    built_sound out;
    buffer pcm = entry.render();
    const double target = target_loudness_db(entry);
    if (entry.kind == sound_kind::loop) finish_loop(pcm, target, render_peak);
    else finish_effect(pcm, target, render_peak);

    // Vorbis can ring above the input's peak; back off until the decoded
    // stream is under the ceiling.
    for (int attempt = 0; attempt < 6; ++attempt) {
        out.bytes = encode_vorbis(pcm, vorbis_quality, stream_serial(entry.file));
        if (out.bytes.empty()) {
            out.error = "encoder refused the stream";
            return out;
        }
        const decoded_sound d = decode_vorbis(out.bytes);
        if (!d.ok) {
            out.error = d.error;
            return out;
        }
        out.seconds = static_cast<double>(d.samples.size()) / d.rate;
        out.peak = peak_abs(d.samples);
        out.loudness_db = loudness_db(d.samples);
        if (out.peak <= decoded_peak_max) {
            out.ok = true;
            return out;
        }
        scale(pcm, decoded_peak_max / out.peak * 0.98);
    }
    out.error = "peak stays above the ceiling";
    return out;
}

} // namespace snd
