#include "platform/x11/DbusMenu.h"

#include "log/AppLog.h"
#include "platform/MenuOutline.h"
#include "platform/x11/BusMessageWriter.h"

#include <algorithm>
#include <cstring>
#include <systemd/sd-bus.h>
#include <vector>

namespace tolvane {

namespace {

constexpr const char* interfaceName = "com.canonical.dbusmenu";
constexpr const char* unknownItem = "com.canonical.dbusmenu.UnknownItem";

// Hosts read a single underscore as the mark of an access key.
std::string label(const std::string& title) {
    std::string escaped;
    for (char c : title) {
        escaped += c == '_' ? "__" : std::string(1, c);
    }
    return escaped;
}

std::vector<std::string> readStrings(sd_bus_message* message) {
    std::vector<std::string> strings;
    if (sd_bus_message_enter_container(message, 'a', "s") < 0) {
        return strings;
    }
    const char* text = nullptr;
    while (sd_bus_message_read_basic(message, 's', &text) > 0) {
        strings.emplace_back(text);
    }
    sd_bus_message_exit_container(message);
    return strings;
}

std::vector<std::int32_t> readIds(sd_bus_message* message) {
    std::vector<std::int32_t> ids;
    if (sd_bus_message_enter_container(message, 'a', "i") < 0) {
        return ids;
    }
    std::int32_t id = 0;
    while (sd_bus_message_read_basic(message, 'i', &id) > 0) {
        ids.push_back(id);
    }
    sd_bus_message_exit_container(message);
    return ids;
}

} // namespace

struct DbusMenu::Node {
    std::int32_t id = 0;
    // Null for the menu itself.
    std::shared_ptr<MenuItem> item;
    std::vector<Node> children;

    const Node* find(std::int32_t wanted) const {
        if (id == wanted) {
            return this;
        }
        for (const Node& child : children) {
            if (const Node* found = child.find(wanted)) {
                return found;
            }
        }
        return nullptr;
    }

    struct Property {
        const char* name;
        const char* signature;
        std::function<void(BusMessageWriter&)> write;
    };

    // What the host reads of the item, defaults left out.
    std::vector<Property> properties() const {
        std::vector<Property> found;
        if (!item || item->submenu()) {
            found.push_back({"children-display", "s", [](auto& w) { w.string("submenu"); }});
        }
        if (!item) {
            return found;
        }
        if (item->isSeparatorItem()) {
            found.push_back({"type", "s", [](auto& w) { w.string("separator"); }});
            return found;
        }
        found.push_back({"label", "s", [this](auto& w) { w.string(label(item->title())); }});
        found.push_back({"enabled", "b", [this](auto& w) { w.boolean(item->isEnabled()); }});
        if (item->state() != ControlState::off) {
            const std::int32_t state = item->state() == ControlState::on ? 1 : -1;
            found.push_back({"toggle-type", "s", [](auto& w) { w.string("checkmark"); }});
            found.push_back({"toggle-state", "i", [state](auto& w) { w.int32(state); }});
        }
        return found;
    }

    // The properties among `names` (all when empty), as a{sv}.
    void writeProperties(BusMessageWriter& writer, const std::vector<std::string>& names) const {
        writer.open('a', "{sv}");
        for (const Property& property : properties()) {
            if (names.empty() ||
                std::find(names.begin(), names.end(), property.name) != names.end()) {
                writer.entry(property.name, property.signature, [&] { property.write(writer); });
            }
        }
        writer.close();
    }

    static void addItems(const Menu& menu, std::vector<Node>& nodes, std::int32_t& next) {
        for (const auto& item : menu.items()) {
            Node& node = nodes.emplace_back(Node{next++, item, {}});
            if (item->submenu()) {
                addItems(*item->submenu(), node.children, next);
            }
        }
    }

    // (ia{sv}av), children down to `depth` levels (all when negative).
    void writeLayout(BusMessageWriter& writer, std::int32_t depth,
                     const std::vector<std::string>& names) const {
        writer.open('r', "ia{sv}av");
        writer.int32(id);
        writeProperties(writer, names);
        writer.open('a', "v");
        if (depth != 0) {
            for (const Node& child : children) {
                writer.open('v', "(ia{sv}av)");
                child.writeLayout(writer, depth - 1, names);
                writer.close();
            }
        }
        writer.close();
        writer.close();
    }
};

DbusMenu::Node DbusMenu::tree() const {
    Node root;
    std::int32_t next = 1;
    if (auto menu = menu_()) {
        Node::addItems(*menu, root.children, next);
    }
    return root;
}

namespace {

int reply(sd_bus_message* call, const std::function<void(BusMessageWriter&)>& write) {
    sd_bus_message* answer = nullptr;
    int result = sd_bus_message_new_method_return(call, &answer);
    if (result < 0) {
        return result;
    }
    BusMessageWriter writer(answer);
    write(writer);
    result = writer.result();
    if (result >= 0) {
        result = sd_bus_send(nullptr, answer, nullptr);
    }
    sd_bus_message_unref(answer);
    return result;
}

} // namespace

DbusMenu::DbusMenu(SessionBus& bus, std::shared_ptr<RunLoop> loop, MenuSource menu)
    : bus_(bus), loop_(std::move(loop)), menu_(std::move(menu)) {
    static const sd_bus_vtable menuVtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("GetLayout", "iias", "u(ia{sv}av)", &DbusMenu::getLayout, 0),
        SD_BUS_METHOD("GetGroupProperties", "aias", "a(ia{sv})", &DbusMenu::getGroupProperties, 0),
        SD_BUS_METHOD("GetProperty", "is", "v", &DbusMenu::getProperty, 0),
        SD_BUS_METHOD("Event", "isvu", "", &DbusMenu::event, 0),
        SD_BUS_METHOD("EventGroup", "a(isvu)", "ai", &DbusMenu::eventGroup, 0),
        SD_BUS_METHOD("AboutToShow", "i", "b", &DbusMenu::aboutToShow, 0),
        SD_BUS_METHOD("AboutToShowGroup", "ai", "aiai", &DbusMenu::aboutToShowGroup, 0),
        SD_BUS_PROPERTY("Version", "u", &DbusMenu::property, 0, 0),
        SD_BUS_PROPERTY("TextDirection", "s", &DbusMenu::property, 0, 0),
        SD_BUS_PROPERTY("Status", "s", &DbusMenu::property, 0, 0),
        SD_BUS_PROPERTY("IconThemePath", "as", &DbusMenu::property, 0, 0),
        SD_BUS_SIGNAL("ItemsPropertiesUpdated", "a(ia{sv})a(ias)", 0),
        SD_BUS_SIGNAL("LayoutUpdated", "ui", 0),
        SD_BUS_SIGNAL("ItemActivationRequested", "iu", 0),
        SD_BUS_VTABLE_END,
    };
    if (auto current = menu_()) {
        outline_ = menuOutline(*current);
    }
    const int result =
        sd_bus_add_object_vtable(bus_.get(), &slot_, objectPath, interfaceName, menuVtable, this);
    if (result < 0) {
        AppLog::warn("Tray: cannot offer the menu on the session bus: " +
                     std::string(std::strerror(-result)));
    }
}

DbusMenu::~DbusMenu() {
    sd_bus_slot_unref(slot_);
}

void DbusMenu::refresh() {
    auto menu = menu_();
    std::string outline = menu ? menuOutline(*menu) : std::string();
    if (outline == outline_) {
        return;
    }
    outline_ = std::move(outline);
    ++revision_;
    sd_bus_emit_signal(bus_.get(), objectPath, interfaceName, "LayoutUpdated", "ui", revision_,
                       std::int32_t{0});
}

int DbusMenu::getLayout(sd_bus_message* call, void* self, sd_bus_error* error) {
    auto& menu = *static_cast<DbusMenu*>(self);
    std::int32_t parent = 0;
    std::int32_t depth = -1;
    if (int result = sd_bus_message_read(call, "ii", &parent, &depth); result < 0) {
        return result;
    }
    const std::vector<std::string> names = readStrings(call);
    const Node root = menu.tree();
    const Node* node = root.find(parent);
    if (node == nullptr) {
        return sd_bus_error_set(error, unknownItem, "No menu item with this id");
    }
    return reply(call, [&](BusMessageWriter& writer) {
        writer.uint32(menu.revision_);
        node->writeLayout(writer, depth, names);
    });
}

int DbusMenu::getGroupProperties(sd_bus_message* call, void* self, sd_bus_error*) {
    auto& menu = *static_cast<DbusMenu*>(self);
    const std::vector<std::int32_t> ids = readIds(call);
    const std::vector<std::string> names = readStrings(call);
    const Node root = menu.tree();
    return reply(call, [&](BusMessageWriter& writer) {
        writer.open('a', "(ia{sv})");
        for (std::int32_t id : ids) {
            if (const Node* node = root.find(id)) {
                writer.open('r', "ia{sv}");
                writer.int32(id);
                node->writeProperties(writer, names);
                writer.close();
            }
        }
        writer.close();
    });
}

int DbusMenu::getProperty(sd_bus_message* call, void* self, sd_bus_error* error) {
    auto& menu = *static_cast<DbusMenu*>(self);
    std::int32_t id = 0;
    const char* name = nullptr;
    if (int result = sd_bus_message_read(call, "is", &id, &name); result < 0) {
        return result;
    }
    const Node root = menu.tree();
    const Node* node = root.find(id);
    if (node == nullptr) {
        return sd_bus_error_set(error, unknownItem, "No menu item with this id");
    }
    for (const Node::Property& property : node->properties()) {
        if (property.name == std::string(name)) {
            return reply(call, [&](BusMessageWriter& writer) {
                writer.open('v', property.signature);
                property.write(writer);
                writer.close();
            });
        }
    }
    return sd_bus_error_set(error, "com.canonical.dbusmenu.UnknownProperty",
                            "The item has no such property");
}

bool DbusMenu::handleEvent(std::int32_t id, const std::string& eventId) {
    const Node root = tree();
    const Node* node = root.find(id);
    if (node == nullptr) {
        return false;
    }
    if (eventId == "clicked" && node->item) {
        // The host sees the new check marks as soon as the action ran.
        loop_->post([this, item = node->item, alive = std::weak_ptr<bool>(alive_)] {
            item->performAction();
            if (alive.lock()) {
                refresh();
            }
        });
    }
    return true;
}

int DbusMenu::event(sd_bus_message* call, void* self, sd_bus_error* error) {
    std::int32_t id = 0;
    const char* eventId = nullptr;
    if (int result = sd_bus_message_read(call, "is", &id, &eventId); result < 0) {
        return result;
    }
    if (!static_cast<DbusMenu*>(self)->handleEvent(id, eventId)) {
        return sd_bus_error_set(error, unknownItem, "No menu item with this id");
    }
    return sd_bus_reply_method_return(call, "");
}

int DbusMenu::eventGroup(sd_bus_message* call, void* self, sd_bus_error*) {
    auto& menu = *static_cast<DbusMenu*>(self);
    std::vector<std::int32_t> unknown;
    if (int result = sd_bus_message_enter_container(call, 'a', "(isvu)"); result < 0) {
        return result;
    }
    while (sd_bus_message_enter_container(call, 'r', "isvu") > 0) {
        std::int32_t id = 0;
        const char* eventId = nullptr;
        sd_bus_message_read(call, "is", &id, &eventId);
        if (!menu.handleEvent(id, eventId ? eventId : "")) {
            unknown.push_back(id);
        }
        sd_bus_message_skip(call, "vu");
        sd_bus_message_exit_container(call);
    }
    return reply(call, [&](BusMessageWriter& writer) {
        writer.open('a', "i");
        for (std::int32_t id : unknown) {
            writer.int32(id);
        }
        writer.close();
    });
}

int DbusMenu::aboutToShow(sd_bus_message* call, void*, sd_bus_error*) {
    // The layout is always current: every change was announced.
    return sd_bus_reply_method_return(call, "b", 0);
}

int DbusMenu::aboutToShowGroup(sd_bus_message* call, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(call, "aiai", 0, 0);
}

int DbusMenu::property(sd_bus*, const char*, const char*, const char* name, sd_bus_message* reply,
                       void*, sd_bus_error*) {
    const std::string property = name;
    if (property == "Version") {
        return sd_bus_message_append(reply, "u", 3u);
    }
    if (property == "TextDirection") {
        return sd_bus_message_append(reply, "s", "ltr");
    }
    if (property == "Status") {
        return sd_bus_message_append(reply, "s", "normal");
    }
    return sd_bus_message_append(reply, "as", 0);
}

} // namespace tolvane
