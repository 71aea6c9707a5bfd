#pragma once

#include "platform/Workspace.h"

#include <string>
#include <vector>

namespace tolvane {

// Running applications of the simulated session: each can be hidden and
// remembers whether it was.
class SimRunningApplication final : public RunningApplication {
public:
    explicit SimRunningApplication(std::string bundleIdentifier, bool refusesToHide = false)
        : bundleIdentifier_(std::move(bundleIdentifier)), refusesToHide_(refusesToHide) {}
    std::string bundleIdentifier() const override { return bundleIdentifier_; }
    bool hide() override;
    bool isHidden() const { return hidden_; }
    int hideRequests() const { return hideRequests_; }

private:
    std::string bundleIdentifier_;
    bool refusesToHide_;
    bool hidden_ = false;
    int hideRequests_ = 0;
};

class SimWorkspace final : public Workspace {
public:
    std::shared_ptr<SimRunningApplication> launch(const std::string& bundleIdentifier,
                                                  bool refusesToHide = false);
    std::vector<std::shared_ptr<RunningApplication>>
    runningApplications(const std::string& bundleIdentifier) override;
    const std::vector<std::shared_ptr<SimRunningApplication>>& all() const { return running_; }

private:
    std::vector<std::shared_ptr<SimRunningApplication>> running_;
};

} // namespace tolvane
