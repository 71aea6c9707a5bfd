// The system cursor controller on the simulated window server's whole cursor
// set: a full apply (hard reset, decoration, registration, activation, cape
// save), a lightweight apply (a language switch in the same style) and a
// restore. Each reports its time as a multiple of the floor: one plain copy of
// every pixel byte the window server holds for the system's cursors, measured
// in the same run.
#include "capes/CursorCapeStore.h"
#include "cursors/SystemCursorController.h"
#include "input/InputLanguage.h"
#include "platform/sim/SimEventServices.h"
#include "platform/sim/SimStandardCursors.h"
#include "platform/sim/SimUserFolders.h"
#include "runtime/CGSRuntime.h"
#include "support/SimulatedWindowServer.h"
#include "support/TemporaryDirectory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace tolvane {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A controller on the window server with everything it needs, as the program
// builds it (a fresh window server: its state is whatever the last one left).
struct Desk {
    testing::TemporaryDirectory home;
    SimUserFolders folders{home.path()};
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<RunLoop> loop = RunLoop::create(clock);
    CGSRuntime runtime{{TOLVANE_SIMWS_PATH}, std::make_shared<SimEventServices>(clock)};
    CursorCapeStore capes{folders};
    SimStandardCursors standardCursors;
    SystemCursorController controller{runtime, capes, standardCursors, loop, Environment()};

    bool apply(const std::string& code) {
        const CursorStyle style = CursorStyle::letterBadge;
        return controller.apply(style.marker(InputLanguage::make(code, code, code)), code,
                                style.rawValue(), false);
    }
};

// The floor: seconds for one copy of the pixels of every system cursor (every
// frame and density, as the window server holds them), the best of several.
double floorSeconds(std::size_t& bytes) {
    const testing::SimulatedWindowServer server(TOLVANE_SIMWS_PATH);
    std::vector<testing::HeldCursor> cursors;
    for (std::int32_t id = 0; id <= SystemCursorController::maxTrackedCursorID; ++id) {
        if (auto cursor = server.systemCursor(id)) {
            cursors.push_back(std::move(*cursor));
        }
    }
    bytes = 0;
    for (const testing::HeldCursor& cursor : cursors) {
        for (TVWSImageRef image : cursor.images) {
            bytes += TVWSImageGetBytesPerRow(image) * TVWSImageGetHeight(image);
        }
    }
    std::vector<unsigned char> target(bytes);
    double best = 1e9;
    for (int round = 0; round < 20; ++round) {
        const auto start = Clock::now();
        unsigned char* out = target.data();
        for (const testing::HeldCursor& cursor : cursors) {
            for (TVWSImageRef image : cursor.images) {
                const std::size_t size = TVWSImageGetBytesPerRow(image) * TVWSImageGetHeight(image);
                std::memcpy(out, TVWSImageGetBytes(image), size);
                out += size;
            }
        }
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
        best = std::min(best, secondsSince(start));
    }
    return best;
}

// Runs `work` once per iteration and reports its mean as a multiple of the floor.
template <typename Work> void measure(benchmark::State& state, Work work) {
    std::size_t bytes = 0;
    const double floor = floorSeconds(bytes);
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        work();
        total += secondsSince(start);
    }
    state.counters["floor_ms"] = floor * 1000;
    state.counters["x_floor"] = total / static_cast<double>(state.iterations()) / floor;
    state.counters["set_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_FullApply(benchmark::State& state) {
    Desk desk;
    measure(state, [&] {
        // What a style change does: the next apply starts from a hard reset.
        desk.controller.clearLastAppliedStyleCode();
        if (!desk.apply("en")) {
            state.SkipWithError("apply failed");
        }
    });
}
BENCHMARK(BM_FullApply)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_LightweightApply(benchmark::State& state) {
    Desk desk;
    desk.apply("en");
    const char* codes[] = {"ru", "de", "en"};
    std::size_t next = 0;
    measure(state, [&] {
        if (!desk.apply(codes[next++ % 3])) {
            state.SkipWithError("apply failed");
        }
    });
}
BENCHMARK(BM_LightweightApply)->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_Restore(benchmark::State& state) {
    Desk desk;
    desk.apply("en");
    measure(state, [&] {
        if (!desk.controller.restoreOriginal()) {
            state.SkipWithError("restore failed");
        }
    });
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
} // namespace tolvane
