#include "platform/MenuItem.h"

namespace tolvane {

MenuItem::MenuItem(std::string title, Action action, std::string keyEquivalent, bool separator)
    : title_(std::move(title)), action_(std::move(action)),
      keyEquivalent_(std::move(keyEquivalent)), separator_(separator) {}

std::shared_ptr<MenuItem> MenuItem::create(std::string title, Action action,
                                           std::string keyEquivalent) {
    return std::make_shared<MenuItem>(std::move(title), std::move(action), std::move(keyEquivalent),
                                      false);
}

std::shared_ptr<MenuItem> MenuItem::separator() {
    return std::make_shared<MenuItem>(std::string(), Action(), std::string(), true);
}

bool MenuItem::performAction() {
    if (separator_ || !enabled_ || !action_) {
        return false;
    }
    auto keepAlive = shared_from_this();
    Action action = action_; // the action may replace itself
    action(*this);
    return true;
}

} // namespace tolvane
