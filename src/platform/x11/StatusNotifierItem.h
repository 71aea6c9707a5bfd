#pragma once

#include "platform/RunLoop.h"
#include "platform/StatusItem.h"
#include "platform/x11/DbusMenu.h"
#include "platform/x11/SessionBus.h"
#include "platform/x11/TrayBadge.h"
#include "platform/x11/TrayIconPixmap.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// A status item shown by the desktop's tray: an org.kde.StatusNotifierItem
// whose icon is the badge of the language being typed and whose menu is the
// item's own. It registers with the tray's org.kde.StatusNotifierWatcher,
// again whenever the watcher's owner changes; with no watcher on the bus it
// says so once and waits for one.
class StatusNotifierItem {
  public:
    static constexpr const char* objectPath = "/StatusNotifierItem";
    // Pixel sizes of the icon's pictures: the host picks the nearest.
    static constexpr std::array<int, 5> iconSizes{16, 22, 24, 32, 48};
    using BadgeSource = std::function<std::optional<TrayBadge>()>;

    StatusNotifierItem(SessionBus& bus, std::shared_ptr<RunLoop> loop,
                       std::shared_ptr<StatusItem> item, BadgeSource badge);
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    const std::shared_ptr<StatusItem>& item() const { return item_; }
    // Brings the icon, tooltip and menu up to date, telling the host what changed.
    void refresh();

  private:
    void registerWithWatcher();
    std::string toolTipTitle() const;

    static int onRegistered(sd_bus_message* reply, void* self, sd_bus_error* error);
    static int onWatcherOwnerChanged(sd_bus_message* signal, void* self, sd_bus_error* error);
    static int property(sd_bus*, const char*, const char*, const char* name, sd_bus_message* reply,
                        void* self, sd_bus_error*);
    static int ignore(sd_bus_message* call, void* self, sd_bus_error* error);

    SessionBus& bus_;
    std::shared_ptr<StatusItem> item_;
    BadgeSource badgeSource_;
    std::string serviceName_;
    DbusMenu menu_;
    std::optional<TrayBadge> badge_;
    std::vector<TrayIconPixmap> icon_;
    sd_bus_slot* objectSlot_ = nullptr;
    sd_bus_slot* watchSlot_ = nullptr;
    sd_bus_slot* registerSlot_ = nullptr;
    bool toldNoWatcher_ = false;
};

} // namespace tolvane
