// Demos: every game recorded read for read as it is played, and a recorded game played back.
#pragma once

#include <string>

// The real game: each game goes to demos/last.rdemo in the player's folder, and a game that set a
// new best score also to demos/best.rdemo.
void record_demos_in_user_folder();
// The replay tool: each game goes to `path`; the last one played stays there.
void record_demos_to(const std::string& path);

// Reads and checks a demo to watch. False after one line on stderr, "PROGRAM: FILE is truncated ...".
[[nodiscard]] bool load_demo_to_watch(const std::string& path, const char* program);
bool watching_demo();
// Start-up while watching: the demo's start state in place of the logo and attract mode.
void start_watched_game();
// The watcher leaves: from here on the game reads a close request, as if the player had asked.
void stop_watching();
// Whether the watched game left the recorded one (said once on stderr).
bool demo_parted();
// Frames of the demo presented so far: 0 before its first.
int demo_frame();

// The shell's hooks. A new game was set up (it starts with the next frame).
void demo_new_game();
// At the top of every pass of the frame loop; false when the watched demo is over.
[[nodiscard]] bool demo_frame_top();
// After every presented frame.
void demo_frame_presented();
// When the program ends: the game in progress is kept.
void demo_shutdown();

// The recorded per-frame score, casualties, days and men of a demo file, one line a frame
// ("FRAME SCORE CASUALTIES DAYS MEN"), after a line about the file; false (with why) when it is bad.
[[nodiscard]] bool describe_demo(const std::string& path, std::string& out, std::string& why);
