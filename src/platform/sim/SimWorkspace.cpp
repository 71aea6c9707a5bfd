#include "platform/sim/SimWorkspace.h"

namespace tolvane {

bool SimRunningApplication::hide() {
    ++hideRequests_;
    if (refusesToHide_) {
        return false;
    }
    hidden_ = true;
    return true;
}

std::shared_ptr<SimRunningApplication> SimWorkspace::launch(const std::string& bundleIdentifier,
                                                            bool refusesToHide) {
    auto application = std::make_shared<SimRunningApplication>(bundleIdentifier, refusesToHide);
    running_.push_back(application);
    return application;
}

std::vector<std::shared_ptr<RunningApplication>>
SimWorkspace::runningApplications(const std::string& bundleIdentifier) {
    std::vector<std::shared_ptr<RunningApplication>> matches;
    for (const auto& application : running_) {
        if (application->bundleIdentifier() == bundleIdentifier) {
            matches.push_back(application);
        }
    }
    return matches;
}

} // namespace tolvane
