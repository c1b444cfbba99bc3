// Saves the best score (or, with "settings", settings.ini) over and over, flipping between two records,
// until it is killed. "settings-texts" writes the two settings files a save may leave, as a.ini and b.ini.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "platform/headless_backend.h"
#include "shell/game_state.h"
#include "shell/high_score.h"
#include "shell/settings.h"

namespace {

// The two settings records the killing script accepts: sound at 2 or 7, the rest the defaults.
settings record(unsigned i)
{
    settings s;
    s.sound_step = i % 2 ? 7 : 2;
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    const char* mode = argc == 3 ? argv[2] : "";
    if (argc < 2 || argc > 3 || (*mode && std::strcmp(mode, "settings") && std::strcmp(mode, "settings-texts"))) {
        std::fprintf(stderr, "usage: save_loop FOLDER [settings | settings-texts]\n");
        return 2;
    }
    std::string folder = std::string(argv[1]) + "/";
    if (std::strcmp(mode, "settings-texts") == 0) {
        std::ofstream(folder + "a.ini") << format_settings(record(0));
        std::ofstream(folder + "b.ini") << format_settings(record(1));
        return 0;
    }
    auto b = std::make_unique<platform::headless_backend>();
    b->set_user_folder(folder);
    platform::set_backend(std::move(b));
    set_start_values(); // the settings not being flipped keep their defaults
    bool of_settings = *mode != 0;
    for (unsigned i = 0;; ++i) {
        if (of_settings) {
            sound_volume_step = record(i).sound_step;
            save_settings();
            continue;
        }
        // The two records the killing script accepts: 1000 with 10 casualties, 2000 with 20.
        best_score = i % 2 ? 2000 : 1000;
        best_casualties = i % 2 ? 20 : 10;
        save_high_score();
    }
}
