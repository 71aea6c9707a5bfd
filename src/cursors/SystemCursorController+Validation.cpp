// Checking the captured baseline against the framework's standard cursors, and
// proving once, at byte level, that registering an image changes the cursor.
#include "cursors/SystemCursorController.h"

#include "cursors/BaselineCheck.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "render/CursorRenderer.h"
#include "runtime/WindowServerName.h"
#include "runtime/WindowServerObject.h"

namespace tolvane {

namespace {

std::string sizeAndHotSpot(const CursorSnapshot& snapshot) {
    return logformat::number(snapshot.size.width) + "x" + logformat::number(snapshot.size.height) +
           " hotspot=(" + logformat::number(snapshot.hotSpot.x) + "," +
           logformat::number(snapshot.hotSpot.y) + ")";
}

// The mark of the override check: a plain pink dot.
CursorMarker overrideTestMarker() {
    return CursorMarker{std::nullopt, Color::systemPink(), Color::clear(), Color::white(), 10, 1};
}

} // namespace

void SystemCursorController::validateAndFixBaselineSnapshots() {
    for (CursorRole role : allCursorRoles) {
        const std::optional<CursorSnapshot> reference = standardCursorSnapshot(templateFor(role));
        if (!reference) {
            AppLog::warn("nsCursorSnapshot: failed to get CGImage for " +
                         std::string(caseName(role)));
            continue;
        }
        for (const std::string& identifier : identifiers(role)) {
            auto captured = snapshots_.find(identifier);
            if (captured == snapshots_.end()) {
                continue;
            }
            const CursorSnapshot& snapshot = captured->second;
            const BaselineCheck check = checkBaselineSnapshot(role, snapshot, *reference);
            if (check.hotSpotDeviation) {
                AppLog::debug("isSnapshotConsistentWithRole: " + std::string(caseName(role)) +
                              " hotspot deviation=" + logformat::number(*check.hotSpotDeviation));
            }
            if (check.keep) {
                continue;
            }
            AppLog::warn("Baseline validation FAILED for " + std::string(caseName(role)) +
                         " alias " + identifier + ": captured=" + sizeAndHotSpot(snapshot) +
                         " reference=" + sizeAndHotSpot(*reference) +
                         ". Replacing with NSCursor reference.");
            captured->second = *reference;
        }
    }
}

std::pair<bool, bool> SystemCursorController::validateOverrideWorks(std::int32_t connectionID) {
    const std::optional<std::string> primary = primaryIdentifier(CursorRole::arrow);
    if (!primary || !snapshots_.contains(*primary)) {
        return {false, false};
    }
    const auto bytesBefore = cursorBytesForArrowIdentifiers(connectionID);
    const std::optional<std::string> hashBefore = runtime_.currentCursorFingerprint(connectionID);
    AppLog::info("validateOverrideWorks start: arrowAliasesWithBytes=" +
                 std::to_string(bytesBefore.size()));

    const CursorSnapshot& primarySnapshot = snapshots_.at(*primary);
    const DecoratedPayload decorated = CursorRenderer::decoratePayload(
        primarySnapshot, overrideTestMarker(), CursorTemplate::arrow, false, false, false, false);
    for (const std::string& identifier : identifiers(CursorRole::arrow)) {
        auto own = snapshots_.find(identifier);
        runtime_.registerCursor(connectionID, identifier,
                                own != snapshots_.end() ? own->second : primarySnapshot,
                                decorated.images, true, true);
    }
    runtime_.setRegisteredCursorNow(connectionID, *primary);
    runtime_.refreshCursorDisplay(connectionID);

    const auto bytesAfter = cursorBytesForArrowIdentifiers(connectionID);
    const std::optional<std::string> hashAfter = runtime_.currentCursorFingerprint(connectionID);
    const bool globalChanged = hashBefore && hashAfter && *hashBefore != *hashAfter;

    for (const std::string& identifier : identifiers(CursorRole::arrow)) {
        if (auto own = snapshots_.find(identifier); own != snapshots_.end()) {
            runtime_.registerCursor(connectionID, identifier, own->second, own->second.images, true,
                                    true);
        }
    }
    runtime_.setRegisteredCursorNow(connectionID, *primary);
    runtime_.refreshCursorDisplay(connectionID);

    AppLog::info("validateOverrideWorks globalHashBefore=" + logformat::optional(hashBefore) +
                 " globalHashAfter=" + logformat::optional(hashAfter) +
                 " globalChanged=" + logformat::boolean(globalChanged));
    for (const auto& [identifier, before] : bytesBefore) {
        auto after = bytesAfter.find(identifier);
        if (after != bytesAfter.end() && after->second != before) {
            AppLog::info("validateOverrideWorks success via identifier " + identifier);
            return {true, globalChanged};
        }
    }
    AppLog::warn("validateOverrideWorks failed: no byte-level cursor change detected");
    return {false, globalChanged};
}

std::map<std::string, std::vector<unsigned char>>
SystemCursorController::cursorBytesForArrowIdentifiers(std::int32_t connectionID) const {
    std::map<std::string, std::vector<unsigned char>> bytes;
    for (const std::string& identifier : identifiers(CursorRole::arrow)) {
        if (runtime_.createRegisteredCursorImageFn == nullptr) {
            AppLog::error(
                "createRegisteredCursorImage unavailable: createRegisteredCursorImageFn is nil");
            continue;
        }
        WindowServerObject image(callWithName(
            identifier, static_cast<TVWSImageRef>(nullptr), [&](const char* name) {
                TVWSPoint hotSpot{};
                return runtime_.createRegisteredCursorImageFn(connectionID, name, &hotSpot);
            }));
        if (!image) {
            AppLog::warn("createRegisteredCursorImage returned nil for " + identifier);
            continue;
        }
        const unsigned char* data = TVWSImageGetBytes(image.get());
        if (data == nullptr) {
            continue;
        }
        bytes.emplace(identifier, std::vector<unsigned char>(
                                      data, data + TVWSImageGetBytesPerRow(image.get()) *
                                                       TVWSImageGetHeight(image.get())));
    }
    return bytes;
}

} // namespace tolvane
