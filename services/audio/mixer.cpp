// The software mixer: interpolated, gain-ramped voices summed and saturated into 16-bit stereo.
#include "services/audio/mixer.h"

#include <algorithm>

namespace {

// The sum is built in pieces of this many frames so the accumulator stays on the stack.
constexpr int chunk_frames = 512;

template <bool Bits8> inline int32_t sample_at(const sound& s, size_t index)
{
    if constexpr (Bits8)
        return static_cast<int32_t>(s.pcm8[index]) * 256 - 32768;
    else
        return s.pcm16[index];
}

inline int32_t lerp(int32_t a, int32_t b, uint32_t frac)
{
    return a + static_cast<int32_t>((static_cast<int64_t>(b - a) * frac) >> 16);
}

// The left side loses gain for a pan to the right, the right side for a pan to the left.
inline void side_gains(int32_t g, int32_t pan, int32_t& gl, int32_t& gr)
{
    gl = pan > 0 ? g * (unit_gain - pan) / unit_gain : g;
    gr = pan < 0 ? g * (unit_gain + pan) / unit_gain : g;
}

struct block_pos {
    int first; // frame of the block this chunk starts at
    int count; // frames in this chunk
    int total; // frames in the whole block, for the gain ramp
};

// Mixes one voice into one chunk. The worst case sum, 4095 voices at full gain 65535 on full
// scale samples, still fits the 32-bit accumulator.
template <bool Stereo, bool Bits8> void mix_one(voice& v, int32_t* acc, const block_pos& bp)
{
    const sound& s = *v.snd;
    const size_t frames = s.frames;
    const uint64_t length = static_cast<uint64_t>(frames) << 16;
    // Below this position the next source frame exists: no end or loop tests in that stretch.
    const uint64_t inner = frames > 0 ? length - 65536 : 0;
    const uint64_t step = std::max<uint64_t>(voice_step(s, v.rate), 1);
    const int32_t g0 = v.prev_gain;
    const int32_t g1 = v.volume;
    const int32_t pan = std::clamp<int32_t>(v.pan, -unit_gain, unit_gain);
    int32_t gl = 0, gr = 0;
    side_gains(g1, pan, gl, gr);

    uint64_t pos = v.pos;
    auto frame = [&](int k, size_t j) {
        const size_t i = static_cast<size_t>(pos >> 16);
        const uint32_t frac = static_cast<uint32_t>(pos & 0xFFFF);
        int32_t l, r;
        if constexpr (Stereo) {
            l = lerp(sample_at<Bits8>(s, 2 * i), sample_at<Bits8>(s, 2 * j), frac);
            r = lerp(sample_at<Bits8>(s, 2 * i + 1), sample_at<Bits8>(s, 2 * j + 1), frac);
        } else {
            l = lerp(sample_at<Bits8>(s, i), sample_at<Bits8>(s, j), frac);
            r = l;
        }
        if (g0 != g1) {
            const int64_t at = bp.first + k;
            const int32_t g = g0 + static_cast<int32_t>((static_cast<int64_t>(g1 - g0) * at) / bp.total);
            side_gains(g, pan, gl, gr);
        }
        acc[2 * k] += (l * gl) >> 12;
        acc[2 * k + 1] += (r * gr) >> 12;
        pos += step;
    };

    int k = 0;
    while (k < bp.count) {
        if (pos >= length) {
            if (!s.loop || frames == 0) {
                v.stopped = true;
                break;
            }
            pos -= length;
            if (pos >= length) pos %= length;
        }
        if (pos < inner) {
            const uint64_t run = (inner - pos + step - 1) / step;
            const int end = k + static_cast<int>(std::min<uint64_t>(run, static_cast<uint64_t>(bp.count - k)));
            for (; k < end; ++k) frame(k, static_cast<size_t>(pos >> 16) + 1);
        } else {
            // The last source frame: a loop reaches across the join, a one-shot holds it.
            const size_t i = static_cast<size_t>(pos >> 16);
            frame(k++, s.loop ? 0 : i);
        }
    }
    v.pos = pos;
}

void mix_voice(voice& v, int32_t* acc, const block_pos& bp)
{
    const bool stereo = v.snd->channels == 2;
    const bool bits8 = v.snd->bits == 8;
    if (stereo)
        bits8 ? mix_one<true, true>(v, acc, bp) : mix_one<true, false>(v, acc, bp);
    else
        bits8 ? mix_one<false, true>(v, acc, bp) : mix_one<false, false>(v, acc, bp);
}

inline bool audible(const voice* v)
{
    return v && v->snd && !v->paused && !v->stopped;
}

} // namespace

uint64_t voice_step(const sound& s, uint32_t rate)
{
    return static_cast<uint64_t>(s.rate) * rate / mix_rate;
}

void mix_voices(voice* const* voices, size_t count, int16_t* out, int frames)
{
    if (frames <= 0) return;
    for (size_t n = 0; n < count; ++n) {
        voice* v = voices[n];
        if (audible(v) && v->fresh) {
            v->prev_gain = v->volume;
            v->fresh = false;
        }
    }

    int32_t acc[2 * chunk_frames];
    for (int first = 0; first < frames; first += chunk_frames) {
        const block_pos bp{first, std::min(chunk_frames, frames - first), frames};
        std::fill(acc, acc + 2 * bp.count, 0);
        for (size_t n = 0; n < count; ++n)
            if (audible(voices[n])) mix_voice(*voices[n], acc, bp);
        for (int i = 0; i < 2 * bp.count; ++i)
            out[2 * first + i] = static_cast<int16_t>(std::clamp<int32_t>(acc[i], -32768, 32767));
    }

    // The next block ramps from here; a voice that stopped on the way is left as it was.
    for (size_t n = 0; n < count; ++n)
        if (audible(voices[n])) voices[n]->prev_gain = voices[n]->volume;
}
