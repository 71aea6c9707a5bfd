#pragma once

#include "platform/Environment.h"
#include "platform/Result.h"

#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tolvane {

struct LaunchRequest {
    std::filesystem::path executable;
    std::vector<std::string> arguments; // after the program name
    EnvironmentMap environment;
};

// Starts other processes.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts the process with its standard streams on /dev/null, in a session
    // of its own so that closing the starting terminal does not end it, and
    // does not wait for it. False when it could not be started.
    virtual bool launchDetached(const LaunchRequest& request) = 0;
};

// Starts the request's program with posix_spawn, its standard streams set up
// by streams and the given POSIX_SPAWN_ flags, no signal blocked in it; the
// child's id, or why it could not be started.
Result<pid_t> spawnProcess(const LaunchRequest& request, const posix_spawn_file_actions_t& streams,
                           short flags);

class PosixProcessLauncher final : public ProcessLauncher {
public:
    bool launchDetached(const LaunchRequest& request) override;
};

} // namespace tolvane
