#include "platform/x11/X11StatusBar.h"

#include "log/AppLog.h"

#include <algorithm>

namespace tolvane {

std::shared_ptr<StatusItem> X11StatusBar::statusItem(double length) {
    auto item = std::make_shared<StatusItem>(length, true);
    items_.push_back({item, ""});
    if (!watch_.isActive()) {
        watch_ = loop_->every(1.0, [this] { logTitleChanges(); });
    }
    return item;
}

void X11StatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
    std::erase_if(items_, [&](const Shown& shown) { return shown.item == item; });
    if (items_.empty()) {
        watch_.cancel();
    }
}

void X11StatusBar::logTitleChanges() {
    for (Shown& shown : items_) {
        const std::string& title = shown.item->button()->title();
        if (title != shown.loggedTitle) {
            shown.loggedTitle = title;
            AppLog::info("Status title: " + title);
        }
    }
}

} // namespace tolvane
