// Sounds decoded once and kept for the run, with decoding ahead of need on a worker thread.
#include "services/audio/sound_cache.h"

#include <cstdio>
#include <future>
#include <map>
#include <utility>
#include <vector>

#include "services/audio/sound.h"
#include "services/audio/sound_decode.h"
#include "services/files.h"

namespace {

struct entry {
    sound* decoded = nullptr;
    bool done = false;
    std::future<decode_result> pending;
};

// Never destroyed: the output may still be playing a cached sound while statics go away at exit.
std::map<std::pair<std::string, int>, entry>& entries()
{
    static auto* m = new std::map<std::pair<std::string, int>, entry>;
    return *m;
}

} // namespace

sound* cached_sound(const std::string& url, int flags)
{
    entry& e = entries()[{url, flags}];
    if (e.done) return e.decoded;
    e.done = true;
    if (!e.pending.valid()) {
        e.decoded = load_sound(url, flags);
        return e.decoded;
    }
    decode_result r = e.pending.get();
    if (!r.snd) std::fprintf(stderr, "ramparion: sound %s: %s\n", disk_path(url).c_str(), r.error.c_str());
    e.decoded = r.snd.release();
    return e.decoded;
}

void prefetch_sound(const std::string& url, int flags)
{
    entry& e = entries()[{url, flags}];
    if (e.done || e.pending.valid()) return;
    stream_handle in(open_read(url));
    std::vector<uint8_t> bytes;
    // A file that cannot be read is left to load_sound, which says so when the sound is wanted.
    if (!in || !read_all(in.get(), bytes)) return;
    const bool loop = (flags & 1) != 0;
    e.pending =
        std::async(std::launch::async, [b = std::move(bytes), loop] { return decode_sound(b.data(), b.size(), loop); });
}
