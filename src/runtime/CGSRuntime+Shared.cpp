// The process-wide runtimes. On this platform the window server is the
// simulated one or the X11 one; their paths come from the build
// (TOLVANE_SIMWS_PATH, TOLVANE_X11WS_PATH).
#include "runtime/CGSRuntime.h"

namespace tolvane {

namespace {

CGSRuntime* makeRuntime(const char* libraryPath) {
    std::vector<std::string> paths = CGSRuntime::platformLibraryPaths();
    paths.emplace_back(libraryPath);
    return new CGSRuntime(paths);
}

} // namespace

CGSRuntime& CGSRuntime::shared() {
    return shared(WindowServerLibrary::simulated);
}

CGSRuntime& CGSRuntime::shared(WindowServerLibrary library) {
    if (library == WindowServerLibrary::x11) {
        static CGSRuntime* x11 = makeRuntime(TOLVANE_X11WS_PATH);
        return *x11;
    }
    static CGSRuntime* simulated = makeRuntime(TOLVANE_SIMWS_PATH);
    return *simulated;
}

} // namespace tolvane
