// The player's choices kept from run to run in settings.ini beside the best score.
#include "shell/settings.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "services/files.h"
#include "shell/demo.h"
#include "shell/game_state.h"
#include "shell/saved_file.h"

void (*settings_before_rename)() = nullptr;

namespace {

constexpr size_t longest_file = 64 * 1024; // far beyond any file the game writes
constexpr int most_complaints = 20;        // a file of garbage is not printed whole
constexpr int smallest_window = 64, largest_window = 16384;
constexpr const char* file_comment =
    "# Ramparion '07 settings, rewritten by the game; volumes are steps from 0 (off) to 10 (100%).";

enum class key_id { sound, music, onslaught, fullscreen, window, flashing, none };
struct key_row {
    key_id id;
    const char* name;
    const char* fallback; // the default, as the file writes it
};
constexpr key_row key_table[] = {
    {key_id::sound, "sound_volume", "5"},       {key_id::music, "music_volume", "8"},
    {key_id::onslaught, "onslaught", "normal"}, {key_id::fullscreen, "fullscreen", "on"},
    {key_id::window, "window_size", "auto"},    {key_id::flashing, "reduce_flashing", "off"},
};

settings on_disk;          // what the file holds (the defaults when there is none)
bool file_clean = true;    // false: the file holds lines a save would drop
bool save_failed = false;  // said once; no more tries this run
settings display_choice;   // the window as the file and this run's changes have it
bool opened_known = false; // the window as it opened
bool opened_fullscreen = true;
int opened_w = 0, opened_h = 0;
bool reduce_from_file = false;
bool reduce_this_run = false;

std::string trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Quoted for a message: control bytes as '?', long text cut.
std::string shown(const std::string& s)
{
    std::string out;
    for (char c : s.substr(0, 40)) out += c >= 32 && c < 127 ? c : '?'; // ASCII only: a terminal shows it as it is
    if (s.size() > 40) out += "...";
    return "\"" + out + "\"";
}

bool read_number(const std::string& v, int lo, int hi, int& out)
{
    if (v.empty() || v.size() > 6) return false;
    int n = 0;
    for (char c : v) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (n < lo || n > hi) return false;
    out = n;
    return true;
}

bool read_switch(const std::string& v, bool& out)
{
    bool on = v == "on" || v == "yes" || v == "true" || v == "1";
    if (!on && v != "off" && v != "no" && v != "false" && v != "0") return false;
    out = on;
    return true;
}

// Sets one key of `s` from `value`; false when the value is none the key takes.
bool take(key_id id, const std::string& value, settings& s)
{
    std::string v = lower(value);
    switch (id) {
    case key_id::sound:
        return read_number(v, 0, 10, s.sound_step);
    case key_id::music:
        return read_number(v, 0, 10, s.music_step);
    case key_id::onslaught:
        if (v != "normal" && v != "suicidal") return false;
        s.onslaught = v == "suicidal" ? 1 : 0;
        return true;
    case key_id::fullscreen:
        return read_switch(v, s.fullscreen);
    case key_id::flashing:
        return read_switch(v, s.reduce_flashing);
    case key_id::window: {
        if (v == "auto") {
            s.window_w = s.window_h = 0;
            return true;
        }
        size_t x = v.find('x');
        int w = 0, h = 0;
        if (x == std::string::npos || !read_number(trim(v.substr(0, x)), smallest_window, largest_window, w) ||
            !read_number(trim(v.substr(x + 1)), smallest_window, largest_window, h))
            return false;
        s.window_w = w;
        s.window_h = h;
        return true;
    }
    case key_id::none:
        break;
    }
    return false;
}

void put_default(key_id id, settings& s)
{
    const settings d;
    switch (id) {
    case key_id::sound:
        s.sound_step = d.sound_step;
        break;
    case key_id::music:
        s.music_step = d.music_step;
        break;
    case key_id::onslaught:
        s.onslaught = d.onslaught;
        break;
    case key_id::fullscreen:
        s.fullscreen = d.fullscreen;
        break;
    case key_id::window:
        s.window_w = d.window_w, s.window_h = d.window_h;
        break;
    case key_id::flashing:
        s.reduce_flashing = d.reduce_flashing;
        break;
    case key_id::none:
        break;
    }
}

settings current_choices()
{
    settings s = display_choice;
    s.sound_step = sound_volume_step >= 0 && sound_volume_step <= 10 ? sound_volume_step : settings{}.sound_step;
    s.music_step = music_volume_step >= 0 && music_volume_step <= 10 ? music_volume_step : settings{}.music_step;
    s.onslaught = difficulty == 1 ? 1 : 0;
    s.reduce_flashing = reduce_from_file;
    return s;
}

void apply(const settings& s)
{
    // The volume the menu shows for a step; the defaults come out as 0.5 and 0.8 exactly.
    sound_volume_step = s.sound_step;
    sound_volume = static_cast<float>(s.sound_step) / 10.0f;
    music_volume_step = s.music_step;
    music_volume = static_cast<float>(s.music_step) / 10.0f;
    difficulty = s.onslaught;
    reduce_from_file = s.reduce_flashing;
    display_choice = s;
    platform::current().prefer_window(s.fullscreen, s.window_w, s.window_h);
}

} // namespace

settings parse_settings(const std::string& text, const std::string& file, std::vector<std::string>& complaints)
{
    settings s;
    bool seen[std::size(key_table)] = {};
    size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string l = trim(text.substr(start, end - start));
        start = end + 1;
        if (l.empty() || l[0] == '#') continue;
        std::string where = file + ":" + std::to_string(line) + ": ";
        size_t eq = l.find('=');
        if (eq == std::string::npos) {
            complaints.push_back(where + shown(l) + " is no \"key = value\" line; it is dropped");
            continue;
        }
        std::string key = trim(l.substr(0, eq)), value = trim(l.substr(eq + 1));
        size_t k = 0;
        while (k < std::size(key_table) && lower(key) != key_table[k].name) ++k;
        if (k == std::size(key_table)) {
            complaints.push_back(where + "unknown setting " + shown(key) + "; it is dropped");
            continue;
        }
        const key_row& row = key_table[k];
        if (seen[k]) complaints.push_back(where + row.name + " is set again; this line counts");
        seen[k] = true;
        if (!take(row.id, value, s)) {
            put_default(row.id, s);
            complaints.push_back(where + shown(value) + " is no value for " + row.name + "; it is " + row.fallback);
        }
    }
    return s;
}

std::string format_settings(const settings& s)
{
    std::string window = s.window_w > 0 && s.window_h > 0
                             ? std::to_string(s.window_w) + "x" + std::to_string(s.window_h)
                             : std::string("auto");
    return std::string(file_comment) + "\n" + "sound_volume = " + std::to_string(s.sound_step) + "\n" +
           "music_volume = " + std::to_string(s.music_step) + "\n" +
           "onslaught = " + (s.onslaught == 1 ? "suicidal" : "normal") + "\n" +
           "fullscreen = " + (s.fullscreen ? "on" : "off") + "\n" + "window_size = " + window + "\n" +
           "reduce_flashing = " + (s.reduce_flashing ? "on" : "off") + "\n";
}

void load_settings()
{
    on_disk = settings{};
    file_clean = true;
    save_failed = false;
    opened_known = false;
    settings s;
    std::string folder = player_folder();
    std::string path = folder.empty() ? "" : folder + settings_name;
    const char* outcome = "the settings start at their defaults";
    if (!folder.empty()) sweep_stale_copies(folder, settings_name);
    int kind = path.empty() ? 0 : file_kind(path);
    if (kind == 2) {
        say_about_file(path, "is a folder", outcome);
    } else if (kind == 1) {
        stream_handle f(open_read(path));
        std::string text(longest_file + 1, '\0');
        size_t n = f ? read_bytes(f.get(), text.data(), text.size()) : 0;
        if (!f || stream_failed(f.get())) {
            say_about_file(path, std::string("cannot be read: ") + std::strerror(errno ? errno : EIO), outcome);
        } else {
            if (n > longest_file) {
                say_about_file(path, "is longer than 64 KiB", "only its start is read");
                n = longest_file;
                file_clean = false;
            }
            text.resize(n);
            std::vector<std::string> complaints;
            s = parse_settings(text, disk_path(path), complaints);
            on_disk = s;
            if (!complaints.empty()) file_clean = false;
            for (size_t i = 0; i < complaints.size() && i < most_complaints; ++i)
                std::fprintf(stderr, "ramparion: %s\n", complaints[i].c_str());
            if (complaints.size() > most_complaints)
                std::fprintf(stderr, "ramparion: %s: %zu more lines cannot be read\n", disk_path(path).c_str(),
                             complaints.size() - most_complaints);
        }
    }
    apply(s);
}

void note_display_opened()
{
    opened_known = platform::current().window_state(opened_fullscreen, opened_w, opened_h);
}

void save_settings()
{
    if (watching_demo()) return; // a watched game's choices were the recording player's
    settings now = current_choices();
    if (save_failed || (file_clean && now == on_disk)) return;
    std::string folder = player_folder();
    if (folder.empty()) {
        std::fprintf(stderr, "ramparion: there is no folder for saved files; the settings were not saved\n");
        save_failed = true;
        return;
    }
    if (!replace_file(folder, settings_name, format_settings(now), "the settings", settings_before_rename)) {
        save_failed = true;
        return;
    }
    on_disk = now;
    file_clean = true;
}

void save_settings_at_exit()
{
    bool fullscreen = false;
    int w = 0, h = 0;
    // Only what changed during the run is kept: a --window run leaves the saved full screen alone.
    if (opened_known && platform::current().window_state(fullscreen, w, h)) {
        if (fullscreen != opened_fullscreen) display_choice.fullscreen = fullscreen;
        if (w > 0 && h > 0 && (w != opened_w || h != opened_h)) {
            display_choice.window_w = w;
            display_choice.window_h = h;
        }
    }
    save_settings();
}

float flash_share_override = -1.0f;

void reduce_flashing_this_run(bool on)
{
    reduce_this_run = on;
}

float flash_share()
{
    if (flash_share_override >= 0.0f) return flash_share_override;
    return reduce_from_file || reduce_this_run ? 0.25f : 1.0f;
}
