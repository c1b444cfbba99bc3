// The player's choices kept from run to run in settings.ini beside the best score.
#pragma once

#include <string>
#include <vector>

struct settings {
    int sound_step = 5; // menu steps 0..10
    int music_step = 8;
    int onslaught = 0; // 0 "Normal", 1 "Suicidal"
    bool fullscreen = true;
    int window_w = 0, window_h = 0; // the window's size; 0: the game's own choice
    bool reduce_flashing = false;
    bool operator==(const settings&) const = default;
};

constexpr const char* settings_name = "settings.ini";

// Reads the text of a settings file. Each line that cannot be read leaves its key at the default and
// adds one message naming `file`, the line number and the key to `complaints`.
settings parse_settings(const std::string& text, const std::string& file, std::vector<std::string>& complaints);
// The whole file for `s`: a comment line, then one "key = value" line per setting.
std::string format_settings(const settings& s);

// Reads settings.ini into the volumes, the onslaught, the flash choice and the display's choice; once,
// before the display opens. A missing file gives the defaults.
void load_settings();
// The window as it opened, so only what the player changes during the run is kept at exit.
void note_display_opened();
// Writes settings.ini when the choices differ from what it holds (or it held lines that could not be
// read). The menu calls it after a change, the shutdown at exit after asking the window how it is.
void save_settings();
void save_settings_at_exit();
// --reduce-flashing: gentle flashes for this run, whatever the file says.
void reduce_flashing_this_run(bool on = true);
// The share of the white flash's strength that is drawn: 1, or a quarter with flashes reduced.
float flash_share();
// Tests draw the flash at this share whatever the choice, 0 to see the picture beneath it; negative: none.
extern float flash_share_override;
// Tests stop the process here: the new file is written and synced but not yet moved over the old one.
extern void (*settings_before_rename)();
