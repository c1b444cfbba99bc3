// The mixer on its own: known samples in, exact output frames out.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "services/audio/mixer.h"

namespace {

using pcm = std::vector<int16_t>;

sound mono(pcm samples, int rate = mix_rate, bool loop = false)
{
    sound s;
    s.rate = rate;
    s.loop = loop;
    s.frames = samples.size();
    s.pcm16 = std::move(samples);
    return s;
}

voice on(const sound& s, int32_t volume = unit_gain)
{
    voice v;
    v.snd = &s;
    v.volume = static_cast<uint16_t>(volume);
    return v;
}

// The interleaved output of one block; `side` 0 or 1 keeps only that side.
pcm mix(std::vector<voice*> voices, int frames, int side = -1)
{
    pcm out(2 * frames, 12345); // garbage the mixer must overwrite
    mix_voices(voices.data(), voices.size(), out.data(), frames);
    if (side < 0) return out;
    pcm one;
    for (size_t i = side; i < out.size(); i += 2) one.push_back(out[i]);
    return one;
}

TEST(mixer, every_source_layout_comes_out_sample_for_sample)
{
    sound m = mono({100, -200, -32768, 32767});
    voice a = on(m);
    EXPECT_EQ(mix({&a}, 4), (pcm{100, 100, -200, -200, -32768, -32768, 32767, 32767}));

    sound st;
    st.channels = 2;
    st.frames = 2;
    st.pcm16 = {1, -1, 2, -2};
    voice b = on(st);
    EXPECT_EQ(mix({&b}, 2), (pcm{1, -1, 2, -2}));

    sound u8;
    u8.bits = 8;
    u8.frames = 3;
    u8.pcm8 = {0, 128, 255};
    voice c = on(u8);
    EXPECT_EQ(mix({&c}, 3, 0), (pcm{-32768, 0, 32512}));
}

TEST(mixer, other_rates_are_interpolated_between_source_frames)
{
    sound half = mono({0, 1000, -1000, 4000}, 22050);
    voice v = on(half);
    // Past the last frame a one-shot holds it rather than reaching for a frame that is not there.
    EXPECT_EQ(mix({&v}, 8, 0), (pcm{0, 500, 1000, 0, -1000, 1500, 4000, 4000}));

    pcm ramp;
    for (int i = 0; i < 64; ++i) ramp.push_back(static_cast<int16_t>(i * 300 - 9000));
    sound odd = mono(ramp, 32000);
    voice w = on(odd);
    pcm l = mix({&w}, 80, 0);
    for (int k = 0; k < 80; ++k) {
        uint64_t pos = ((32000ull << 16) / 44100) * k;
        double t = static_cast<double>(pos & 0xFFFF) / 65536.0;
        double want = ramp[pos >> 16] + 300 * t;
        EXPECT_EQ(l[k], static_cast<int16_t>(std::floor(want))) << "frame " << k;
    }
}

TEST(mixer, loops_wrap_inside_a_block_and_one_shots_stop_at_their_end)
{
    sound loop = mono({10, 20, 30, 40}, mix_rate, true);
    voice v = on(loop);
    EXPECT_EQ(mix({&v}, 10, 0), (pcm{10, 20, 30, 40, 10, 20, 30, 40, 10, 20}));
    EXPECT_FALSE(v.stopped);
    EXPECT_EQ(v.pos, 2u << 16);

    // Between the last frame and the first the interpolation reaches across the join.
    sound slow = mono({0, 100, 200, 300}, 22050, true);
    voice w = on(slow);
    EXPECT_EQ(mix({&w}, 10, 0), (pcm{0, 50, 100, 150, 200, 250, 300, 150, 0, 50}));
    // A step that overshoots the end carries its remainder into the next pass.
    sound fast = mono({0, 3000}, mix_rate * 3 / 2, true);
    voice z = on(fast);
    EXPECT_EQ(mix({&z}, 6, 0), (pcm{0, 1500, 3000, 1500, 0, 1500}));

    sound once = mono({7, 7, 7});
    voice x = on(once);
    EXPECT_EQ(mix({&x}, 6, 0), (pcm{7, 7, 7, 0, 0, 0}));
    EXPECT_TRUE(x.stopped);

    sound empty = mono({}, mix_rate, true);
    voice y = on(empty);
    mix({&y}, 4);
    EXPECT_TRUE(y.stopped) << "an empty loop must end, not spin";
}

TEST(mixer, gain_moves_in_a_straight_line_from_the_last_block)
{
    sound s = mono(pcm(1000, 16384), mix_rate, true);
    voice v = on(s, unit_gain);
    v.fresh = false;
    v.volume = 0;
    pcm down = mix({&v}, 256, 0);
    EXPECT_EQ(down[0], 16384);
    EXPECT_EQ(down[128], 8192);
    EXPECT_EQ(down[255], 64);
    for (int k = 1; k < 256; ++k) ASSERT_LT(down[k], down[k - 1]) << "frame " << k;
    EXPECT_EQ(mix({&v}, 16, 0), pcm(16, 0));

    // A block longer than the mixer's internal pieces ramps across its whole length.
    v.volume = unit_gain;
    pcm up = mix({&v}, 2000, 0);
    EXPECT_EQ(up[0], 0);
    EXPECT_EQ(up[1000], 8192);
    for (int k = 1; k < 2000; ++k) ASSERT_GT(up[k], up[k - 1]) << "frame " << k;

    // A voice just started has no last block: its own gain holds from the first frame.
    voice fresh = on(s, unit_gain / 2);
    fresh.prev_gain = 0;
    EXPECT_EQ(mix({&fresh}, 64), pcm(128, 8192));
}

TEST(mixer, pan_takes_gain_from_the_far_side)
{
    sound s = mono(pcm(4, 8000));
    voice v = on(s);
    v.pan = 2048;
    EXPECT_EQ(mix({&v}, 1), (pcm{4000, 8000}));
    v.pan = -4096;
    EXPECT_EQ(mix({&v}, 1), (pcm{8000, 0}));
}

TEST(mixer, sum_is_clipped_after_the_voices_are_added)
{
    sound hi = mono(pcm(4, 30000)), lo = mono(pcm(4, -30000)), mid = mono(pcm(4, 20000));
    voice a = on(hi), b = on(hi), c = on(lo), d = on(lo), e = on(lo), f = on(hi), g = on(mid, 3 * unit_gain);
    EXPECT_EQ(mix({&a, &b}, 2, 0), (pcm{32767, 32767}));
    EXPECT_EQ(mix({&c, &d}, 2, 0), (pcm{-32768, -32768}));
    EXPECT_EQ(mix({&e, &f}, 2, 0), (pcm{0, 0}));
    EXPECT_EQ(mix({&g}, 2, 0), (pcm{32767, 32767}));
}

TEST(mixer, paused_stopped_and_empty_voices_neither_sound_nor_move)
{
    sound s = mono(pcm(8, 1000));
    voice paused = on(s), stopped = on(s), empty;
    paused.paused = true;
    stopped.stopped = true;
    EXPECT_EQ(mix({&paused, &stopped, &empty, nullptr}, 4), pcm(8, 0));
    EXPECT_EQ(paused.pos, 0u);
    EXPECT_EQ(stopped.pos, 0u);
    EXPECT_TRUE(paused.fresh);
}

} // namespace
