// Demos: every game recorded read for read as it is played, and a recorded game played back.
//
// A demo is the state a game started from and every value the game read from the input layer, in
// order, so playing it back hands the game exactly what it consumed, whatever the window system did
// meanwhile. A read costs a byte only when its value differs from that read's last value; each
// presented frame ends with the count of reads that did not change.
#include "shell/demo.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "assets/sprite_set.h"
#include "platform/platform.h"
#include "services/audio/sound.h"
#include "services/files.h"
#include "services/input.h"
#include "shell/demo_format.h"
#include "shell/demo_state.h"
#include "shell/game_flow.h"
#include "shell/game_state.h"
#include "shell/high_score.h"
#include "shell/menu.h"
#include "shell/music.h"
#include "shell/saved_file.h"

#ifndef RAMPARION_VERSION
#define RAMPARION_VERSION "unknown"
#endif

namespace {

constexpr int arg_slots = 512;             // keys 0..255, pad buttons port * 32 + button
constexpr size_t input_reserve = 4u << 20; // more than an hour of reads: no growing in the frame loop
constexpr const char* demos_folder = "demos/";
constexpr const char* last_demo = "last.rdemo";
constexpr const char* best_demo = "best.rdemo";

int slot(input_read what, int arg)
{
    return static_cast<int>(what) * arg_slots + (arg & (arg_slots - 1));
}

// Each read's last value, by kind and argument; both sides start from zeros.
int32_t last_values[input_read_kinds * arg_slots];

struct recorder_state {
    bool armed = false, active = false, new_game = false;
    std::string path; // empty: the player's folder
    demo d;
    uint32_t run = 0;         // unchanged reads since the last token
    frame_state shown;        // as of the last entry in d.states
    uint32_t since_shown = 0; // frames since that entry
    int best_at_start = 0;
} rec;

struct player_state {
    bool loaded = false, started = false, leaving = false, parted = false;
    std::string name;
    demo d;
    byte_reader input, states;
    // The next token: a frame's end, or a changed value of kind `kind`, after `run` unchanged reads.
    bool token = false, frame_end = false;
    uint64_t run = 0;
    int kind = 0;
    int32_t delta = 0;
    uint32_t frames = 0;
    frame_state expect;
    uint64_t next_change = 0; // the frame of the next entry in d.states; 0: none
} play;

// ---- recording

int record_read(input_read what, int arg, int value)
{
    int32_t& last = last_values[slot(what, arg)];
    if (value == last) {
        ++rec.run;
        return value;
    }
    byte_writer w{rec.d.input};
    w.varint(static_cast<uint64_t>(rec.run) << 5 | static_cast<uint64_t>(what) << 1);
    w.varint(zigzag(static_cast<int32_t>(static_cast<uint32_t>(value) - static_cast<uint32_t>(last))));
    last = value;
    rec.run = 0;
    return value;
}

void end_run()
{
    byte_writer{rec.d.input}.varint(static_cast<uint64_t>(rec.run) << 1 | 1);
    rec.run = 0;
}

void begin_recording()
{
    rec.active = true;
    rec.new_game = false;
    rec.d = demo{};
    rec.d.game_version = RAMPARION_VERSION;
    rec.d.difficulty = difficulty;
    rec.d.start = capture_start();
    rec.d.input.reserve(input_reserve);
    rec.d.states.reserve(input_reserve / 8);
    rec.d.checksums.reserve(4096);
    rec.run = 0;
    rec.shown = current_frame_state();
    rec.since_shown = 0;
    rec.best_at_start = best_score;
    std::memset(last_values, 0, sizeof last_values);
    set_input_tap(record_read);
}

void record_frame()
{
    end_run();
    ++rec.d.frames;
    ++rec.since_shown;
    frame_state now = current_frame_state();
    if (!(now == rec.shown)) {
        byte_writer w{rec.d.states};
        w.varint(rec.since_shown);
        w.varint(zigzag(now.score - rec.shown.score));
        w.varint(zigzag(now.casualties - rec.shown.casualties));
        w.varint(zigzag(now.days - rec.shown.days));
        w.varint(zigzag(now.men - rec.shown.men));
        rec.shown = now;
        rec.since_shown = 0;
    }
    if (rec.d.frames % demo_checksum_every == 0) rec.d.checksums.push_back(state_checksum());
}

void save_demo(const std::vector<uint8_t>& bytes, bool new_best)
{
    const char* what = "the demo of this game";
    if (bytes.empty()) {
        std::fprintf(stderr, "ramparion: the demo could not be packed; %s was not saved\n", what);
        return;
    }
    const auto as_text = std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!rec.path.empty()) {
        auto cut = rec.path.rfind('/') + 1;
        replace_file(rec.path.substr(0, cut), rec.path.c_str() + cut, as_text, what);
        return;
    }
    std::string folder = player_folder();
    if (folder.empty()) {
        std::fprintf(stderr, "ramparion: there is no folder for saved files; %s was not saved\n", what);
        return;
    }
    folder += demos_folder;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "ramparion: %s cannot be made: %s; %s was not saved\n", folder.c_str(),
                     ec.message().c_str(), what);
        return;
    }
    if (folder.back() != '/') folder += '/';
    sweep_stale_copies(folder, last_demo);
    sweep_stale_copies(folder, best_demo);
    // One failure says it all: the best copy would go to the same folder.
    if (!replace_file(folder, last_demo, as_text, what)) return;
    if (new_best) replace_file(folder, best_demo, as_text, "the record game's demo");
}

void finish_recording()
{
    set_input_tap(nullptr);
    rec.active = false;
    end_run(); // the reads after the last frame
    bool new_best = score > rec.best_at_start;
    save_demo(write_demo(rec.d), new_best);
    rec.d = demo{};
}

// ---- playing back

void part_ways(const std::string& what)
{
    if (!play.parted)
        std::fprintf(stderr, "ramparion: %s parts ways with the game at frame %u: %s\n", play.name.c_str(),
                     play.frames + 1, what.c_str());
    play.parted = true;
    play.leaving = true;
}

void next_token()
{
    play.token = play.input.left() > 0;
    if (!play.token) return;
    uint64_t v = play.input.varint();
    play.frame_end = v & 1;
    if (play.frame_end) {
        play.run = v >> 1;
    } else {
        play.kind = static_cast<int>((v >> 1) & 15);
        play.run = v >> 5;
        play.delta = unzigzag(play.input.varint());
    }
    if (!play.input.ok) {
        play.token = false;
        part_ways("the recorded input is damaged");
    }
}

void next_state_change()
{
    play.next_change = 0;
    if (play.states.left() == 0) return;
    uint64_t after = play.states.varint();
    play.next_change = play.frames + after;
    if (!play.states.ok || after == 0) {
        play.next_change = 0;
        part_ways("the recorded states are damaged");
    }
}

// What the game reads once the demo is over or left: a close request, and nothing pressed.
int leaving_value(input_read what, int arg)
{
    switch (what) {
    case input_read::key_hit:
        return arg == 27 ? 1 : 0;
    case input_read::app_terminate:
    case input_read::app_close_pending:
        return 1;
    case input_read::mouse_x:
    case input_read::mouse_y:
        return last_values[slot(what, arg)];
    default:
        return 0;
    }
}

int play_read(input_read what, int arg, int)
{
    if (play.leaving) return leaving_value(what, arg);
    int32_t& last = last_values[slot(what, arg)];
    if (play.run > 0) {
        --play.run;
        return last;
    }
    if (!play.token || play.frame_end) {
        part_ways("the game reads more input than the recording holds");
        return leaving_value(what, arg);
    }
    if (play.kind != static_cast<int>(what)) {
        part_ways("the game reads other input than the recording holds");
        return leaving_value(what, arg);
    }
    last = static_cast<int32_t>(static_cast<uint32_t>(last) + static_cast<uint32_t>(play.delta));
    next_token();
    return last;
}

void play_frame()
{
    if (play.leaving) {
        ++play.frames;
        return;
    }
    if (play.frames >= play.d.frames) {
        part_ways("the game plays on past the recording's end");
        return;
    }
    if (!play.token || !play.frame_end || play.run != 0) {
        part_ways("the game reads less input than the recording holds");
        return;
    }
    next_token();
    ++play.frames;
    if (play.next_change == play.frames) {
        play.expect.score += unzigzag(play.states.varint());
        play.expect.casualties += unzigzag(play.states.varint());
        play.expect.days += unzigzag(play.states.varint());
        play.expect.men += unzigzag(play.states.varint());
        next_state_change();
    }
    frame_state now = current_frame_state();
    if (!(now == play.expect)) {
        --play.frames; // named as the frame it happened on
        part_ways("score " + std::to_string(now.score) + ", casualties " + std::to_string(now.casualties) + ", days " +
                  std::to_string(now.days) + ", men " + std::to_string(now.men) + " where the recording had " +
                  std::to_string(play.expect.score) + ", " + std::to_string(play.expect.casualties) + ", " +
                  std::to_string(play.expect.days) + ", " + std::to_string(play.expect.men));
        ++play.frames;
        return;
    }
    if (play.frames % demo_checksum_every == 0) {
        size_t k = play.frames / demo_checksum_every - 1;
        if (k < play.d.checksums.size() && play.d.checksums[k] != state_checksum()) {
            --play.frames;
            part_ways("the battle's state differs from the recording's");
            ++play.frames;
        }
    }
}

// Whether everything recorded was played: all frames, and the reads after the last one.
bool played_out()
{
    return play.frames == play.d.frames && play.token && play.frame_end && play.run == 0;
}

bool read_file(const std::string& path, std::vector<uint8_t>& bytes, std::string& why)
{
    if (file_kind(path) == 2) {
        why = "is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        why = "cannot be read";
        return false;
    }
    return true;
}

// Reads a file into a checked demo whose streams decode from start to end.
bool load(const std::string& path, demo& d, std::string& why)
{
    std::vector<uint8_t> bytes;
    if (!read_file(path, bytes, why)) return false;
    return read_demo(bytes.data(), bytes.size(), d, why) && check_start(d.start, why);
}

} // namespace

void record_demos_in_user_folder()
{
    rec.armed = true;
    rec.path.clear();
}

void record_demos_to(const std::string& path)
{
    rec.armed = true;
    rec.path = path;
}

bool load_demo_to_watch(const std::string& path, const char* program)
{
    std::string why;
    if (!load(path, play.d, why)) {
        std::fprintf(stderr, "%s: %s %s\n", program, path.c_str(), why.c_str());
        return false;
    }
    play.loaded = true;
    play.name = path;
    rec.armed = false; // nothing is recorded while watching
    return true;
}

bool watching_demo()
{
    return play.loaded;
}

void start_watched_game()
{
    clear_battlefield();
    restore_start(play.d.start);
    menu_hover = -1;
    stop_channel(music_channel);
    start_music(1);
    play_effect(startgame_snd, 0);
    play.input = byte_reader{play.d.input.data(), play.d.input.size()};
    play.states = byte_reader{play.d.states.data(), play.d.states.size()};
    play.frames = 0;
    play.expect = current_frame_state();
    std::memset(last_values, 0, sizeof last_values);
    next_token();
    next_state_change();
    play.started = true;
    set_input_tap(play_read);
}

void stop_watching()
{
    play.leaving = true;
}
bool demo_parted()
{
    return play.parted;
}
int demo_frame()
{
    return play.started ? static_cast<int>(play.frames) : rec.active ? static_cast<int>(rec.d.frames) : 0;
}

void demo_new_game()
{
    rec.new_game = true;
}

bool demo_frame_top()
{
    if (play.started) {
        if (play.leaving) return false;
        if (play.frames < play.d.frames) return true;
        if (!played_out()) part_ways("the game reads less input than the recording holds");
        return false;
    }
    if (!rec.armed) return true;
    if (rec.active && (demo_mode == 1 || rec.new_game)) finish_recording();
    if (!rec.active && demo_mode == 0 && game_paused == 0) begin_recording();
    return true;
}

void demo_frame_presented()
{
    if (play.started)
        play_frame();
    else if (rec.active)
        record_frame();
}

void demo_shutdown()
{
    if (play.started) {
        if (!play.leaving && !played_out()) part_ways("the game ended before the recording did");
        set_input_tap(nullptr);
        return;
    }
    if (rec.active) finish_recording();
}

bool describe_demo(const std::string& path, std::string& out, std::string& why)
{
    demo d;
    if (!load(path, d, why)) return false;
    out = "demo of Ramparion '07 " + d.game_version + ", onslaught " + (d.difficulty ? "Suicidal" : "Normal") + ", " +
          std::to_string(d.frames) + " frames, " + std::to_string(d.input.size()) + " bytes of input\n";
    // The start's score, casualties, days and men, then the recorded changes frame by frame.
    frame_state s = start_frame_state(d.start);
    byte_reader r{d.states.data(), d.states.size()};
    uint64_t next = r.left() ? r.varint() : 0;
    for (uint32_t f = 1, since = 1; f <= d.frames; ++f, ++since) {
        if (next && since == next) {
            s.score += unzigzag(r.varint());
            s.casualties += unzigzag(r.varint());
            s.days += unzigzag(r.varint());
            s.men += unzigzag(r.varint());
            next = r.left() ? r.varint() : 0;
            since = 0;
        }
        out += std::to_string(f) + " " + std::to_string(s.score) + " " + std::to_string(s.casualties) + " " +
               std::to_string(s.days) + " " + std::to_string(s.men) + "\n";
    }
    if (!r.ok) {
        why = "is damaged (its states do not decode)";
        return false;
    }
    return true;
}
