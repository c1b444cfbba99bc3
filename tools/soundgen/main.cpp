// soundgen: writes every sound and music file of the game into a folder.
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "catalogue.h"
#include "ogg_io.h"

namespace {

void usage()
{
    std::fprintf(stderr, "usage: soundgen OUT_DIR [FILE.ogg ...]\n");
}

bool wanted(const char* file, int argc, char** argv)
{
    if (argc <= 2) return true;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], file) == 0) return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage();
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "soundgen: cannot create %s: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }
    std::vector<int> jobs;
    for (int i = 0; i < snd::sound_count; ++i)
        if (wanted(snd::sound_table[i].file, argc, argv)) jobs.push_back(i);
    if (jobs.empty()) {
        std::fprintf(stderr, "soundgen: no such sound\n");
        return 2;
    }

    std::vector<snd::built_sound> results(snd::sound_count);
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t j = next++; j < jobs.size(); j = next++)
            results[jobs[j]] = snd::build_sound(snd::sound_table[jobs[j]]);
    };
    unsigned threads = std::thread::hardware_concurrency();
    if (threads < 1) threads = 1;
    if (threads > 4) threads = 4;
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
    for (std::thread& t : pool) t.join();

    int failures = 0;
    size_t total = 0;
    for (int i : jobs) {
        const snd::sound_entry& e = snd::sound_table[i];
        const snd::built_sound& r = results[i];
        if (!r.ok) {
            std::fprintf(stderr, "soundgen: %s: %s\n", e.file, r.error.c_str());
            ++failures;
            continue;
        }
        const std::string path = dir + "/" + e.file;
        if (!snd::write_file(path, r.bytes)) {
            std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
            return 1; // the folder is unusable; one message is enough
        }
        total += r.bytes.size();
        std::printf("%-15s %6.2f s  peak %6.2f dBFS  loud %6.1f dBFS  %7zu bytes\n", e.file, r.seconds,
                    20.0 * std::log10(r.peak), r.loudness_db, r.bytes.size());
    }
    std::printf("total %zu bytes\n", total);
    return failures ? 1 : 0;
}
