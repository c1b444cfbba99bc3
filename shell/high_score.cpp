// The best score and its casualties, kept from run to run in an 8-byte file.
#include "shell/high_score.h"

#include <cstdio>

#include "services/files.h"
#include "shell/game_state.h"
#include "shell/labels.h"

std::string high_score_path = high_score_file;

void load_high_score()
{
    best_score = 0;
    best_casualties = 0;
    if (file_kind(high_score_path) == 0) return;
    stream_handle s(open_read(high_score_path));
    if (!s) {
        std::fprintf(stderr, "ramparion: cannot read %s; the best score starts at 0\n",
                     disk_path(high_score_path).c_str());
        return;
    }
    best_score = read_int(s.get());
    best_casualties = read_int(s.get());
}

void save_high_score()
{
    // Written beside the old file and moved over it, so a failed write never loses the saved score.
    std::string final_path = disk_path(high_score_path);
    std::string temp_path = final_path + ".new";
    stream* s = open_write(temp_path);
    if (!s) {
        std::fprintf(stderr, "ramparion: cannot write %s; the best score was not saved\n", final_path.c_str());
        return;
    }
    write_int(s, best_score);
    write_int(s, best_casualties);
    bool written = close_stream(s);
    if (!written || std::rename(temp_path.c_str(), final_path.c_str()) != 0) {
        std::remove(temp_path.c_str());
        std::fprintf(stderr, "ramparion: cannot write %s; the best score was not saved\n", final_path.c_str());
    }
}
