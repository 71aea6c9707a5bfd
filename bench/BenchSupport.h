#pragma once

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstddef>

namespace tolvane {

// Seconds for one plain copy of the pixels of every system cursor (every frame
// and density, as the window server holds them), the best of several; `bytes`
// is how many bytes that is.
double cursorSetCopySeconds(std::size_t& bytes);

// Runs `work` once per iteration and reports its mean time as a multiple
// (x_floor) of `floorSeconds`, measured in the same run.
template <typename Work>
void measureAgainstFloor(benchmark::State& state, double floorSeconds, Work work) {
    using Clock = std::chrono::steady_clock;
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        work();
        total += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["floor_us"] = floorSeconds * 1e6;
    state.counters["x_floor"] = total / static_cast<double>(state.iterations()) / floorSeconds;
}

// The floor is one copy of the system cursor set.
template <typename Work> void measureAgainstCursorSetCopy(benchmark::State& state, Work work) {
    std::size_t bytes = 0;
    const double floor = cursorSetCopySeconds(bytes);
    state.counters["set_MB"] = static_cast<double>(bytes) / 1e6;
    measureAgainstFloor(state, floor, work);
}

} // namespace tolvane
