#include "desk/DeskModel.h"

#include "input/KeyboardLayoutController.h"
#include "platform/Png.h"
#include "platform/MenuOutline.h"
#include "runtime/WindowServerObject.h"
#include "simws/Control.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace tolvane {

namespace {

constexpr const char* accessibilityDomain = "com.apple.universalaccess";
constexpr std::size_t logLinesShown = 40;

// The desk's zones, the cursor each shows as applications ask for it, and
// the system cursor number whose artwork is that cursor's own.
struct Zone {
    const char* zone;
    const char* name;
    std::int32_t number;
};
constexpr std::array<Zone, 9> zones{{
    {"arrow", "com.apple.coregraphics.Arrow", 0},
    {"iBeam", "com.apple.coregraphics.IBeam", 1},
    {"pointingHand", "com.apple.cursor.13", 13},
    {"resizeLeftRight", "com.apple.coregraphics.ResizeLeftRight", 19},
    {"resizeUpDown", "com.apple.coregraphics.ResizeUpDown", 22},
    {"resizeNorthWestSouthEast", "com.apple.coregraphics.ResizeNorthWestSouthEast", 23},
    {"resizeNorthEastSouthWest", "com.apple.coregraphics.ResizeNorthEastSouthWest", 24},
    {"wait", "com.apple.coregraphics.Wait", 4},
    {"crosshair", "com.apple.coregraphics.Crosshair", 7},
}};

// A registered cursor of the global scope, owning its array of images.
struct Cursor {
    TVWSCursorInfo info{};
    WindowServerObject images;

    std::size_t imageCount() const { return TVWSArrayGetCount(images.get()); }
    std::size_t representations() const {
        return info.frameCount == 0 ? imageCount() : imageCount() / info.frameCount;
    }
};

std::optional<Cursor> registeredCursor(const std::string& name) {
    Cursor cursor;
    if (tvws_copy_registered_cursor(TVWS_SCOPE_GLOBAL, name.c_str(), &cursor.info) != 0) {
        return std::nullopt;
    }
    cursor.images.reset(cursor.info.images);
    return cursor;
}

// The same geometry and the same pixels in every image.
bool sameCursor(const Cursor& one, const Cursor& other) {
    if (one.info.size.width != other.info.size.width ||
        one.info.size.height != other.info.size.height ||
        one.info.hotSpot.x != other.info.hotSpot.x || one.info.hotSpot.y != other.info.hotSpot.y ||
        one.imageCount() != other.imageCount()) {
        return false;
    }
    for (std::size_t index = 0; index < one.imageCount(); ++index) {
        TVWSImageRef first = TVWSArrayGetValueAtIndex(one.images.get(), index);
        TVWSImageRef second = TVWSArrayGetValueAtIndex(other.images.get(), index);
        const std::size_t size = TVWSImageGetBytesPerRow(first) * TVWSImageGetHeight(first);
        if (TVWSImageGetWidth(first) != TVWSImageGetWidth(second) ||
            size != TVWSImageGetBytesPerRow(second) * TVWSImageGetHeight(second) ||
            std::memcmp(TVWSImageGetBytes(first), TVWSImageGetBytes(second), size) != 0) {
            return false;
        }
    }
    return true;
}

std::optional<Cursor> systemCursor(std::int32_t number) {
    Cursor cursor;
    if (tvws_copy_system_cursor(number, &cursor.info) != 0) {
        return std::nullopt;
    }
    cursor.images.reset(cursor.info.images);
    return cursor;
}

std::vector<std::string> registeredNames() {
    std::vector<std::string> names;
    std::size_t count = 0;
    if (char** list = tvws_copy_registered_names(TVWS_SCOPE_GLOBAL, &count)) {
        names.assign(list, list + count);
        tvws_free_names(list);
    }
    return names;
}

std::string hexColour(const PropertyList& value) {
    const auto* dictionary = value.dictionaryValue();
    if (dictionary == nullptr) {
        return "set";
    }
    auto component = [&](const char* key) {
        const PropertyList* entry = PropertyList::find(*dictionary, key);
        const double level = entry ? entry->realValue().value_or(0) : 0;
        return static_cast<int>(std::lround(std::clamp(level, 0.0, 1.0) * 255));
    };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", component("red"), component("green"),
                  component("blue"));
    return text;
}

// A colour "#rrggbb", checked by the server before it comes here.
PropertyList colourValue(const std::string& hex) {
    auto component = [&](std::size_t offset) {
        unsigned level = 0;
        std::from_chars(hex.data() + offset, hex.data() + offset + 2, level, 16);
        return PropertyList(level / 255.0);
    };
    return PropertyList(PropertyList::Dictionary{{"red", component(1)},
                                                 {"green", component(3)},
                                                 {"blue", component(5)},
                                                 {"alpha", PropertyList(1.0)}});
}

nlohmann::json menuItems(const Menu& menu) {
    nlohmann::json items = nlohmann::json::array();
    for (const auto& item : menu.items()) {
        if (item->isSeparatorItem()) {
            items.push_back({{"separator", true}});
            continue;
        }
        nlohmann::json entry{{"title", item->title()},
                             {"enabled", item->isEnabled() && (item->hasAction() || item->submenu())},
                             {"checked", item->state() == ControlState::on},
                             {"key", item->keyEquivalent()}};
        if (item->submenu()) {
            entry["submenu"] = menuItems(*item->submenu());
        }
        items.push_back(std::move(entry));
    }
    return items;
}

} // namespace

DeskModel::DeskModel(SimSession& session, DeskChannel& channel, std::filesystem::path logFile)
    : session_(session), channel_(channel), logFile_(std::move(logFile)) {}

void DeskModel::publishIfChanged() {
    publish(state());
}

void DeskModel::publishEnded() {
    ended_ = true;
    publish(state());
}

void DeskModel::publish(nlohmann::json state) {
    // The log is ours, but the page must get valid text whatever it holds.
    std::string text = state.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (text != lastPublished_) {
        lastPublished_ = text;
        channel_.publish(std::move(text));
    }
}

nlohmann::json DeskModel::state() const {
    nlohmann::json state{{"ended", ended_},
                         {"notifications", notificationsEnabled_},
                         {"beeps", session_.application().beepCount()},
                         {"capsLock", session_.events()->isCapsLockLocked()},
                         {"menu", menuState()},
                         {"inputSources", inputSourcesState()},
                         {"accessibility", accessibilityState()},
                         {"log", logTail()}};
    state.update(cursorsState());
    nlohmann::json alerts = nlohmann::json::array();
    for (const OpenAlert& open : openAlerts_) {
        if (open.answer) {
            continue;
        }
        nlohmann::json alert{{"id", open.id},
                             {"message", open.alert.messageText},
                             {"informative", open.alert.informativeText},
                             {"buttons", open.alert.buttonTitles}};
        if (const auto& field = open.alert.accessoryTextField) {
            alert["field"] = {{"value", field->stringValue},
                              {"placeholder", field->placeholderString}};
        }
        alerts.push_back(std::move(alert));
    }
    state["alerts"] = std::move(alerts);
    return state;
}

nlohmann::json DeskModel::menuState() const {
    const auto& items = session_.statusBar().items();
    if (items.empty()) {
        return nullptr;
    }
    const StatusItem& item = *items.back();
    return {{"title", item.button() ? item.button()->title() : ""},
            {"items", item.menu() ? menuItems(*item.menu()) : nlohmann::json::array()}};
}

nlohmann::json DeskModel::inputSourcesState() const {
    KeyboardLayoutController layouts(*session_.inputSources());
    const auto current = session_.inputSources()->currentKeyboardInputSource();
    nlohmann::json sources = nlohmann::json::array();
    for (const KeyboardInputSourceChoice& choice : layouts.enabledSelectableSources()) {
        sources.push_back({{"id", choice.sourceID},
                           {"name", choice.localizedName},
                           {"badge", choice.badgeText},
                           {"selected", current && current->sourceID == choice.sourceID}});
    }
    return sources;
}

nlohmann::json DeskModel::cursorsState() const {
    const std::uint64_t generation = tvws_registry_generation();
    nlohmann::json zonesState = nlohmann::json::object();
    for (const Zone& zone : zones) {
        if (auto cursor = registeredCursor(zone.name)) {
            const auto own = systemCursor(zone.number);
            zonesState[zone.zone] = {{"name", zone.name},
                                     {"width", cursor->info.size.width},
                                     {"height", cursor->info.size.height},
                                     {"hotX", cursor->info.hotSpot.x},
                                     {"hotY", cursor->info.hotSpot.y},
                                     {"representations", cursor->representations()},
                                     // Registered anew or not, it shows the system's own.
                                     {"system", own && sameCursor(*cursor, *own)}};
        }
    }
    nlohmann::json gallery = nlohmann::json::array();
    for (const std::string& name : registeredNames()) {
        if (auto cursor = registeredCursor(name)) {
            gallery.push_back({{"name", name},
                               {"width", cursor->info.size.width},
                               {"height", cursor->info.size.height},
                               {"images", cursor->imageCount()},
                               {"frames", cursor->info.frameCount},
                               {"system", cursor->info.isSystemArtwork != 0}});
        }
    }
    std::unique_ptr<char, decltype(&tvws_free)> displayedName(tvws_copy_displayed_name(),
                                                              tvws_free);
    return {{"generation", generation},
            {"zones", std::move(zonesState)},
            {"gallery", std::move(gallery)},
            {"displayed",
             {{"name", displayedName ? displayedName.get() : ""},
              {"seed", tvws_seed()},
              {"scale", tvws_scale()},
              {"byOtherApplication", tvws_displayed_by_other_application() != 0}}}};
}

nlohmann::json DeskModel::accessibilityState() const {
    PreferenceDomain& domain = *session_.preferenceDomain(accessibilityDomain);
    nlohmann::json values = nlohmann::json::object();
    for (const char* key : {"cursorIsCustomized", "cursorFill", "cursorOutline",
                            "mouseDriverCursorFillColor", "mouseDriverCursorOutlineColor"}) {
        if (auto value = domain.copyValue(key)) {
            if (auto flag = value->booleanValue()) {
                values[key] = *flag;
            } else {
                values[key] = hexColour(*value);
            }
        }
    }
    return values;
}

nlohmann::json DeskModel::logTail() const {
    // Only the end of the file: it grows for as long as the program runs.
    constexpr std::streamoff window = 16 * 1024;
    std::ifstream file(logFile_, std::ios::binary | std::ios::ate);
    nlohmann::json lines = nlohmann::json::array();
    if (!file) {
        return lines;
    }
    const std::streamoff size = file.tellg();
    file.seekg(std::max<std::streamoff>(0, size - window));
    std::vector<std::string> all;
    for (std::string line; std::getline(file, line);) {
        all.push_back(std::move(line));
    }
    if (size > window && !all.empty()) {
        all.erase(all.begin()); // cut in the middle
    }
    const std::size_t first = all.size() > logLinesShown ? all.size() - logLinesShown : 0;
    for (std::size_t index = first; index < all.size(); ++index) {
        lines.push_back(all[index]);
    }
    return lines;
}

DeskModel::Refusal DeskModel::chooseMenuItem(const std::vector<int>& path) {
    if (!openAlerts_.empty()) {
        return "an alert is open";
    }
    const auto& items = session_.statusBar().items();
    std::shared_ptr<Menu> menu = items.empty() ? nullptr : items.back()->menu();
    std::shared_ptr<MenuItem> chosen;
    for (int index : path) {
        if (!menu || index < 0 || static_cast<std::size_t>(index) >= menu->items().size()) {
            return "no such menu item";
        }
        chosen = menu->items()[static_cast<std::size_t>(index)];
        menu = chosen->submenu();
    }
    if (!chosen || !chosen->performAction()) {
        return "the menu item does nothing";
    }
    publishIfChanged();
    return std::nullopt;
}

DeskModel::Refusal DeskModel::selectInputSource(const std::string& sourceID) {
    SimInputSourceServices& sources = *session_.inputSources();
    const bool switched = notificationsEnabled_ ? sources.switchTo(sourceID)
                                                : sources.switchWithoutNotification(sourceID);
    if (!switched) {
        return "no such layout";
    }
    publishIfChanged();
    return std::nullopt;
}

void DeskModel::setNotificationsEnabled(bool enabled) {
    notificationsEnabled_ = enabled;
    publishIfChanged();
}

std::vector<DeskModel::OpenAlert>::iterator DeskModel::findAlert(std::uint64_t alertID) {
    return std::find_if(openAlerts_.begin(), openAlerts_.end(),
                        [alertID](const OpenAlert& open) { return open.id == alertID; });
}

DeskModel::Refusal DeskModel::answerAlert(std::uint64_t alertID, int button,
                                          const std::string& text) {
    const auto open = findAlert(alertID);
    if (open == openAlerts_.end() || open->answer) {
        return "no such alert";
    }
    open->answer = Answer{button, text};
    publishIfChanged();
    return std::nullopt;
}

DeskModel::Refusal DeskModel::pressKey(const std::string& type) {
    if (type == "keyDown") {
        session_.events()->recordEvent(EventType::keyDown);
    } else if (type == "flagsChanged") {
        session_.events()->recordEvent(EventType::flagsChanged);
    } else if (type == "capsLock") {
        session_.events()->pressCapsLock();
        publishIfChanged();
    } else {
        return "unknown key event";
    }
    return std::nullopt;
}

DeskModel::Refusal DeskModel::setPointerColours(const std::optional<std::string>& fill,
                                                const std::optional<std::string>& outline) {
    PreferenceDomain& domain = *session_.preferenceDomain(accessibilityDomain);
    domain.setValue("cursorIsCustomized", PropertyList(fill || outline));
    domain.setValue("cursorFill", fill ? std::optional(colourValue(*fill)) : std::nullopt);
    domain.setValue("cursorOutline", outline ? std::optional(colourValue(*outline)) : std::nullopt);
    const Result<void> saved = domain.synchronize();
    publishIfChanged();
    if (!saved) {
        return "the pointer colours could not be saved: " + saved.error();
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> DeskModel::cursorPng(const std::string& name,
                                                              std::size_t representation) const {
    const std::optional<Cursor> cursor = registeredCursor(name);
    if (!cursor || representation >= cursor->representations()) {
        return std::nullopt;
    }
    const std::size_t frames = std::max<std::size_t>(cursor->info.frameCount, 1);
    const auto image = imageFromWindowServer(
        TVWSArrayGetValueAtIndex(cursor->images.get(), representation * frames));
    return image ? Png::encode(*image) : std::nullopt;
}

std::optional<std::vector<std::uint8_t>> DeskModel::displayedPng() const {
    WindowServerObject displayed(tvws_copy_displayed_image(nullptr));
    const auto image = imageFromWindowServer(displayed.get());
    return image ? Png::encode(*image) : std::nullopt;
}

ModalResponse DeskModel::presentAlert(Alert& alert) {
    const std::uint64_t id = ++alertsShown_;
    openAlerts_.push_back(OpenAlert{id, alert, std::nullopt});
    publishIfChanged();
    RunLoop& loop = *session_.loop();
    // The rest of the program goes on while the alert waits for its answer;
    // alerts opened meanwhile run their own loops inside this one.
    while (!findAlert(id)->answer && !session_.application().hasTerminated()) {
        loop.runUntil(loop.now() + 0.05);
    }
    const std::optional<Answer> answer = findAlert(id)->answer;
    openAlerts_.erase(findAlert(id));
    ModalResponse response = 0;
    if (answer) {
        if (alert.accessoryTextField) {
            alert.accessoryTextField->stringValue = answer->text;
        }
        if (answer->button >= 0 &&
            static_cast<std::size_t>(answer->button) < alert.buttonTitles.size()) {
            response = Alert::firstButtonReturn + answer->button;
        }
    }
    publishIfChanged();
    return response;
}

} // namespace tolvane
