// The return to the primary layout once the keyboard has been idle for the
// chosen delay and another layout has been selected for at least as long.
#include "app/TolvaneTrayApp.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tolvane {

namespace {

constexpr double minimumReturnWait = 0.05;
// How long a switch may take to show before it counts as not taken.
constexpr double confirmationDelay = 0.6;

std::string twoDecimals(double value) {
    char text[400]; // "%.2f" of the largest double has 309 digits before the point
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

} // namespace

double TolvaneTrayApp::keyboardIdleSeconds() const {
    double idle = std::numeric_limits<double>::max();
    for (EventType type : {EventType::keyDown, EventType::flagsChanged}) {
        const double reading = context_.events.secondsSinceLastEventType(type);
        // A failing system reports nonsense: that reading says nothing.
        if (std::isfinite(reading) && reading >= 0) {
            idle = std::min(idle, reading);
        }
    }
    return idle;
}

void TolvaneTrayApp::schedulePrimaryLayoutReturnIfNeeded(const std::string& currentSourceID,
                                                         const std::string& trigger) {
    if (pendingAutoReturnTargetSourceID_) {
        AppLog::debug("Primary layout auto-return scheduling skipped: selection already pending");
        return;
    }
    const std::optional<std::string> primary = preferences_.primaryInputSourceID();
    const std::int64_t delay = preferences_.primaryInputSourceReturnDelaySeconds();
    if (!primary || delay == 0) {
        cancelPrimaryLayoutReturnTimer();
        return;
    }
    if (!keyboardLayouts_.sourceExists(*primary)) {
        cancelPrimaryLayoutReturnTimer();
        AppLog::warn("Primary layout auto-return skipped: saved source unavailable " + *primary);
        return;
    }
    if (currentSourceID == *primary) {
        cancelPrimaryLayoutReturnTimer();
        AppLog::debug("Primary layout auto-return not needed: already on primary source");
        return;
    }
    const double now = context_.loop->now();
    if (!primaryLayoutReturnWindowStartedAt_ || primaryLayoutReturnSourceID_ != currentSourceID) {
        primaryLayoutReturnWindowStartedAt_ = now;
        primaryLayoutReturnSourceID_ = currentSourceID;
    }
    const double windowStartedAt = *primaryLayoutReturnWindowStartedAt_;
    stopPrimaryLayoutReturnTimer();
    const double seconds = static_cast<double>(delay);
    const double wait = std::max(
        {seconds - keyboardIdleSeconds(), seconds - (now - windowStartedAt), minimumReturnWait});
    primaryLayoutReturnTimer_ =
        context_.loop->after(wait, [this, target = *primary, windowStartedAt] {
            performPrimaryLayoutReturn(target, windowStartedAt);
        });
    AppLog::info("Primary layout auto-return scheduled trigger=" + trigger +
                 " delay=" + std::to_string(delay) + "s wait=" + twoDecimals(wait) +
                 "s keyboardIdle=" + twoDecimals(keyboardIdleSeconds()) + "s target=" + *primary +
                 " current=" + currentSourceID);
}

void TolvaneTrayApp::performPrimaryLayoutReturn(const std::string& expectedPrimarySourceID,
                                                double windowStartedAt) {
    stopPrimaryLayoutReturnTimer();
    const auto delay = static_cast<double>(preferences_.primaryInputSourceReturnDelaySeconds());
    const double remainingIdle = delay - keyboardIdleSeconds();
    const double remainingWindow = delay - (context_.loop->now() - windowStartedAt);
    if (remainingIdle > 0 || remainingWindow > 0) {
        AppLog::info("Primary layout auto-return postponed: keyboard idle delay not satisfied");
        schedulePrimaryLayoutReturnIfNeeded(detector_.detect().language.sourceID(),
                                            "primary-layout-idle-wait");
        return;
    }
    if (preferences_.primaryInputSourceID() != expectedPrimarySourceID) {
        clearPrimaryLayoutReturnWindow();
        AppLog::info("Primary layout auto-return cancelled: primary changed");
        return;
    }
    if (delay == 0) {
        clearPrimaryLayoutReturnWindow();
        AppLog::info("Primary layout auto-return cancelled: timer disabled");
        return;
    }
    const std::string current = detector_.detect().language.sourceID();
    clearPrimaryLayoutReturnWindow();
    if (current == expectedPrimarySourceID) {
        AppLog::debug("Primary layout auto-return skipped: already primary");
        return;
    }
    pendingAutoReturnTargetSourceID_ = expectedPrimarySourceID;
    const bool selected = keyboardLayouts_.selectSource(expectedPrimarySourceID);
    if (selected) {
        confirmAutoReturnSelection(expectedPrimarySourceID);
    } else {
        pendingAutoReturnTargetSourceID_.reset();
    }
    AppLog::info("Primary layout auto-return fired target=" + expectedPrimarySourceID +
                 " from=" + current + " selected=" + logformat::boolean(selected));
}

void TolvaneTrayApp::confirmAutoReturnSelection(const std::string& expectedPrimarySourceID) {
    autoReturnConfirmation_ =
        context_.loop->after(confirmationDelay, [this, target = expectedPrimarySourceID] {
            if (pendingAutoReturnTargetSourceID_ != target) {
                return; // a refresh saw the switch, or another source was chosen
            }
            const std::string actual = detector_.detect().language.sourceID();
            if (actual != target) {
                pendingAutoReturnTargetSourceID_.reset();
                AppLog::warn("Primary layout auto-return not observed after selection target=" +
                             target + " actual=" + actual);
                schedulePrimaryLayoutReturnIfNeeded(detector_.detect().language.sourceID(),
                                                    "auto-return-not-observed");
                return;
            }
            AppLog::info("Primary layout auto-return confirmed without notification target=" +
                         target);
            refreshStateAndApplyCursor(false, "auto-return-confirmation");
        });
}

void TolvaneTrayApp::stopPrimaryLayoutReturnTimer() {
    if (primaryLayoutReturnTimer_) {
        primaryLayoutReturnTimer_->cancel();
        primaryLayoutReturnTimer_.reset();
    }
}

void TolvaneTrayApp::cancelPrimaryLayoutReturnTimer() {
    stopPrimaryLayoutReturnTimer();
    clearPrimaryLayoutReturnWindow();
}

void TolvaneTrayApp::clearPrimaryLayoutReturnWindow() {
    primaryLayoutReturnWindowStartedAt_.reset();
    primaryLayoutReturnSourceID_.reset();
}

} // namespace tolvane
