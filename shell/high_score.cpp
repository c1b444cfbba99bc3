// The best score and its casualties, kept from run to run in an 8-byte file in the player's folder.
#include "shell/high_score.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/platform.h"
#include "services/files.h"
#include "shell/demo.h"
#include "shell/game_state.h"
#include "shell/labels.h"

std::string old_high_score_path = old_high_score_file;
void (*high_score_before_rename)() = nullptr;

namespace {

constexpr size_t file_size = 8;

std::string user_folder()
{
    std::string folder = platform::current().user_folder();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

void say(const std::string& path, const std::string& what, const char* outcome)
{
    std::fprintf(stderr, "ramparion: %s %s; %s\n", disk_path(path).c_str(), what.c_str(), outcome);
}

// Anything but two non-negative little-endian ints in exactly 8 bytes counts as no best score.
bool read_file(const std::string& path, int& score_out, int& casualties_out)
{
    const char* outcome = "the best score starts at 0";
    if (file_kind(path) == 2) {
        say(path, "is a folder", outcome);
        return false;
    }
    stream_handle s(open_read(path));
    if (!s) {
        say(path, std::string("cannot be read: ") + std::strerror(errno), outcome);
        return false;
    }
    uint8_t bytes[file_size + 1];
    size_t n = read_bytes(s.get(), bytes, sizeof bytes);
    if (stream_failed(s.get())) {
        say(path, "cannot be read", outcome);
        return false;
    }
    if (n != file_size) {
        say(path, n > file_size ? "is longer than 8 bytes" : "has " + std::to_string(n) + " bytes, not 8", outcome);
        return false;
    }
    int v[2];
    for (int k = 0; k < 2; ++k) {
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(bytes[4 * k + i]) << (8 * i);
        v[k] = static_cast<int>(u);
    }
    if (v[0] < 0 || v[1] < 0) {
        say(path, "holds a negative value", outcome);
        return false;
    }
    score_out = v[0];
    casualties_out = v[1];
    return true;
}

// A save killed between making its copy and renaming it leaves "hiscore.dat.XXXXXX" behind; ones
// older than a minute belong to no save still running and are swept at start-up.
void sweep_stale_copies(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string prefix = std::string(high_score_name) + ".";
    auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(disk_path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::error_code e2;
        if (!it->is_regular_file(e2) || e2) continue;
        auto written = it->last_write_time(e2);
        if (!e2 && now - written > std::chrono::minutes(1)) fs::remove(it->path(), e2);
    }
}

} // namespace

std::string high_score_path()
{
    std::string folder = user_folder();
    return folder.empty() ? "" : folder + high_score_name;
}

void load_high_score()
{
    best_score = 0;
    best_casualties = 0;
    std::string path = high_score_path();
    if (!path.empty()) sweep_stale_copies(user_folder());
    // Until the player has a file of their own, an earlier build's file is read; the next save carries it over.
    if (path.empty() || file_kind(path) == 0) path = old_high_score_path;
    if (path.empty() || file_kind(path) == 0) return; // the first run
    int s = 0, c = 0;
    if (read_file(path, s, c)) {
        best_score = s;
        best_casualties = c;
    }
}

bool save_whole_file(const std::string& path, const uint8_t* bytes, size_t n, const char* outcome)
{
    std::string folder = path.substr(0, path.rfind('/') + 1);
    // Written aside, synced and renamed over the old file: whatever fails, the old file stays whole.
    std::string temp;
    stream* s = open_temp_beside(path, temp);
    if (!s) {
        say(folder, std::string("takes no new file: ") + std::strerror(errno), outcome);
        return false;
    }
    bool written = write_bytes(s, bytes, n) == n;
    bool synced = written && sync_stream(s);
    int e = errno;
    bool closed = close_stream(s);
    if (!written || !synced || !closed) {
        std::remove(temp.c_str());
        say(temp, std::string("could not be written: ") + std::strerror(synced ? EIO : e), outcome);
        return false;
    }
    if (high_score_before_rename) high_score_before_rename();
    if (std::rename(temp.c_str(), disk_path(path).c_str()) != 0) {
        e = errno;
        std::remove(temp.c_str());
        say(path, std::string("could not be replaced: ") + std::strerror(e), outcome);
        return false;
    }
    if (!sync_folder(folder)) say(folder, std::string("could not be synced: ") + std::strerror(errno), "the new file may not last a crash");
    return true;
}

void save_high_score()
{
    if (watching_demo()) return; // a watched game's score was never the player's
    const char* outcome = "the best score was not saved";
    std::string folder = user_folder();
    if (folder.empty()) {
        std::fprintf(stderr, "ramparion: there is no folder for saved files; %s\n", outcome);
        return;
    }
    uint8_t bytes[file_size];
    const int values[2] = {best_score, best_casualties};
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 4; ++i) bytes[4 * k + i] = static_cast<uint8_t>(static_cast<uint32_t>(values[k]) >> (8 * i));
    save_whole_file(folder + high_score_name, bytes, file_size, outcome);
}
