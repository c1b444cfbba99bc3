// Sounds and channels through the headless output: loading, handles, volume, pause, and the shell's
// effect and music routines.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/headless_backend.h"
#include "services/mixer.h"
#include "services/sound.h"
#include "shell/music.h"

namespace fs = std::filesystem;

namespace {

void put16(std::string& b, unsigned v)
{
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A RIFF WAVE file around raw sample bytes; `data_size` may claim more than there is.
std::string wav_bytes(const std::string& pcm, int channels, int bits, int rate, unsigned format = 1,
                      int64_t data_size = -1)
{
    std::string b = "RIFF";
    put32(b, static_cast<uint32_t>(36 + pcm.size()));
    b += "WAVEfmt ";
    put32(b, 16);
    put16(b, format);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * channels * bits / 8);
    put16(b, channels * bits / 8);
    put16(b, bits);
    b += "data";
    put32(b, static_cast<uint32_t>(data_size < 0 ? pcm.size() : data_size));
    return b + pcm;
}

std::string pcm16(const std::vector<int16_t>& v)
{
    std::string b;
    for (int16_t x : v) put16(b, static_cast<uint16_t>(x));
    return b;
}

std::string read_file(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class sound_channels : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto b = std::make_unique<platform::headless_backend>();
        hb = b.get();
        hb->on_audio = [this](const int16_t* s, int n) { heard.assign(s, s + 2 * n); };
        platform::set_backend(std::move(b));
        dir = fs::temp_directory_path() / ("ramparion_sound_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }

    void TearDown() override
    {
        for (sound* s : made) free_sound(s);
        hb->on_audio = nullptr;
        fs::remove_all(dir);
    }

    std::string write(const std::string& name, const std::string& bytes)
    {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }

    sound* load(const std::string& path, int flags = 0)
    {
        sound* s = load_sound(path, flags);
        if (s) made.push_back(s);
        return s;
    }

    // A mono 44100 Hz one-shot of the given samples.
    sound* make(const std::vector<int16_t>& samples, int flags = 0)
    {
        std::string name = std::to_string(made.size());
        name += ".wav";
        return load(write(name, wav_bytes(pcm16(samples), 1, 16, mix_rate)), flags);
    }

    // One presented frame's worth of output, 735 stereo frames.
    const std::vector<int16_t>& pull()
    {
        uint32_t px = 0;
        heard.clear();
        hb->present(&px, 1, 1, false);
        return heard;
    }

    platform::headless_backend* hb = nullptr;
    std::vector<int16_t> heard;
    std::vector<sound*> made;
    fs::path dir;
};

bool all_equal(const std::vector<int16_t>& v, int16_t x)
{
    for (int16_t s : v)
        if (s != x) return false;
    return !v.empty();
}

TEST_F(sound_channels, cued_sound_starts_at_its_volume_from_the_first_sample)
{
    sound* s = make(std::vector<int16_t>(4000, 10000));
    ASSERT_NE(s, nullptr);
    channel ch = cue_sound(s, 0);
    ASSERT_NE(ch, 0);
    EXPECT_EQ(channel_playing(ch), 0); // cued: paused until resumed
    EXPECT_TRUE(all_equal(pull(), 0));
    set_channel_volume(ch, 0.5f);
    resume_channel(ch);
    EXPECT_EQ(channel_playing(ch), 1);
    EXPECT_TRUE(all_equal(pull(), 5000));
}

TEST_F(sound_channels, silent_voice_still_plays)
{
    sound* s = make(std::vector<int16_t>(4000, 10000));
    channel ch = play_sound(s, 0);
    set_channel_volume(ch, 0.0f);
    pull();
    EXPECT_EQ(channel_playing(ch), 1);
    EXPECT_TRUE(all_equal(pull(), 0));
}

TEST_F(sound_channels, pause_holds_the_position_and_resume_goes_on_from_it)
{
    std::vector<int16_t> ramp(3000);
    for (int i = 0; i < 3000; ++i) ramp[i] = static_cast<int16_t>(i);
    channel ch = play_sound(make(ramp), 0);
    EXPECT_EQ(pull()[2 * 734], 734);
    pause_channel(ch);
    EXPECT_EQ(channel_playing(ch), 0);
    EXPECT_TRUE(all_equal(pull(), 0));
    resume_channel(ch);
    EXPECT_EQ(channel_playing(ch), 1);
    const auto& out = pull();
    EXPECT_EQ(out[0], 735);
    EXPECT_EQ(out[2 * 734 + 1], 735 + 734);
}

TEST_F(sound_channels, two_cues_of_one_sound_are_two_voices)
{
    sound* s = make(std::vector<int16_t>(4000, 1000));
    channel a = cue_sound(s, 0), b = cue_sound(s, 0);
    ASSERT_NE(a, b);
    resume_channel(a);
    resume_channel(b);
    EXPECT_TRUE(all_equal(pull(), 2000));
    stop_channel(a);
    EXPECT_EQ(channel_playing(a), 0);
    EXPECT_EQ(channel_playing(b), 1);
    EXPECT_TRUE(all_equal(pull(), 1000));
}

TEST_F(sound_channels, new_sound_on_a_busy_channel_replaces_the_old)
{
    sound* loud = make(std::vector<int16_t>(4000, 3000));
    sound* soft = make(std::vector<int16_t>(4000, 100));
    channel ch = alloc_channel();
    set_channel_volume(ch, 1.0f);
    EXPECT_EQ(play_sound(loud, ch), ch);
    pull();
    EXPECT_EQ(play_sound(soft, ch), ch);
    EXPECT_TRUE(all_equal(pull(), 100));
}

TEST_F(sound_channels, finished_effect_reports_not_playing)
{
    channel ch = play_sound(make(std::vector<int16_t>(100, 500)), 0);
    EXPECT_EQ(channel_playing(ch), 1);
    const auto& out = pull();
    EXPECT_EQ(out[2 * 99], 500);
    EXPECT_EQ(out[2 * 100], 0);
    EXPECT_EQ(channel_playing(ch), 0);
}

TEST_F(sound_channels, stale_handle_of_a_reused_voice_is_ignored)
{
    sound* s = make(std::vector<int16_t>(40000, 700));
    channel old = alloc_channel();
    stop_channel(old);
    channel again = 0;
    for (int n = 0; n < 5000 && !again; ++n) {
        channel c = alloc_channel();
        if ((c & 4095) == (old & 4095))
            again = c;
        else
            stop_channel(c);
    }
    ASSERT_NE(again, 0) << "the voice was never handed out again";
    EXPECT_EQ(again, old + 4096);
    play_sound(s, again);

    EXPECT_EQ(channel_playing(old), 0);
    stop_channel(old);
    set_channel_volume(old, 0.0f);
    pause_channel(old);
    EXPECT_EQ(play_sound(s, old), 0);
    EXPECT_EQ(channel_playing(again), 1);
    EXPECT_TRUE(all_equal(pull(), 700));
    stop_channel(again);
}

TEST_F(sound_channels, stopped_handle_does_nothing_any_more)
{
    sound* s = make(std::vector<int16_t>(4000, 700));
    channel ch = play_sound(s, 0);
    stop_channel(ch);
    resume_channel(ch);
    EXPECT_EQ(channel_playing(ch), 0);
    EXPECT_EQ(cue_sound(s, ch), 0);
    EXPECT_TRUE(all_equal(pull(), 0));
}

TEST_F(sound_channels, effects_never_stopped_do_not_run_the_voices_out)
{
    sound* s = make(std::vector<int16_t>(300, 10));
    for (int n = 0; n < 10000; ++n) {
        channel ch = cue_sound(s, 0);
        ASSERT_NE(ch, 0) << "cue " << n;
        resume_channel(ch);
        if (n % 1000 == 999) pull(); // they end as the output plays them
    }
}

TEST_F(sound_channels, channels_never_played_are_taken_back_oldest_first)
{
    channel first = alloc_channel();
    set_channel_volume(first, 0.25f);
    for (int n = 0; n < 10000; ++n) ASSERT_NE(alloc_channel(), 0) << "allocation " << n;
    sound* s = make(std::vector<int16_t>(4000, 800));
    EXPECT_EQ(play_sound(s, first), 0) << "the oldest idle channel should have been reclaimed";
}

TEST_F(sound_channels, full_table_of_live_voices_refuses_more_until_they_end)
{
    sound* s = make(std::vector<int16_t>(100, 1));
    int cued = 0;
    while (cued <= 4096 && cue_sound(s, 0) != 0) ++cued; // cued voices stay until resumed
    EXPECT_LE(cued, 4095);
    EXPECT_GT(cued, 3000);
    EXPECT_EQ(alloc_channel(), 0);
    free_sound(s);
    made.clear();
    EXPECT_NE(alloc_channel(), 0);
}

TEST_F(sound_channels, null_sound_leaves_channels_alone)
{
    EXPECT_EQ(play_sound(nullptr, 0), 0);
    EXPECT_EQ(cue_sound(nullptr, 0), 0);
    sound* s = make(std::vector<int16_t>(4000, 900));
    channel ch = play_sound(s, 0);
    EXPECT_EQ(play_sound(nullptr, ch), ch);
    EXPECT_EQ(cue_sound(nullptr, ch), ch);
    EXPECT_EQ(channel_playing(ch), 1);
    EXPECT_TRUE(all_equal(pull(), 900));
    // Operations on no channel at all are harmless too.
    resume_channel(0);
    pause_channel(0);
    stop_channel(0);
    set_channel_volume(0, 1.0f);
    EXPECT_EQ(channel_playing(0), 0);
    EXPECT_EQ(channel_playing(-5), 0);
    free_sound(nullptr);
}

TEST_F(sound_channels, wave_files_of_each_layout_decode)
{
    // 8-bit stereo, unsigned: 0 and 255 are the extremes, 128 the middle.
    sound* s8 = load(write("s8.wav", wav_bytes(std::string("\x80\x00\xff\x80", 4), 2, 8, 22050)));
    ASSERT_NE(s8, nullptr);
    EXPECT_EQ(s8->channels, 2);
    EXPECT_EQ(s8->bits, 8);
    EXPECT_EQ(s8->rate, 22050);
    EXPECT_EQ(s8->frames, 2u);
    EXPECT_EQ(s8->pcm8, (std::vector<uint8_t>{0x80, 0x00, 0xff, 0x80}));

    // A data size past the end of the file keeps the whole frames that are there.
    sound* cut = load(write("cut.wav", wav_bytes(pcm16({1, 2, 3}) + "\x04", 1, 16, 8000, 1, 1000)));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->pcm16, (std::vector<int16_t>{1, 2, 3}));

    EXPECT_EQ(load(write("float.wav", wav_bytes(std::string(8, '\0'), 1, 32, 44100, 3))), nullptr);
    EXPECT_EQ(load(write("24.wav", wav_bytes(std::string(6, '\0'), 1, 24, 44100))), nullptr);
    EXPECT_EQ(load(write("rate0.wav", wav_bytes(pcm16({1, 2}), 1, 16, 0))), nullptr);
    EXPECT_EQ(load(write("empty.wav", wav_bytes("", 1, 16, 44100))), nullptr);
    EXPECT_EQ(load(write("short.wav", "RIFF\x10\0\0\0WAVE")), nullptr);
}

TEST_F(sound_channels, loop_flag_comes_from_the_low_bit)
{
    std::string p = write("l.wav", wav_bytes(pcm16({5, 6}), 1, 16, 44100));
    sound* looped = load(p, 1);
    sound* once = load(p, 0);
    sound* other_bit = load(p, 2);
    ASSERT_TRUE(looped && once && other_bit);
    EXPECT_TRUE(looped->loop);
    EXPECT_FALSE(once->loop);
    EXPECT_FALSE(other_bit->loop);
}

TEST_F(sound_channels, real_data_files_decode_at_full_rate)
{
    int files = 0;
    for (const auto& e : fs::directory_iterator(fs::path(RAMPARION_SOURCE_DIR) / "data")) {
        if (e.path().extension() != ".ogg") continue;
        ++files;
        sound* s = load(e.path().string(), 0);
        ASSERT_NE(s, nullptr) << e.path();
        EXPECT_EQ(s->rate, 44100) << e.path();
        EXPECT_GT(s->frames, 44100u / 4) << e.path();
        EXPECT_EQ(s->pcm16.size(), s->frames * s->channels);
        if (e.path().stem() == "theattack") {
            EXPECT_GT(s->frames, 60u * 44100);
        }
    }
    EXPECT_EQ(files, 21);
}

TEST_F(sound_channels, broken_ogg_gives_null)
{
    std::string good = read_file(fs::path(RAMPARION_SOURCE_DIR) / "data" / "cannon.ogg");
    ASSERT_GT(good.size(), 2000u);
    ASSERT_NE(load(write("good.ogg", good)), nullptr);

    EXPECT_EQ(load(write("half.ogg", good.substr(0, good.size() / 2))), nullptr);
    // Cut exactly where a page begins: whole pages, but the stream never closes.
    size_t last_page = good.rfind("OggS");
    ASSERT_GT(last_page, 0u);
    EXPECT_EQ(load(write("pages.ogg", good.substr(0, last_page))), nullptr);
    std::string damaged = good;
    for (size_t i = good.size() / 2; i < good.size() / 2 + 64; ++i) damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    EXPECT_EQ(load(write("damaged.ogg", damaged)), nullptr);
    // One byte wrong inside a page body: the framing holds, the page's checksum does not.
    std::string longer = read_file(fs::path(RAMPARION_SOURCE_DIR) / "data" / "aircraft01.ogg");
    size_t page = longer.find("OggS", longer.size() / 2);
    ASSERT_NE(page, std::string::npos);
    std::string bad_page = longer;
    bad_page[page + 27 + static_cast<uint8_t>(longer[page + 26]) + 10] ^= 0x01;
    EXPECT_EQ(load(write("checksum.ogg", bad_page)), nullptr);
    EXPECT_EQ(load(write("head.ogg", good.substr(0, 4))), nullptr);
    EXPECT_EQ(load(write("junk.ogg", std::string(500, 'x'))), nullptr);
    EXPECT_EQ(load(write("zero.ogg", "")), nullptr);
    EXPECT_EQ(load((dir / "missing.ogg").string()), nullptr);
}

TEST_F(sound_channels, effect_plays_at_the_effects_volume_unless_silent)
{
    sound* s = make(std::vector<int16_t>(2000, 8000));
    float saved = sound_volume;
    sound_volume = 0.25f;
    play_effect(s, 1);
    EXPECT_TRUE(all_equal(pull(), 0));
    play_effect(s, 0);
    EXPECT_TRUE(all_equal(pull(), 2000));
    play_effect(nullptr, 0);
    sound_volume = saved;
}

TEST_F(sound_channels, music_restarts_from_its_beginning_on_a_channel_of_its_own)
{
    fs::path was = fs::current_path();
    fs::current_path(RAMPARION_SOURCE_DIR);
    float saved = music_volume;
    music_volume = 0.5f;
    channel before = play_sound(make(std::vector<int16_t>(40000, 5)), 0);
    music_channel = before;

    start_music(0);
    channel intro = music_channel;
    EXPECT_EQ(channel_playing(intro), 1);
    EXPECT_EQ(channel_playing(before), 0);
    EXPECT_EQ(play_sound(made.back(), before), 0) << "the replaced channel should be released";
    std::vector<int16_t> opening = pull();
    EXPECT_FALSE(all_equal(opening, 0));

    stop_channel(music_channel);
    start_music(1);
    EXPECT_NE(music_channel, intro);
    EXPECT_EQ(channel_playing(intro), 0);
    EXPECT_EQ(channel_playing(music_channel), 1);
    std::vector<int16_t> battle = pull();
    EXPECT_NE(battle, opening);

    stop_channel(music_channel);
    start_music(0);
    EXPECT_EQ(pull(), opening);

    music_volume = 0.0f; // "Off" still runs the track
    stop_channel(music_channel);
    start_music(0);
    EXPECT_TRUE(all_equal(pull(), 0));
    EXPECT_EQ(channel_playing(music_channel), 1);

    stop_channel(music_channel);
    music_volume = saved;
    fs::current_path(was);
}

TEST(sound_silent_output, voices_run_out_without_a_device)
{
    platform::set_backend(nullptr); // the stand-in backend opens no audio
    std::string path = (fs::temp_directory_path() / "ramparion_silent.wav").string();
    std::ofstream(path, std::ios::binary) << wav_bytes(pcm16(std::vector<int16_t>(2205, 1000)), 1, 16, 44100);
    sound* s = load_sound(path, 0);
    ASSERT_NE(s, nullptr);
    channel ch = play_sound(s, 0);
    EXPECT_EQ(channel_playing(ch), 1);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (channel_playing(ch) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(channel_playing(ch), 0) << "a 50 ms sound should have ended";
    free_sound(s);
    std::remove(path.c_str());
    platform::set_backend(std::make_unique<platform::headless_backend>());
}

} // namespace
