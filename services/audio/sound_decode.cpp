// Sample decoders: Ogg Vorbis through libvorbisfile over memory, and plain RIFF WAVE.
#include "services/audio/sound_decode.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

namespace {

// Nothing the game plays is near this long; it bounds what a hostile file can make us allocate.
constexpr size_t max_frames = static_cast<size_t>(mix_rate) * 60 * 10;
constexpr int max_source_rate = 1000000;

decode_result fail(const char* why)
{
    decode_result r;
    r.error = why;
    return r;
}

uint32_t le32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// ---- Ogg Vorbis ----

struct memory_source {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

size_t memory_read(void* out, size_t item, size_t items, void* src)
{
    auto* m = static_cast<memory_source*>(src);
    if (item == 0) return 0;
    size_t want = item * items;
    size_t left = m->size - m->pos;
    size_t k = std::min(want, left) / item * item;
    std::memcpy(out, m->data + m->pos, k);
    m->pos += k;
    return k / item;
}

// libvorbisfile reads a cut-off file as if it ended there, so the framing is checked here: whole
// pages up to the last byte, the last one closing its stream. Gives the last granule position.
bool ogg_framing_complete(const uint8_t* data, size_t size, int64_t& last_granule)
{
    size_t pos = 0;
    bool closed = false;
    while (pos < size) {
        if (size - pos < 27 || std::memcmp(data + pos, "OggS", 4) != 0) return false;
        const uint8_t* page = data + pos;
        size_t segments = page[26];
        if (size - pos < 27 + segments) return false;
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i) body += page[27 + i];
        size_t page_size = 27 + segments + body;
        if (size - pos < page_size) return false;
        closed = (page[5] & 4) != 0;
        uint64_t g = le32(page + 6) | (static_cast<uint64_t>(le32(page + 10)) << 32);
        last_granule = static_cast<int64_t>(g);
        pos += page_size;
    }
    return closed;
}

} // namespace

decode_result decode_ogg(const uint8_t* data, size_t size)
{
    int64_t granule = 0;
    if (!ogg_framing_complete(data, size, granule)) return fail("truncated or damaged Ogg data");

    memory_source src{data, size, 0};
    ov_callbacks io{memory_read, nullptr, nullptr, nullptr};
    OggVorbis_File vf;
    if (ov_open_callbacks(&src, &vf, nullptr, 0, io) != 0) return fail("not an Ogg Vorbis stream");

    const vorbis_info* info = ov_info(&vf, -1);
    if (!info || info->channels < 1 || info->rate < 1 || info->rate > max_source_rate) {
        ov_clear(&vf);
        return fail("unsupported Vorbis layout");
    }
    const int in_channels = info->channels;
    const long rate = info->rate;
    auto s = std::make_unique<sound>();
    s->rate = static_cast<int>(rate);
    s->channels = in_channels == 1 ? 1 : 2;
    s->bits = 16;
    if (granule > 0) s->pcm16.reserve(std::min<size_t>(static_cast<size_t>(granule), max_frames) * s->channels);

    char buf[16384];
    const char* error = nullptr;
    for (;;) {
        int now = 0;
        long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &now);
        if (n == 0) break;
        if (n < 0) {
            error = "damaged Vorbis data";
            break;
        }
        // A chained file may change its layout between links; the sample has one layout.
        const vorbis_info* vi = ov_info(&vf, -1);
        if (!vi || vi->channels != in_channels || vi->rate != rate) {
            error = "Vorbis links of different layouts";
            break;
        }
        size_t frames = static_cast<size_t>(n) / (2 * static_cast<size_t>(in_channels));
        if (s->pcm16.size() / s->channels + frames > max_frames) {
            error = "sound too long";
            break;
        }
        for (size_t f = 0; f < frames; ++f) {
            for (int c = 0; c < s->channels; ++c) {
                int16_t v;
                std::memcpy(&v, buf + 2 * (f * in_channels + c), 2);
                s->pcm16.push_back(v);
            }
        }
    }
    ov_clear(&vf);
    if (error) return fail(error);
    s->frames = s->pcm16.size() / s->channels;
    if (s->frames == 0) return fail("no audio in the stream");
    decode_result r;
    r.snd = std::move(s);
    return r;
}

// ---- RIFF WAVE ----

decode_result decode_wav(const uint8_t* data, size_t size)
{
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return fail("not a RIFF WAVE file");

    const uint8_t* fmt = nullptr;
    size_t fmt_size = 0;
    const uint8_t* pcm = nullptr;
    size_t pcm_size = 0;
    size_t pos = 12;
    while (size - pos >= 8) {
        const uint8_t* chunk = data + pos;
        size_t len = le32(chunk + 4);
        size_t avail = std::min(len, size - pos - 8);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !fmt) {
            fmt = chunk + 8;
            fmt_size = avail;
        } else if (std::memcmp(chunk, "data", 4) == 0 && !pcm) {
            pcm = chunk + 8; // a data size past the end is common: take what is there
            pcm_size = avail;
        }
        if (len > size - pos - 8) break;
        pos += 8 + len + (len & 1);
        if (pos > size) break;
    }
    if (!fmt || fmt_size < 16) return fail("WAVE file without a format");
    if (!pcm) return fail("WAVE file without data");

    unsigned format = le16(fmt);
    if (format == 0xFFFE && fmt_size >= 26) format = le16(fmt + 24); // extensible: the sub-format
    const unsigned channels = le16(fmt + 2);
    const uint32_t rate = le32(fmt + 4);
    const unsigned bits = le16(fmt + 14);
    if (format != 1 || channels < 1 || (bits != 8 && bits != 16) || rate < 1 ||
        rate > static_cast<uint32_t>(max_source_rate))
        return fail("WAVE format other than 8 or 16 bit PCM");

    const size_t frame_bytes = channels * (bits / 8);
    const size_t frames = std::min(pcm_size / frame_bytes, max_frames);
    if (frames == 0) return fail("no audio in the WAVE file");

    auto s = std::make_unique<sound>();
    s->rate = static_cast<int>(rate);
    s->channels = channels == 1 ? 1 : 2;
    s->bits = static_cast<int>(bits);
    s->frames = frames;
    const size_t out = frames * s->channels;
    if (bits == 8)
        s->pcm8.resize(out);
    else
        s->pcm16.resize(out);
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t* in = pcm + f * frame_bytes;
        for (int c = 0; c < s->channels; ++c) {
            size_t at = f * s->channels + c;
            if (bits == 8)
                s->pcm8[at] = in[c];
            else
                s->pcm16[at] = static_cast<int16_t>(le16(in + 2 * c));
        }
    }
    decode_result r;
    r.snd = std::move(s);
    return r;
}

decode_result decode_sound(const uint8_t* data, size_t size, bool loop)
{
    decode_result r;
    if (size >= 4 && std::memcmp(data, "OggS", 4) == 0)
        r = decode_ogg(data, size);
    else if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0)
        r = decode_wav(data, size);
    else
        r.error = "neither Ogg Vorbis nor WAVE data";
    if (r.snd) r.snd->loop = loop;
    return r;
}
