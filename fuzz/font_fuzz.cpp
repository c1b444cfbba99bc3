// Feeds arbitrary bytes to the font loader, then renders, measures and draws text with what it made.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/reader_checks.h"
#include "platform/headless_backend.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    platform::set_backend(std::make_unique<platform::headless_backend>());
    open_display(320, 240, 0, 0, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reader_checks::must_behave("font", reader_checks::font_file(data, size));
    return 0;
}
