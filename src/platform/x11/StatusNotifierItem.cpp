#include "platform/x11/StatusNotifierItem.h"

#include "log/AppLog.h"
#include "platform/x11/BusMessageWriter.h"
#include "render/CursorRenderer.h"

#include <cstring>
#include <systemd/sd-bus.h>
#include <unistd.h>

namespace tolvane {

namespace {

constexpr const char* interfaceName = "org.kde.StatusNotifierItem";
constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";

void writePixmaps(BusMessageWriter& writer, const std::vector<TrayIconPixmap>& pixmaps) {
    writer.open('a', "(iiay)");
    for (const TrayIconPixmap& pixmap : pixmaps) {
        writer.open('r', "iiay");
        writer.int32(pixmap.width);
        writer.int32(pixmap.height);
        writer.bytes(pixmap.bytes);
        writer.close();
    }
    writer.close();
}

} // namespace

StatusNotifierItem::StatusNotifierItem(SessionBus& bus, std::shared_ptr<RunLoop> loop,
                                       std::shared_ptr<StatusItem> item, BadgeSource badge)
    : bus_(bus), item_(std::move(item)), badgeSource_(std::move(badge)),
      serviceName_("org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-1"),
      menu_(bus, std::move(loop), [this] { return item_->menu(); }) {
    static const sd_bus_vtable itemVtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("ContextMenu", "ii", "", &StatusNotifierItem::ignore, 0),
        SD_BUS_METHOD("Activate", "ii", "", &StatusNotifierItem::ignore, 0),
        SD_BUS_METHOD("SecondaryActivate", "ii", "", &StatusNotifierItem::ignore, 0),
        SD_BUS_METHOD("Scroll", "is", "", &StatusNotifierItem::ignore, 0),
        SD_BUS_PROPERTY("Category", "s", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("Id", "s", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("Title", "s", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("Status", "s", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("WindowId", "i", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("IconThemePath", "s", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("IconName", "s", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("IconPixmap", "a(iiay)", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("OverlayIconName", "s", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("OverlayIconPixmap", "a(iiay)", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("AttentionIconName", "s", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("AttentionIconPixmap", "a(iiay)", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("AttentionMovieName", "s", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("ItemIsMenu", "b", &StatusNotifierItem::property, 0, 0),
        SD_BUS_PROPERTY("Menu", "o", &StatusNotifierItem::property, 0, 0),
        SD_BUS_SIGNAL("NewTitle", "", 0),
        SD_BUS_SIGNAL("NewIcon", "", 0),
        SD_BUS_SIGNAL("NewAttentionIcon", "", 0),
        SD_BUS_SIGNAL("NewOverlayIcon", "", 0),
        SD_BUS_SIGNAL("NewToolTip", "", 0),
        SD_BUS_SIGNAL("NewStatus", "s", 0),
        SD_BUS_VTABLE_END,
    };
    refresh();
    int result = sd_bus_add_object_vtable(bus_.get(), &objectSlot_, objectPath, interfaceName,
                                          itemVtable, this);
    if (result >= 0) {
        result = sd_bus_request_name(bus_.get(), serviceName_.c_str(), 0);
    }
    if (result < 0) {
        AppLog::warn("Tray: cannot offer the status item on the session bus: " +
                     std::string(std::strerror(-result)));
        return;
    }
    // Watched before the first registration, so that a watcher coming up in
    // between is not missed.
    const std::string watcherChanges =
        std::string("type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                    "member='NameOwnerChanged',arg0='") +
        watcherName + "'";
    sd_bus_add_match_async(bus_.get(), &watchSlot_, watcherChanges.c_str(),
                           &StatusNotifierItem::onWatcherOwnerChanged, nullptr, this);
    registerWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem() {
    sd_bus_slot_unref(registerSlot_);
    sd_bus_slot_unref(watchSlot_);
    sd_bus_slot_unref(objectSlot_);
    sd_bus_release_name(bus_.get(), serviceName_.c_str());
}

void StatusNotifierItem::refresh() {
    menu_.refresh();
    std::optional<TrayBadge> badge = badgeSource_ ? badgeSource_() : std::nullopt;
    if (badge == badge_) {
        return;
    }
    const bool newToolTip = !badge || !badge_ || badge->layoutName != badge_->layoutName;
    badge_ = std::move(badge);
    icon_.clear();
    if (badge_) {
        for (int size : iconSizes) {
            if (auto image = CursorRenderer::badge(badge_->marker, size)) {
                icon_.push_back(TrayIconPixmap::fromImage(*image));
            }
        }
    }
    sd_bus_emit_signal(bus_.get(), objectPath, interfaceName, "NewIcon", "");
    if (newToolTip) {
        sd_bus_emit_signal(bus_.get(), objectPath, interfaceName, "NewToolTip", "");
    }
}

std::string StatusNotifierItem::toolTipTitle() const {
    return badge_ && !badge_->layoutName.empty() ? "Tolvane: " + badge_->layoutName : "Tolvane";
}

void StatusNotifierItem::registerWithWatcher() {
    registerSlot_ = sd_bus_slot_unref(registerSlot_);
    const int result = sd_bus_call_method_async(
        bus_.get(), &registerSlot_, watcherName, "/StatusNotifierWatcher", watcherName,
        "RegisterStatusNotifierItem", &StatusNotifierItem::onRegistered, this, "s",
        serviceName_.c_str());
    if (result < 0) {
        AppLog::warn("Tray: cannot ask the tray to show the status item: " +
                     std::string(std::strerror(-result)));
    }
}

int StatusNotifierItem::onRegistered(sd_bus_message* reply, void* self, sd_bus_error*) {
    auto& item = *static_cast<StatusNotifierItem*>(self);
    if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
        if (!item.toldNoWatcher_) {
            item.toldNoWatcher_ = true;
            AppLog::warn(std::string("Tray: no StatusNotifierWatcher on the session bus (") +
                         (error->message ? error->message : error->name) +
                         "); the pointer keeps its badge, and the tray icon appears as soon as "
                         "a tray starts");
        }
        return 0;
    }
    AppLog::info("Tray: registered with the StatusNotifierWatcher as " + item.serviceName_);
    return 0;
}

int StatusNotifierItem::onWatcherOwnerChanged(sd_bus_message* signal, void* self, sd_bus_error*) {
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(signal, "sss", &name, &oldOwner, &newOwner) >= 0 && newOwner &&
        *newOwner != '\0') {
        AppLog::info(std::string("Tray: a StatusNotifierWatcher is on the bus (") + newOwner +
                     "); registering");
        static_cast<StatusNotifierItem*>(self)->registerWithWatcher();
    }
    return 0;
}

int StatusNotifierItem::property(sd_bus*, const char*, const char*, const char* name,
                                 sd_bus_message* reply, void* self, sd_bus_error*) {
    const auto& item = *static_cast<StatusNotifierItem*>(self);
    const std::string property = name;
    BusMessageWriter writer(reply);
    if (property == "Category") {
        writer.string("ApplicationStatus");
    } else if (property == "Id") {
        writer.string("tolvane");
    } else if (property == "Title") {
        writer.string("Tolvane");
    } else if (property == "Status") {
        writer.string("Active");
    } else if (property == "WindowId") {
        writer.int32(0);
    } else if (property == "IconName") {
        // Without a badge yet, the theme's keyboard icon.
        writer.string(item.icon_.empty() ? "input-keyboard" : "");
    } else if (property == "IconPixmap") {
        writePixmaps(writer, item.icon_);
    } else if (property == "OverlayIconPixmap" || property == "AttentionIconPixmap") {
        writePixmaps(writer, {});
    } else if (property == "ToolTip") {
        writer.open('r', "sa(iiay)ss");
        writer.string("");
        writePixmaps(writer, {});
        writer.string(item.toolTipTitle());
        writer.string("");
        writer.close();
    } else if (property == "ItemIsMenu") {
        writer.boolean(true);
    } else if (property == "Menu") {
        writer.path(DbusMenu::objectPath);
    } else {
        writer.string("");
    }
    return writer.result();
}

int StatusNotifierItem::ignore(sd_bus_message* call, void*, sd_bus_error*) {
    // ItemIsMenu: the host opens the menu itself on every click.
    return sd_bus_reply_method_return(call, "");
}

} // namespace tolvane
