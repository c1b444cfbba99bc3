// The shell's screens on a fresh headless backend: scheduled input by presented frame, and whole runs of the program.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "battle_fixture.h"
#include "platform/headless_backend.h"
#include "services/audio/mixer.h"
#include "services/audio/sound.h"
#include "services/input.h"
#include "services/text.h"
#include "shell/game_flow.h"
#include "shell/high_score.h"
#include "shell/main_loop.h"

// A headless backend of its own for each test, with the display open on it and input taken from it.
class shell_test : public battle_test {
protected:
    void SetUp() override
    {
        battle_test::SetUp();
        here_ = std::filesystem::current_path();
        std::filesystem::current_path(RAMPARION_SOURCE_DIR); // the music is read from data/ as it starts
        auto b = std::make_unique<platform::headless_backend>();
        hb = b.get();
        platform::set_backend(std::move(b));
        open_display(640, 480, 0, 0, 0);
        start_input();
        hb->on_present = [this](int frame, const uint32_t* px, int w, int h) { presented(frame, px, w, h); };
        set_font(game_font);
        build_labels();
        build_flag_frames();
        stop_channel(music_channel);
        sound_volume = 0.5f; // heard again: the battle fixture silences it
        // Ends any screen a faulty test leaves running, as a close request would.
        hb->set_frame_limit(20000);
    }
    void TearDown() override
    {
        stop_channel(music_channel);
        hb->on_present = nullptr;
        hb->on_audio = nullptr;
        set_font(nullptr);
        std::filesystem::current_path(here_);
        battle_test::TearDown();
    }

    // `e` reaches the game at the first pump after the n-th frame presented from now.
    void after(int n, platform::event e) { plan[hb->presented() + n].push_back(e); }
    void click_after(int n, int button = 1)
    {
        after(n, {platform::event_kind::mouse_down, button});
        after(n + 1, {platform::event_kind::mouse_up, button});
    }
    void key_after(int n, int key)
    {
        after(n, {platform::event_kind::key_down, key});
        after(n + 1, {platform::event_kind::key_up, key});
    }
    // Moves the pointer now, as the window system would report it.
    void point_at(int x, int y)
    {
        hb->inject({platform::event_kind::mouse_move, x, y});
        pump_input();
    }
    void click_now(int button = 1)
    {
        hb->inject({platform::event_kind::mouse_down, button});
        hb->inject({platform::event_kind::mouse_up, button});
    }

    int frames() const { return hb->presented(); }

    // Lets the effects of earlier tests play out, so a test hears only its own sounds; an effect may
    // hold a quiet stretch, so two seconds of silence count as the end.
    void wait_for_silence()
    {
        // A fresh backend has no output until the first sound starts; voices left from earlier
        // tests are mixed only once it has one.
        static sound nothing;
        stop_channel(play_sound(&nothing, 0));
        int quiet = 0;
        hb->on_audio = [&quiet](const int16_t* s, int n) {
            quiet = std::all_of(s, s + 2 * n, [](int16_t v) { return v == 0; }) ? quiet + 1 : 0;
        };
        for (int k = 0; k < 6000 && quiet < 120; ++k) flip_frame(0);
        hb->on_audio = nullptr;
        bool silent = quiet >= 120;
        ASSERT_TRUE(silent) << "something kept sounding";
    }

    // What each presented frame was drawn by; the last frame's pixels.
    std::vector<std::string> loops;
    std::vector<uint32_t> last_picture;
    bool keep_pictures = false;

    platform::headless_backend* hb = nullptr;
    std::map<int, std::vector<platform::event>> plan;

private:
    std::filesystem::path here_;

    void presented(int frame, const uint32_t* px, int w, int h)
    {
        loops.push_back(presenting_loop);
        if (keep_pictures) last_picture.assign(px, px + w * h);
        auto due = plan.find(frame);
        if (due == plan.end()) return;
        for (const auto& e : due->second) hb->inject(e);
        plan.erase(due);
    }
};

// Runs the whole program, from start-up to its exit status, on a scripted headless backend with the
// source tree's data folder; the state a run leaves is put back to what the other tests expect.
struct game_run {
    std::string script;
    int frame_limit = 20000; // a run that never ends is a failure, not a hang
    std::string user_folder;
    std::function<void(int frame)> each_frame;
    std::function<void(const int16_t* samples, int frames)> audio;
    int presented = 0;

    int run()
    {
        std::vector<platform::scripted_event> events;
        std::string error;
        EXPECT_TRUE(platform::parse_script(script, events, error)) << error;
        old_high_score_path.clear(); // start-up puts every other start value back itself

        auto b = std::make_unique<platform::headless_backend>();
        platform::headless_backend* raw = b.get();
        b->set_script(std::move(events));
        b->set_frame_limit(frame_limit);
        b->set_user_folder(user_folder);
        b->on_present = [this](int frame, const uint32_t*, int, int) {
            presented = frame;
            if (each_frame) each_frame(frame);
        };
        if (audio) b->on_audio = audio;
        platform::set_backend(std::move(b));
        start_input(); // no focus, key or close request left over from earlier tests

        // The effects of an earlier run or fixture: start-up loads its own.
        for (const effect_row& e : effect_table) {
            free_sound(*e.snd);
            *e.snd = nullptr;
        }
        std::filesystem::path here = std::filesystem::current_path();
        std::filesystem::current_path(RAMPARION_SOURCE_DIR); // where data/ is
        int status = game_main();
        std::filesystem::current_path(here);
        (void)raw;

        stop_channel(music_channel);
        platform::set_backend(std::make_unique<platform::headless_backend>());
        open_display(640, 480, 0, 0, 0);
        set_font(nullptr);
        set_clear_color(0, 0, 0);
        clear_all_lists();
        return status;
    }
};

// The script lines that skip the logo: the first frames belong to start-up, which flushes the keys.
inline const char* skip_logo = "5 key_down 32\n6 key_up 32\n";

// A scratch folder for one test, removed with everything in it.
struct scratch_folder {
    std::string path;
    scratch_folder()
    {
        char tmpl[] = "/tmp/ramparion-shell-XXXXXX";
        path = ::mkdtemp(tmpl) ? tmpl : "";
        EXPECT_FALSE(path.empty());
    }
    ~scratch_folder()
    {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};
