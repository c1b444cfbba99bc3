// Runs the real game on the headless backend from a script, writing traces, shots and audio.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "harness/actor_dump.h"
#include "harness/autoplay.h"
#include "harness/png_write.h"
#include "platform/headless_backend.h"
#include "shell/data_folder.h"
#include "shell/demo.h"
#include "shell/demo_viewer.h"
#include "shell/high_score.h"
#include "shell/main_loop.h"
#include "shell/settings.h"
#include "tools/replay/trace.h"

namespace {

struct options {
    std::string script, trace, audio, data, save_dir, actors;
    int actors_every = 1;
    int trace_every = 1;
    int autoplay = -1; // difficulty the bot plays; -1: no bot
    int games = 1;
    std::string record; // the bot's input, written as a script
    uint32_t clock = 1000;
    int refresh = -1; // the simulated screen's Hz; 0: vsync forced off; -1: no screen to wait for
    int frames = -1;
    bool reduce_flashing = false;
    std::map<int, std::string> shots;
    std::string play_demo, record_demo, demo_info; // demos: frames are then counted from the demo's first
};

void usage(std::FILE* to)
{
    std::fprintf(to, "usage: ramparion-replay [OPTION]...\n"
                     "Runs the game on a virtual screen, clock and sound card, from a script or the bot.\n"
                     "  --script FILE         input to deliver, as \"FRAME EVENT ARGS\" lines (none: no input)\n"
                     "  --clock MS            the virtual clock's start, which seeds the battle (default 1000)\n"
                     "  --frames N            ask the game to leave after N presented frames\n"
                     "  --shot N:FILE.png     write presented frame N as a picture; may be repeated\n"
                     "  --trace FILE          write the game state after each presented frame, one JSON line each\n"
                     "  --trace-every N       keep every N-th trace line (default 1)\n"
                     "  --actors FILE         write every actor's state after each presented frame, JSON lines\n"
                     "  --actors-every N      keep every N-th actor line (default 1)\n"
                     "  --audio FILE.wav      write the mixed sound, 44100 Hz 16-bit stereo\n"
                     "  --data DIR            the folder holding data/ (default: beside the tool, then installed)\n"
                     "  --save-dir DIR        the player's folder (hiscore.dat, settings.ini); default: a scratch\n"
                     "                        folder removed at the end, so no settings and no best score\n"
                     "  --autoplay normal|suicidal  the bot plays games at that onslaught from the title menu\n"
                     "  --games N             games the bot plays before it presses Escape (default 1)\n"
                     "  --record FILE         write the bot's input as a script that --script replays\n"
                     "  --refresh HZ|off      a screen of HZ Hz to wait for, or vsync forced off (default: none)\n"
                     "  --reduce-flashing     draw the white flashes at a quarter, as the game's option does\n"
                     "  --play-demo FILE      play a recorded game; outputs and frames count from its first frame\n"
                     "  --record-demo FILE    record each game played (script or bot) into FILE as a demo\n"
                     "  --demo-info FILE      print a demo's recorded score, casualties, days and men, frame by frame\n"
                     "  --help, -h            print this and leave\n");
}

bool parse_number(const char* s, long long lo, long long hi, long long& v)
{
    char* end = nullptr;
    v = std::strtoll(s, &end, 10);
    return *s && *end == '\0' && v >= lo && v <= hi;
}

bool parse_args(int argc, char** argv, options& o)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        long long n = 0;
        if (a == "--help" || a == "-h") {
            usage(stdout);
            std::exit(0);
        } else if (a == "--reduce-flashing") {
            o.reduce_flashing = true;
        } else if (a == "--script" && (v = value())) {
            o.script = v;
        } else if (a == "--trace" && (v = value())) {
            o.trace = v;
        } else if (a == "--actors" && (v = value())) {
            o.actors = v;
        } else if (a == "--trace-every" && (v = value()) && parse_number(v, 1, 100000000, n)) {
            o.trace_every = static_cast<int>(n);
        } else if (a == "--actors-every" && (v = value()) && parse_number(v, 1, 100000000, n)) {
            o.actors_every = static_cast<int>(n);
        } else if (a == "--autoplay" && (v = value()) && (!std::strcmp(v, "normal") || !std::strcmp(v, "suicidal"))) {
            o.autoplay = std::strcmp(v, "suicidal") == 0 ? 1 : 0;
        } else if (a == "--play-demo" && (v = value())) {
            o.play_demo = v;
        } else if (a == "--record-demo" && (v = value())) {
            o.record_demo = v;
        } else if (a == "--demo-info" && (v = value())) {
            o.demo_info = v;
        } else if (a == "--record" && (v = value())) {
            o.record = v;
        } else if (a == "--games" && (v = value()) && parse_number(v, 1, 1000000, n)) {
            o.games = static_cast<int>(n);
        } else if (a == "--audio" && (v = value())) {
            o.audio = v;
        } else if (a == "--data" && (v = value())) {
            o.data = v;
        } else if (a == "--save-dir" && (v = value())) {
            o.save_dir = v;
        } else if (a == "--clock" && (v = value()) && parse_number(v, 0, 4294967295LL, n)) {
            o.clock = static_cast<uint32_t>(n);
        } else if (a == "--refresh" && (v = value()) && (!std::strcmp(v, "off") || parse_number(v, 1, 1000, n))) {
            o.refresh = std::strcmp(v, "off") == 0 ? 0 : static_cast<int>(n);
        } else if (a == "--frames" && (v = value()) && parse_number(v, 0, 100000000, n)) {
            o.frames = static_cast<int>(n);
        } else if (a == "--shot" && (v = value())) {
            const char* colon = std::strchr(v, ':');
            if (!colon || !parse_number(std::string(v, colon).c_str(), 1, 100000000, n) || !colon[1]) {
                std::fprintf(stderr, "ramparion-replay: --shot wants N:FILE.png, got \"%s\"\n", v);
                return false;
            }
            o.shots[static_cast<int>(n)] = colon + 1;
        } else {
            std::fprintf(stderr, "ramparion-replay: bad or incomplete option \"%s\"\n", a.c_str());
            usage(stderr);
            return false;
        }
    }
    return true;
}

std::string absolute(const std::string& p)
{
    if (p.empty()) return p;
    std::error_code ec;
    auto abs = std::filesystem::absolute(p, ec);
    return ec ? p : abs.string();
}

void write_wav(const std::string& path, const std::vector<int16_t>& samples)
{
    std::ofstream f(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    uint32_t bytes = static_cast<uint32_t>(samples.size() * 2);
    f.write("RIFF", 4);
    u32(36 + bytes);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(44100 * 4);
    u16(4);
    u16(16);
    f.write("data", 4);
    u32(bytes);
    f.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(bytes));
    if (!f) std::fprintf(stderr, "ramparion-replay: could not write %s\n", path.c_str());
}

// One event as a script line, delivered after `frame` presented frames.
std::string script_line(int frame, const platform::event& e)
{
    using k = platform::event_kind;
    std::string f = std::to_string(frame) + " ";
    switch (e.kind) {
    case k::mouse_move:
        return f + "move " + std::to_string(e.a) + " " + std::to_string(e.b) + "\n";
    case k::mouse_down:
        return f + "down " + std::to_string(e.a) + "\n";
    case k::mouse_up:
        return f + "up " + std::to_string(e.a) + "\n";
    case k::key_down:
        return f + "key_down " + std::to_string(e.a) + "\n";
    case k::key_up:
        return f + "key_up " + std::to_string(e.a) + "\n";
    case k::terminate:
        return f + "close\n";
    default:
        return "";
    }
}

} // namespace

int main(int argc, char** argv)
{
    options o;
    if (!parse_args(argc, argv, o)) return 2;
    if (!o.demo_info.empty()) {
        std::string text, why;
        if (!describe_demo(o.demo_info, text, why)) {
            std::fprintf(stderr, "ramparion-replay: %s %s\n", o.demo_info.c_str(), why.c_str());
            return 1;
        }
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    // A bad demo is named before anything runs.
    if (!o.play_demo.empty() && !load_demo_to_watch(o.play_demo, "ramparion-replay")) return 1;
    if (!o.record_demo.empty()) record_demos_to(absolute(o.record_demo));
    const bool demo_frames = !o.play_demo.empty();

    std::vector<platform::scripted_event> script;
    if (!o.script.empty()) {
        std::ifstream in(o.script);
        if (!in) {
            std::fprintf(stderr, "ramparion-replay: cannot read the script %s\n", o.script.c_str());
            return 2;
        }
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        if (!platform::parse_script(text.str(), script, error)) {
            std::fprintf(stderr, "ramparion-replay: %s: %s\n", o.script.c_str(), error.c_str());
            return 2;
        }
    }
    // Output paths are taken before the game changes the working directory.
    o.trace = absolute(o.trace);
    o.actors = absolute(o.actors);
    o.record = absolute(o.record);
    o.audio = absolute(o.audio);
    for (auto& s : o.shots) s.second = absolute(s.second);

    std::string temp_save;
    if (o.save_dir.empty()) {
        char tmpl[] = "/tmp/ramparion-replay-XXXXXX";
        if (!::mkdtemp(tmpl)) {
            std::fprintf(stderr, "ramparion-replay: cannot make a scratch folder\n");
            return 2;
        }
        temp_save = o.save_dir = tmpl;
    }
    // Replays read and write only their own folder: never the player's file, nor one beside the game.
    std::string save_folder = absolute(o.save_dir) + "/";
    old_high_score_path.clear();
    enter_data_folder(absolute(o.data));
    if (o.reduce_flashing) reduce_flashing_this_run();

    std::FILE* trace = nullptr;
    if (!o.trace.empty() && !(trace = std::fopen(o.trace.c_str(), "w"))) {
        std::fprintf(stderr, "ramparion-replay: cannot write %s\n", o.trace.c_str());
        return 2;
    }
    std::FILE* actors = nullptr;
    if (!o.actors.empty() && !(actors = std::fopen(o.actors.c_str(), "w"))) {
        std::fprintf(stderr, "ramparion-replay: cannot write %s\n", o.actors.c_str());
        return 2;
    }
    std::vector<int16_t> audio;
    bool ok = true;

    auto backend = std::make_unique<platform::headless_backend>(o.clock);
    if (o.refresh >= 0) backend->set_refresh(o.refresh);
    platform::headless_backend* raw = backend.get();
    std::unique_ptr<autoplayer> bot;
    std::string recorded;
    int bot_frame = 0;
    if (o.autoplay >= 0)
        bot = std::make_unique<autoplayer>(o.autoplay, o.games, [&, raw](const platform::event& e) {
            raw->inject(e);
            if (!o.record.empty()) recorded += script_line(bot_frame, e);
        });
    backend->set_script(std::move(script));
    if (o.frames >= 0) backend->set_frame_limit(o.frames);
    backend->set_user_folder(save_folder);
    int presented = 0;
    backend->on_present = [&](int frame, const uint32_t* px, int w, int h) {
        if (demo_frames && (frame = demo_frame()) <= 0) return; // start-up, before the demo's first frame
        presented = frame;
        if (trace && frame % o.trace_every == 0) std::fprintf(trace, "%s\n", trace_line(frame).c_str());
        if (actors && frame % o.actors_every == 0) std::fprintf(actors, "%s\n", actor_dump_line(frame).c_str());
        bot_frame = frame;
        if (bot) bot->after_frame(frame);
        auto shot = o.shots.find(frame);
        if (shot != o.shots.end() && !write_png_rgb(shot->second, px, w, h)) {
            std::fprintf(stderr, "ramparion-replay: cannot write %s\n", shot->second.c_str());
            ok = false;
        }
    };
    if (!o.audio.empty())
        backend->on_audio = [&](const int16_t* s, int frames) {
            if (demo_frames && demo_frame() <= 0) return;
            audio.insert(audio.end(), s, s + frames * 2);
        };
    if (demo_frames || !o.record_demo.empty())
        platform::set_backend(with_demo_frames(std::move(backend), false));
    else
        platform::set_backend(std::move(backend));

    int status = game_main();
    if (status == 0 && demo_parted()) status = 1;
    platform::set_backend(nullptr);

    if (trace) std::fclose(trace);
    if (actors) std::fclose(actors);
    if (bot)
        for (const autoplay_result& r : bot->results())
            std::printf("game %d %s: %d days, score %d, casualties %d, %d frames, %d shots, ended by %s\n", r.game,
                        r.difficulty ? "suicidal" : "normal", r.days, r.score, r.casualties, r.frames, r.shots,
                        r.cause.c_str());
    for (const auto& shot : o.shots)
        if (shot.first > presented) {
            std::fprintf(stderr, "ramparion-replay: frame %d was never presented; %s not written\n", shot.first,
                         shot.second.c_str());
            ok = false;
        }
    if (!o.audio.empty()) write_wav(o.audio, audio);
    if (!o.record.empty()) {
        std::ofstream f(o.record);
        f << "# Recorded from --autoplay " << (o.autoplay == 1 ? "suicidal" : "normal") << " --clock " << o.clock
          << "\n"
          << recorded;
        if (!f) {
            std::fprintf(stderr, "ramparion-replay: could not write %s\n", o.record.c_str());
            ok = false;
        }
    }
    if (!temp_save.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(temp_save, ec);
    }
    return ok ? status : 1;
}
