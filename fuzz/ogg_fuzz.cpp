// Fuzzes the sample decoders with arbitrary bytes, then plays what they accept through the mixer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "services/mixer.h"
#include "services/sound_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    decode_result r = decode_sound(data, size, size % 2 == 1);
    if (!r.snd) return 0;
    voice v;
    v.snd = r.snd.get();
    voice* live = &v;
    std::vector<int16_t> out(2 * 512);
    for (int block = 0; block < 4 && !v.stopped; ++block) mix_voices(&live, 1, out.data(), 512);
    return 0;
}
