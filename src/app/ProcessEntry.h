#pragma once

#include "platform/Application.h"
#include "platform/Environment.h"
#include "platform/ProcessLauncher.h"
#include "platform/RunLoop.h"
#include "platform/Workspace.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// What the start of the process looks at: its environment, command line and
// whether its standard streams are terminals.
struct ProcessContext {
    Environment environment;
    std::vector<std::string> commandLine;
    std::function<bool(int descriptor)> isTerminal;
    std::filesystem::path currentDirectory;
};

// The child to start when the process should leave its terminal, or nothing.
std::optional<LaunchRequest> detachedRelaunchRequest(const ProcessContext& context);

// Starts a detached copy when asked to. True when the copy runs and this
// process should now end with status 0.
bool relaunchDetachedIfNeeded(const ProcessContext& context, ProcessLauncher& launcher,
                              Workspace& workspace);

// Hides the terminal applications unless TOLVANE_KEEP_TERMINAL is set.
void hideTerminalHostsIfNeeded(const Environment& environment, Workspace& workspace);

// SIGINT, SIGTERM, SIGHUP and SIGQUIT become an orderly quit through the
// application, handled as ordinary work on the run loop. Returns the signals
// that got a handler.
std::vector<int> installGracefulTerminationHandlers(RunLoop& loop, Application& application);

} // namespace tolvane
