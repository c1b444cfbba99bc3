// Finds the folder that holds data/ and makes it the working directory, so the game runs from anywhere.
#pragma once

#include <string>

// The folder of the running executable.
std::string executable_folder();
// Tries `preferred` (when given), then beside the executable, then the install location.
// Returns the folder chosen, or an empty string (after one message on stderr) when none has data/.
std::string enter_data_folder(const std::string& preferred = "");
