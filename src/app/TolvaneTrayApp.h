#pragma once

#include "platform/Application.h"

namespace tolvane {

// The status-item application. It launches with the application and puts
// everything back when the application terminates.
class TolvaneTrayApp final : public ApplicationDelegate {
public:
    void applicationDidFinishLaunching() override {}
    void applicationWillTerminate() override {}
};

} // namespace tolvane
