#pragma once

#include "platform/Menu.h"
#include "platform/RunLoop.h"
#include "platform/x11/SessionBus.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <systemd/sd-bus.h>

namespace tolvane {

// A menu of ours shown by the tray host through com.canonical.dbusmenu.
// Items are numbered in the order a reader meets them, submenus included,
// the menu itself being 0: as long as the menu reads the same (its outline),
// a number names the same item. When the outline changes the revision goes
// up and LayoutUpdated tells the host to read the layout again. A click
// runs the item's action as work on the main run loop, after the reply.
class DbusMenu {
  public:
    static constexpr const char* objectPath = "/MenuBar";
    using MenuSource = std::function<std::shared_ptr<Menu>()>;

    DbusMenu(SessionBus& bus, std::shared_ptr<RunLoop> loop, MenuSource menu);
    ~DbusMenu();
    DbusMenu(const DbusMenu&) = delete;
    DbusMenu& operator=(const DbusMenu&) = delete;

    // Tells the host when the menu has changed since the last look.
    void refresh();
    std::uint32_t revision() const { return revision_; }

  private:
    struct Node;
    Node tree() const;

    static int getLayout(sd_bus_message* call, void* self, sd_bus_error* error);
    static int getGroupProperties(sd_bus_message* call, void* self, sd_bus_error* error);
    static int getProperty(sd_bus_message* call, void* self, sd_bus_error* error);
    static int event(sd_bus_message* call, void* self, sd_bus_error* error);
    static int eventGroup(sd_bus_message* call, void* self, sd_bus_error* error);
    static int aboutToShow(sd_bus_message* call, void* self, sd_bus_error* error);
    static int aboutToShowGroup(sd_bus_message* call, void* self, sd_bus_error* error);
    static int property(sd_bus*, const char*, const char*, const char* name, sd_bus_message* reply,
                        void* self, sd_bus_error*);
    // Runs the item's action for a "clicked" event; false for an unknown item.
    bool handleEvent(std::int32_t id, const std::string& eventId);

    SessionBus& bus_;
    std::shared_ptr<RunLoop> loop_;
    MenuSource menu_;
    sd_bus_slot* slot_ = nullptr;
    std::string outline_;
    std::uint32_t revision_ = 1;
    // Gone with the menu: work it posted then leaves it alone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace tolvane
