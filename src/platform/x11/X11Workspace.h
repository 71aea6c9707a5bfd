#pragma once

#include "platform/Workspace.h"

namespace tolvane {

// Running applications on the X11 desktop: none is found by a bundle
// identifier, since X11 clients carry none.
class X11Workspace final : public Workspace {
  public:
    std::vector<std::shared_ptr<RunningApplication>> runningApplications(const std::string&) override {
        return {};
    }
};

} // namespace tolvane
