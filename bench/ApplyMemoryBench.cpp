// The memory of language switches: whether 10,000 of them leave the resident
// size where it was, and the most any one apply needs above what it found,
// against the decorated set's own pixel bytes. Takes minutes: its own program.
#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <sstream>

namespace tolvane {
namespace {

// Resident and peak resident memory of the process, in bytes.
struct Residency {
    double resident = 0;
    double peak = 0;
};
Residency residency() {
    std::ifstream status("/proc/self/status");
    Residency result;
    for (std::string line; std::getline(status, line);) {
        std::istringstream fields(line);
        std::string name;
        double kilobytes = 0;
        fields >> name >> kilobytes;
        if (name == "VmRSS:") {
            result.resident = kilobytes * 1024;
        } else if (name == "VmHWM:") {
            result.peak = kilobytes * 1024;
        }
    }
    return result;
}

// Resets the peak resident size the kernel reports.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// 10,000 language switches: the resident size after the first thousand and
// after the last, and the most any one apply added above what it found.
void BM_MemoryOverTenThousandApplies(benchmark::State& state) {
    ControllerDesk desk;
    desk.apply("en");
    desk.capes.waitForSaves();
    std::size_t setBytes = 0;
    decoratedSetCopySeconds(setBytes);
    const char* codes[] = {"ru", "de", "en"};
    double afterThousand = 0;
    double worstAddition = 0;
    for (auto _ : state) {
        for (int apply = 1; apply <= 10000; ++apply) {
            const Residency before = residency();
            resetPeak();
            desk.apply(codes[apply % 3]);
            worstAddition = std::max(worstAddition, residency().peak - before.resident);
            if (apply == 1000) {
                desk.capes.waitForSaves();
                afterThousand = residency().resident;
            }
        }
        desk.capes.waitForSaves();
    }
    state.counters["set_MB"] = static_cast<double>(setBytes) / 1e6;
    state.counters["rss_MB_after_1000"] = afterThousand / 1e6;
    state.counters["rss_MB_after_10000"] = residency().resident / 1e6;
    state.counters["worst_apply_MB"] = worstAddition / 1e6;
    state.counters["worst_apply_x_set"] = worstAddition / static_cast<double>(setBytes);
}
BENCHMARK(BM_MemoryOverTenThousandApplies)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
} // namespace tolvane
