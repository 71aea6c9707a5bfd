#pragma once

#include "accessibility/CursorAccessibilityAppearanceController.h"
#include "app/CursorPreferences.h"
#include "capes/CursorCapeStore.h"
#include "cursors/SystemCursorController.h"
#include "input/InputLanguage.h"
#include "input/KeyboardLayoutController.h"
#include "input/LanguageDetector.h"
#include "platform/Application.h"
#include "platform/Bundle.h"
#include "platform/DefaultsStore.h"
#include "platform/Environment.h"
#include "platform/EventServices.h"
#include "platform/InputSourceServices.h"
#include "platform/LoginItem.h"
#include "platform/PreferenceDomain.h"
#include "platform/RunLoop.h"
#include "platform/StandardCursors.h"
#include "platform/StatusBar.h"
#include "platform/Updater.h"
#include "platform/UserFolders.h"
#include "runtime/CGSRuntime.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// What the application object takes from the desktop and the process.
struct TrayAppContext {
    std::shared_ptr<RunLoop> loop;
    Application& application;
    StatusBar& statusBar;
    InputSourceServices& inputSources;
    // Keyboard idle times for the return to the primary layout.
    EventServices& events;
    DefaultsStore& defaults;
    // The Accessibility preferences, whose pointer colours are overridden for the run.
    PreferenceDomain& accessibilityPreferences;
    const UserFolders& folders;
    const Bundle& bundle;
    const StandardCursors& standardCursors;
    CGSRuntime& runtime;
    CursorCapeStore& capeStore;
    Environment environment;
    // Makes the updater, started, at launch.
    std::function<std::unique_ptr<Updater>()> makeUpdater;
    // The file that Launch at Login writes and removes.
    std::shared_ptr<LoginItem> loginItem;
};

// The status-item application. At launch it takes the Accessibility override,
// captures the system's cursors and decorates the pointer for the current
// language; every input source change then re-decorates it; when the
// application terminates, by any road, everything is put back.
class TolvaneTrayApp final : public ApplicationDelegate {
  public:
    // The highest cursor number the start-up hard reset asks for.
    static constexpr std::int32_t maxTrackedCursorID = 101;
    // After an apply the watchdog takes seed changes as the application's own.
    static constexpr double watchdogReapplyCooldown = 1.0;

    // Creates the collaborators only: no window-server call, no menu, no log line.
    explicit TolvaneTrayApp(TrayAppContext context);
    // Nothing it scheduled runs afterwards.
    ~TolvaneTrayApp() override;
    TolvaneTrayApp(const TolvaneTrayApp&) = delete;
    TolvaneTrayApp& operator=(const TolvaneTrayApp&) = delete;

    void applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;

    // The fallback for a lost notification, four times a second.
    void pollInputSource();
    // Notification and menu entry points.
    void onInputSourceChanged();
    void onCapsLockChanged();
    void forceApply();
    void restoreSystemCursors();
    void toggleLaunchAtLogin();

    const std::shared_ptr<StatusItem>& statusItem() const { return statusItem_; }
    // The language the pointer shows now; none before the first refresh.
    const std::optional<InputLanguage>& currentLanguage() const { return lastLanguage_; }
    // The badge a status icon shows for the language: the chosen style's, or
    // the letter badge where the style leaves the pointer undecorated.
    CursorMarker statusBadge(const InputLanguage& language) const;

  private:
    // Refresh pipeline (TolvaneTrayApp+Refresh.cpp).
    void refreshStateAndApplyCursor(bool force, const std::string& trigger);
    // Finishes the cursor controller's set-up where the window server did not
    // let the launch finish it; true when it just did, and the refresh then
    // applies as the launch would have. `unchanged`: the refresh found the
    // language and source it last applied.
    bool resumeLaunchIfNeeded(const std::string& trigger, bool unchanged);
    bool applyCursor(const InputLanguage& language);
    // The style's marker for the language, with Caps Lock as it is shown.
    std::optional<CursorMarker> markerFor(CursorStyle style, const InputLanguage& language) const;
    void updateMenu(const LanguageState& state);
    void scheduleStabilizationReapply(const InputLanguage& expectedLanguage, int attempt);
    void runStabilizationReapply(const InputLanguage& expectedLanguage, int attempt);
    void cancelStabilizationReapplies();
    void handleCursorSeedWatchdogTick();
    std::optional<std::int32_t> currentCursorSeed() const;
    std::optional<std::string> currentCursorFingerprint() const;

    // Menu (TolvaneTrayApp+Menu.cpp).
    void setupTrayMenu();
    std::shared_ptr<Menu> makeStyleMenu();
    std::shared_ptr<Menu> makePrimaryLayoutMenu();
    std::shared_ptr<Menu> makeAutoReturnMenu();
    // Builds an item that runs the action when chosen, until termination
    // begins: from then on every item refuses, whoever chooses it.
    std::shared_ptr<MenuItem> actionItem(std::string title, MenuItem::Action action,
                                         std::string keyEquivalent = {});
    std::shared_ptr<MenuItem> actionItem(std::string title, void (TolvaneTrayApp::*action)(),
                                         std::string keyEquivalent = {});
    void rebuildPrimaryLayoutAndAutoReturnMenus();
    void onSelectStyle(const MenuItem& sender);
    void toggleLeftHanded();
    void toggleShowCapsLock();
    void invalidateCapeCache();
    void setCurrentInputSourceAsPrimary();
    void selectPrimaryInputSource(const MenuItem& sender);
    void clearPrimaryInputSource();
    void selectAutoReturnDelay(const MenuItem& sender);
    void showCustomAutoReturnDelayDialog();
    void quitApp();

    // Return to the primary layout (TolvaneTrayApp+AutoReturn.cpp).
    void schedulePrimaryLayoutReturnIfNeeded(const std::string& currentSourceID,
                                             const std::string& trigger);
    void performPrimaryLayoutReturn(const std::string& expectedPrimarySourceID,
                                    double windowStartedAt);
    void confirmAutoReturnSelection(const std::string& expectedPrimarySourceID);
    // Stops the timer and forgets the idle window.
    void cancelPrimaryLayoutReturnTimer();
    // Stops the timer only.
    void stopPrimaryLayoutReturnTimer();
    void clearPrimaryLayoutReturnWindow();
    double keyboardIdleSeconds() const;

    void stopTimersAndObservers();
    void startUpdater();

    TrayAppContext context_;
    LanguageDetector detector_;
    KeyboardLayoutController keyboardLayouts_;
    CursorPreferences preferences_;
    CursorAccessibilityAppearanceController accessibilityAppearanceController_;
    std::unique_ptr<SystemCursorController> cursorController_;
    std::unique_ptr<Updater> updater_;
    std::shared_ptr<StatusItem> statusItem_;
    std::shared_ptr<MenuItem> styleRootItem_;
    std::shared_ptr<MenuItem> primaryLayoutRootItem_;
    std::shared_ptr<MenuItem> autoReturnRootItem_;
    std::shared_ptr<MenuItem> leftHandedItem_;
    std::shared_ptr<MenuItem> showCapsLockItem_;
    std::shared_ptr<MenuItem> launchAtLoginItem_;

    std::optional<InputLanguage> lastLanguage_;
    std::optional<std::string> lastLanguageCode_;
    std::optional<std::string> lastInputSourceID_;
    // Whether the pointer shows Caps Lock: it is locked and the user wants it shown.
    bool capsLockShown_ = false;
    std::optional<InputSourceServices::ObserverID> inputSourceObserver_;
    std::optional<EventServices::ObserverID> capsLockObserver_;
    std::optional<Cancellable> inputSourcePollTimer_;
    std::optional<Cancellable> primaryLayoutReturnTimer_;
    std::optional<Cancellable> cursorSeedWatchdogTimer_;
    std::optional<std::string> pendingAutoReturnTargetSourceID_;
    std::optional<double> primaryLayoutReturnWindowStartedAt_;
    std::optional<std::string> primaryLayoutReturnSourceID_;
    // The check that an auto-return switch took; cancelled at termination.
    std::optional<Cancellable> autoReturnConfirmation_;
    std::optional<std::int32_t> lastObservedCursorSeed_;
    bool isWatchdogReapplyInProgress_ = false;
    double watchdogSuppressedUntil_ = -std::numeric_limits<double>::infinity();
    std::vector<Cancellable> stabilizationReapplyWorkItems_;
    bool enableCursorSeedWatchdog_;
    // Set as termination begins; the restore that follows is the last change.
    bool terminationBegun_ = false;
};

} // namespace tolvane
