#pragma once

#include "platform/RunLoop.h"
#include "platform/StatusBar.h"

#include <memory>
#include <string>
#include <vector>

namespace tolvane {

// The status bar of the X11 desktop until the tray icon exists: its items
// are kept, and a change of an item's title is written to the log once a
// second at most, so the user can follow the layout from the log.
class X11StatusBar final : public StatusBar {
  public:
    explicit X11StatusBar(std::shared_ptr<RunLoop> loop) : loop_(std::move(loop)) {}
    ~X11StatusBar() override { watch_.cancel(); }
    X11StatusBar(const X11StatusBar&) = delete;
    X11StatusBar& operator=(const X11StatusBar&) = delete;

    std::shared_ptr<StatusItem> statusItem(double length) override;
    void removeStatusItem(const std::shared_ptr<StatusItem>& item) override;

  private:
    struct Shown {
        std::shared_ptr<StatusItem> item;
        std::string loggedTitle;
    };
    void logTitleChanges();

    std::shared_ptr<RunLoop> loop_;
    std::vector<Shown> items_;
    Cancellable watch_;
};

} // namespace tolvane
