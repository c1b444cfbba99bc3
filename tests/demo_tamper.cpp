// Makes faulty demos from a good one, for the tests: demo_tamper MODE IN OUT
//   drop-read   the recorder missed one input read half-way through the game
//   rules       recorded under other rules      format   another file format
//   states      one frame's recorded score is off by one
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/demo_format.h"

namespace {

// Takes one unchanged read out of the first frame past the middle that has one.
bool drop_read(demo& d)
{
    byte_reader r{d.input.data(), d.input.size()};
    std::vector<uint8_t> out;
    byte_writer w{out};
    uint32_t frame = 0;
    bool dropped = false;
    while (r.left() > 0) {
        uint64_t v = r.varint();
        bool end = v & 1;
        uint64_t run = end ? v >> 1 : v >> 5;
        if (!dropped && frame >= d.frames / 2 && run > 0) {
            v -= end ? 2 : 32;
            dropped = true;
        }
        w.varint(v);
        if (!end) w.varint(r.varint());
        if (end) ++frame;
    }
    d.input = out;
    return r.ok && dropped;
}

// Adds a point to the score of the first change recorded past the middle of the game.
bool shift_score(demo& d)
{
    byte_reader r{d.states.data(), d.states.size()};
    std::vector<uint8_t> out;
    byte_writer w{out};
    uint64_t frame = 0;
    bool shifted = false;
    while (r.left() > 0) {
        uint64_t after = r.varint();
        frame += after;
        w.varint(after);
        int32_t score = unzigzag(r.varint());
        if (!shifted && frame >= d.frames / 2) {
            score += 1;
            shifted = true;
        }
        w.varint(zigzag(score));
        for (int i = 0; i < 3; ++i) w.varint(r.varint());
    }
    d.states = out;
    return r.ok && shifted;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: demo_tamper drop-read|rules|format|states IN OUT\n");
        return 2;
    }
    std::string mode = argv[1];
    std::ifstream in(argv[2], std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    demo d;
    std::string why;
    if (!read_demo(bytes.data(), bytes.size(), d, why)) {
        std::fprintf(stderr, "demo_tamper: %s %s\n", argv[2], why.c_str());
        return 1;
    }
    bool ok = true;
    if (mode == "drop-read")
        ok = drop_read(d);
    else if (mode == "states")
        ok = shift_score(d);
    else if (mode == "rules")
        d.rules = demo_rules_version + 1;
    else if (mode != "format")
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "demo_tamper: cannot %s %s\n", mode.c_str(), argv[2]);
        return 1;
    }
    std::vector<uint8_t> out = write_demo(d);
    if (mode == "format") {
        out[8] = static_cast<uint8_t>(demo_format_version + 1);
        uint32_t c = file_checksum(out.data(), out.size());
        for (int i = 0; i < 4; ++i) out[20 + static_cast<size_t>(i)] = static_cast<uint8_t>(c >> (8 * i));
    }
    std::ofstream f(argv[3], std::ios::binary);
    f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return f ? 0 : 1;
}
