// Finds the folder that holds data/ and makes it the working directory, so the game runs from anywhere.
#include "shell/data_folder.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "services/audio/sound.h"
#include "services/files.h"

#ifndef RAMPARION_INSTALL_DATA_DIR
#define RAMPARION_INSTALL_DATA_DIR "/usr/local/share/ramparion"
#endif

std::string executable_folder()
{
    std::vector<char> buf(4096);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return ".";
    std::string path(buf.data(), static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string enter_data_folder(const std::string& preferred)
{
    std::vector<std::string> candidates;
    if (!preferred.empty()) candidates.push_back(preferred);
    std::string exe = executable_folder();
    candidates.push_back(exe);
    candidates.push_back(exe + "/../share/ramparion");
    candidates.push_back(RAMPARION_INSTALL_DATA_DIR);
    for (const auto& c : candidates)
        if (file_kind(c + "/data") == 2 && ::chdir(c.c_str()) == 0) return c;
    std::fprintf(stderr, "ramparion: no data folder found beside %s; playing without sound\n", exe.c_str());
    hush_missing_sounds();
    return "";
}
