// The process-wide runtime. On this platform the window server is the simulated
// one; its path comes from the build (TOLVANE_SIMWS_PATH).
#include "runtime/CGSRuntime.h"

namespace tolvane {

CGSRuntime& CGSRuntime::shared() {
    static CGSRuntime* runtime = [] {
        std::vector<std::string> paths = platformLibraryPaths();
        paths.emplace_back(TOLVANE_SIMWS_PATH);
        return new CGSRuntime(paths);
    }();
    return *runtime;
}

} // namespace tolvane
