#include "platform/sim/SimStatusBar.h"

#include <algorithm>

namespace tolvane {

std::shared_ptr<StatusItem> SimStatusBar::statusItem(double length) {
    auto item = std::make_shared<StatusItem>(length, itemsHaveButtons_);
    items_.push_back(item);
    return item;
}

void SimStatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
    std::erase(items_, item);
}

} // namespace tolvane
