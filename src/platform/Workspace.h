#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tolvane {

class RunningApplication {
public:
    virtual ~RunningApplication() = default;
    virtual std::string bundleIdentifier() const = 0;
    // Asks the application to hide all its windows; false when it refused.
    virtual bool hide() = 0;
};

// The user's running applications.
class Workspace {
public:
    virtual ~Workspace() = default;
    virtual std::vector<std::shared_ptr<RunningApplication>>
    runningApplications(const std::string& bundleIdentifier) = 0;
};

} // namespace tolvane
