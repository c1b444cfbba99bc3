// Feeds arbitrary bytes to the PNG decoder and the mask rule, as load_image would.
#include <cstddef>
#include <cstdint>

#include "fuzz/reader_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reader_checks::must_behave("png", reader_checks::png(data, size));
    return 0;
}
