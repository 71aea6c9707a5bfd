// Set-up: identifiers, activation switches, the baseline capture, and the
// identifier operations the other parts share.
#include "cursors/SystemCursorController.h"

#include "cursors/CursorIdentifier.h"
#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "platform/AsciiCase.h"

#include <algorithm>
#include <set>

namespace tolvane {

namespace {

constexpr std::int32_t nameDiscoveryBound = 128;
constexpr std::int32_t entryDiscoveryBound = 512;
constexpr const char* globalCurrentArrow = "com.apple.coregraphics.GlobalCurrent";

// Which identifier the arrow is finally made current under, best first.
const std::vector<std::string> finalArrowPreference{"com.apple.coregraphics.GlobalCurrent",
                                                    "com.apple.coregraphics.ConnectionCurrent",
                                                    "com.apple.coregraphics.Arrow",
                                                    "com.apple.coregraphics.ArrowS",
                                                    "com.apple.coregraphics.ArrowCtx",
                                                    "com.apple.cursor.0",
                                                    "com.apple.cursor.6",
                                                    "com.apple.cursor.100"};

// Cursors that animate or show waiting; a badge would stop their animation.
const std::set<std::string> animatedSystemCursorIdentifiers{
    "com.apple.coregraphics.wait", "com.apple.cursor.4", "com.apple.cursor.14",
    "com.apple.cursor.15", "com.apple.cursor.16"};
constexpr std::array<const char*, 4> busyWords{"wait", "busy", "progress", "counting"};

bool namesAnimatedCursor(const std::string& name) {
    const std::string lower = lowercasedASCII(name);
    return animatedSystemCursorIdentifiers.contains(lower) ||
           std::any_of(busyWords.begin(), busyWords.end(),
                       [&](const char* word) { return lower.find(word) != std::string::npos; });
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : ", ") + part;
    }
    return text;
}

std::size_t roleIndex(CursorRole role) {
    return static_cast<std::size_t>(role);
}

// Without a reset that took, the cursors on screen may still be an earlier
// run's decorated ones: they must never become the baseline.
void warnBaselineCaptureSkipped(const std::string& reason) {
    AppLog::warn("Baseline capture skipped: " + reason + "; retrying at the next refresh");
}

} // namespace

SystemCursorController::SystemCursorController(CGSRuntime& runtime, CursorCapeStore& capeStore,
                                               const StandardCursors& standardCursors,
                                               std::shared_ptr<RunLoop> loop,
                                               const Environment& environment,
                                               CursorScaleBackup scaleBackup)
    : runtime_(runtime), capeStore_(capeStore), standardCursors_(standardCursors),
      loop_(std::move(loop)), scaleBackup_(std::move(scaleBackup)),
      useLegacySystemIDActivation_(environment.isExactlyOne("TOLVANE_ENABLE_LEGACY_ID_ACTIVATION")),
      useCoreSweepActivation_(environment.isExactlyOne("TOLVANE_ENABLE_CORE_SWEEP_ACTIVATION")),
      useSystemDefinedActivation_(
          environment.isExactlyOne("TOLVANE_ENABLE_SYSTEM_DEFINED_ACTIVATION")) {
    connectionID_ = runtime_.mainConnectionID();
    isRuntimeAvailable_ = hasRequiredBindings() && connectionID_.has_value();
    buildRoleIdentifiers();
    buildAllIdentifiers();
    buildSystemCursorTables();
    if (connectionID_) {
        readCursorScales(*connectionID_);
    }
    logConfiguration();
    setUpBaseline();
}

SystemCursorController::~SystemCursorController() {
    cancelPendingReactivations();
}

bool SystemCursorController::hasRequiredBindings() const {
    return runtime_.mainConnectionIDFn != nullptr &&
           runtime_.registerCursorWithImagesFn != nullptr &&
           runtime_.copyRegisteredCursorImagesFn != nullptr &&
           runtime_.setRegisteredCursorFn != nullptr;
}

bool SystemCursorController::takeMissingConnection() {
    if (connectionID_ || !hasRequiredBindings()) {
        return connectionID_.has_value();
    }
    connectionID_ = runtime_.mainConnectionID();
    if (!connectionID_) {
        return false;
    }
    isRuntimeAvailable_ = hasRequiredBindings();
    readCursorScales(*connectionID_);
    AppLog::info("SystemCursorController took the main connection. connectionID=" +
                 std::to_string(*connectionID_) + " runtimeAvailable=" +
                 logformat::boolean(isRuntimeAvailable_) + " baselineCursorScale=" +
                 (baselineCursorScale_ ? logformat::number(*baselineCursorScale_) : "nil"));
    return true;
}

void SystemCursorController::readCursorScales(std::int32_t connectionID) {
    const std::optional<float> recovered = recoverUserCursorScale(connectionID);
    expectedCursorScale_ = runtime_.cursorScale(connectionID);
    baselineCursorScale_ = recovered ? recovered : expectedCursorScale_;
}

bool SystemCursorController::needsSetUp() const {
    return hasRequiredBindings() && (!connectionID_ || baselineSnapshots_.empty());
}

bool SystemCursorController::resumeSetUp(bool urgent) {
    // A window server that keeps failing is tried ever less often, so that
    // its cursors are not reset every few seconds for good.
    constexpr double firstRetryDelay = 2.0;
    constexpr double longestRetryDelay = 60.0;
    if (!needsSetUp()) {
        return true;
    }
    if (!urgent && loop_->now() < lastSetUpAttemptAt_ + setUpRetryDelay_) {
        return false;
    }
    if (takeMissingConnection()) {
        setUpBaseline();
        // The first apply on the new baseline is a full one, as at launch.
        lastAppliedStyleCode_.reset();
    }
    lastSetUpAttemptAt_ = loop_->now();
    const bool done = !needsSetUp();
    setUpRetryDelay_ =
        done || urgent ? firstRetryDelay : std::min(2 * setUpRetryDelay_, longestRetryDelay);
    return done;
}

void SystemCursorController::setUpBaseline() {
    lastSetUpAttemptAt_ = loop_->now();
    const bool resetOK =
        connectionID_ && normalizeSystemCursorBeforeBaselineCapture(*connectionID_);
    if (resetOK) {
        captureBaseline();
    } else if (hasRequiredBindings()) {
        warnBaselineCaptureSkipped(connectionID_ ? "hard reset did not take"
                                                 : "no main connection");
    }
    AppLog::info("Baseline snapshots captured: " + std::to_string(baselineSnapshots_.size()));

    if (isRuntimeAvailable_ && connectionID_) {
        std::tie(isVerifiedFunctional_, isGlobalCursorPathEffective_) =
            validateOverrideWorks(*connectionID_);
    }
    AppLog::info("SystemCursorController verification result: byteOverride=" +
                 logformat::boolean(isVerifiedFunctional_) +
                 " globalPath=" + logformat::boolean(isGlobalCursorPathEffective_));
}

void SystemCursorController::captureBaseline() {
    snapshots_.clear();
    captureOriginalCursors();
    systemSnapshots_ = snapshots_;
    mirroredSnapshots_.clear();
    validateAndFixBaselineSnapshots();
    baselineSnapshots_ = snapshots_;
}

void SystemCursorController::buildRoleIdentifiers() {
    for (CursorRole role : allCursorRoles) {
        std::vector<std::string> list = legacyIdentifiers(role);
        std::optional<std::string> token;
        if (role == CursorRole::arrow) {
            token = "arrow";
        } else if (role == CursorRole::iBeam) {
            token = "ibeam";
        }
        if (token) {
            for (std::string& name :
                 runtime_.discoverSystemCursorNames(*token, nameDiscoveryBound)) {
                list.push_back(std::move(name));
            }
        }
        roleIdentifiers_[roleIndex(role)] = deduplicated(list);
    }
}

void SystemCursorController::buildAllIdentifiers() {
    std::vector<std::string> all;
    for (const auto& list : roleIdentifiers_) {
        all.insert(all.end(), list.begin(), list.end());
    }
    for (std::string& name : runtime_.discoverSystemCursorNames("com.apple.", nameDiscoveryBound)) {
        all.push_back(std::move(name));
    }
    for (std::int32_t cursorID = 0; cursorID <= maxTrackedCursorID; ++cursorID) {
        all.push_back(numberedCursorIdentifier(cursorID));
    }
    allIdentifiers_ = deduplicated(all);
}

void SystemCursorController::buildSystemCursorTables() {
    std::set<std::int32_t> forced;
    for (const SystemCursorEntry& entry :
         runtime_.discoverSystemCursorEntries(entryDiscoveryBound)) {
        forced.insert(entry.id);
    }
    if (forced.empty()) {
        forced = {0, 1, 6, 100, 101};
        for (const auto& list : roleIdentifiers_) {
            for (const std::string& identifier : list) {
                if (auto number = numberedCursorID(identifier)) {
                    forced.insert(*number);
                }
            }
        }
    }
    forcedActivationCursorIDs_.assign(forced.begin(), forced.end());

    for (const SystemCursorEntry& entry :
         runtime_.discoverSystemCursorEntries(entryDiscoveryBound)) {
        systemCursorIDByName_[lowercasedASCII(entry.name)] = entry.id;
        systemCursorIDByName_[numberedCursorIdentifier(entry.id)] = entry.id;
        systemCursorNameByID_[entry.id] = entry.name;
    }
    for (const auto& [name, cursorID] : std::initializer_list<std::pair<const char*, std::int32_t>>{
             {"com.apple.coregraphics.arrow", 0},
             {"com.apple.coregraphics.globalcurrent", 0},
             {"com.apple.coregraphics.connectioncurrent", 0},
             {"com.apple.coregraphics.arrowctx", 6},
             {"com.apple.coregraphics.arrows", 100}}) {
        systemCursorIDByName_.try_emplace(name, cursorID);
    }
}

void SystemCursorController::logConfiguration() const {
    AppLog::info(
        "SystemCursorController init. runtimeAvailable=" + logformat::boolean(isRuntimeAvailable_) +
        " connectionID=" + (connectionID_ ? std::to_string(*connectionID_) : "nil"));
    AppLog::info("SystemCursorController config maxTrackedCursorID=" +
                 std::to_string(maxTrackedCursorID));
    AppLog::info("SystemCursorController config useCoreSweepActivation=" +
                 logformat::boolean(useCoreSweepActivation_));
    AppLog::info("SystemCursorController config useSystemDefinedActivation=" +
                 logformat::boolean(useSystemDefinedActivation_));
    AppLog::info("Baseline cursor scale: " +
                 (baselineCursorScale_ ? logformat::number(*baselineCursorScale_) : "nil"));
    for (CursorRole role : allCursorRoles) {
        AppLog::info("Identifiers for " + std::string(caseName(role)) + ": " +
                     joined(identifiers(role)));
    }
    std::vector<std::string> forced;
    for (std::int32_t cursorID : forcedActivationCursorIDs_) {
        forced.push_back(std::to_string(cursorID));
    }
    AppLog::info("Forced activation cursor IDs: " + joined(forced));
    AppLog::info("Total discovered cursor identifiers: " + std::to_string(allIdentifiers_.size()));
}

bool SystemCursorController::normalizeSystemCursorBeforeBaselineCapture(std::int32_t connectionID) {
    const bool resetOK = runtime_.hardResetSystemCursors(connectionID, maxTrackedCursorID);
    const std::string finalArrow = preferredFinalArrowIdentifier(globalCurrentArrow);
    runtime_.setRegisteredCursorNow(connectionID, finalArrow);
    const std::optional<std::int32_t> finalCursorID = systemCursorID(finalArrow);
    if (useCoreSweepActivation_) {
        const std::int32_t coreID =
            finalCursorID && *finalCursorID >= 0 && *finalCursorID <= maxTrackedCursorID
                ? *finalCursorID
                : 0;
        activateCoreCursor(connectionID, coreID);
    }
    if (useSystemDefinedActivation_) {
        activateSystemDefinedCursor(connectionID, finalCursorID.value_or(0));
    }
    runtime_.refreshCursorDisplay(connectionID);
    runtime_.nudgeCursorScale(connectionID);
    runtime_.postSyntheticMouseMovedEvents(1);
    AppLog::info("normalizeSystemCursorBeforeBaselineCapture completed. resetOK=" +
                 logformat::boolean(resetOK) + " finalArrow=" + finalArrow);
    return resetOK;
}

void SystemCursorController::captureOriginalCursors() {
    if (!isRuntimeAvailable_ || !connectionID_) {
        return;
    }
    int captured = 0;
    for (const std::string& identifier : allIdentifiers_) {
        if (snapshots_.contains(identifier)) {
            continue;
        }
        if (auto snapshot = runtime_.snapshotCursor(*connectionID_, identifier)) {
            snapshots_.emplace(identifier, std::move(*snapshot));
            ++captured;
        }
    }
    AppLog::info("captureOriginalCursors completed. captured=" + std::to_string(captured));
}

void SystemCursorController::loadWorkingSnapshots(bool resetTook,
                                                  const std::string& rebuiltBaselineWarning) {
    if (!baselineSnapshots_.empty()) {
        snapshots_ = baselineSnapshots_;
        return;
    }
    if (!resetTook) {
        snapshots_.clear();
        warnBaselineCaptureSkipped("hard reset did not take");
        return;
    }
    captureBaseline();
    AppLog::warn(rebuiltBaselineWarning + std::to_string(baselineSnapshots_.size()));
}

const std::vector<std::string>& SystemCursorController::identifiers(CursorRole role) const {
    return roleIdentifiers_[roleIndex(role)];
}

bool SystemCursorController::isArrowIdentifier(const std::string& identifier) const {
    const auto& arrows = identifiers(CursorRole::arrow);
    return std::find(arrows.begin(), arrows.end(), identifier) != arrows.end();
}

std::optional<CursorTemplate>
SystemCursorController::templateForIdentifier(const std::string& identifier) const {
    for (CursorRole role : allCursorRoles) {
        const auto& list = identifiers(role);
        if (std::find(list.begin(), list.end(), identifier) != list.end()) {
            return templateFor(role);
        }
    }
    return std::nullopt;
}

std::optional<std::string> SystemCursorController::primaryIdentifier(CursorRole role) const {
    const auto& list = identifiers(role);
    for (const std::string& identifier : list) {
        if (snapshots_.contains(identifier)) {
            return identifier;
        }
    }
    if (list.empty()) {
        return std::nullopt;
    }
    return list.front();
}

std::string
SystemCursorController::preferredFinalArrowIdentifier(const std::string& fallback) const {
    for (const std::string& identifier : finalArrowPreference) {
        if (isArrowIdentifier(identifier)) {
            return identifier;
        }
    }
    return fallback;
}

std::optional<std::int32_t>
SystemCursorController::systemCursorID(const std::string& identifier) const {
    if (auto number = numberedCursorID(identifier)) {
        return number;
    }
    if (auto found = systemCursorIDByName_.find(lowercasedASCII(identifier));
        found != systemCursorIDByName_.end()) {
        return found->second;
    }
    return std::nullopt;
}

bool SystemCursorController::isExcludedFromApply(const std::string& identifier) const {
    if (namesAnimatedCursor(identifier)) {
        return true;
    }
    // A number hides what the cursor is; the window server's name for it tells.
    if (auto number = numberedCursorID(identifier)) {
        auto name = systemCursorNameByID_.find(*number);
        return name != systemCursorNameByID_.end() && namesAnimatedCursor(name->second);
    }
    return false;
}

std::vector<std::string> SystemCursorController::targetIdentifiersForApply(
    const std::vector<std::string>& additionalIdentifiers) const {
    std::vector<std::string> targets;
    auto add = [&](const std::string& identifier) {
        if (!isExcludedFromApply(identifier)) {
            targets.push_back(identifier);
        }
    };
    for (const auto& [identifier, snapshot] : snapshots_) {
        add(identifier);
    }
    for (const auto& list : roleIdentifiers_) {
        std::for_each(list.begin(), list.end(), add);
    }
    std::for_each(additionalIdentifiers.begin(), additionalIdentifiers.end(), add);
    return deduplicated(targets);
}

std::optional<std::int32_t> SystemCursorController::currentCursorSeed() const {
    if (runtime_.currentCursorSeedFn == nullptr) {
        return std::nullopt;
    }
    return runtime_.currentCursorSeedFn();
}

std::optional<CursorSnapshot>
SystemCursorController::standardCursorSnapshot(CursorTemplate cursorTemplate) const {
    // The framework hands out its cursor images at the density of a Retina screen.
    constexpr double standardCursorDensity = 2.0;
    auto cursor =
        standardCursors_.cursor(standardCursorKind(cursorTemplate), standardCursorDensity);
    if (!cursor) {
        return std::nullopt;
    }
    return CursorSnapshot{{cursor->width, cursor->height},
                          {cursor->hotSpotX, cursor->hotSpotY},
                          1,
                          0,
                          {cursor->image}};
}

} // namespace tolvane
