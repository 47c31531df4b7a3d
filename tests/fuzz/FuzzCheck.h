// A property check inside a fuzz target: a failure aborts, so libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}
