// The main function of every benchmark program.
#include "log/AppLog.h"
#include "platform/PixelMemory.h"
#include "support/TemporaryDirectory.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    // As the program does.
    tolvane::keepFreedPixelMemoryForReuse();
    // Measure the work, not the log; and keep the user's log file untouched.
    tolvane::testing::TemporaryDirectory logFolder;
    tolvane::AppLog::configure(
        {tolvane::Environment(tolvane::EnvironmentMap{{"TOLVANE_ENABLE_LOGS", "0"}}),
         logFolder.path() / "Tolvane.log", nullptr});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
