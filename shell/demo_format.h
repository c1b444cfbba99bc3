// The demo file: a checked, compressed container for a game's start, the input it read and its states.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Raised whenever a change to the game makes old demos play differently; a demo recorded under
// other rules is refused rather than played wrongly.
constexpr uint32_t demo_rules_version = 1;
// The layout of the file itself.
constexpr uint32_t demo_format_version = 1;
// A state checksum is kept every this many presented frames.
constexpr uint32_t demo_checksum_every = 120;

struct demo {
    std::string game_version; // the game that recorded it
    uint32_t rules = demo_rules_version;
    int difficulty = 0;
    uint32_t frames = 0;             // presented frames
    std::vector<uint8_t> start;      // the state the game started from (demo_state)
    std::vector<uint8_t> input;      // every input read, coded (demo.cpp)
    std::vector<uint8_t> states;     // score, casualties, days and men, where they changed
    std::vector<uint32_t> checksums; // after frames demo_checksum_every, 2 * demo_checksum_every, ...
};

// The whole file, compressed and checksummed.
std::vector<uint8_t> write_demo(const demo& d);
// Checks and unpacks a file. On refusal returns false with what is wrong, as the end of a sentence
// that starts with the file's name ("is not a demo", "is truncated ..."), in `why`.
[[nodiscard]] bool read_demo(const uint8_t* data, size_t size, demo& out, std::string& why);

// The checksum stored at bytes 20..23 of a file of at least 24 bytes: over all its other bytes.
uint32_t file_checksum(const uint8_t* data, size_t size);

// Little-endian numbers and unsigned LEB128 varints, for the demo's parts.
struct byte_writer {
    std::vector<uint8_t>& out;
    void u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void varint(uint64_t v)
    {
        while (v >= 0x80) {
            out.push_back(static_cast<uint8_t>(v | 0x80));
            v >>= 7;
        }
        out.push_back(static_cast<uint8_t>(v));
    }
};

struct byte_reader {
    const uint8_t* p = nullptr;
    size_t size = 0, at = 0;
    bool ok = true; // false once anything was read past the end or malformed

    size_t left() const { return size - at; }
    uint32_t u32()
    {
        if (left() < 4) return fail();
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(p[at + i]) << (8 * i);
        at += 4;
        return v;
    }
    uint64_t varint()
    {
        uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (at >= size) return fail();
            uint8_t b = p[at++];
            v |= static_cast<uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        return fail();
    }
    bool bytes(void* to, size_t n);
    uint32_t fail()
    {
        ok = false;
        at = size;
        return 0;
    }
};

inline uint32_t zigzag(int32_t v)
{
    return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31);
}
inline int32_t unzigzag(uint64_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(v >> 1) ^ (0u - static_cast<uint32_t>(v & 1)));
}
