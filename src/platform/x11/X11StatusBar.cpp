#include "platform/x11/X11StatusBar.h"

#include "log/AppLog.h"

#include <algorithm>

namespace tolvane {

X11StatusBar::X11StatusBar(std::shared_ptr<RunLoop> loop, const Environment& environment)
    : loop_(std::move(loop)), bus_(SessionBus::open(loop_, environment)) {}

X11StatusBar::~X11StatusBar() {
    watch_.cancel();
    tray_.reset();
}

std::shared_ptr<StatusItem> X11StatusBar::statusItem(double length) {
    auto item = std::make_shared<StatusItem>(length, true);
    items_.push_back({item, ""});
    if (bus_ && !tray_) {
        tray_ = std::make_unique<StatusNotifierItem>(
            *bus_, loop_, item, [this] { return badgeSource_ ? badgeSource_() : std::nullopt; });
    }
    if (!watch_.isActive()) {
        watch_ = loop_->every(refreshInterval, [this] { refresh(); });
    }
    return item;
}

void X11StatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
    std::erase_if(items_, [&](const Shown& shown) { return shown.item == item; });
    if (tray_ && tray_->item() == item) {
        tray_.reset();
    }
    if (items_.empty()) {
        watch_.cancel();
    }
}

void X11StatusBar::setBadgeSource(StatusNotifierItem::BadgeSource source) {
    badgeSource_ = std::move(source);
}

void X11StatusBar::refresh() {
    for (Shown& shown : items_) {
        const std::string& title = shown.item->button()->title();
        if (title != shown.loggedTitle) {
            shown.loggedTitle = title;
            AppLog::info("Status title: " + title);
        }
    }
    if (tray_) {
        tray_->refresh();
    }
}

} // namespace tolvane
