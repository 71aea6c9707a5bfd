// Putting the system's own cursors and cursor scale back.
#include "cursors/SystemCursorController.h"

#include "cursors/CursorIdentifier.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"

namespace tolvane {

namespace {

const std::vector<std::string> baselineArrowCandidates{
    "com.apple.coregraphics.GlobalCurrent", "com.apple.coregraphics.ConnectionCurrent",
    "com.apple.cursor.0",                   "com.apple.coregraphics.Arrow",
    "com.apple.cursor.6",                   "com.apple.coregraphics.ArrowCtx",
    "com.apple.cursor.100",                 "com.apple.coregraphics.ArrowS"};

} // namespace

bool SystemCursorController::restoreOriginal() {
    if (!takeMissingConnection() || !isRuntimeAvailable_) {
        AppLog::error("restoreOriginal skipped: runtime unavailable");
        return false;
    }
    const std::int32_t connectionID = *connectionID_;
    // Re-activations of an earlier apply would decorate the arrow's scale again.
    cancelPendingReactivations();
    const std::optional<std::int32_t> seedBefore = currentCursorSeed();
    const std::optional<std::string> hashBefore = runtime_.currentCursorFingerprint(connectionID);
    adoptUserCursorScale(connectionID);
    lastAppliedStyleCode_.reset();

    const bool resetOK = runtime_.hardResetSystemCursors(connectionID, maxTrackedCursorID);
    loadWorkingSnapshots(resetOK, "restoreOriginal rebuilt empty baseline count=");
    const int restored = baselineSnapshots_.empty() ? 0 : restoreBaselineAliases(connectionID);

    const std::string finalArrow = preferredFinalArrowIdentifier(
        primaryIdentifier(CursorRole::arrow).value_or("com.apple.coregraphics.GlobalCurrent"));
    runtime_.setRegisteredCursorNow(connectionID, finalArrow);
    const std::optional<std::int32_t> finalCursorID = systemCursorID(finalArrow);
    if (useCoreSweepActivation_ && finalCursorID && *finalCursorID >= 0 &&
        *finalCursorID <= maxTrackedCursorID) {
        activateCoreCursor(connectionID, *finalCursorID);
        if (useSystemDefinedActivation_) {
            activateSystemDefinedCursor(connectionID, *finalCursorID);
        }
    } else if (useSystemDefinedActivation_ && finalCursorID) {
        activateSystemDefinedCursor(connectionID, *finalCursorID);
    }

    if (!baselineCursorScale_) {
        baselineCursorScale_ = runtime_.cursorScale(connectionID);
        expectedCursorScale_ = baselineCursorScale_;
    }
    if (baselineCursorScale_) {
        if (runtime_.setCursorScale(connectionID, *baselineCursorScale_)) {
            noteCursorScaleSet(*baselineCursorScale_);
            scaleBackup_.discard();
        }
        AppLog::debug("Baseline cursor scale restored to " +
                      logformat::number(*baselineCursorScale_));
    }
    runtime_.nudgeCursorScale(connectionID);
    runtime_.refreshCursorDisplay(connectionID);
    runtime_.postSyntheticMouseMovedEvents(1);

    const std::optional<std::int32_t> seedAfter = currentCursorSeed();
    const std::optional<std::string> hashAfter = runtime_.currentCursorFingerprint(connectionID);
    AppLog::info("restoreOriginal completed. resetOK=" + logformat::boolean(resetOK) +
                 " baselineRestoreCount=" + std::to_string(restored) +
                 " cursorSeedBefore=" + logformat::optional(seedBefore) +
                 " cursorSeedAfter=" + logformat::optional(seedAfter) +
                 " cursorHashBefore=" + logformat::optional(hashBefore) +
                 " cursorHashAfter=" + logformat::optional(hashAfter) +
                 " hashChanged=" + logformat::boolean(hashBefore && hashAfter && *hashBefore != *hashAfter));
    return resetOK && restored > 0;
}

int SystemCursorController::restoreBaselineAliases(std::int32_t connectionID) {
    const std::optional<CursorSnapshot> baselineArrow = resolveBaselineArrowSnapshot();
    std::vector<std::string> targets = allIdentifiers_;
    for (std::string& identifier : targetIdentifiersForApply({})) {
        targets.push_back(std::move(identifier));
    }
    targets = deduplicated(targets);
    int restored = 0;
    for (const std::string& identifier : targets) {
        const CursorSnapshot* source = systemSnapshot(identifier);
        if (source == nullptr && baselineArrow && isArrowIdentifier(identifier)) {
            source = &*baselineArrow;
        }
        if (source == nullptr || source->images.empty()) {
            continue;
        }
        if (runtime_.registerCursor(connectionID, identifier, *source, source->images, true,
                                    true)) {
            ++restored;
        }
    }
    AppLog::info("restoreBaselineAliases completed. restored=" + std::to_string(restored) +
                 " baseline=" + std::to_string(baselineSnapshots_.size()) +
                 " targets=" + std::to_string(targets.size()));
    return restored;
}

const CursorSnapshot* SystemCursorController::systemSnapshot(const std::string& identifier) const {
    auto own = systemSnapshots_.find(identifier);
    if (own == systemSnapshots_.end()) {
        // A name whose images could not be read shows the numbered cursor it names.
        const std::optional<std::int32_t> cursorID = systemCursorID(identifier);
        own = cursorID ? systemSnapshots_.find(numberedCursorIdentifier(*cursorID))
                       : systemSnapshots_.end();
    }
    return own != systemSnapshots_.end() ? &own->second : nullptr;
}

std::optional<CursorSnapshot> SystemCursorController::resolveBaselineArrowSnapshot() const {
    auto withImages = [&](const std::string& identifier) -> const CursorSnapshot* {
        auto found = systemSnapshots_.find(identifier);
        return found != systemSnapshots_.end() && !found->second.images.empty() ? &found->second
                                                                                : nullptr;
    };
    for (const std::string& identifier : baselineArrowCandidates) {
        if (const CursorSnapshot* snapshot = withImages(identifier)) {
            return *snapshot;
        }
    }
    for (const std::string& identifier : identifiers(CursorRole::arrow)) {
        if (const CursorSnapshot* snapshot = withImages(identifier)) {
            return *snapshot;
        }
    }
    return std::nullopt;
}

} // namespace tolvane
