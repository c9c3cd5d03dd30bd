#pragma once

// What the benchmarks against a real corvo-server process share: many clients as Google
// Benchmark threads, their per-call latencies, and the server's CPU time per call.

#include "Smoke.h"

#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <exception>
#include <vector>

namespace corvo::bench {

constexpr int MaxClients = 32;

/// CPU time (user and system) a process has used so far, in milliseconds, from /proc/PID/stat
/// (10 ms ticks: measure runs that span some hundreds of them).
double processCpuMs(int pid);

/// The median of values, or another percentile p in [0, 1]; reorders them.
double percentile(std::vector<double>& values, double p);

/// Per-call latencies of one benchmark, one slot per thread. A thread fills only its own slot;
/// the loop's closing barrier lets thread 0 read them all afterwards.
struct Latencies {
    std::array<std::vector<double>, MaxClients> perThread;

    std::vector<double>& start(const benchmark::State& state);
    /// Thread 0 sets p50_ms, p99_ms and server_cpu_ms (the server's CPU per call since
    /// `serverCpuBefore`); returns the latter, or a negative value on the other threads.
    double report(benchmark::State& state, int serverPid, double serverCpuBefore);
};

inline double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

/// One client's calls in the timed loop; the first error stops the run with its text. Returns
/// the server's CPU per call on thread 0 (negative elsewhere).
template <class Call>
double runClient(benchmark::State& state, Latencies& latencies, int serverPid, Call call)
{
    std::vector<double>& mine = latencies.start(state);
    // No client sends before every thread, thread 0 included, has entered the loop.
    const double serverCpuBefore = state.thread_index() == 0 ? processCpuMs(serverPid) : 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        try {
            call();
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        mine.push_back(millisecondsSince(start));
    }
    state.SetItemsProcessed(state.iterations());
    return latencies.report(state, serverPid, serverCpuBefore);
}

} // namespace corvo::bench
