// The process-wide runtimes. On this platform the window server is the
// simulated one or the X11 one; the build says where it put them
// (TOLVANE_SIMWS_PATH, TOLVANE_X11WS_PATH) and where an installed program
// keeps them (TOLVANE_INSTALLED_LIBRARY_DIR, relative to its folder).
#include "runtime/CGSRuntime.h"

#include <filesystem>

namespace tolvane {

namespace {

// The installed copy of the library when there is one beside the running
// program, else the one in the build.
std::string libraryPath(const char* builtPath) {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path installed =
            (program.parent_path() / TOLVANE_INSTALLED_LIBRARY_DIR /
             std::filesystem::path(builtPath).filename())
                .lexically_normal();
        if (std::filesystem::is_regular_file(installed, error)) {
            return installed.string();
        }
    }
    return builtPath;
}

CGSRuntime* makeRuntime(const char* builtPath) {
    std::vector<std::string> paths = CGSRuntime::platformLibraryPaths();
    paths.push_back(libraryPath(builtPath));
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
