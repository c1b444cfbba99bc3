// Sounds and channels through the headless output: loading, handles, volume, pause, voice reuse,
// and the shell's effect and music routines.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/headless_backend.h"
#include "services/audio/mixer.h"
#include "services/audio/sound.h"
#include "shell/game_state.h"
#include "shell/music.h"

namespace fs = std::filesystem;

namespace {

using pcm = std::vector<int16_t>;

// A RIFF WAVE file; `claimed` is the data size written in its header, when it should lie.
std::string wav(const std::string& data, int channels, int bits, int rate, int format = 1, int claimed = -1)
{
    std::string b;
    auto put = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b += "RIFF";
    put(static_cast<uint32_t>(36 + data.size()), 4);
    b += "WAVEfmt ";
    put(16, 4);
    put(format, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * bits / 8, 4);
    put(channels * bits / 8, 2);
    put(bits, 2);
    b += "data";
    put(claimed < 0 ? static_cast<uint32_t>(data.size()) : claimed, 4);
    return b + data;
}

std::string bytes16(const pcm& v)
{
    return std::string(reinterpret_cast<const char*>(v.data()), 2 * v.size());
}

std::string read_file(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const fs::path data_dir = fs::path(RAMPARION_SOURCE_DIR) / "data";

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

    sound* load_bytes(const std::string& bytes, int flags = 0)
    {
        fs::path p = dir / std::to_string(files++);
        std::ofstream(p, std::ios::binary) << bytes;
        sound* s = load_sound(p.string(), flags);
        if (s) made.push_back(s);
        return s;
    }

    // A mono 44100 Hz one-shot.
    sound* make(const pcm& samples) { return load_bytes(wav(bytes16(samples), 1, 16, mix_rate)); }

    // One presented frame's worth of output: 735 stereo frames.
    const pcm& pull()
    {
        uint32_t px = 0;
        heard.clear();
        hb->present(&px, 1, 1, false);
        return heard;
    }

    platform::headless_backend* hb = nullptr;
    pcm heard;
    std::vector<sound*> made;
    fs::path dir;
    int files = 0;
};

pcm constant(int16_t v)
{
    return pcm(2 * 735, v);
}

TEST_F(sound_channels, cued_sound_is_heard_at_its_volume_from_the_first_sample)
{
    sound* s = make(pcm(4000, 10000));
    ASSERT_NE(s, nullptr);
    channel ch = cue_sound(s, 0);
    EXPECT_EQ(channel_playing(ch), 0);
    EXPECT_EQ(pull(), constant(0));
    set_channel_volume(ch, 0.5f);
    resume_channel(ch);
    EXPECT_EQ(channel_playing(ch), 1);
    EXPECT_EQ(pull(), constant(5000));
    set_channel_volume(ch, 0.0f);
    pull();
    EXPECT_EQ(pull(), constant(0));
    EXPECT_EQ(channel_playing(ch), 1) << "volume 0 still plays";
}

TEST_F(sound_channels, pause_holds_the_position_and_resume_goes_on_from_it)
{
    pcm ramp(3000);
    for (int i = 0; i < 3000; ++i) ramp[i] = static_cast<int16_t>(i);
    channel ch = play_sound(make(ramp), 0);
    EXPECT_EQ(pull()[2 * 734], 734);
    pause_channel(ch);
    EXPECT_EQ(channel_playing(ch), 0);
    EXPECT_EQ(pull(), constant(0));
    resume_channel(ch);
    EXPECT_EQ(pull()[0], 735);
}

TEST_F(sound_channels, each_cue_is_a_voice_and_a_new_sound_replaces_the_old_one)
{
    sound* s = make(pcm(4000, 1000));
    channel a = cue_sound(s, 0), b = cue_sound(s, 0);
    ASSERT_NE(a, b);
    resume_channel(a);
    resume_channel(b);
    EXPECT_EQ(pull(), constant(2000));
    EXPECT_EQ(play_sound(make(pcm(4000, 100)), a), a);
    EXPECT_EQ(pull(), constant(1100));
    stop_channel(a);
    EXPECT_EQ(channel_playing(a), 0);
    EXPECT_EQ(pull(), constant(1000));
}

TEST_F(sound_channels, finished_effect_reports_not_playing)
{
    channel ch = play_sound(make(pcm(100, 500)), 0);
    EXPECT_EQ(channel_playing(ch), 1);
    const pcm& out = pull();
    EXPECT_EQ(out[2 * 99], 500);
    EXPECT_EQ(out[2 * 100], 0);
    EXPECT_EQ(channel_playing(ch), 0);
}

TEST_F(sound_channels, stopped_and_stale_handles_are_ignored)
{
    sound* s = make(pcm(40000, 700));
    channel old = play_sound(s, 0);
    stop_channel(old);
    resume_channel(old);
    EXPECT_EQ(channel_playing(old), 0);
    EXPECT_EQ(cue_sound(s, old), 0);
    EXPECT_EQ(pull(), constant(0));

    channel again = 0;
    for (int n = 0; n < 5000 && !again; ++n) {
        channel c = alloc_channel();
        if ((c & 4095) == (old & 4095))
            again = c;
        else
            stop_channel(c);
    }
    ASSERT_EQ(again, old + 4096) << "the voice should come back with the next generation";
    play_sound(s, again);
    stop_channel(old);
    set_channel_volume(old, 0.0f);
    pause_channel(old);
    EXPECT_EQ(play_sound(s, old), 0);
    EXPECT_EQ(channel_playing(old), 0);
    EXPECT_EQ(channel_playing(again), 1);
    EXPECT_EQ(pull(), constant(700));
}

TEST_F(sound_channels, voices_are_reclaimed_so_they_never_run_out)
{
    sound* s = make(pcm(300, 10));
    for (int n = 0; n < 10000; ++n) { // effects: cued on fresh channels and never stopped
        channel ch = cue_sound(s, 0);
        ASSERT_NE(ch, 0) << "cue " << n;
        resume_channel(ch);
        if (n % 1000 == 999) pull();
    }
    channel idle = alloc_channel(); // allocated and never played
    for (int n = 0; n < 10000; ++n) ASSERT_NE(alloc_channel(), 0) << "allocation " << n;
    EXPECT_EQ(play_sound(s, idle), 0) << "the oldest idle channel should have been taken back";
}

TEST_F(sound_channels, table_full_of_live_voices_refuses_more_until_they_end)
{
    sound* s = make(pcm(100, 1));
    int cued = 0;
    while (cued <= 4096 && cue_sound(s, 0) != 0) ++cued; // cued voices live until resumed
    EXPECT_LE(cued, 4095);
    EXPECT_GT(cued, 3000);
    EXPECT_EQ(alloc_channel(), 0);
    free_sound(s);
    made.clear();
    EXPECT_NE(alloc_channel(), 0);
}

TEST_F(sound_channels, null_sound_and_null_channel_do_nothing)
{
    EXPECT_EQ(play_sound(nullptr, 0), 0);
    EXPECT_EQ(cue_sound(nullptr, 0), 0);
    channel ch = play_sound(make(pcm(4000, 900)), 0);
    EXPECT_EQ(play_sound(nullptr, ch), ch);
    EXPECT_EQ(cue_sound(nullptr, ch), ch);
    EXPECT_EQ(channel_playing(ch), 1);
    resume_channel(0);
    pause_channel(0);
    stop_channel(0);
    set_channel_volume(-5, 1.0f);
    EXPECT_EQ(channel_playing(0), 0);
    free_sound(nullptr);
    EXPECT_EQ(pull(), constant(900));
}

TEST_F(sound_channels, wave_files_decode_or_give_null)
{
    sound* s8 = load_bytes(wav(std::string("\x80\x00\xff\x80", 4), 2, 8, 22050), 1);
    ASSERT_NE(s8, nullptr);
    EXPECT_EQ(s8->channels, 2);
    EXPECT_EQ(s8->bits, 8);
    EXPECT_EQ(s8->rate, 22050);
    EXPECT_EQ(s8->pcm8, (std::vector<uint8_t>{0x80, 0x00, 0xff, 0x80}));
    EXPECT_TRUE(s8->loop);
    sound* once = load_bytes(wav(bytes16({1, 2, 3}) + "\x04", 1, 16, 8000, 1, 1000), 2);
    ASSERT_NE(once, nullptr);
    EXPECT_FALSE(once->loop) << "only the low flag bit loops";
    EXPECT_EQ(once->pcm16, (pcm{1, 2, 3})) << "a data size past the end keeps the whole frames there";

    EXPECT_EQ(load_bytes(wav(std::string(8, '\0'), 1, 32, 44100, 3)), nullptr);
    EXPECT_EQ(load_bytes(wav(std::string(6, '\0'), 1, 24, 44100)), nullptr);
    EXPECT_EQ(load_bytes(wav(bytes16({1, 2}), 1, 16, 0)), nullptr);
    EXPECT_EQ(load_bytes(wav("", 1, 16, 44100)), nullptr);
    EXPECT_EQ(load_bytes("RIFF\x10\0\0\0WAVE"), nullptr);
}

TEST_F(sound_channels, real_tracks_decode_at_full_rate_and_broken_ones_give_null)
{
    int tracks = 0;
    for (const auto& e : fs::directory_iterator(data_dir)) {
        if (e.path().extension() != ".ogg") continue;
        ++tracks;
        sound* s = load_sound(e.path().string(), 0);
        ASSERT_NE(s, nullptr) << e.path();
        made.push_back(s);
        EXPECT_EQ(s->rate, 44100) << e.path();
        EXPECT_GT(s->frames, 44100u / 4) << e.path();
    }
    EXPECT_EQ(tracks, 21);

    std::string good = read_file(data_dir / "aircraft01.ogg");
    EXPECT_EQ(load_bytes(good.substr(0, good.size() / 2)), nullptr);
    // Whole pages, but the stream never closes.
    EXPECT_EQ(load_bytes(good.substr(0, good.rfind("OggS"))), nullptr);
    // One byte wrong inside a page body: the framing holds, the page's checksum does not.
    size_t page = good.find("OggS", good.size() / 2);
    ASSERT_NE(page, std::string::npos);
    std::string bad = good;
    bad[page + 27 + static_cast<uint8_t>(good[page + 26]) + 10] ^= 1;
    EXPECT_EQ(load_bytes(bad), nullptr);
    EXPECT_EQ(load_bytes(good.substr(0, 4)), nullptr);
    EXPECT_EQ(load_bytes(std::string(500, 'x')), nullptr);
    EXPECT_EQ(load_sound((dir / "missing.ogg").string(), 0), nullptr);
}

TEST_F(sound_channels, effects_and_music_play_at_their_volumes)
{
    sound* fx = make(pcm(735, 8000)); // over within one pull
    float saved_fx = sound_volume, saved_music = music_volume;
    sound_volume = 0.25f;
    play_effect(fx, 1);
    EXPECT_EQ(pull(), constant(0));
    play_effect(fx, 0);
    EXPECT_EQ(pull(), constant(2000));

    fs::path was = fs::current_path();
    fs::current_path(RAMPARION_SOURCE_DIR);
    channel before = play_sound(make(pcm(40000, 5)), 0);
    music_channel = before;
    music_volume = 0.5f;
    start_music(0);
    EXPECT_EQ(channel_playing(music_channel), 1);
    EXPECT_EQ(play_sound(made.back(), before), 0) << "the replaced channel should be released";
    pcm opening = pull();
    EXPECT_NE(opening, constant(0));

    channel intro = music_channel;
    stop_channel(music_channel);
    start_music(1);
    EXPECT_NE(music_channel, intro);
    EXPECT_NE(pull(), opening);

    stop_channel(music_channel);
    start_music(0);
    EXPECT_EQ(pull(), opening) << "a track restarts from its beginning";
    music_volume = 0.0f;
    stop_channel(music_channel);
    start_music(0);
    EXPECT_EQ(pull(), constant(0));
    EXPECT_EQ(channel_playing(music_channel), 1) << "music at Off still runs";

    stop_channel(music_channel);
    fs::current_path(was);
    sound_volume = saved_fx;
    music_volume = saved_music;
}

TEST(sound_silent_output, voices_run_out_without_a_device)
{
    platform::set_backend(nullptr); // the stand-in backend opens no audio
    fs::path p = fs::temp_directory_path() / ("ramparion_silent_" + std::to_string(::getpid()));
    std::ofstream(p, std::ios::binary) << wav(bytes16(pcm(2205, 1000)), 1, 16, 44100);
    sound* s = load_sound(p.string(), 0);
    ASSERT_NE(s, nullptr);
    channel ch = play_sound(s, 0);
    EXPECT_EQ(channel_playing(ch), 1);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (channel_playing(ch) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(channel_playing(ch), 0) << "a 50 ms sound should have ended";
    free_sound(s);
    fs::remove(p);
    platform::set_backend(std::make_unique<platform::headless_backend>());
}

} // namespace
