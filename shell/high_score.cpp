// The best score and its casualties, kept from run to run in an 8-byte file in the player's folder.
#include "shell/high_score.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "services/files.h"
#include "shell/demo.h"
#include "shell/game_state.h"
#include "shell/labels.h"
#include "shell/saved_file.h"

std::string old_high_score_path = old_high_score_file;
void (*high_score_before_rename)() = nullptr;

namespace {

constexpr size_t file_size = 8;

// Anything but two non-negative little-endian ints in exactly 8 bytes counts as no best score.
bool read_file(const std::string& path, int& score_out, int& casualties_out)
{
    const char* outcome = "the best score starts at 0";
    if (file_kind(path) == 2) {
        say_about_file(path, "is a folder", outcome);
        return false;
    }
    stream_handle s(open_read(path));
    if (!s) {
        say_about_file(path, std::string("cannot be read: ") + std::strerror(errno), outcome);
        return false;
    }
    uint8_t bytes[file_size + 1];
    size_t n = read_bytes(s.get(), bytes, sizeof bytes);
    if (stream_failed(s.get())) {
        say_about_file(path, "cannot be read", outcome);
        return false;
    }
    if (n != file_size) {
        say_about_file(path, n > file_size ? "is longer than 8 bytes" : "has " + std::to_string(n) + " bytes, not 8",
                       outcome);
        return false;
    }
    int v[2];
    for (int k = 0; k < 2; ++k) {
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(bytes[4 * k + i]) << (8 * i);
        v[k] = static_cast<int>(u);
    }
    if (v[0] < 0 || v[1] < 0) {
        say_about_file(path, "holds a negative value", outcome);
        return false;
    }
    score_out = v[0];
    casualties_out = v[1];
    return true;
}

} // namespace

std::string high_score_path()
{
    std::string folder = player_folder();
    return folder.empty() ? "" : folder + high_score_name;
}

void load_high_score()
{
    best_score = 0;
    best_casualties = 0;
    std::string path = high_score_path();
    if (!path.empty()) sweep_stale_copies(player_folder(), high_score_name);
    // Until the player has a file of their own, an earlier build's file is read; the next save carries it over.
    if (path.empty() || file_kind(path) == 0) path = old_high_score_path;
    if (path.empty() || file_kind(path) == 0) return; // the first run
    int s = 0, c = 0;
    if (read_file(path, s, c)) {
        best_score = s;
        best_casualties = c;
    }
}

void save_high_score()
{
    if (watching_demo()) return; // a watched game's score was never the player's
    const char* outcome = "the best score was not saved";
    std::string folder = player_folder();
    if (folder.empty()) {
        std::fprintf(stderr, "ramparion: there is no folder for saved files; %s\n", outcome);
        return;
    }
    // Written aside, synced and renamed over the old file: whatever fails, the old file stays whole.
    uint8_t bytes[file_size];
    const int values[2] = {best_score, best_casualties};
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 4; ++i)
            bytes[4 * k + i] = static_cast<uint8_t>(static_cast<uint32_t>(values[k]) >> (8 * i));
    replace_file(folder, high_score_name, std::string(reinterpret_cast<const char*>(bytes), file_size),
                 "the best score", high_score_before_rename);
}
