#include "LoadHarness.h"

#include "entity/Error.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace corvo::bench {

double processCpuMs(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) throw Error("process " + std::to_string(pid) + " is gone");
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    std::string field;
    for (int i = 0; i < 11; ++i) // state .. cmajflt
        rest >> field;
    long long user = 0, system = 0;
    rest >> user >> system;
    return 1000.0 * static_cast<double>(user + system) /
           static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double percentile(std::vector<double>& values, double p)
{
    const auto rank =
        static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size())) - 1.0);
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(std::min(rank, values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

std::vector<double>& Latencies::start(const benchmark::State& state)
{
    auto& mine = perThread.at(static_cast<std::size_t>(state.thread_index()));
    mine.clear();
    return mine;
}

double Latencies::report(benchmark::State& state, int serverPid, double serverCpuBefore)
{
    // A failed thread 0 left its loop without the closing barrier: the others may still be
    // writing.
    if (state.thread_index() != 0 || state.error_occurred()) return -1.0;
    std::vector<double> all;
    for (int i = 0; i < state.threads(); ++i)
        all.insert(all.end(), perThread[static_cast<std::size_t>(i)].begin(),
                   perThread[static_cast<std::size_t>(i)].end());
    if (all.empty()) return -1.0;
    const double serverCpu =
        (processCpuMs(serverPid) - serverCpuBefore) / static_cast<double>(all.size());
    // Only thread 0 sets these, so Google Benchmark's sum over threads leaves them as is.
    state.counters["p50_ms"] = percentile(all, 0.50);
    state.counters["p99_ms"] = percentile(all, 0.99);
    state.counters["server_cpu_ms"] = serverCpu;
    return serverCpu;
}

} // namespace corvo::bench
