#pragma once

// Wall-clock timing for the benchmarks.

#include <chrono>
#include <functional>

namespace stanzary::bench {

// Milliseconds that work takes.
inline double elapsedMs(const std::function<void()> &work)
{
    const auto t0 = std::chrono::steady_clock::now();
    work();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

} // namespace stanzary::bench
