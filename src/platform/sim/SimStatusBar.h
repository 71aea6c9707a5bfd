#pragma once

#include "platform/StatusBar.h"

#include <memory>
#include <vector>

namespace tolvane {

// The status bar of the simulated session: the items it shows, in the order
// they were made.
class SimStatusBar final : public StatusBar {
  public:
    std::shared_ptr<StatusItem> statusItem(double length) override;
    void removeStatusItem(const std::shared_ptr<StatusItem>& item) override;

    const std::vector<std::shared_ptr<StatusItem>>& items() const { return items_; }
    // Items made from now on come without a button (or with one again).
    void setItemsHaveButtons(bool haveButtons) { itemsHaveButtons_ = haveButtons; }

  private:
    std::vector<std::shared_ptr<StatusItem>> items_;
    bool itemsHaveButtons_ = true;
};

} // namespace tolvane
