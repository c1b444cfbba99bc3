// Minimal test harness: named checks, a failure count and the closing summary line.
#pragma once

#include <cstdio>

namespace check {

inline int passed = 0;
inline int failed = 0;

inline void expect(bool ok, const char* what, const char* detail = "")
{
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAIL %s %s\n", what, detail);
    }
}

inline int finish()
{
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}

} // namespace check
