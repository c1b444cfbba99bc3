// What each file reader must do with any bytes at all; the fuzz targets and the corpus test share it.
// Each check runs the reader and returns "" when it behaved, else what went wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "services/audio/mixer.h"
#include "services/audio/sound_decode.h"
#include "services/display.h"
#include "services/files.h"
#include "services/images.h"
#include "services/text.h"
#include "shell/demo_format.h"
#include "shell/demo_state.h"
#include "shell/game_state.h"
#include "shell/high_score.h"

namespace reader_checks {

inline std::string png(const uint8_t* data, size_t size)
{
    std::shared_ptr<pixmap> pm = decode_png(data, size);
    if (!pm) return "";
    // Whatever comes out must be a whole buffer of its stated size.
    size_t want = static_cast<size_t>(pm->width) * pm->height * static_cast<size_t>(pm->channels);
    if (pm->width <= 0 || pm->height <= 0 || pm->pixels.size() != want) return "a picture of the wrong size";
    if (!pm->has_alpha() && want <= (4u << 20)) {
        std::shared_ptr<pixmap> masked = mask_pixmap(*pm, 0, 0, 0);
        if (masked->pixels.size() != static_cast<size_t>(pm->width) * pm->height * 4) return "a bad mask";
    }
    return "";
}

// Plays an accepted sound for a few blocks, so the end and loop paths run on what the decoder made.
inline std::string play(sound& s, uint8_t speed_byte, bool loop)
{
    const size_t samples = s.frames * static_cast<size_t>(s.channels);
    const size_t held = s.bits == 8 ? s.pcm8.size() : s.pcm16.size();
    if (s.frames == 0 || (s.channels != 1 && s.channels != 2) || s.rate < 1 || held != samples)
        return "a sound whose size disagrees with its samples";
    s.loop = loop;
    voice v;
    v.snd = &s;
    v.rate = unit_rate / 4 + static_cast<uint32_t>(speed_byte) * (unit_rate / 64);
    voice* live = &v;
    std::vector<int16_t> out(2 * 512);
    for (int block = 0; block < 4 && !v.stopped; ++block) mix_voices(&live, 1, out.data(), 512);
    return "";
}

inline std::string sound_file(const uint8_t* data, size_t size)
{
    decode_result r = decode_sound(data, size, size % 2 == 1);
    if (!r.snd) return r.error.empty() ? "a refusal without a reason" : "";
    return play(*r.snd, size ? data[0] : 0, r.snd->loop);
}

inline std::string wav(const uint8_t* data, size_t size)
{
    decode_result r = decode_wav(data, size);
    if (!r.snd) return r.error.empty() ? "a refusal without a reason" : "";
    return play(*r.snd, data[0], size % 2 == 1);
}

// Needs a display open. The last byte picks the size and style, so both the smooth and the plain
// paths run; it stays part of the font, since a face's last byte is mostly padding.
inline std::string font_file(const uint8_t* data, size_t size)
{
    if (size < 1) return "";
    int size_px = 6 + data[size - 1] % 40;
    int style = (data[size - 1] & 0x80) ? 4 : 0;
    font* f = load_font_memory(std::vector<uint8_t>(data, data + size), size_px, style);
    if (!f) return "";
    font* before = draw_state.image_font;
    set_font(f);
    static const char line[] = "RAMPARION '07 Day 12: 0123456789 gjpqy \xc3\xa9\xe4\xb8\x80 ~{|}";
    std::string why = text_width(line) < 0 ? "a negative text width" : "";
    set_blend_mode(blend_alpha);
    draw_text(line, 4, 4);
    set_draw_transform(33.0f, 2.0f, 1.5f);
    draw_text(line, 40, 100);
    set_draw_transform(0.0f, 1.0f, 1.0f);
    set_font(before);
    free_font(f);
    return why;
}

// The bytes become the player's high-score file (the backend's folder for saved files must be
// set): exactly 8 bytes of two non-negative ints are the best score, anything else is none. Then
// read_int walks the same file: whole ints, a partial one in the low bytes, then 0.
inline std::string high_score(const uint8_t* data, size_t size)
{
    const std::string path = high_score_path();
    if (path.empty()) return "no folder for the player's files";
    std::remove(path.c_str()); // a new file each time: truncating one makes the file system flush it on close
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "cannot write " + path;
    bool written = size == 0 || std::fwrite(data, 1, size, f) == size; // an empty input has no bytes to hand over
    if (std::fclose(f) != 0 || !written) return "cannot write " + path;

    best_score = best_casualties = -1;
    load_high_score();
    auto le32 = [&](size_t at) {
        uint32_t u = 0;
        for (size_t i = 0; i < 4 && at + i < size; ++i) u |= static_cast<uint32_t>(data[at + i]) << (8 * i);
        return static_cast<int>(u);
    };
    const bool good = size == 8 && le32(0) >= 0 && le32(4) >= 0;
    if (good && (best_score != le32(0) || best_casualties != le32(4))) return "a good file read wrongly";
    if (!good && (best_score != 0 || best_casualties != 0)) return "a bad file gave a best score";

    stream_handle s(open_read(path));
    if (!s) return "cannot open " + path + " again";
    for (size_t at = 0; at < size + 8; at += 4)
        if (read_int(s.get()) != le32(at)) return "read_int at byte " + std::to_string(at);
    if (stream_failed(s.get())) return "reading past the end counted as a failure";
    return "";
}

// One demo file: refused with a reason, or read whole; a read demo writes and reads back the same,
// its streams decode to their ends, and a start it accepts restores and captures back to its bytes.
inline std::string demo_bytes(const uint8_t* data, size_t size)
{
    demo d;
    std::string why;
    if (!read_demo(data, size, d, why)) return why.empty() ? "a refusal without a reason" : "";
    std::vector<uint8_t> again = write_demo(d);
    demo e;
    if (!read_demo(again.data(), again.size(), e, why)) return "a demo it wrote was refused: " + why;
    if (e.start != d.start || e.input != d.input || e.states != d.states || e.checksums != d.checksums ||
        e.frames != d.frames || e.difficulty != d.difficulty || e.game_version != d.game_version)
        return "a demo read back differently";
    byte_reader in{d.input.data(), d.input.size()};
    while (in.ok && in.left() > 0)
        if (!(in.varint() & 1)) in.varint();
    byte_reader st{d.states.data(), d.states.size()};
    while (st.ok && st.left() > 0)
        for (int i = 0; i < 5; ++i) st.varint();
    if (!check_start(d.start, why)) return why.empty() ? "a start refused without a reason" : "";
    restore_start(d.start);
    if (capture_start() != d.start) return "a start restored differently";
    return "";
}

// The bytes as a file; as a file whose length and checksum are made right, so damage past them is
// read; and as the unpacked content of a well-made file.
inline std::string demo_file(const uint8_t* data, size_t size)
{
    std::string why = demo_bytes(data, size);
    if (!why.empty()) return why;
    auto le = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    if (size >= 29) {
        std::vector<uint8_t> fixed(data, data + size);
        le(fixed, 8, demo_format_version);
        le(fixed, 16, static_cast<uint32_t>(size));
        le(fixed, 20, file_checksum(fixed.data(), fixed.size()));
        why = demo_bytes(fixed.data(), fixed.size());
        if (!why.empty()) return why;
    }
    std::vector<uint8_t> made(29, 0);
    std::memcpy(made.data(), "RMPRDEMO", 8);
    le(made, 8, demo_format_version);
    le(made, 12, demo_rules_version);
    le(made, 24, static_cast<uint32_t>(size));
    uLongf packed = compressBound(static_cast<uLong>(size));
    made.resize(29 + packed);
    if (compress2(made.data() + 29, &packed, size ? data : made.data(), static_cast<uLong>(size), 1) != Z_OK) return "";
    made.resize(29 + packed);
    le(made, 16, static_cast<uint32_t>(made.size()));
    le(made, 20, file_checksum(made.data(), made.size()));
    return demo_bytes(made.data(), made.size());
}

// For the fuzz targets: a misbehaving reader is a crash, so libFuzzer keeps the input.
inline void must_behave(const char* reader, const std::string& why)
{
    if (why.empty()) return;
    std::fprintf(stderr, "%s: %s\n", reader, why.c_str());
    __builtin_trap();
}

} // namespace reader_checks
