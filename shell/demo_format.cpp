// The demo file: a checked, compressed container for a game's start, the input it read and its states.
#include "shell/demo_format.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr uint8_t magic[8] = {'R', 'M', 'P', 'R', 'D', 'E', 'M', 'O'};
constexpr size_t fixed_header = 28; // magic, format, rules, file size, checksum, payload size
constexpr size_t longest_version = 64;
// Far above an hour's game (about a megabyte unpacked): anything larger is not ours.
constexpr uint32_t largest_payload = 64u << 20;

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t crc_of(const uint8_t* p, size_t n, uLong c = crc32(0L, Z_NULL, 0))
{
    while (n > 0) {
        uInt step = n > (1u << 30) ? (1u << 30) : static_cast<uInt>(n);
        c = crc32(c, p, step);
        p += step;
        n -= step;
    }
    return static_cast<uint32_t>(c);
}

void put_blob(byte_writer& w, const std::vector<uint8_t>& b)
{
    w.u32(static_cast<uint32_t>(b.size()));
    w.out.insert(w.out.end(), b.begin(), b.end());
}

bool get_blob(byte_reader& r, std::vector<uint8_t>& b)
{
    uint32_t n = r.u32();
    if (!r.ok || n > r.left()) return false;
    b.assign(r.p + r.at, r.p + r.at + n);
    r.at += n;
    return true;
}

bool read_payload(const uint8_t* p, size_t n, demo& d)
{
    byte_reader r{p, n};
    uint32_t difficulty = r.u32();
    d.frames = r.u32();
    uint32_t every = r.u32();
    if (!r.ok || difficulty > 1 || every != demo_checksum_every) return false;
    d.difficulty = static_cast<int>(difficulty);
    if (!get_blob(r, d.start) || !get_blob(r, d.input) || !get_blob(r, d.states)) return false;
    uint32_t sums = r.u32();
    if (!r.ok || sums != d.frames / demo_checksum_every || sums > r.left() / 4) return false;
    d.checksums.resize(sums);
    for (auto& c : d.checksums) c = r.u32();
    return r.ok && r.left() == 0;
}

} // namespace

uint32_t file_checksum(const uint8_t* p, size_t n)
{
    return crc_of(p + 24, n - 24, crc_of(p, 20));
}

bool byte_reader::bytes(void* to, size_t n)
{
    if (left() < n) {
        fail();
        return false;
    }
    if (n) std::memcpy(to, p + at, n);
    at += n;
    return true;
}

std::vector<uint8_t> write_demo(const demo& d)
{
    std::vector<uint8_t> payload;
    payload.reserve(d.start.size() + d.input.size() + d.states.size() + d.checksums.size() * 4 + 64);
    byte_writer pw{payload};
    pw.u32(static_cast<uint32_t>(d.difficulty));
    pw.u32(d.frames);
    pw.u32(demo_checksum_every);
    put_blob(pw, d.start);
    put_blob(pw, d.input);
    put_blob(pw, d.states);
    pw.u32(static_cast<uint32_t>(d.checksums.size()));
    for (uint32_t c : d.checksums) pw.u32(c);

    std::string version = d.game_version.substr(0, longest_version);
    std::vector<uint8_t> out(fixed_header);
    std::memcpy(out.data(), magic, sizeof magic);
    put32(out, 8, demo_format_version);
    put32(out, 12, d.rules);
    put32(out, 24, static_cast<uint32_t>(payload.size()));
    out.push_back(static_cast<uint8_t>(version.size()));
    out.insert(out.end(), version.begin(), version.end());
    uLongf packed = compressBound(static_cast<uLong>(payload.size()));
    size_t at = out.size();
    out.resize(at + packed);
    if (compress2(out.data() + at, &packed, payload.data(), static_cast<uLong>(payload.size()), 6) != Z_OK) return {};
    out.resize(at + packed);
    put32(out, 16, static_cast<uint32_t>(out.size()));
    put32(out, 20, file_checksum(out.data(), out.size()));
    return out;
}

bool read_demo(const uint8_t* data, size_t size, demo& out, std::string& why)
{
    out = demo{};
    // A file cut off inside the magic is still recognisably a demo.
    size_t head = size < sizeof magic ? size : sizeof magic;
    if (size == 0 || std::memcmp(data, magic, head) != 0) {
        why = "is not a demo";
        return false;
    }
    if (size < 12) {
        why = "is truncated (" + std::to_string(size) + " bytes, less than a demo's header)";
        return false;
    }
    uint32_t format = le32(data + 8);
    if (format != demo_format_version) {
        why = "is demo format " + std::to_string(format) + "; this game reads format " +
              std::to_string(demo_format_version);
        return false;
    }
    if (size < fixed_header + 1) {
        why = "is truncated (" + std::to_string(size) + " bytes, less than a demo's header)";
        return false;
    }
    uint32_t whole = le32(data + 16);
    if (whole > size) {
        why = "is truncated (" + std::to_string(size) + " of its " + std::to_string(whole) + " bytes)";
        return false;
    }
    if (whole < size || whole < fixed_header + 1) {
        why = "is damaged (its length does not match)";
        return false;
    }
    if (file_checksum(data, size) != le32(data + 20)) {
        why = "is damaged (its checksum does not match)";
        return false;
    }
    size_t vlen = data[fixed_header];
    if (vlen > longest_version || fixed_header + 1 + vlen > size) {
        why = "is damaged (a bad header)";
        return false;
    }
    out.game_version.assign(reinterpret_cast<const char*>(data + fixed_header + 1), vlen);
    out.rules = le32(data + 12);
    if (out.rules != demo_rules_version) {
        why = "was recorded by Ramparion '07 " + out.game_version + ", whose rules differ from this version's";
        return false;
    }
    uint32_t raw = le32(data + 24);
    if (raw > largest_payload) {
        why = "is damaged (a bad header)";
        return false;
    }
    std::vector<uint8_t> payload(raw);
    uLongf got = raw;
    const size_t body = fixed_header + 1 + vlen;
    int z = uncompress(payload.data(), &got, data + body, static_cast<uLong>(size - body));
    if (z != Z_OK || got != raw || !read_payload(payload.data(), payload.size(), out)) {
        why = "is damaged (its content does not unpack)";
        return false;
    }
    return true;
}
