// Timing helpers the engine benchmarks share: the calling thread's CPU time
// (the machine is shared, so CPU time is the steadier figure), a stopwatch
// for one timed section, and the minimum over repetitions.
#pragma once

#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace korvel {

inline double ThreadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Wall and CPU seconds of one timed section.
struct Stopwatch {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = ThreadSeconds();
    void AddTo(double& wallTotal, double& cpuTotal) const {
        wallTotal += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
        cpuTotal += ThreadSeconds() - cpu;
    }
};

// The statistic the benchmarks report: the least of the repetitions.
inline double Minimum(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

}  // namespace korvel
