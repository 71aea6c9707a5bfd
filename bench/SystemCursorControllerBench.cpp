// The system cursor controller on the simulated window server's whole cursor
// set: a full apply (hard reset, decoration, registration, activation, cape
// save), a lightweight apply (a language switch in the same style) and a
// restore. Each reports its time as a multiple of the floor: one plain copy of
// every pixel byte the window server holds for the system's cursors, measured
// in the same run.
#include "BenchSupport.h"
#include "capes/CursorCapeStore.h"
#include "cursors/SystemCursorController.h"
#include "input/InputLanguage.h"
#include "platform/sim/SimEventServices.h"
#include "platform/sim/SimStandardCursors.h"
#include "platform/sim/SimUserFolders.h"
#include "runtime/CGSRuntime.h"
#include "support/TemporaryDirectory.h"

#include <benchmark/benchmark.h>

namespace tolvane {
namespace {

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

void BM_FullApply(benchmark::State& state) {
    Desk desk;
    measureAgainstCursorSetCopy(state, [&] {
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
    measureAgainstCursorSetCopy(state, [&] {
        if (!desk.apply(codes[next++ % 3])) {
            state.SkipWithError("apply failed");
        }
    });
}
BENCHMARK(BM_LightweightApply)->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_Restore(benchmark::State& state) {
    Desk desk;
    desk.apply("en");
    measureAgainstCursorSetCopy(state, [&] {
        if (!desk.controller.restoreOriginal()) {
            state.SkipWithError("restore failed");
        }
    });
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
} // namespace tolvane
