#pragma once

// A smoke run (CORVO_BENCH_SMOKE=1): every benchmark once, on a small data set, with a minimal
// time, so CI sees a benchmark that crashes, hangs or measures nothing without waiting for
// figures. Timings of a smoke run mean nothing.

#include <cstdlib>
#include <cstring>

namespace corvo::bench {

inline bool smokeRun()
{
    const char* v = std::getenv("CORVO_BENCH_SMOKE");
    return v && *v && std::strcmp(v, "0") != 0;
}

/// The minimal time a benchmark runs for: `seconds`, or almost nothing in a smoke run.
inline double minTime(double seconds)
{
    return smokeRun() ? 0.01 : seconds;
}

} // namespace corvo::bench
