// Minimal test harness: named groups of checks, a summary line at the end.
#pragma once

#include <cstdio>
#include <string>

namespace check {

struct tally {
    int passed = 0, failed = 0;
};

inline tally& totals()
{
    static tally t;
    return t;
}

inline void expect(bool ok, const std::string& what, const char* file, int line)
{
    if (ok) {
        ++totals().passed;
        return;
    }
    ++totals().failed;
    std::fprintf(stderr, "FAIL %s:%d: %s\n", file, line, what.c_str());
}

using group_fn = void (*)();
struct group {
    const char* name;
    group_fn fn;
};

} // namespace check

#define EXPECT(cond, what) ::check::expect((cond), (what), __FILE__, __LINE__)
