// What the fuzz targets share: a check that stops the run with a message.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "violated: %s\n", what);
        std::abort();
    }
}
