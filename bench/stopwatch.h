#pragma once

#include <chrono>

// Seconds that `work` takes: the benchmarks time only the operation measured,
// never the set-up around it.
template <typename Work>
double secondsTaken(Work &&work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
