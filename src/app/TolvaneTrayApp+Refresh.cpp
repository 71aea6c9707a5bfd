// The one pipeline every event that may change the pointer goes through, and
// what keeps the decorated pointer in place: stabilization reapplies and the
// cursor seed watchdog.
#include "app/TolvaneTrayApp.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"

#include <array>

namespace tolvane {

namespace {

// After a manual restore the watchdog leaves the system's cursors alone this long.
constexpr double restoreSuppression = 5.0;
// Delays of stabilization reapplies 1, 2 and 3, each after the one before.
constexpr std::array<double, 3> stabilizationDelays{0.45, 1.0, 1.8};

bool differ(const std::optional<std::string>& before, const std::optional<std::string>& after) {
    return before && after && *before != *after;
}

} // namespace

void TolvaneTrayApp::refreshStateAndApplyCursor(bool force, const std::string& trigger) {
    const LanguageState state = detector_.detect();
    const InputLanguage& language = state.language;
    if (AppLog::verboseEnabled()) {
        AppLog::debug("State detected trigger=" + trigger + " code=" + language.code() +
                      " sourceID=" + language.sourceID() + " name=" + language.displayName());
    }
    const bool codeSame = lastLanguageCode_ == language.code();
    const bool sourceSame = lastInputSourceID_ == language.sourceID();
    // The preference is read only while the lock is on: an idle poll stays cheap.
    const bool capsLockShown = context_.events.isCapsLockLocked() && preferences_.showsCapsLock();
    const bool capsLockSame = capsLockShown == capsLockShown_;
    if (pendingAutoReturnTargetSourceID_) {
        const std::string target = *pendingAutoReturnTargetSourceID_;
        if (target == language.sourceID()) {
            pendingAutoReturnTargetSourceID_.reset();
            AppLog::info("Primary layout auto-return observed target source: " + target);
        } else if (!sourceSame) {
            pendingAutoReturnTargetSourceID_.reset();
            AppLog::info("Primary layout auto-return pending target cleared after different "
                         "source selected: target=" +
                         target + " actual=" + language.sourceID());
        }
    }
    const bool unchanged = !force && codeSame && sourceSame && capsLockSame;
    const bool launchResumed = resumeLaunchIfNeeded(trigger, unchanged);
    force = force || launchResumed;
    if (unchanged && !launchResumed) {
        if (AppLog::verboseEnabled()) {
            AppLog::debug("Apply skipped trigger=" + trigger + " code/source unchanged");
        }
        updateMenu(state);
        return;
    }

    cancelStabilizationReapplies();
    watchdogSuppressedUntil_ = context_.loop->now() + watchdogReapplyCooldown;
    if (!capsLockSame) {
        AppLog::info("Caps Lock on the pointer: shown=" + logformat::boolean(capsLockShown) +
                     " trigger=" + trigger);
    }
    capsLockShown_ = capsLockShown;
    const bool applied = applyCursor(language);
    AppLog::info("Apply requested trigger=" + trigger + " force=" + logformat::boolean(force) +
                 " languageChanged=" + logformat::boolean(!codeSame) +
                 " sourceChanged=" + logformat::boolean(!sourceSame) + " prevCode=" +
                 logformat::optional(lastLanguageCode_) + " newCode=" + language.code() +
                 " prevSource=" + logformat::optional(lastInputSourceID_) +
                 " newSource=" + language.sourceID() + " applied=" + logformat::boolean(applied));
    lastObservedCursorSeed_ = currentCursorSeed();
    lastLanguage_ = language;
    lastLanguageCode_ = language.code();
    lastInputSourceID_ = language.sourceID();
    schedulePrimaryLayoutReturnIfNeeded(language.sourceID(), trigger);
    updateMenu(state);
}

bool TolvaneTrayApp::resumeLaunchIfNeeded(const std::string& trigger, bool unchanged) {
    if (!cursorController_ || !cursorController_->needsSetUp()) {
        return false;
    }
    // The launch has only just tried, and an idle poll comes four times a second.
    const bool urgent = trigger != "launch" && !(trigger == "poll" && unchanged);
    if (!cursorController_->resumeSetUp(urgent)) {
        return false;
    }
    AppLog::info("Launch resumed on the window server: trigger=" + trigger + " runtimeAvailable=" +
                 logformat::boolean(cursorController_->isRuntimeAvailable()) +
                 " verified=" + logformat::boolean(cursorController_->isVerifiedFunctional()));
    return true;
}

bool TolvaneTrayApp::applyCursor(const InputLanguage& language) {
    if (!cursorController_) {
        AppLog::error("applyCursor aborted: cursor controller is nil");
        return false;
    }
    if (!cursorController_->isRuntimeAvailable()) {
        AppLog::error("applyCursor aborted: runtime unavailable");
        return false;
    }
    const CursorStyle style = preferences_.style(language);
    const std::optional<CursorMarker> marker = markerFor(style, language);
    AppLog::info("Applying cursor for language=" + language.code() +
                 " badge=" + language.badgeText() + " style=" + style.rawValue() +
                 " marker=" + (marker ? "custom" : "system"));
    const std::optional<std::string> before = currentCursorFingerprint();
    const bool result = cursorController_->apply(marker, language.code(), style.rawValue(),
                                                 preferences_.isLeftHanded());
    const std::optional<std::string> after = currentCursorFingerprint();
    // A fingerprint that did not move may mean the window server has not taken
    // the new cursor yet: try again shortly.
    if (result && marker && !differ(before, after)) {
        scheduleStabilizationReapply(language, 1);
    }
    AppLog::info("cursorController.apply result language=" + language.code() +
                 " style=" + style.rawValue() + " result=" + logformat::boolean(result));
    return result;
}

std::optional<CursorMarker> TolvaneTrayApp::markerFor(CursorStyle style,
                                                      const InputLanguage& language) const {
    return style.marker(language, capsLockShown_);
}

CursorMarker TolvaneTrayApp::statusBadge(const InputLanguage& language) const {
    return markerFor(preferences_.style(language), language)
        .value_or(*markerFor(CursorStyle(CursorStyle::letterBadge), language));
}

void TolvaneTrayApp::updateMenu(const LanguageState& state) {
    StatusItem::Button* button = statusItem_ ? statusItem_->button() : nullptr;
    if (button == nullptr) {
        return;
    }
    const InputLanguage& language = state.language;
    const std::string badge =
        language.badgeText().empty()
            ? InputLanguage::badgeText(InputLanguage::normalizedCode(language.code()))
            : language.badgeText();
    std::string title =
        "TV [" + (capsLockShown_ ? CursorStyle::capsLockText(badge) + "\u21EA" : badge) + "]";
    // Four times a second with nothing new: leave the title alone.
    if (button->title() != title) {
        button->setTitle(std::move(title));
    }
}

void TolvaneTrayApp::scheduleStabilizationReapply(const InputLanguage& expectedLanguage,
                                                  int attempt) {
    if (attempt > static_cast<int>(stabilizationDelays.size())) {
        return;
    }
    stabilizationReapplyWorkItems_.push_back(context_.loop->after(
        stabilizationDelays[static_cast<std::size_t>(attempt - 1)],
        [this, expectedLanguage, attempt] { runStabilizationReapply(expectedLanguage, attempt); }));
}

void TolvaneTrayApp::runStabilizationReapply(const InputLanguage& expectedLanguage, int attempt) {
    if (lastLanguageCode_ != expectedLanguage.code()) {
        return;
    }
    const InputLanguage language = lastLanguage_.value_or(expectedLanguage);
    if (language.code() != expectedLanguage.code()) {
        return;
    }
    const CursorStyle style = preferences_.style(language);
    const std::optional<CursorMarker> marker = markerFor(style, language);
    if (!marker || !cursorController_ || !context_.runtime.mainConnectionID()) {
        return;
    }
    const std::optional<std::string> before = currentCursorFingerprint();
    const bool result = cursorController_->apply(marker, language.code(), style.rawValue(),
                                                 preferences_.isLeftHanded());
    const std::optional<std::string> after = currentCursorFingerprint();
    const bool hashChanged = differ(before, after);
    // The reapply moved the seed itself: the watchdog must not take it for a
    // foreign change.
    lastObservedCursorSeed_ = currentCursorSeed();
    AppLog::info("Stabilization reapply attempt=" + std::to_string(attempt) +
                 " language=" + language.code() + " result=" + logformat::boolean(result) +
                 " hashChanged=" + logformat::boolean(hashChanged));
    if (result && !hashChanged) {
        scheduleStabilizationReapply(language, attempt + 1);
    }
}

void TolvaneTrayApp::cancelStabilizationReapplies() {
    for (Cancellable& task : stabilizationReapplyWorkItems_) {
        task.cancel();
    }
    stabilizationReapplyWorkItems_.clear();
}

void TolvaneTrayApp::handleCursorSeedWatchdogTick() {
    if (isWatchdogReapplyInProgress_) {
        return;
    }
    const std::optional<std::int32_t> seed = currentCursorSeed();
    if (!seed) {
        return;
    }
    const bool ownChangeOrNothingToKeep =
        !lastObservedCursorSeed_ || context_.loop->now() < watchdogSuppressedUntil_ ||
        !lastLanguage_ || lastLanguageCode_ != lastLanguage_->code() ||
        preferences_.style(*lastLanguage_) == CursorStyle::system;
    if (ownChangeOrNothingToKeep) {
        lastObservedCursorSeed_ = seed;
        return;
    }
    if (*seed == *lastObservedCursorSeed_) {
        return;
    }
    AppLog::info("Cursor seed watchdog detected seed change old=" +
                 std::to_string(*lastObservedCursorSeed_) + " new=" + std::to_string(*seed) +
                 "; reapplying");
    isWatchdogReapplyInProgress_ = true;
    watchdogSuppressedUntil_ = context_.loop->now() + watchdogReapplyCooldown;
    applyCursor(*lastLanguage_);
    isWatchdogReapplyInProgress_ = false;
    lastObservedCursorSeed_ = currentCursorSeed();
}

void TolvaneTrayApp::pollInputSource() {
    refreshStateAndApplyCursor(false, "poll");
}

void TolvaneTrayApp::onInputSourceChanged() {
    AppLog::debug("Input source notification received");
    refreshStateAndApplyCursor(false, "input-source-notification");
}

void TolvaneTrayApp::onCapsLockChanged() {
    AppLog::debug("Caps Lock notification received");
    refreshStateAndApplyCursor(false, "caps-lock-notification");
}

void TolvaneTrayApp::forceApply() {
    AppLog::info("Manual reapply requested from tray menu");
    refreshStateAndApplyCursor(true, "manual");
}

void TolvaneTrayApp::restoreSystemCursors() {
    // A pending reapply would put the badges back within seconds.
    cancelStabilizationReapplies();
    const bool result = cursorController_ && cursorController_->restoreOriginal();
    AppLog::info("Restore OS cursor requested from tray menu result=" + logformat::boolean(result));
    watchdogSuppressedUntil_ = context_.loop->now() + restoreSuppression;
    lastObservedCursorSeed_ = currentCursorSeed();
}

std::optional<std::int32_t> TolvaneTrayApp::currentCursorSeed() const {
    if (context_.runtime.currentCursorSeedFn == nullptr) {
        return std::nullopt;
    }
    return context_.runtime.currentCursorSeedFn();
}

std::optional<std::string> TolvaneTrayApp::currentCursorFingerprint() const {
    const std::optional<std::int32_t> connection = context_.runtime.mainConnectionID();
    return connection ? context_.runtime.currentCursorFingerprint(*connection) : std::nullopt;
}

} // namespace tolvane
