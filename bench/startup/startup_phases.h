#pragma once

#include <cstdio>
#include <ctime>

namespace bench {

// Writes "PHASE name ms" to stderr, ms on CLOCK_MONOTONIC, so that the parent that started
// this process can place the moment on its own time line.
inline void phase(const char* name)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "PHASE %s %.3f\n", name,
                 double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6);
    std::fflush(stderr);
}

} // namespace bench
