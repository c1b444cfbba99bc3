// Feeds arbitrary files to the demo reader: as they are, with their checksum made right, and as the
// unpacked content of a well-made demo.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/reader_checks.h"
#include "platform/headless_backend.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    platform::set_backend(std::make_unique<platform::headless_backend>());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reader_checks::must_behave("demo", reader_checks::demo_file(data, size));
    return 0;
}
