// The application object's life: launch and termination.
#include "app/TolvaneTrayApp.h"

#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "platform/AsciiCase.h"

namespace tolvane {

namespace {

constexpr double inputSourcePollInterval = 0.25;
constexpr double cursorSeedWatchdogInterval = 0.2;
// After the restore, what is still queued on the main loop gets its turn.
constexpr double terminationGracePeriod = 0.15;

// TOLVANE_ENABLE_SEED_WATCHDOG also takes "yes", unlike the other switches.
bool seedWatchdogRequested(const Environment& environment) {
    const auto value = environment.value("TOLVANE_ENABLE_SEED_WATCHDOG");
    if (!value) {
        return false;
    }
    const std::string lower = lowercasedASCII(*value);
    return lower == "1" || lower == "true" || lower == "yes";
}

} // namespace

TolvaneTrayApp::TolvaneTrayApp(TrayAppContext context)
    : context_(std::move(context)), detector_(context_.inputSources),
      keyboardLayouts_(context_.inputSources),
      preferences_(context_.defaults, CursorPreferences::defaultLeftHandedMode(context_.bundle)),
      accessibilityAppearanceController_(context_.accessibilityPreferences, context_.folders),
      enableCursorSeedWatchdog_(seedWatchdogRequested(context_.environment)) {}

TolvaneTrayApp::~TolvaneTrayApp() {
    stopTimersAndObservers();
    cancelStabilizationReapplies();
}

void TolvaneTrayApp::applicationDidFinishLaunching() {
    accessibilityAppearanceController_.recoverPreviousSessionIfNeeded();
    const bool overrideActive =
        accessibilityAppearanceController_.activateSystemCursorAppearanceIfNeeded();
    AppLog::info("Accessibility cursor override active=" + logformat::boolean(overrideActive));

    CGSRuntime& runtime = context_.runtime;
    if (auto connection = runtime.mainConnectionID()) {
        const bool reset = runtime.hardResetSystemCursors(*connection, maxTrackedCursorID);
        AppLog::info("Startup hard reset before controller init: " + logformat::boolean(reset));
    } else {
        AppLog::warn("Startup hard reset skipped: missing main connection ID");
    }
    cursorController_ = std::make_unique<SystemCursorController>(
        runtime, context_.capeStore, context_.standardCursors, context_.loop, context_.environment,
        CursorScaleBackup(context_.folders));
    AppLog::info("Tolvane launch. logFile=" + AppLog::filePath().string() +
                 " verbose=" + logformat::boolean(AppLog::verboseEnabled()) + " runtimeAvailable=" +
                 logformat::boolean(cursorController_->isRuntimeAvailable()) +
                 " verified=" + logformat::boolean(cursorController_->isVerifiedFunctional()));

    startUpdater();
    setupTrayMenu();

    inputSourceObserver_ = context_.inputSources.addSelectedKeyboardInputSourceObserver(
        [this] { onInputSourceChanged(); });
    AppLog::info("Input source observer installed: " +
                 std::string(InputSourceServices::selectedKeyboardInputSourceChangedNotification));

    capsLockObserver_ = context_.events.addCapsLockObserver([this] { onCapsLockChanged(); });

    AppLog::info("Input source polling fallback started: interval=0.25s");
    inputSourcePollTimer_ =
        context_.loop->every(inputSourcePollInterval, [this] { pollInputSource(); });
    if (enableCursorSeedWatchdog_) {
        AppLog::info("Cursor seed watchdog started: interval=0.20s");
        cursorSeedWatchdogTimer_ = context_.loop->every(cursorSeedWatchdogInterval,
                                                        [this] { handleCursorSeedWatchdogTick(); });
    } else {
        AppLog::info(
            "Cursor seed watchdog disabled (set TOLVANE_ENABLE_SEED_WATCHDOG=1 to enable)");
    }

    refreshStateAndApplyCursor(true, "launch");
}

void TolvaneTrayApp::startUpdater() {
    updater_ = context_.makeUpdater();
    AppLog::info("Sparkle updater initialized");
    if (updater_->automaticallyChecksForUpdates()) {
        updater_->checkForUpdatesInBackground();
        AppLog::info("Sparkle launch background check requested");
    } else {
        AppLog::info("Sparkle automatic checks disabled; launch probe skipped");
    }
}

void TolvaneTrayApp::applicationWillTerminate() {
    terminationBegun_ = true;
    AppLog::info("Tolvane terminating; restoring original cursors");
    stopTimersAndObservers();
    cancelStabilizationReapplies();
    const bool restored = cursorController_ && cursorController_->restoreOriginal();
    AppLog::info("Termination restoreOriginal: " + logformat::boolean(restored));
    accessibilityAppearanceController_.restoreOriginalAppearanceIfNeeded();
    context_.loop->advance(terminationGracePeriod);
}

void TolvaneTrayApp::stopTimersAndObservers() {
    if (inputSourceObserver_) {
        context_.inputSources.removeObserver(*inputSourceObserver_);
        inputSourceObserver_.reset();
    }
    if (capsLockObserver_) {
        context_.events.removeCapsLockObserver(*capsLockObserver_);
        capsLockObserver_.reset();
    }
    // The auto-return confirmation too: nothing may switch or re-decorate
    // once termination has begun.
    for (std::optional<Cancellable>* timer :
         {&inputSourcePollTimer_, &primaryLayoutReturnTimer_, &cursorSeedWatchdogTimer_,
          &autoReturnConfirmation_}) {
        if (*timer) {
            (*timer)->cancel();
            timer->reset();
        }
    }
}

} // namespace tolvane
