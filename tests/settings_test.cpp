// settings.ini: bad lines, choices kept from run to run, the window's choice, and gentler flashes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "harness/autoplay.h"
#include "services/display.h"
#include "shell/menu.h"
#include "shell/settings.h"
#include "shell_fixture.h"

namespace {

std::string read_text(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void write_text(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

platform::headless_backend& backend_now()
{
    return static_cast<platform::headless_backend&>(platform::current());
}

// Menu rows by pointer height: sound volume, music volume.
constexpr int sound_row_y = 300, music_row_y = 335;

TEST(settings_file, each_bad_line_says_where_and_leaves_its_key_at_the_default)
{
    const std::string text = "# a comment\n"
                             "sound_volume = 3\n"
                             "this is not a setting\n"
                             "music_volume = loud\n"
                             "onslaught=SUICIDAL\n"
                             "colour = blue\n"
                             "\x01\x02\xff\n"
                             "window_size = 99999x10\n"
                             "fullscreen = off\r\n"
                             "reduce_flashing = maybe\n"
                             "\n"
                             "sound_volume = 11\n";
    std::vector<std::string> said;
    settings s = parse_settings(text, "f.ini", said);
    EXPECT_EQ(s.sound_step, 5) << "the later, unreadable line gives the default";
    EXPECT_EQ(s.music_step, 8);
    EXPECT_EQ(s.onslaught, 1);
    EXPECT_FALSE(s.fullscreen) << "a Windows line end is read";
    EXPECT_EQ(s.window_w, 0);
    EXPECT_EQ(s.window_h, 0);
    EXPECT_FALSE(s.reduce_flashing);

    const std::vector<std::pair<int, std::string>> want = {
        {3, "this is not"}, {4, "music_volume"},     {6, "colour"},        {7, "\"???\""},
        {8, "window_size"}, {10, "reduce_flashing"}, {12, "sound_volume"}, {12, "sound_volume"}};
    ASSERT_EQ(said.size(), want.size()) << ::testing::PrintToString(said);
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(said[i].rfind("f.ini:" + std::to_string(want[i].first) + ": ", 0), 0u) << said[i];
        EXPECT_NE(said[i].find(want[i].second), std::string::npos) << said[i];
    }
}

TEST(settings_file, what_is_written_reads_back_and_a_clean_file_says_nothing)
{
    settings odd;
    odd.sound_step = 0;
    odd.music_step = 10;
    odd.onslaught = 1;
    odd.fullscreen = false;
    odd.window_w = 1366;
    odd.window_h = 700;
    odd.reduce_flashing = true;
    for (const settings& s : {settings{}, odd}) {
        std::string text = format_settings(s);
        EXPECT_EQ(text[0], '#');
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7) << "a comment and six settings";
        std::vector<std::string> said;
        EXPECT_TRUE(parse_settings(text, "f", said) == s) << text;
        EXPECT_TRUE(said.empty()) << said.front();
    }
    std::vector<std::string> said;
    EXPECT_TRUE(parse_settings("", "f", said) == settings{}) << "an empty file is the defaults";
    settings edges = parse_settings("window_size = 64 x 64\nsound_volume=10\nmusic_volume=0\n", "f", said);
    EXPECT_EQ(edges.window_w, 64);
    EXPECT_EQ(edges.sound_step, 10);
    EXPECT_EQ(edges.music_step, 0);
    parse_settings("window_size = 63x480\nwindow_size = 640x\nsound_volume = -1\nsound_volume = 5.0\n", "f", said);
    EXPECT_EQ(said.size(), 6u) << "four bad values, two of them repeating a key";
}

class settings_runs : public ::testing::Test {
protected:
    void TearDown() override
    {
        reduce_flashing_this_run(false);
        flash_share_override = -1.0f;
    }
    scratch_folder home;
    std::string file() const { return home / settings_name; }
};

TEST_F(settings_runs, a_volume_chosen_in_the_menu_is_shown_and_heard_at_the_next_start)
{
    // Sound one step up (60%), music three steps (90%, 100%, off), then Escape.
    game_run first;
    first.user_folder = home.path + "/";
    first.script = std::string(skip_logo) + "60 move 320 " + std::to_string(sound_row_y) + "\n61 down 1\n62 up 1\n" +
                   "70 move 320 " + std::to_string(music_row_y) + "\n71 down 1\n72 up 1\n73 down 1\n74 up 1\n" +
                   "75 down 1\n76 up 1\n120 key_down 27\n";
    long music_before = 0;
    first.audio = [&](const int16_t* s, int n) {
        for (int i = 0; i < 2 * n; ++i) music_before += first.presented > 30 && first.presented < 60 && s[i] != 0;
    };
    EXPECT_EQ(first.run(), 0);
    ASSERT_GT(music_before, 0) << "the music was heard before it was turned off";
    std::string saved = read_text(file());
    EXPECT_NE(saved.find("sound_volume = 6\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("music_volume = 0\n"), std::string::npos) << saved;

    game_run second;
    second.user_folder = home.path + "/";
    second.script = std::string(skip_logo) + "200 key_down 27\n";
    std::string sound_label, music_label;
    float volume_at_start = -1.0f;
    long music_after = 0;
    second.each_frame = [&](int frame) {
        if (frame == 1) volume_at_start = sound_volume;
        if (frame == 100) sound_label = menu_label(3), music_label = menu_label(4);
    };
    second.audio = [&](const int16_t* s, int n) {
        for (int i = 0; i < 2 * n; ++i) music_after += second.presented > 30 && s[i] != 0;
    };
    EXPECT_EQ(second.run(), 0);
    EXPECT_EQ(volume_at_start, 0.6f) << "the first frame already has the kept volume";
    EXPECT_EQ(sound_label, "Sound Volume 60%");
    EXPECT_EQ(music_label, "Music Volume Off");
    EXPECT_EQ(music_after, 0) << "the music plays at the kept volume: off";
}

TEST_F(settings_runs, the_logos_jingle_follows_the_kept_effects_volume)
{
    // The loudest sample of the logo's first two seconds, with effects at a kept step.
    auto loudest_at = [&](const char* step) {
        write_text(file(), std::string("sound_volume = ") + step + "\n");
        game_run run;
        run.user_folder = home.path + "/";
        run.script = "120 key_down 27\n121 key_up 27\n200 key_down 27\n";
        int peak = 0;
        run.audio = [&](const int16_t* s, int n) {
            for (int i = 0; i < 2 * n; ++i)
                if (run.presented < 120) peak = std::max(peak, std::abs(static_cast<int>(s[i])));
        };
        EXPECT_EQ(run.run(), 0);
        return peak;
    };
    int usual = loudest_at("5"), quiet = loudest_at("2"), off = loudest_at("0");
    ASSERT_GT(usual, 1000) << "the jingle plays at the usual volume";
    EXPECT_LT(quiet, usual * 6 / 10);
    EXPECT_GT(quiet, 0);
    EXPECT_EQ(off, 0) << "effects off: a silent logo";
}

TEST_F(settings_runs, a_file_of_garbage_gives_the_defaults_and_a_clean_file_at_exit)
{
    write_text(file(), "volume=max\n\x7f\x45LF\x02\nonslaught = hard\n=\nfullscreen\n");
    game_run run;
    run.user_folder = home.path + "/";
    run.script = std::string(skip_logo) + "50 key_down 27\n";
    int shown_difficulty = -1;
    run.each_frame = [&](int frame) {
        if (frame == 1) shown_difficulty = difficulty;
    };
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run.run(), 0);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(shown_difficulty, 0);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 5) << err;
    for (int line = 1; line <= 5; ++line)
        EXPECT_NE(err.find(file() + ":" + std::to_string(line) + ": "), std::string::npos) << err;
    EXPECT_EQ(read_text(file()), format_settings(settings{}));
}

TEST_F(settings_runs, nothing_is_written_when_nothing_was_chosen)
{
    game_run run;
    run.user_folder = home.path + "/";
    run.script = std::string(skip_logo) + "50 key_down 27\n";
    EXPECT_EQ(run.run(), 0);
    EXPECT_FALSE(std::filesystem::exists(file())) << "a replay without a settings file leaves none behind";
}

TEST_F(settings_runs, the_window_choice_reaches_the_display_and_only_a_change_during_the_run_is_kept)
{
    const std::string kept = "fullscreen = off\nwindow_size = 1000x750\nonslaught = suicidal\n";
    write_text(file(), kept);
    game_run run;
    run.user_folder = home.path + "/";
    run.script = std::string(skip_logo) + "50 key_down 27\n";
    platform::headless_backend::window_shape asked;
    run.each_frame = [&](int frame) {
        if (frame == 1) asked = backend_now().shape;
    };
    EXPECT_EQ(run.run(), 0);
    EXPECT_FALSE(asked.fullscreen);
    EXPECT_EQ(asked.width, 1000);
    EXPECT_EQ(asked.height, 750);
    EXPECT_EQ(read_text(file()), kept) << "nothing changed, so the file was not rewritten";

    // The player switches to full screen and back to a resized window during the run.
    run.each_frame = [&](int frame) {
        if (frame == 20) backend_now().shape = {true, 1200, 900};
    };
    EXPECT_EQ(run.run(), 0);
    std::string saved = read_text(file());
    EXPECT_NE(saved.find("fullscreen = on\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("window_size = 1200x900\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("onslaught = suicidal\n"), std::string::npos) << saved;
}

// One suicidal game played by the bot; `seen` gets each presented frame after the first rocket shot down.
struct bot_game {
    int rocket_frame = -1;
    std::vector<float> alphas;
    scratch_folder home; // each game starts from no settings and no best score
    void play(const std::function<void(int since_hit, const frame_buffer&)>& seen)
    {
        autoplayer bot(1, 1, [](const platform::event& e) { backend_now().inject(e); });
        game_run run;
        run.frame_limit = 12000;
        run.user_folder = home.path + "/";
        int rockets = 0;
        flash_alpha = 0.0f; // as a fresh program has it
        run.each_frame = [&](int frame) {
            if (rocket_frame < 0 && std::string(presenting_loop) == "world" && demo_mode == 0 && flash_alpha == 1.0f &&
                static_cast<int>(nukerocket_list.size()) < rockets)
                rocket_frame = frame;
            rockets = static_cast<int>(nukerocket_list.size());
            if (rocket_frame >= 0 && frame - rocket_frame < 100) {
                alphas.push_back(flash_alpha);
                seen(frame - rocket_frame, *back_buffer());
            }
            bot.after_frame(frame);
            if (rocket_frame >= 0 && frame - rocket_frame >= 100)
                backend_now().inject({platform::event_kind::terminate});
        };
        run.run();
    }
};

TEST_F(settings_runs, reduced_flashes_draw_at_most_a_quarter_of_the_white_and_change_no_rule)
{
    // Every 3rd frame of the fade, as bytes: the picture beneath the flash, and the flash at full strength.
    constexpr int every = 3;
    auto keep = [](std::vector<std::vector<uint8_t>>& into) {
        return [&into](int since_hit, const frame_buffer& fb) {
            if (since_hit % every) return;
            const uint32_t* p = fb.pixels();
            std::vector<uint8_t> bytes;
            for (int i = 0; i < fb.width() * fb.height(); ++i)
                for (int c = 0; c < 3; ++c) bytes.push_back(static_cast<uint8_t>(p[i] >> (8 * c)));
            into.push_back(std::move(bytes));
        };
    };
    std::vector<std::vector<uint8_t>> beneath, full;
    // A display open before the first game, as each game leaves one behind, so the three start alike.
    platform::set_backend(std::make_unique<platform::headless_backend>());
    open_display(640, 480, 0, 0, 0);
    flash_share_override = 0.0f;
    bot_game plain;
    plain.play(keep(beneath));
    flash_share_override = -1.0f;
    bot_game flashing;
    flashing.play(keep(full));
    ASSERT_GE(plain.rocket_frame, 0) << "the bot shot no rocket down";
    ASSERT_EQ(flashing.rocket_frame, plain.rocket_frame) << "the same game";

    reduce_flashing_this_run();
    bot_game gentle;
    size_t n = 0;
    long over = 0, shown = 0, white = 0;
    gentle.play([&](int since_hit, const frame_buffer& fb) {
        if (since_hit % every || n >= full.size()) return;
        const uint32_t* p = fb.pixels();
        const std::vector<uint8_t>& u = beneath[n];
        const std::vector<uint8_t>& f = full[n];
        for (size_t i = 0; i < u.size(); ++i) {
            int r = static_cast<uint8_t>(p[i / 3] >> (8 * (i % 3)));
            int w = f[i] - u[i];                // the white the game computes, as drawn at full strength
            if (4 * (r - u[i]) > w + 4) ++over; // a byte of rounding each way
            shown += r - u[i];
            white += w;
        }
        ++n;
    });
    EXPECT_EQ(gentle.rocket_frame, plain.rocket_frame);
    EXPECT_EQ(gentle.alphas, flashing.alphas) << "the flash's own course is the same";
    EXPECT_EQ(n, full.size());
    EXPECT_EQ(over, 0) << "bytes brighter than a quarter of the full flash's white";
    EXPECT_GT(white, 0);
    EXPECT_GT(shown, 0) << "the flash is still seen";
    EXPECT_LE(4 * shown, white + static_cast<long>(beneath.size() * beneath[0].size()));
}

} // namespace
