// Sample decoders: a whole Ogg Vorbis or RIFF WAVE file in memory into PCM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "services/audio/mixer.h"

// Why a decode gave nothing, for the one line the loader prints.
struct decode_result {
    std::unique_ptr<sound> snd;
    std::string error; // empty on success
};

// Tries each decoder in turn; touches no global state, so any thread may call it.
decode_result decode_sound(const uint8_t* data, size_t size, bool loop);

decode_result decode_ogg(const uint8_t* data, size_t size);
decode_result decode_wav(const uint8_t* data, size_t size);
