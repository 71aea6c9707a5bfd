#pragma once

#include "capes/CursorCapeStore.h"
#include "cursors/CursorPayload.h"
#include "cursors/CursorRole.h"
#include "cursors/CursorScaleBackup.h"
#include "cursors/CursorSnapshot.h"
#include "cursors/CursorTemplate.h"
#include "cursors/SnapshotMemo.h"
#include "platform/Environment.h"
#include "platform/RunLoop.h"
#include "platform/StandardCursors.h"
#include "render/CursorStyle.h"
#include "runtime/CGSRuntime.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// Puts decorated copies of the system's cursors in place of the system's own
// for every application, and puts the system's own back.
//
// At construction it discovers the cursor identifiers the window server knows,
// captures the system's own cursors as the baseline, checks them against the
// framework's standard cursors and proves once that registering an image
// changes the cursor. Every failure shows in the flags and the log; nothing
// throws. Main thread only.
class SystemCursorController {
  public:
    // The highest numbered system cursor that is reset, swept and listed.
    static constexpr std::int32_t maxTrackedCursorID = 44;

    // Reads its three activation switches from `environment`. Delayed
    // re-activations after a full apply run on `loop`. The user's cursor scale
    // is kept in `scaleBackup` while a decorated one is set; a scale an
    // earlier run kept there goes back before the baseline is taken.
    SystemCursorController(CGSRuntime& runtime, CursorCapeStore& capeStore,
                           const StandardCursors& standardCursors, std::shared_ptr<RunLoop> loop,
                           const Environment& environment, CursorScaleBackup scaleBackup = {});
    // Pending re-activations of this controller never run.
    ~SystemCursorController();
    SystemCursorController(const SystemCursorController&) = delete;
    SystemCursorController& operator=(const SystemCursorController&) = delete;

    // Decorates every target cursor with the marker (mirrored when left-handed)
    // and makes the result current; without a marker and right-handed this is
    // a restore. A style equal to the last applied one only swaps images
    // (lightweight); anything else starts from a hard reset. True when
    // something was registered.
    bool apply(const std::optional<CursorMarker>& marker,
               const std::optional<std::string>& languageCode,
               const std::optional<std::string>& styleCode, bool isLeftHanded);
    // Resets the window server's cursors, registers the system's own images
    // again and puts the user's cursor scale back. True when the reset took and
    // at least one cursor was restored.
    bool restoreOriginal();
    // Snapshots every known identifier not captured yet into the working set.
    void captureOriginalCursors();
    // The window server did not let construction finish: it gave no main
    // connection, or no hard reset took, so no baseline could be trusted.
    bool needsSetUp() const;
    // Finishes that set-up: takes the main connection (and a cursor scale an
    // earlier run kept), resets, captures the baseline when the reset took
    // and proves the override. Unless urgent, an attempt waits two seconds
    // after the last one, twice as long after each failed one up to a
    // minute, so a failing window server is not reset at every poll. True
    // when the set-up is complete.
    bool resumeSetUp(bool urgent);

    bool isRuntimeAvailable() const { return isRuntimeAvailable_; }
    bool isVerifiedFunctional() const { return isVerifiedFunctional_; }
    bool isGlobalCursorPathEffective() const { return isGlobalCursorPathEffective_; }
    const std::optional<std::string>& lastAppliedStyleCode() const { return lastAppliedStyleCode_; }
    // The next apply then starts from a hard reset.
    void clearLastAppliedStyleCode() { lastAppliedStyleCode_.reset(); }

    // Identifier operations.
    const std::vector<std::string>& identifiers(CursorRole role) const;
    std::optional<CursorTemplate> templateForIdentifier(const std::string& identifier) const;
    // Numbered identifiers by their number, the others through the window
    // server's names (any letter case).
    std::optional<std::int32_t> systemCursorID(const std::string& identifier) const;
    // Every identifier an apply registers: the baseline's, the roles' and the
    // additional ones, without animated or busy cursors.
    std::vector<std::string>
    targetIdentifiersForApply(const std::vector<std::string>& additionalIdentifiers) const;

  private:
    // How a snapshot is decorated, besides the marker of the apply.
    struct DecorationChoice {
        std::optional<CursorTemplate> cursorTemplate;
        bool horizontalResize = false;
        bool verticalResize = false;
        bool diagonalResize = false;
        bool mirrored = false;
        bool leftHanded = false;
        auto operator<=>(const DecorationChoice&) const = default;
    };
    // The decorations of one apply: the aliases of a cursor are decorated once.
    using DecorationMemo = SnapshotMemo<DecorationChoice, DecoratedPayload>;
    struct Unmirrored {
        auto operator<=>(const Unmirrored&) const = default;
    };

    // What every payload of one apply is made with.
    struct PayloadRequest {
        const std::optional<CursorMarker>& marker;
        const CursorPayloadMap& capePayloads;
        bool useCapePayloads = false;
        bool forceTemplatePayloads = false;
        bool isLeftHanded = false;
        DecorationMemo& decorations;
    };
    struct Registration {
        bool appliedAny = false;
        CursorPayloadMap appliedCursorPayloads;
    };
    // What the delayed re-activations after a full apply make current again.
    struct FinalArrow {
        std::string identifier;
        std::optional<std::int32_t> cursorID;
    };

    // Set-up (SystemCursorController.cpp).
    bool hasRequiredBindings() const;
    // Asks for the main connection when there is none yet; true when there is one.
    bool takeMissingConnection();
    void readCursorScales(std::int32_t connectionID);
    // The reset, the baseline when the reset took, and the override check.
    void setUpBaseline();
    // Captures the system's own cursors, checked, as the baseline.
    void captureBaseline();
    void buildRoleIdentifiers();
    void buildAllIdentifiers();
    void buildSystemCursorTables();
    void logConfiguration() const;
    // True when its hard reset took.
    bool normalizeSystemCursorBeforeBaselineCapture(std::int32_t connectionID);
    std::optional<std::string> primaryIdentifier(CursorRole role) const;
    std::string preferredFinalArrowIdentifier(const std::string& fallback) const;
    bool isArrowIdentifier(const std::string& identifier) const;
    bool isExcludedFromApply(const std::string& identifier) const;
    // Empty baseline: captures one when the hard reset before took (the
    // warning names the caller); otherwise the working set starts again from
    // the baseline.
    void loadWorkingSnapshots(bool resetTook, const std::string& rebuiltBaselineWarning);
    std::optional<std::int32_t> currentCursorSeed() const;
    // The framework's standard cursor of the template's kind, one image.
    std::optional<CursorSnapshot> standardCursorSnapshot(CursorTemplate cursorTemplate) const;

    // Baseline validation and the override check (+Validation.cpp).
    void validateAndFixBaselineSnapshots();
    // Byte override worked, global cursor changed.
    std::pair<bool, bool> validateOverrideWorks(std::int32_t connectionID);
    std::map<std::string, std::vector<unsigned char>>
    cursorBytesForArrowIdentifiers(std::int32_t connectionID) const;

    // Payloads (+Payloads.cpp).
    std::optional<ResolvedPayload> resolveDirectPayload(const std::string& identifier,
                                                        const PayloadRequest& request) const;
    std::optional<ResolvedPayload>
    resolveCanonicalArrowPayload(const PayloadRequest& request) const;
    std::optional<CursorSnapshot> syntheticSnapshot(CursorTemplate cursorTemplate) const;

    // Registration and activation (+Activation.cpp).
    Registration registerAndActivate(std::int32_t connectionID, const PayloadRequest& request,
                                     bool lightweightRefresh);
    Registration registerPayloads(std::int32_t connectionID, const PayloadRequest& request,
                                  const std::optional<ResolvedPayload>& canonical);
    FinalArrow activateArrow(std::int32_t connectionID,
                             const std::optional<std::string>& canonicalSourceIdentifier);
    void runCoreActivationSweep(std::int32_t connectionID,
                                std::optional<std::int32_t> finalCursorID);
    void activateSystemDefinedCursor(std::int32_t connectionID, std::int32_t cursorID) const;
    void activateCoreCursor(std::int32_t connectionID, std::int32_t cursorID) const;
    void scheduleReactivations(std::int32_t connectionID, const FinalArrow& finalArrow);
    void reactivate(std::int32_t connectionID, const FinalArrow& finalArrow, bool isFirstStep);
    void cancelPendingReactivations();
    void applyDecoratedCursorScale(std::int32_t connectionID);
    bool setDecoratedCursorScale(std::int32_t connectionID, float userScale, float target);
    // A scale that differs from the one last set here is the user's choice.
    void adoptUserCursorScale(std::int32_t connectionID);
    void noteCursorScaleSet(float scale);
    // The user's scale an earlier run kept, put back unless the window server
    // no longer shows the decorated one; none when there is nothing to go by.
    std::optional<float> recoverUserCursorScale(std::int32_t connectionID);

    // Restore (+Restore.cpp).
    int restoreBaselineAliases(std::int32_t connectionID);
    // The system's own images for the identifier: its own, else those of the
    // numbered cursor it names; null when neither was captured.
    const CursorSnapshot* systemSnapshot(const std::string& identifier) const;
    std::optional<CursorSnapshot> resolveBaselineArrowSnapshot() const;

    CGSRuntime& runtime_;
    CursorCapeStore& capeStore_;
    const StandardCursors& standardCursors_;
    std::shared_ptr<RunLoop> loop_;

    std::optional<std::int32_t> connectionID_;
    std::array<std::vector<std::string>, allCursorRoles.size()> roleIdentifiers_;
    std::vector<std::string> allIdentifiers_;
    // The working copy of the baseline.
    std::map<std::string, CursorSnapshot> snapshots_;
    // The baseline as validated: what decorated payloads are made from.
    std::map<std::string, CursorSnapshot> baselineSnapshots_;
    // The baseline as the window server gave it: what a restore puts back,
    // also where validation chose the framework's cursor to decorate instead.
    std::map<std::string, CursorSnapshot> systemSnapshots_;
    std::vector<std::int32_t> forcedActivationCursorIDs_;
    std::map<std::string, std::int32_t> systemCursorIDByName_;
    std::map<std::int32_t, std::string> systemCursorNameByID_;
    std::optional<float> baselineCursorScale_;
    CursorScaleBackup scaleBackup_;
    // The scale this controller last set or read as the baseline.
    std::optional<float> expectedCursorScale_;
    bool isRuntimeAvailable_ = false;
    bool isVerifiedFunctional_ = false;
    bool isGlobalCursorPathEffective_ = false;
    std::optional<std::string> lastAppliedStyleCode_;
    bool useLegacySystemIDActivation_ = false;
    bool useCoreSweepActivation_ = false;
    bool useSystemDefinedActivation_ = false;
    std::vector<Cancellable> pendingReactivations_;
    // When the set-up last tried the window server, and how long an idle
    // retry waits after that.
    double lastSetUpAttemptAt_ = 0;
    double setUpRetryDelay_ = 2.0;
    // Mirrored baseline snapshots: mirroring is the same work at every
    // left-handed apply, and the renderer knows their images the next time.
    mutable SnapshotMemo<Unmirrored, CursorSnapshot> mirroredSnapshots_;
};

} // namespace tolvane
