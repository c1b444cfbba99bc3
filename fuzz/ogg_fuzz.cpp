// Feeds arbitrary bytes to the sample decoders, then plays what they accept through the mixer.
#include <cstddef>
#include <cstdint>

#include "fuzz/reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reader_checks::must_behave("sound_file", reader_checks::sound_file(data, size));
    return 0;
}
