// Ogg Vorbis encoder and decoder wrappers over libvorbisenc and libvorbisfile.
#include "ogg_io.h"

#include <cstdio>
#include <cstring>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

namespace snd {

namespace {

void append_page(std::vector<uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

struct memory_reader {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};

size_t mem_read(void* dst, size_t size, size_t count, void* src)
{
    auto* r = static_cast<memory_reader*>(src);
    const size_t left = r->bytes->size() - r->pos;
    size_t n = size * count;
    if (n > left) n = left;
    std::memcpy(dst, r->bytes->data() + r->pos, n);
    r->pos += n;
    return size ? n / size : 0;
}

int mem_seek(void* src, ogg_int64_t offset, int whence)
{
    auto* r = static_cast<memory_reader*>(src);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<ogg_int64_t>(r->pos);
    else if (whence == SEEK_END)
        base = static_cast<ogg_int64_t>(r->bytes->size());
    const ogg_int64_t to = base + offset;
    if (to < 0 || to > static_cast<ogg_int64_t>(r->bytes->size())) return -1;
    r->pos = static_cast<size_t>(to);
    return 0;
}

long mem_tell(void* src)
{
    return static_cast<long>(static_cast<memory_reader*>(src)->pos);
}

} // namespace

std::vector<uint8_t> encode_vorbis(const std::vector<float>& pcm, float quality, uint32_t serial,
                                   const std::vector<std::string>& tags)
{
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 1, 44100, quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "ENCODER", "soundgen");
    for (const std::string& tag : tags) vorbis_comment_add(&vc, tag.c_str());

    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, static_cast<int>(serial));

    ogg_packet header, header_comm, header_code;
    vorbis_analysis_headerout(&vd, &vc, &header, &header_comm, &header_code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &header_comm);
    ogg_stream_packetin(&os, &header_code);
    ogg_page og;
    while (ogg_stream_flush(&os, &og) != 0) append_page(out, og);

    constexpr size_t chunk = 4096;
    size_t pos = 0;
    bool eos = false;
    while (!eos) {
        const size_t n = pcm.size() - pos < chunk ? pcm.size() - pos : chunk;
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            std::memcpy(buf[0], pcm.data() + pos, n * sizeof(float));
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            pos += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op) == 1) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0) {
                    append_page(out, og);
                    if (ogg_page_eos(&og)) eos = true;
                }
            }
        }
        if (n == 0 && !eos) {
            // Nothing more came out: flush whatever is left.
            while (ogg_stream_flush(&os, &og) != 0) append_page(out, og);
            eos = true;
        }
    }

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

decoded_sound decode_vorbis(const std::vector<uint8_t>& bytes)
{
    decoded_sound d;
    memory_reader reader{&bytes, 0};
    ov_callbacks cb{mem_read, mem_seek, nullptr, mem_tell};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, cb) != 0) {
        d.error = "not an Ogg Vorbis stream";
        return d;
    }
    const vorbis_info* vi = ov_info(&vf, -1);
    d.rate = static_cast<int>(vi->rate);
    d.channels = vi->channels;
    if (const vorbis_comment* vc = ov_comment(&vf, -1))
        for (int i = 0; i < vc->comments; ++i)
            d.tags.emplace_back(vc->user_comments[i], static_cast<size_t>(vc->comment_lengths[i]));
    int section = 0;
    for (;;) {
        float** chans = nullptr;
        const long n = ov_read_float(&vf, &chans, 4096, &section);
        if (n == 0) break;
        if (n < 0) {
            d.error = "corrupt audio data";
            ov_clear(&vf);
            return d;
        }
        d.samples.insert(d.samples.end(), chans[0], chans[0] + n);
    }
    ov_clear(&vf);
    d.ok = true;
    return d;
}

decoded_sound decode_vorbis_file(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!read_file(path, bytes)) {
        decoded_sound d;
        d.error = "cannot read " + path;
        return d;
    }
    return decode_vorbis(bytes);
}

std::string find_tag(const decoded_sound& d, const std::string& key)
{
    const std::string prefix = key + "=";
    for (const std::string& tag : d.tags)
        if (tag.compare(0, prefix.size(), prefix) == 0) return tag.substr(prefix.size());
    return {};
}

bool read_file(const std::string& path, std::vector<uint8_t>& out)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t buf[65536];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    return wrote && closed;
}

} // namespace snd
