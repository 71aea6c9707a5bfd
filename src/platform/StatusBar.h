#pragma once

#include "platform/StatusItem.h"

#include <memory>

namespace tolvane {

// The system status bar, which shows the status items of all applications.
class StatusBar {
  public:
    // A length that follows the item's content.
    static constexpr double variableLength = -1;

    virtual ~StatusBar() = default;
    // A new item, shown until it is removed.
    virtual std::shared_ptr<StatusItem> statusItem(double length) = 0;
    virtual void removeStatusItem(const std::shared_ptr<StatusItem>& item) = 0;
};

} // namespace tolvane
