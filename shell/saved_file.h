// Files in the player's folder that must survive a crash: written aside, synced and renamed over the old one.
#pragma once

#include <string>

// The player's folder for saved files, ending in '/'; empty when there is none.
std::string player_folder();
// One line on stderr: "ramparion: PATH WHAT; OUTCOME".
void say_about_file(const std::string& path, const std::string& what, const char* outcome);
// Replaces folder + name with `bytes`; whatever fails, the old file stays whole and one line says why
// and that `what` ("the best score") was not saved. `before_rename` (tests) runs once the new file is
// synced but not yet renamed.
bool replace_file(const std::string& folder, const char* name, const std::string& bytes, const char* what,
                  void (*before_rename)() = nullptr);
// A save killed between making its copy and renaming it leaves "NAME.XXXXXX" behind; ones older than
// a minute belong to no save still running and are removed.
void sweep_stale_copies(const std::string& folder, const char* name);
