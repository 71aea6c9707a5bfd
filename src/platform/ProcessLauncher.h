#pragma once

#include "platform/Environment.h"

#include <filesystem>
#include <string>
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

class PosixProcessLauncher final : public ProcessLauncher {
public:
    bool launchDetached(const LaunchRequest& request) override;
};

} // namespace tolvane
