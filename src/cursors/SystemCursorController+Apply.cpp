// One apply: restore, full or lightweight; capes in and out; one retry without
// capes when the cursor on screen did not change.
#include "cursors/SystemCursorController.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "platform/AsciiCase.h"

namespace tolvane {

bool SystemCursorController::apply(const std::optional<CursorMarker>& marker,
                                   const std::optional<std::string>& languageCode,
                                   const std::optional<std::string>& styleCode, bool isLeftHanded) {
    if (!takeMissingConnection() || !isRuntimeAvailable_) {
        AppLog::error("apply skipped: runtime unavailable");
        return false;
    }
    const std::int32_t connectionID = *connectionID_;
    const std::optional<std::int32_t> seedBefore = currentCursorSeed();
    const std::optional<std::string> hashBefore = runtime_.currentCursorFingerprint(connectionID);
    if (!marker && !isLeftHanded) {
        AppLog::info("apply(marker:nil, isLeftHanded:false) -> restoreOriginal");
        return restoreOriginal();
    }
    adoptUserCursorScale(connectionID);

    // Capes hold the system style's cursors; every marker style is drawn afresh.
    const bool forceTemplatePayloads = !styleCode || lowercasedASCII(*styleCode) != "system";
    const bool capsLock = marker && marker->capsLockMark != CapsLockMark::none;
    const std::optional<std::string> capeStyle =
        styleCode ? std::optional(CursorCapeStore::capeStyleCode(*styleCode, capsLock))
                  : std::nullopt;
    CursorPayloadMap capePayloads;
    if (languageCode && capeStyle) {
        // Drawn afresh, a cape's cursors only add their identifiers to the
        // targets, so their pixels need not be decoded.
        const auto frames = forceTemplatePayloads ? CursorCapeStore::Frames::headersChecked
                                                  : CursorCapeStore::Frames::decoded;
        capePayloads =
            capeStore_.loadCape(*languageCode, *capeStyle, frames).value_or(CursorPayloadMap{});
    }
    if (!capePayloads.empty()) {
        AppLog::info("apply using cape payloads: language=" + languageCode.value_or("nil") +
                     " style=" + capeStyle.value_or("nil") +
                     " cursors=" + std::to_string(capePayloads.size()));
    }
    // A lightweight apply captures nothing: with no baseline it would take
    // the decorated cursors on screen for the system's own.
    const bool lightweightRefresh = styleCode && lastAppliedStyleCode_ &&
                                    *styleCode == *lastAppliedStyleCode_ &&
                                    !baselineSnapshots_.empty();

    auto prepare = [&](const std::string& rebuiltBaselineWarning) {
        const bool resetTook =
            lightweightRefresh || runtime_.hardResetSystemCursors(connectionID, maxTrackedCursorID);
        loadWorkingSnapshots(resetTook, rebuiltBaselineWarning);
    };
    auto changed = [](const std::optional<std::string>& before,
                      const std::optional<std::string>& after) {
        return before && after && *before != *after;
    };

    prepare("Baseline snapshots were empty; rebuilt baseline count=");
    AppLog::info("Applying marker to cursor aliases");
    DecorationMemo decorations;
    Registration registration = registerAndActivate(
        connectionID,
        {marker, capePayloads, true, forceTemplatePayloads, isLeftHanded, decorations},
        lightweightRefresh);
    std::optional<std::int32_t> seedAfter = currentCursorSeed();
    std::optional<std::string> hashAfter = runtime_.currentCursorFingerprint(connectionID);
    bool hashChanged = changed(hashBefore, hashAfter);

    if (!forceTemplatePayloads && !capePayloads.empty() && !hashChanged) {
        AppLog::warn("Cape payload apply did not change global cursor hash; retrying with "
                     "live-generated payloads");
        prepare("Fallback apply rebuilt empty baseline count=");
        const CursorPayloadMap noCapes;
        registration = registerAndActivate(
            connectionID,
            {marker, noCapes, false, forceTemplatePayloads, isLeftHanded, decorations},
            lightweightRefresh);
        seedAfter = currentCursorSeed();
        hashAfter = runtime_.currentCursorFingerprint(connectionID);
        hashChanged = changed(hashBefore, hashAfter);
        AppLog::info("Fallback generated apply result appliedAny=" +
                     logformat::boolean(registration.appliedAny) +
                     " hashChanged=" + logformat::boolean(hashChanged));
    }
    AppLog::info("apply completed. appliedAny=" + logformat::boolean(registration.appliedAny) +
                 " cursorSeedBefore=" + logformat::optional(seedBefore) +
                 " cursorSeedAfter=" + logformat::optional(seedAfter) +
                 " cursorHashBefore=" + logformat::optional(hashBefore) +
                 " cursorHashAfter=" + logformat::optional(hashAfter) +
                 " hashChanged=" + logformat::boolean(hashChanged));
    if (!registration.appliedAny) {
        return false;
    }
    if (languageCode && capeStyle) {
        capeStore_.saveCape(*languageCode, *capeStyle, registration.appliedCursorPayloads);
    }
    lastAppliedStyleCode_ = styleCode;
    return true;
}

} // namespace tolvane
