// Registering the payloads of one apply and making the new arrow current, with
// the decorated cursor scale and the re-activations shortly after a full apply;
// the user's own scale, kept and recovered across a crash.
#include "cursors/SystemCursorController.h"

#include "cursors/CursorIdentifier.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"

#include <algorithm>
#include <cmath>

namespace tolvane {

namespace {

const std::vector<std::string> arrowPrimingIdentifiers{
    "com.apple.coregraphics.GlobalCurrent", "com.apple.coregraphics.ConnectionCurrent",
    "com.apple.coregraphics.Arrow",         "com.apple.coregraphics.ArrowS",
    "com.apple.coregraphics.ArrowCtx",      "com.apple.cursor.0",
    "com.apple.cursor.100",                 "com.apple.cursor.6"};

// A decorated pointer is slightly larger, so the badge stays legible.
constexpr float decoratedScaleFactor = 1.08f;
constexpr float minimumDecoratedScale = 1.0f;
constexpr float scaleTolerance = 0.001f;
// After a full apply the window server may still show the old arrow for a
// moment; the arrow is made current again at these delays.
constexpr std::array<double, 3> reactivationDelays{0.05, 0.16, 0.32};

std::string sizeText(const CursorSnapshot& snapshot) {
    return logformat::number(snapshot.size.width) + "x" + logformat::number(snapshot.size.height);
}

} // namespace

SystemCursorController::Registration
SystemCursorController::registerAndActivate(std::int32_t connectionID,
                                            const PayloadRequest& request,
                                            bool lightweightRefresh) {
    const std::optional<ResolvedPayload> canonical = resolveCanonicalArrowPayload(request);
    if (!canonical) {
        AppLog::error("Canonical arrow payload unavailable; arrow aliases may remain unchanged");
    }
    Registration registration = registerPayloads(connectionID, request, canonical);
    const FinalArrow finalArrow = activateArrow(
        connectionID, canonical ? std::optional(canonical->sourceIdentifier) : std::nullopt);

    if (useSystemDefinedActivation_) {
        for (std::int32_t cursorID : forcedActivationCursorIDs_) {
            activateSystemDefinedCursor(connectionID, cursorID);
        }
    }
    if (useLegacySystemIDActivation_) {
        AppLog::warn("Legacy system ID activation flag is set, but Arrow ID priming is already "
                     "active by default");
    }
    if (useSystemDefinedActivation_ && finalArrow.cursorID) {
        activateSystemDefinedCursor(connectionID, *finalArrow.cursorID);
    }
    if (useCoreSweepActivation_) {
        runCoreActivationSweep(connectionID, finalArrow.cursorID);
    }

    if (lightweightRefresh) {
        runtime_.nudgeCursorScale(connectionID);
        runtime_.postSyntheticMouseMovedEvents(1);
        AppLog::info("registerAndActivate lightweight refresh (language-only switch)");
    } else {
        runtime_.refreshCursorDisplay(connectionID);
        applyDecoratedCursorScale(connectionID);
        runtime_.nudgeCursorScale(connectionID);
        runtime_.postSyntheticMouseMovedEvents(1);
        scheduleReactivations(connectionID, finalArrow);
    }
    return registration;
}

SystemCursorController::Registration
SystemCursorController::registerPayloads(std::int32_t connectionID, const PayloadRequest& request,
                                         const std::optional<ResolvedPayload>& canonical) {
    std::vector<std::string> capeKeys;
    if (request.useCapePayloads) {
        for (const auto& [identifier, payload] : request.capePayloads) {
            capeKeys.push_back(identifier);
        }
    }

    Registration registration;
    int capeApplied = 0;
    int generatedApplied = 0;
    for (const std::string& identifier : targetIdentifiersForApply(capeKeys)) {
        const bool isArrow = isArrowIdentifier(identifier);
        std::optional<ResolvedPayload> payload = resolveDirectPayload(identifier, request);
        if (isArrow && canonical && !(payload && payload->isStrong())) {
            if (payload) {
                AppLog::warn("Arrow alias " + identifier +
                             " has weak direct payload source=" + payload->source +
                             " size=" + sizeText(payload->snapshot) +
                             " images=" + std::to_string(payload->images.size()) +
                             "; using canonical fallback");
            }
            payload = canonical;
            payload->source += "+canonical-fallback";
        }
        if (!payload) {
            AppLog::debug("apply skipped for " + identifier +
                          ": no snapshot and no template fallback");
            continue;
        }
        if (isArrow) {
            AppLog::info("arrow alias registration identifier=" + identifier +
                         " payloadFrom=" + payload->sourceIdentifier + " source=" + payload->source +
                         " size=" + sizeText(payload->snapshot) + " hotspot=(" +
                         logformat::number(payload->snapshot.hotSpot.x) + "," +
                         logformat::number(payload->snapshot.hotSpot.y) +
                         ") images=" + std::to_string(payload->images.size()));
        }
        if (!runtime_.registerCursor(connectionID, identifier, payload->snapshot, payload->images,
                                     true, true)) {
            continue;
        }
        registration.appliedAny = true;
        (payload->source.find("cape") != std::string::npos ? capeApplied : generatedApplied)++;
        registration.appliedCursorPayloads[identifier] =
            CursorPayload{std::move(payload->snapshot), std::move(payload->images)};
    }
    AppLog::info("apply source stats: useCape=" + logformat::boolean(request.useCapePayloads) +
                 " capeApplied=" + std::to_string(capeApplied) +
                 " generatedApplied=" + std::to_string(generatedApplied) +
                 " capeAvailable=" + std::to_string(request.capePayloads.size()));
    return registration;
}

SystemCursorController::FinalArrow
SystemCursorController::activateArrow(std::int32_t connectionID,
                                      const std::optional<std::string>& canonicalSourceIdentifier) {
    std::vector<std::string> priming = arrowPrimingIdentifiers;
    const auto& arrows = identifiers(CursorRole::arrow);
    priming.insert(priming.end(), arrows.begin(), arrows.end());
    std::optional<std::string> firstPrimed;
    for (const std::string& identifier : deduplicated(priming)) {
        if (runtime_.setRegisteredCursorNow(connectionID, identifier) && !firstPrimed) {
            firstPrimed = identifier;
        }
    }
    std::string fallback = "com.apple.coregraphics.GlobalCurrent";
    if (firstPrimed) {
        fallback = *firstPrimed;
    } else if (canonicalSourceIdentifier) {
        fallback = *canonicalSourceIdentifier;
    } else if (auto primary = primaryIdentifier(CursorRole::arrow)) {
        fallback = *primary;
    }
    FinalArrow finalArrow{preferredFinalArrowIdentifier(fallback), std::nullopt};
    if (!runtime_.setRegisteredCursorNow(connectionID, finalArrow.identifier) && firstPrimed) {
        runtime_.setRegisteredCursorNow(connectionID, *firstPrimed);
    }
    finalArrow.cursorID = systemCursorID(finalArrow.identifier);
    return finalArrow;
}

void SystemCursorController::runCoreActivationSweep(std::int32_t connectionID,
                                                    std::optional<std::int32_t> finalCursorID) {
    std::vector<std::int32_t> successes;
    for (std::int32_t cursorID = 0; cursorID <= maxTrackedCursorID; ++cursorID) {
        const bool succeeded = runtime_.setCoreCursor(connectionID, cursorID);
        runtime_.setCoreCursorWithSeed(connectionID, cursorID);
        if (succeeded) {
            successes.push_back(cursorID);
        }
    }
    std::int32_t chosen =
        finalCursorID && *finalCursorID >= 0 && *finalCursorID <= maxTrackedCursorID
            ? *finalCursorID
            : 0;
    if (!successes.empty() &&
        std::find(successes.begin(), successes.end(), chosen) == successes.end()) {
        chosen = successes.front();
    }
    AppLog::info("core activation sweep completed. attempted=" +
                 std::to_string(maxTrackedCursorID + 1) +
                 " success=" + std::to_string(successes.size()) + " preferred=" +
                 (finalCursorID ? std::to_string(*finalCursorID) : "nil") +
                 " chosen=" + std::to_string(chosen));
    activateCoreCursor(connectionID, chosen);
}

void SystemCursorController::activateSystemDefinedCursor(std::int32_t connectionID,
                                                         std::int32_t cursorID) const {
    runtime_.setSystemDefinedCursor(connectionID, cursorID);
    runtime_.setSystemDefinedCursorWithSeed(connectionID, cursorID);
}

void SystemCursorController::activateCoreCursor(std::int32_t connectionID,
                                                std::int32_t cursorID) const {
    runtime_.setCoreCursor(connectionID, cursorID);
    runtime_.setCoreCursorWithSeed(connectionID, cursorID);
}

void SystemCursorController::scheduleReactivations(std::int32_t connectionID,
                                                   const FinalArrow& finalArrow) {
    std::erase_if(pendingReactivations_,
                  [](const Cancellable& step) { return !step.isActive(); });
    for (std::size_t step = 0; step < reactivationDelays.size(); ++step) {
        // The controller cancels its pending steps when it restores or goes away,
        // so a step that runs finds it alive and still decorated.
        pendingReactivations_.push_back(
            loop_->after(reactivationDelays[step], [this, connectionID, finalArrow, step] {
                reactivate(connectionID, finalArrow, step == 0);
            }));
    }
}

void SystemCursorController::reactivate(std::int32_t connectionID, const FinalArrow& finalArrow,
                                        bool isFirstStep) {
    runtime_.setRegisteredCursorNow(connectionID, finalArrow.identifier);
    if (isFirstStep && useSystemDefinedActivation_ && finalArrow.cursorID) {
        activateSystemDefinedCursor(connectionID, *finalArrow.cursorID);
    }
    if (useCoreSweepActivation_ && finalArrow.cursorID) {
        activateCoreCursor(connectionID, *finalArrow.cursorID);
    }
    applyDecoratedCursorScale(connectionID);
    runtime_.nudgeCursorScale(connectionID);
    runtime_.postSyntheticMouseMovedEvents(1);
}

void SystemCursorController::cancelPendingReactivations() {
    for (Cancellable& step : pendingReactivations_) {
        step.cancel();
    }
    pendingReactivations_.clear();
}

void SystemCursorController::applyDecoratedCursorScale(std::int32_t connectionID) {
    if (!baselineCursorScale_) {
        baselineCursorScale_ = runtime_.cursorScale(connectionID);
        expectedCursorScale_ = baselineCursorScale_;
    }
    if (!baselineCursorScale_) {
        // A scale set over one nobody could read would be taken for the
        // user's own by the restore, and theirs would be lost for good.
        AppLog::info("Decorated cursor scale skipped: the user's cursor scale cannot be read");
        return;
    }
    const float base = *baselineCursorScale_;
    const float target = std::max(base * decoratedScaleFactor, minimumDecoratedScale);
    const std::optional<float> current = runtime_.cursorScale(connectionID);
    if (!current) {
        setDecoratedCursorScale(connectionID, base, target);
        AppLog::info("Decorated cursor scale applied (no current read): base=" +
                     logformat::number(base) + " target=" + logformat::number(target));
        return;
    }
    if (std::abs(*current - target) < scaleTolerance) {
        return;
    }
    const bool applied = setDecoratedCursorScale(connectionID, base, target);
    AppLog::info("Decorated cursor scale update base=" + logformat::number(base) + " current=" +
                 logformat::number(*current) + " target=" + logformat::number(target) +
                 " applied=" + logformat::boolean(applied));
}

bool SystemCursorController::setDecoratedCursorScale(std::int32_t connectionID, float userScale,
                                                     float target) {
    // Kept first, so that a crash after the set can still put the user's back.
    scaleBackup_.keep({userScale, CGSRuntime::clampedCursorScale(target)});
    const bool applied = runtime_.setCursorScale(connectionID, target);
    if (applied) {
        noteCursorScaleSet(target);
    }
    return applied;
}

void SystemCursorController::adoptUserCursorScale(std::int32_t connectionID) {
    if (!expectedCursorScale_) {
        return;
    }
    const std::optional<float> current = runtime_.cursorScale(connectionID);
    if (!current || std::abs(*current - *expectedCursorScale_) < scaleTolerance) {
        return;
    }
    AppLog::info("Cursor scale changed by the user: expected=" +
                 logformat::number(*expectedCursorScale_) + " current=" +
                 logformat::number(*current) + "; taking it as the baseline cursor scale");
    baselineCursorScale_ = current;
    expectedCursorScale_ = current;
    scaleBackup_.followUserScale(*current);
}

std::optional<float> SystemCursorController::recoverUserCursorScale(std::int32_t connectionID) {
    const std::optional<CursorScaleBackup::Scales> kept = scaleBackup_.loadPrevious();
    if (!kept) {
        return std::nullopt;
    }
    const std::optional<float> current = runtime_.cursorScale(connectionID);
    if (current && std::abs(*current - kept->decoratedScale) >= scaleTolerance) {
        // Changed since, by the user or a restarted window server: theirs to keep.
        AppLog::info("Cursor scale backup from previous run left unused: current=" +
                     logformat::number(*current) +
                     " is not the decorated scale=" + logformat::number(kept->decoratedScale));
        scaleBackup_.discard();
        return std::nullopt;
    }
    if (!runtime_.setCursorScale(connectionID, kept->userScale)) {
        AppLog::warn("Failed to put back the user's cursor scale from previous run: scale=" +
                     logformat::number(kept->userScale) + "; keeping the backup");
        return kept->userScale;
    }
    AppLog::info("Recovered the user's cursor scale from previous run: scale=" +
                 logformat::number(kept->userScale));
    scaleBackup_.discard();
    return kept->userScale;
}

void SystemCursorController::noteCursorScaleSet(float scale) {
    expectedCursorScale_ = CGSRuntime::clampedCursorScale(scale);
}

} // namespace tolvane
