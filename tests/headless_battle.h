// Puts a headless backend back in force for battle tests that read input or count effects.
#pragma once

#include <memory>

#include "platform/headless_backend.h"
#include "services/display.h"
#include "services/input.h"

// Other suites swap the backend out and leave a stand-in that takes no input and plays nothing.
inline platform::headless_backend& use_headless()
{
    if (auto* hb = dynamic_cast<platform::headless_backend*>(&platform::current())) return *hb;
    platform::set_backend(std::make_unique<platform::headless_backend>());
    auto& hb = dynamic_cast<platform::headless_backend&>(platform::current());
    hb.open_window("", 640, 480, false);
    start_input();
    return hb;
}
