#pragma once

#include <functional>

namespace corvo::bench {

/// The main of the form benchmarks: an off-screen Qt application with the Chinese fonts, the
/// benchmarks, then `release` (the forms they kept) before the login session ends.
int runFormBenchmarks(int argc, char** argv, const std::function<void()>& release = {});

} // namespace corvo::bench
