// Files in the player's folder that must survive a crash: written aside, synced and renamed over the old one.
#include "shell/saved_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/platform.h"
#include "services/files.h"

std::string player_folder()
{
    std::string folder = platform::current().user_folder();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

void say_about_file(const std::string& path, const std::string& what, const char* outcome)
{
    std::fprintf(stderr, "ramparion: %s %s; %s\n", disk_path(path).c_str(), what.c_str(), outcome);
}

bool replace_file(const std::string& folder, const char* name, const std::string& bytes, const char* what,
                  void (*before_rename)())
{
    const std::string not_saved = std::string(what) + " was not saved";
    const char* outcome = not_saved.c_str();
    std::string path = folder + name;
    std::string temp;
    stream* s = open_temp_beside(path, temp);
    if (!s) {
        say_about_file(folder, std::string("takes no new file: ") + std::strerror(errno), outcome);
        return false;
    }
    write_bytes(s, bytes.data(), bytes.size());
    bool synced = sync_stream(s);
    int e = errno;
    bool closed = close_stream(s);
    if (!synced || !closed) {
        std::remove(temp.c_str());
        say_about_file(temp, std::string("could not be written: ") + std::strerror(synced ? EIO : e), outcome);
        return false;
    }
    if (before_rename) before_rename();
    if (std::rename(temp.c_str(), disk_path(path).c_str()) != 0) {
        e = errno;
        std::remove(temp.c_str());
        say_about_file(path, std::string("could not be replaced: ") + std::strerror(e), outcome);
        return false;
    }
    if (!sync_folder(folder))
        say_about_file(folder, std::string("could not be synced: ") + std::strerror(errno),
                       (std::string(what) + " may not last a crash").c_str());
    return true;
}

void sweep_stale_copies(const std::string& folder, const char* name)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string prefix = std::string(name) + ".";
    auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(disk_path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (entry.size() != prefix.size() + 6 || entry.compare(0, prefix.size(), prefix) != 0) continue;
        std::error_code e2;
        if (!it->is_regular_file(e2) || e2) continue;
        auto written = it->last_write_time(e2);
        if (!e2 && now - written > std::chrono::minutes(1)) fs::remove(it->path(), e2);
    }
}
