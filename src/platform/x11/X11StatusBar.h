#pragma once

#include "platform/Environment.h"
#include "platform/RunLoop.h"
#include "platform/StatusBar.h"
#include "platform/x11/SessionBus.h"
#include "platform/x11/StatusNotifierItem.h"

#include <memory>
#include <string>
#include <vector>

namespace tolvane {

// The status bar of the X11 desktop: the first item is shown in the desktop's
// tray over the session bus, and every item's title change is written to the
// log. Items are looked at a few times a second, so that the tray follows
// every change of the icon, tooltip and menu. Without a session bus the log
// is all there is.
class X11StatusBar final : public StatusBar {
  public:
    // How often the items are looked at, in seconds.
    static constexpr double refreshInterval = 0.25;

    X11StatusBar(std::shared_ptr<RunLoop> loop, const Environment& environment);
    ~X11StatusBar() override;
    X11StatusBar(const X11StatusBar&) = delete;
    X11StatusBar& operator=(const X11StatusBar&) = delete;

    std::shared_ptr<StatusItem> statusItem(double length) override;
    void removeStatusItem(const std::shared_ptr<StatusItem>& item) override;
    // What the tray icon shows; without it the tray shows a keyboard.
    void setBadgeSource(StatusNotifierItem::BadgeSource source);

  private:
    struct Shown {
        std::shared_ptr<StatusItem> item;
        std::string loggedTitle;
    };
    void refresh();

    std::shared_ptr<RunLoop> loop_;
    std::unique_ptr<SessionBus> bus_;
    StatusNotifierItem::BadgeSource badgeSource_;
    std::unique_ptr<StatusNotifierItem> tray_;
    std::vector<Shown> items_;
    Cancellable watch_;
};

} // namespace tolvane
