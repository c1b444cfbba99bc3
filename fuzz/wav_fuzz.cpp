// Feeds arbitrary bytes to the WAVE decoder, then plays what it accepts through the mixer.
#include <cstddef>
#include <cstdint>

#include "fuzz/reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reader_checks::must_behave("wav", reader_checks::wav(data, size));
    return 0;
}
