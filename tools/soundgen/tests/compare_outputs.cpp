// Compares freshly generated sound files with the committed ones: same bytes,
// or at least the same encoded samples when this machine's encoder differs.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue.h"
#include "check.h"
#include "ogg_io.h"

using check::expect;

namespace {

std::vector<std::string> ogg_names(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        if (e.path().extension() == ".ogg") names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: compare_outputs MADE_DIR COMMITTED_DIR\n");
        return 2;
    }
    const std::string made = argv[1], committed = argv[2];
    const std::vector<std::string> names = ogg_names(made);
    expect(!names.empty(), "generator wrote files");
    expect(names == ogg_names(committed), "same set of files as committed");
    int identical = 0;
    for (const std::string& name : names) {
        std::vector<uint8_t> a, b;
        const bool read = snd::read_file(made + "/" + name, a) && snd::read_file(committed + "/" + name, b);
        expect(read, "both copies readable", name.c_str());
        if (!read) continue;
        if (a == b) {
            ++identical;
            expect(true, "byte-identical");
            continue;
        }
        // Different bytes: acceptable only if the encoder, not the sound, changed.
        const std::string pa = snd::find_tag(snd::decode_vorbis(a), snd::pcm_tag);
        const std::string pb = snd::find_tag(snd::decode_vorbis(b), snd::pcm_tag);
        expect(!pa.empty() && pa == pb, "regenerated sound matches the committed one", name.c_str());
        if (!pa.empty() && pa == pb)
            std::printf("note: %s has the same samples but this encoder writes other bytes\n", name.c_str());
    }
    std::printf("%d of %zu files byte-identical\n", identical, names.size());
    return check::finish();
}
