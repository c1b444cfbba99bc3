// Ogg Vorbis encoding of rendered sounds and decoding for the level checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace snd {

struct decoded_sound {
    bool ok = false;
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;    // channel 0 only; every file we write is mono
    std::vector<std::string> tags; // "KEY=value" comments
    std::string error;
};

// Encodes mono 44.1 kHz PCM. The stream serial is fixed so that equal PCM
// gives equal bytes. Tags are "KEY=value" comments. Returns an empty vector
// when the encoder refuses.
std::vector<uint8_t> encode_vorbis(const std::vector<float>& pcm, float quality, uint32_t serial,
                                   const std::vector<std::string>& tags = {});

// Value of a "KEY=value" tag, empty when absent.
std::string find_tag(const decoded_sound& d, const std::string& key);

decoded_sound decode_vorbis(const std::vector<uint8_t>& bytes);
decoded_sound decode_vorbis_file(const std::string& path);

bool read_file(const std::string& path, std::vector<uint8_t>& out);
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace snd
