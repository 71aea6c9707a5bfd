// The system cursor controller on the simulated window server's whole cursor
// set: a full apply, a language switch (a lightweight apply) and a restore,
// each as a multiple of copying the decorated set's pixels.
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

namespace tolvane {
namespace {

void BM_FullApply(benchmark::State& state) {
    ControllerDesk desk;
    desk.apply("ru");
    measureAgainstSetCopy(state, [&] {
        // What a style change does: the next apply starts from a hard reset.
        desk.controller.clearLastAppliedStyleCode();
        if (!desk.apply("en")) {
            state.SkipWithError("apply failed");
        }
    });
    desk.capes.waitForSaves();
}
BENCHMARK(BM_FullApply)->Unit(benchmark::kMillisecond)->Iterations(20);

// Three languages in turn; the median is the figure.
void BM_LanguageSwitch(benchmark::State& state) {
    ControllerDesk desk;
    desk.apply("en");
    const char* codes[] = {"ru", "de", "en"};
    std::size_t next = 0;
    measureAgainstSetCopy(state, [&] {
        if (!desk.apply(codes[next++ % 3])) {
            state.SkipWithError("apply failed");
        }
    });
    desk.capes.waitForSaves();
}
BENCHMARK(BM_LanguageSwitch)->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_Restore(benchmark::State& state) {
    ControllerDesk desk;
    desk.apply("en");
    measureAgainstSetCopy(state, [&] {
        if (!desk.controller.restoreOriginal()) {
            state.SkipWithError("restore failed");
        }
    });
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
} // namespace tolvane
