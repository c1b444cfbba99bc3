// The mixer on its own: known samples in, exact output frames out.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "services/mixer.h"

namespace {

sound mono(std::vector<int16_t> pcm, int rate = mix_rate, bool loop = false)
{
    sound s;
    s.rate = rate;
    s.channels = 1;
    s.loop = loop;
    s.frames = pcm.size();
    s.pcm16 = std::move(pcm);
    return s;
}

voice on(const sound& s, int32_t volume = unit_gain)
{
    voice v;
    v.snd = &s;
    v.volume = static_cast<uint16_t>(volume);
    return v;
}

// Mixes `frames` frames of the given voices; returns the interleaved output.
std::vector<int16_t> mix(std::vector<voice*> voices, int frames)
{
    std::vector<int16_t> out(2 * frames, 12345); // garbage the mixer must overwrite
    mix_voices(voices.data(), voices.size(), out.data(), frames);
    return out;
}

std::vector<int16_t> left(const std::vector<int16_t>& out)
{
    std::vector<int16_t> l;
    for (size_t i = 0; i < out.size(); i += 2) l.push_back(out[i]);
    return l;
}

TEST(mixer, source_at_output_rate_comes_out_sample_for_sample)
{
    sound s = mono({100, -200, 300, -32768, 32767});
    voice v = on(s);
    auto out = mix({&v}, 5);
    EXPECT_EQ(out, (std::vector<int16_t>{100, 100, -200, -200, 300, 300, -32768, -32768, 32767, 32767}));
    EXPECT_EQ(v.pos, 5u << 16);
}

TEST(mixer, stereo_source_feeds_each_side_its_own_channel)
{
    sound s;
    s.channels = 2;
    s.frames = 3;
    s.pcm16 = {1, -1, 2, -2, 3, -3};
    voice v = on(s);
    EXPECT_EQ(mix({&v}, 3), (std::vector<int16_t>{1, -1, 2, -2, 3, -3}));
}

TEST(mixer, eight_bit_source_is_centred)
{
    sound s;
    s.bits = 8;
    s.frames = 3;
    s.pcm8 = {0, 128, 255};
    voice v = on(s);
    EXPECT_EQ(left(mix({&v}, 3)), (std::vector<int16_t>{-32768, 0, 32512}));
}

TEST(mixer, half_rate_source_is_interpolated_between_its_frames)
{
    sound s = mono({0, 1000, -1000, 4000}, 22050);
    voice v = on(s);
    // Past the last frame a one-shot holds it rather than reaching for a frame that is not there.
    EXPECT_EQ(left(mix({&v}, 8)), (std::vector<int16_t>{0, 500, 1000, 0, -1000, 1500, 4000, 4000}));
    EXPECT_FALSE(v.stopped);
    mix({&v}, 1);
    EXPECT_TRUE(v.stopped);
}

TEST(mixer, odd_rate_follows_the_fixed_point_position)
{
    std::vector<int16_t> pcm;
    for (int i = 0; i < 64; ++i) pcm.push_back(static_cast<int16_t>(i * 300 - 9000));
    sound s = mono(pcm, 32000);
    voice v = on(s);
    auto l = left(mix({&v}, 80));
    const uint64_t step = (32000ull << 16) / 44100;
    for (int k = 0; k < 80; ++k) {
        uint64_t pos = step * k;
        size_t i = pos >> 16;
        double t = static_cast<double>(pos & 0xFFFF) / 65536.0;
        double want = pcm[i] + (pcm[i + 1] - pcm[i]) * t;
        EXPECT_EQ(l[k], static_cast<int16_t>(std::floor(want))) << "frame " << k;
    }
}

TEST(mixer, loop_wraps_inside_one_block_and_keeps_going)
{
    sound s = mono({10, 20, 30, 40}, mix_rate, true);
    voice v = on(s);
    EXPECT_EQ(left(mix({&v}, 10)), (std::vector<int16_t>{10, 20, 30, 40, 10, 20, 30, 40, 10, 20}));
    EXPECT_FALSE(v.stopped);
    EXPECT_EQ(v.pos, 2u << 16);

    // Between the last frame and the first the interpolation reaches across the join.
    sound slow = mono({0, 100, 200, 300}, 22050, true);
    voice w = on(slow);
    EXPECT_EQ(left(mix({&w}, 10)), (std::vector<int16_t>{0, 50, 100, 150, 200, 250, 300, 150, 0, 50}));
}

TEST(mixer, one_shot_stops_at_its_end_and_leaves_silence)
{
    sound s = mono({7, 7, 7});
    voice v = on(s);
    EXPECT_EQ(left(mix({&v}, 6)), (std::vector<int16_t>{7, 7, 7, 0, 0, 0}));
    EXPECT_TRUE(v.stopped);
    EXPECT_EQ(left(mix({&v}, 2)), (std::vector<int16_t>{0, 0}));
}

TEST(mixer, gain_moves_in_a_straight_line_across_the_block)
{
    sound s = mono(std::vector<int16_t>(1000, 16384), mix_rate, true);
    voice v = on(s, unit_gain);
    v.fresh = false;
    v.volume = 0; // from full gain to nothing over one block
    auto l = left(mix({&v}, 256));
    EXPECT_EQ(l[0], 16384);
    EXPECT_EQ(l[128], 8192);
    EXPECT_EQ(l[255], 64);
    for (int k = 1; k < 256; ++k) EXPECT_LT(l[k], l[k - 1]) << "frame " << k;
    EXPECT_EQ(v.prev_gain, 0);
    auto next = left(mix({&v}, 16));
    for (auto x : next) EXPECT_EQ(x, 0);

    // A block longer than the mixer's internal pieces ramps across its whole length.
    v.volume = unit_gain;
    auto up = left(mix({&v}, 2000));
    EXPECT_EQ(up[0], 0);
    EXPECT_EQ(up[1000], 8192);
    for (int k = 1; k < 2000; ++k) EXPECT_GT(up[k], up[k - 1]) << "frame " << k;
}

TEST(mixer, fresh_voice_starts_at_its_own_gain)
{
    sound s = mono(std::vector<int16_t>(64, 10000));
    voice v = on(s, unit_gain / 2);
    v.prev_gain = 0; // whatever the voice held before it was started counts for nothing
    for (auto x : mix({&v}, 64)) EXPECT_EQ(x, 5000);
}

TEST(mixer, pan_takes_gain_from_the_other_side)
{
    sound s = mono(std::vector<int16_t>(4, 8000));
    voice v = on(s);
    v.pan = 2048; // to the right
    auto out = mix({&v}, 2);
    EXPECT_EQ(out[0], 4000);
    EXPECT_EQ(out[1], 8000);
    v.pan = -4096; // hard left
    out = mix({&v}, 2);
    EXPECT_EQ(out[0], 8000);
    EXPECT_EQ(out[1], 0);
}

TEST(mixer, sum_saturates_at_sixteen_bits)
{
    sound hi = mono(std::vector<int16_t>(4, 30000));
    sound lo = mono(std::vector<int16_t>(4, -30000));
    voice a = on(hi), b = on(hi), c = on(lo), d = on(lo), e = on(lo);
    EXPECT_EQ(left(mix({&a, &b}, 2)), (std::vector<int16_t>{32767, 32767}));
    EXPECT_EQ(left(mix({&c, &d}, 2)), (std::vector<int16_t>{-32768, -32768}));
    // Loud and quiet voices cancel before the sum is clipped, not after.
    voice f = on(hi);
    EXPECT_EQ(left(mix({&e, &f}, 2)), (std::vector<int16_t>{0, 0}));
    // Gain above one is allowed and clipped the same way.
    sound mid = mono(std::vector<int16_t>(4, 20000));
    voice g = on(mid, 3 * unit_gain);
    EXPECT_EQ(left(mix({&g}, 2)), (std::vector<int16_t>{32767, 32767}));
}

TEST(mixer, paused_stopped_and_empty_voices_neither_sound_nor_move)
{
    sound s = mono(std::vector<int16_t>(8, 1000));
    voice paused = on(s), stopped = on(s), empty;
    paused.paused = true;
    stopped.stopped = true;
    auto out = mix({&paused, &stopped, &empty, nullptr}, 4);
    for (auto x : out) EXPECT_EQ(x, 0);
    EXPECT_EQ(paused.pos, 0u);
    EXPECT_EQ(stopped.pos, 0u);
    EXPECT_TRUE(paused.fresh); // its first real block will still start at its own gain
}

TEST(mixer, empty_looping_sample_ends_instead_of_spinning)
{
    sound s = mono({}, mix_rate, true);
    voice v = on(s);
    mix({&v}, 4);
    EXPECT_TRUE(v.stopped);
}

} // namespace
