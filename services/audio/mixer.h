// The software mixer: decoded samples, the per-voice play state, and one block of stereo output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int mix_rate = 44100;
constexpr int32_t unit_gain = 4096;   // volume 1.0 in the voices' fixed point
constexpr uint32_t unit_rate = 65536; // playback speed 1.0, 16.16

// A whole decoded sample. Immutable once made, so the mixer reads it without a lock.
struct sound {
    int rate = mix_rate; // source frames per second
    int channels = 1;    // 1 or 2
    int bits = 16;       // 16: `pcm16` holds the data; 8: `pcm8` (unsigned, centred when mixed)
    bool loop = false;
    size_t frames = 0;
    std::vector<int16_t> pcm16; // interleaved when stereo
    std::vector<uint8_t> pcm8;
};

// What the mixer needs of one voice; the channel table around it lives in the sound module.
struct voice {
    const sound* snd = nullptr;
    uint64_t pos = 0;          // source frame, 16.16
    uint32_t rate = unit_rate; // speed factor, 16.16
    uint16_t volume = unit_gain;
    int16_t pan = 0; // 1/4096 steps, negative to the left
    int32_t prev_gain = unit_gain;
    bool paused = false;
    bool stopped = false;
    bool fresh = true; // not mixed since it was started: no ramp from an old gain
};

// A reused voice's next handle generation: up by `slots` (a power of two), wrapping to 0 past the
// largest positive int, so handles stay positive and the step never overflows.
constexpr int32_t next_generation(int32_t generation, int32_t slots)
{
    const uint32_t mask = 0x7FFFFFFFu & ~static_cast<uint32_t>(slots - 1);
    return static_cast<int32_t>((static_cast<uint32_t>(generation) + static_cast<uint32_t>(slots)) & mask);
}

// Adds every voice that is neither paused nor stopped into `out` (`frames` interleaved stereo
// frames, overwritten), advancing positions and ending or wrapping voices at their sample's end.
void mix_voices(voice* const* voices, size_t count, int16_t* out, int frames);

// The 16.16 step per output frame for a voice playing `s` at `rate`.
uint64_t voice_step(const sound& s, uint32_t rate);
