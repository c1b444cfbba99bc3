// Feeds arbitrary files to the game as the player's high-score file, then reads them with read_int.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/reader_checks.h"
#include "platform/headless_backend.h"
#include "shell/labels.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The player's folder is a scratch one, in memory where there is such a place, as every run
    // writes a file; an earlier build's file beside the game is never read.
    static char in_memory[] = "/dev/shm/ramparion-hiscore-fuzz-XXXXXX";
    static char on_disk[] = "/tmp/ramparion-hiscore-fuzz-XXXXXX";
    const char* folder = ::mkdtemp(in_memory);
    if (!folder) folder = ::mkdtemp(on_disk);
    if (!folder) std::abort();
    static std::string scratch = folder;
    std::atexit([] {
        std::remove((scratch + "/" + high_score_name).c_str());
        ::rmdir(scratch.c_str());
    });
    auto b = std::make_unique<platform::headless_backend>();
    b->set_user_folder(std::string(folder) + "/");
    platform::set_backend(std::move(b));
    old_high_score_path.clear();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reader_checks::must_behave("hiscore", reader_checks::high_score(data, size));
    return 0;
}
