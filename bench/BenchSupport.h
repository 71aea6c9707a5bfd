#pragma once

#include "capes/CursorCapeStore.h"
#include "cursors/CursorSnapshot.h"
#include "cursors/CursorTemplate.h"
#include "cursors/SystemCursorController.h"
#include "platform/sim/SimStandardCursors.h"
#include "platform/sim/SimUserFolders.h"
#include "render/CursorStyle.h"
#include "runtime/CGSRuntime.h"
#include "support/TemporaryDirectory.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// A core cursor of the simulated window server (0...44) with every image it
// holds, and how the controller decorates it.
struct CoreCursor {
    std::string identifier;
    CursorSnapshot snapshot;
    std::optional<CursorTemplate> cursorTemplate;
    bool horizontalResize = false;
    bool verticalResize = false;
    bool diagonalResize = false;
};
const std::vector<CoreCursor>& coreCursors();

const CursorMarker& letterBadge(const std::string& code = "en");

// Starts the window server afresh, with the system's own cursors, which
// coreCursors() takes before any apply changes them. The first member of
// whatever benchmarks the window server.
struct FreshWindowServer {
    FreshWindowServer();
};

// A cursor controller on the simulated window server with everything it
// needs, as the program builds it, with a manual clock and capes in a
// temporary home.
struct ControllerDesk {
    FreshWindowServer freshWindowServer;
    testing::TemporaryDirectory home;
    SimUserFolders folders{home.path()};
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<RunLoop> loop = RunLoop::create(clock);
    CGSRuntime runtime;
    CursorCapeStore capes{folders};
    SimStandardCursors standardCursors;
    SystemCursorController controller;

    ControllerDesk();
    // Applies the letter badge of the language.
    bool apply(const std::string& code);
};

// Every core cursor decorated with the marker, as the renderer draws them.
CursorCapeStore::CursorSet decorateCoreCursors(const CursorMarker& marker);

// The floor of the performance figures: seconds for one plain copy of every
// pixel byte of the decorated core cursor set (296 images), the best of
// several, measured in the same run. `bytes` is how many bytes that is.
double decoratedSetCopySeconds(std::size_t& bytes);

// Runs `work` once per iteration and reports its mean and median times as
// multiples (x_floor, x_floor_median) of `floorSeconds`.
template <typename Work>
void measureAgainstFloor(benchmark::State& state, double floorSeconds, Work work) {
    using Watch = std::chrono::steady_clock;
    std::vector<double> times;
    for (auto _ : state) {
        const auto start = Watch::now();
        work();
        times.push_back(std::chrono::duration<double>(Watch::now() - start).count());
    }
    double total = 0;
    for (double time : times) {
        total += time;
    }
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                     times.end());
    state.counters["floor_ms"] = floorSeconds * 1000;
    state.counters["x_floor"] = total / static_cast<double>(times.size()) / floorSeconds;
    state.counters["x_floor_median"] = times[times.size() / 2] / floorSeconds;
}

// The floor is one copy of the decorated core cursor set.
template <typename Work> void measureAgainstSetCopy(benchmark::State& state, Work work) {
    std::size_t bytes = 0;
    const double floor = decoratedSetCopySeconds(bytes);
    state.counters["set_MB"] = static_cast<double>(bytes) / 1e6;
    measureAgainstFloor(state, floor, work);
}

} // namespace tolvane
