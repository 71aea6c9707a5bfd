// The status item, its menu and the actions behind the menu's items.
#include "app/AutoReturnDelay.h"
#include "app/TolvaneTrayApp.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"

#include <array>

namespace tolvane {

namespace {

struct StyleChoice {
    const char* title;
    CursorStyle style;
};
constexpr std::array<StyleChoice, 4> styleChoices{{{"System cursor", CursorStyle::system},
                                                   {"Letter badge", CursorStyle::letterBadge},
                                                   {"Color dot", CursorStyle::dotBadge},
                                                   {"High contrast", CursorStyle::highContrast}}};

constexpr std::array<std::int64_t, 6> presetDelays{0, 5, 10, 30, 60, 300};

ControlState stateFor(bool on) {
    return on ? ControlState::on : ControlState::off;
}

} // namespace

std::shared_ptr<MenuItem> TolvaneTrayApp::actionItem(std::string title, MenuItem::Action action,
                                                     std::string keyEquivalent) {
    // The menu belongs to this object, so its items may call it directly.
    return MenuItem::create(
        std::move(title),
        [this, action = std::move(action)](MenuItem& sender) {
            // A click queued behind Quit must not undo the restore.
            if (terminationBegun_) {
                AppLog::info("Menu action refused: termination has begun item=" + sender.title());
                return;
            }
            action(sender);
        },
        std::move(keyEquivalent));
}

std::shared_ptr<MenuItem> TolvaneTrayApp::actionItem(std::string title,
                                                     void (TolvaneTrayApp::*action)(),
                                                     std::string keyEquivalent) {
    return actionItem(
        std::move(title), [this, action](MenuItem&) { (this->*action)(); },
        std::move(keyEquivalent));
}

void TolvaneTrayApp::setupTrayMenu() {
    statusItem_ = context_.statusBar.statusItem(StatusBar::variableLength);
    if (StatusItem::Button* button = statusItem_->button()) {
        button->setTitle("TV");
    }
    auto menu = Menu::create();
    styleRootItem_ = MenuItem::create("Cursor style");
    leftHandedItem_ = actionItem("Left-handed cursor", &TolvaneTrayApp::toggleLeftHanded);
    leftHandedItem_->setState(stateFor(preferences_.isLeftHanded()));
    showCapsLockItem_ = actionItem("Show Caps Lock", &TolvaneTrayApp::toggleShowCapsLock);
    showCapsLockItem_->setState(stateFor(preferences_.showsCapsLock()));
    primaryLayoutRootItem_ = MenuItem::create("Primary layout");
    autoReturnRootItem_ = MenuItem::create("Auto-return timer");
    launchAtLoginItem_ = actionItem("Launch at Login", &TolvaneTrayApp::toggleLaunchAtLogin);
    launchAtLoginItem_->setState(stateFor(context_.loginItem->exists()));
    for (auto item : {styleRootItem_, leftHandedItem_, showCapsLockItem_, primaryLayoutRootItem_,
                      autoReturnRootItem_, MenuItem::separator(),
                      actionItem("Reapply for current language", &TolvaneTrayApp::forceApply, "r"),
                      actionItem("Restore OS cursor", &TolvaneTrayApp::restoreSystemCursors, "s"),
                      MenuItem::separator(),
                      actionItem("Check for Updates...",
                                 [this](MenuItem&) {
                                     if (updater_) {
                                         updater_->checkForUpdates();
                                     }
                                 }),
                      launchAtLoginItem_, MenuItem::separator(),
                      actionItem("Quit", &TolvaneTrayApp::quitApp, "q")}) {
        menu->addItem(std::move(item));
    }
    statusItem_->setMenu(menu);
    styleRootItem_->setSubmenu(makeStyleMenu());
    primaryLayoutRootItem_->setSubmenu(makePrimaryLayoutMenu());
    autoReturnRootItem_->setSubmenu(makeAutoReturnMenu());
}

std::shared_ptr<Menu> TolvaneTrayApp::makeStyleMenu() {
    auto menu = Menu::create("Cursor style");
    const CursorStyle current = preferences_.style();
    for (const StyleChoice& choice : styleChoices) {
        auto item = actionItem(choice.title, [this](MenuItem& sender) { onSelectStyle(sender); });
        item->setRepresentedObject(PropertyList(choice.style.rawValue()));
        item->setState(stateFor(choice.style == current));
        menu->addItem(std::move(item));
    }
    return menu;
}

std::shared_ptr<Menu> TolvaneTrayApp::makePrimaryLayoutMenu() {
    auto menu = Menu::create("Primary layout");
    const std::optional<std::string> primary = preferences_.primaryInputSourceID();
    if (auto source = context_.inputSources.currentKeyboardInputSource()) {
        if (auto current = KeyboardLayoutController::choice(*source)) {
            menu->addItem(actionItem("Use current: " + current->menuTitle(),
                                     &TolvaneTrayApp::setCurrentInputSourceAsPrimary));
        }
    }
    if (primary) {
        menu->addItem(actionItem("Clear primary layout", &TolvaneTrayApp::clearPrimaryInputSource));
    }
    menu->addItem(MenuItem::separator());
    const std::vector<KeyboardInputSourceChoice> sources =
        keyboardLayouts_.enabledSelectableSources();
    if (sources.empty()) {
        auto none = MenuItem::create("No selectable layouts found");
        none->setEnabled(false);
        menu->addItem(std::move(none));
    }
    for (const KeyboardInputSourceChoice& source : sources) {
        auto item = actionItem(source.menuTitle(),
                               [this](MenuItem& sender) { selectPrimaryInputSource(sender); });
        item->setRepresentedObject(PropertyList(source.sourceID));
        item->setState(stateFor(primary == source.sourceID));
        menu->addItem(std::move(item));
    }
    std::string label = "Not set";
    if (primary) {
        auto choice = keyboardLayouts_.sourceChoice(*primary);
        label = choice ? choice->menuTitle() : "Unavailable";
    }
    primaryLayoutRootItem_->setTitle("Primary layout: " + label);
    return menu;
}

std::shared_ptr<Menu> TolvaneTrayApp::makeAutoReturnMenu() {
    auto menu = Menu::create("Auto-return timer");
    const std::int64_t delay = preferences_.primaryInputSourceReturnDelaySeconds();
    for (std::int64_t preset : presetDelays) {
        auto item = actionItem(autoReturnDelayLabel(preset),
                               [this](MenuItem& sender) { selectAutoReturnDelay(sender); });
        item->setRepresentedObject(PropertyList(preset));
        item->setState(stateFor(preset == delay));
        menu->addItem(std::move(item));
    }
    if (std::find(presetDelays.begin(), presetDelays.end(), delay) == presetDelays.end()) {
        auto custom = MenuItem::create(autoReturnDelayLabel(delay));
        custom->setEnabled(false);
        custom->setState(ControlState::on);
        menu->addItem(std::move(custom));
    }
    menu->addItem(MenuItem::separator());
    menu->addItem(
        actionItem("Custom seconds...", &TolvaneTrayApp::showCustomAutoReturnDelayDialog));
    autoReturnRootItem_->setTitle("Auto-return: " + autoReturnDelayLabel(delay));
    return menu;
}

void TolvaneTrayApp::rebuildPrimaryLayoutAndAutoReturnMenus() {
    primaryLayoutRootItem_->setSubmenu(makePrimaryLayoutMenu());
    autoReturnRootItem_->setSubmenu(makeAutoReturnMenu());
}

void TolvaneTrayApp::onSelectStyle(const MenuItem& sender) {
    const std::string* rawValue =
        sender.representedObject() ? sender.representedObject()->stringValue() : nullptr;
    const std::optional<CursorStyle> style =
        rawValue ? CursorStyle::fromRawValue(*rawValue) : std::nullopt;
    if (!style) {
        return;
    }
    preferences_.setStyle(*style);
    invalidateCapeCache();
    AppLog::info("Style changed globally: style=" + style->rawValue());
    styleRootItem_->setSubmenu(makeStyleMenu());
    refreshStateAndApplyCursor(true, "style-change");
}

void TolvaneTrayApp::toggleLeftHanded() {
    preferences_.setLeftHanded(!preferences_.isLeftHanded());
    const bool leftHanded = preferences_.isLeftHanded();
    leftHandedItem_->setState(stateFor(leftHanded));
    invalidateCapeCache();
    AppLog::info("Left-handed mode toggled: " + logformat::boolean(leftHanded));
    refreshStateAndApplyCursor(true, "left-handed-toggle");
}

void TolvaneTrayApp::toggleShowCapsLock() {
    preferences_.setShowsCapsLock(!preferences_.showsCapsLock());
    const bool shows = preferences_.showsCapsLock();
    showCapsLockItem_->setState(stateFor(shows));
    AppLog::info("Show Caps Lock toggled: " + logformat::boolean(shows));
    // Each state keeps its own capes: nothing to invalidate.
    refreshStateAndApplyCursor(true, "show-caps-lock-toggle");
}

void TolvaneTrayApp::invalidateCapeCache() {
    context_.capeStore.removeAllCapes();
    if (cursorController_) {
        cursorController_->clearLastAppliedStyleCode();
    }
    AppLog::info("Cape cache invalidated; next apply will rebuild all payloads");
}

void TolvaneTrayApp::setCurrentInputSourceAsPrimary() {
    const std::optional<InputSource> source = context_.inputSources.currentKeyboardInputSource();
    const std::optional<KeyboardInputSourceChoice> current =
        source ? KeyboardLayoutController::choice(*source) : std::nullopt;
    if (!current) {
        AppLog::warn("Primary layout selection skipped: current source unavailable");
        return;
    }
    preferences_.setPrimaryInputSourceID(current->sourceID);
    rebuildPrimaryLayoutAndAutoReturnMenus();
    AppLog::info("Primary layout set to current source: " + current->sourceID);
    schedulePrimaryLayoutReturnIfNeeded(current->sourceID, "primary-current-selection");
}

void TolvaneTrayApp::selectPrimaryInputSource(const MenuItem& sender) {
    const std::string* sourceID =
        sender.representedObject() ? sender.representedObject()->stringValue() : nullptr;
    if (sourceID == nullptr) {
        return;
    }
    preferences_.setPrimaryInputSourceID(*sourceID);
    rebuildPrimaryLayoutAndAutoReturnMenus();
    AppLog::info("Primary layout selected from menu: " + *sourceID);
    schedulePrimaryLayoutReturnIfNeeded(detector_.detect().language.sourceID(),
                                        "primary-layout-selection");
}

void TolvaneTrayApp::clearPrimaryInputSource() {
    preferences_.setPrimaryInputSourceID(std::nullopt);
    cancelPrimaryLayoutReturnTimer();
    pendingAutoReturnTargetSourceID_.reset();
    rebuildPrimaryLayoutAndAutoReturnMenus();
}

void TolvaneTrayApp::selectAutoReturnDelay(const MenuItem& sender) {
    const std::optional<std::int64_t> delay =
        sender.representedObject() ? sender.representedObject()->integerValue() : std::nullopt;
    if (!delay) {
        return;
    }
    preferences_.setPrimaryInputSourceReturnDelaySeconds(*delay);
    rebuildPrimaryLayoutAndAutoReturnMenus();
    schedulePrimaryLayoutReturnIfNeeded(detector_.detect().language.sourceID(),
                                        "auto-return-delay-selection");
}

void TolvaneTrayApp::showCustomAutoReturnDelayDialog() {
    Alert alert;
    alert.messageText = "Auto-return timer";
    alert.informativeText = "Enter delay in seconds. Use 0 to disable automatic return.";
    alert.style = AlertStyle::informational;
    alert.accessoryTextField =
        TextField{std::to_string(preferences_.primaryInputSourceReturnDelaySeconds()), "Seconds",
                  Rect{{0, 0}, {220, 24}}};
    alert.buttonTitles = {"Save", "Cancel"};
    if (context_.application.runModal(alert) != Alert::firstButtonReturn) {
        return;
    }
    const std::string text = trimmedWhitespace(alert.accessoryTextField->stringValue);
    const std::optional<std::int64_t> delay = parseAutoReturnDelay(text);
    if (!delay) {
        context_.application.beep();
        AppLog::warn("Auto-return custom delay rejected: " + text);
        return;
    }
    preferences_.setPrimaryInputSourceReturnDelaySeconds(*delay);
    rebuildPrimaryLayoutAndAutoReturnMenus();
    schedulePrimaryLayoutReturnIfNeeded(detector_.detect().language.sourceID(),
                                        "auto-return-custom-delay");
}

void TolvaneTrayApp::quitApp() {
    context_.application.terminate();
}

void TolvaneTrayApp::toggleLaunchAtLogin() {
    const LoginItem& loginItem = *context_.loginItem;
    const bool enable = !loginItem.exists();
    const Result<void> changed = enable ? loginItem.install() : loginItem.remove();
    if (changed) {
        AppLog::info(enable ? "Launch at Login enabled" : "Launch at Login disabled");
    } else {
        AppLog::warn(std::string(enable ? "Launch at Login could not be enabled"
                                        : "Launch at Login could not be disabled") +
                     ": path=" + loginItem.path().string() + " error=" + changed.error());
    }
    launchAtLoginItem_->setState(stateFor(loginItem.exists()));
}

} // namespace tolvane
