// Operations on the displayed cursor as a whole: redraw, scale, hard reset,
// discovery of the system cursors, the fingerprint of what is on screen and
// synthetic mouse moves.
#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "cursors/Fnv1a.h"
#include "platform/AsciiCase.h"
#include "platform/EventServices.h"
#include "platform/Utf8.h"
#include "runtime/CGSRuntime.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

namespace tolvane {

namespace {

constexpr float minimumCursorScale = 0.5f;
constexpr float maximumCursorScale = 16.0f;
constexpr float cursorScaleNudge = 0.3f;
constexpr std::int32_t maxCoreCursorID = 44;

// Tried in order after a hard reset; the first that can be shown wins.
constexpr std::array<const char*, 3> anchorIdentifiers{"com.apple.coregraphics.GlobalCurrent",
                                                       "com.apple.coregraphics.ConnectionCurrent",
                                                       "com.apple.coregraphics.Arrow"};

} // namespace

void CGSRuntime::refreshCursorDisplay(std::int32_t connectionID) const {
    if (hideCursorFn == nullptr || showCursorFn == nullptr) {
        AppLog::debug("refreshCursorDisplay unavailable: hide/show symbols missing");
        return;
    }
    TVWSStatus hideStatus = hideCursorFn(connectionID);
    TVWSStatus showStatus = showCursorFn(connectionID);
    AppLog::debug("refreshCursorDisplay hideError=" + std::to_string(hideStatus) +
                  " showError=" + std::to_string(showStatus));
}

std::optional<float> CGSRuntime::cursorScale(std::int32_t connectionID) const {
    if (getCursorScaleFn == nullptr) {
        return std::nullopt;
    }
    float scale = 1.0f;
    TVWSStatus status = getCursorScaleFn(connectionID, &scale);
    if (status != 0) {
        AppLog::debug("cursorScale get failed: error=" + std::to_string(status));
        return std::nullopt;
    }
    return scale;
}

float CGSRuntime::clampedCursorScale(float scale) {
    // fmin picks the number over not-a-number, so NaN ends up at the maximum.
    return std::fmax(std::fmin(scale, maximumCursorScale), minimumCursorScale);
}

bool CGSRuntime::setCursorScale(std::int32_t connectionID, float scale) const {
    if (setCursorScaleFn == nullptr) {
        AppLog::debug("setCursorScale unavailable: set scale symbol missing");
        return false;
    }
    const float clamped = clampedCursorScale(scale);
    TVWSStatus status = setCursorScaleFn(connectionID, clamped);
    AppLog::debug("setCursorScale requested=" + logformat::number(scale) +
                  " clamped=" + logformat::number(clamped) + " error=" + std::to_string(status));
    return status == 0;
}

void CGSRuntime::nudgeCursorScale(std::int32_t connectionID) const {
    if (getCursorScaleFn == nullptr || setCursorScaleFn == nullptr) {
        AppLog::debug("nudgeCursorScale unavailable: get/set scale symbols missing");
        return;
    }
    float current = 1.0f;
    TVWSStatus getStatus = getCursorScaleFn(connectionID, &current);
    if (getStatus != 0) {
        AppLog::debug("nudgeCursorScale get failed: error=" + std::to_string(getStatus));
        return;
    }
    float up = std::fmin(current + cursorScaleNudge, maximumCursorScale);
    float down = std::fmax(current - cursorScaleNudge, minimumCursorScale);
    float temp = up == current ? down : up;
    if (temp == current) {
        AppLog::debug("nudgeCursorScale skipped: current scale at fixed boundary " +
                      logformat::number(current));
        return;
    }
    TVWSStatus setTempStatus = setCursorScaleFn(connectionID, temp);
    TVWSStatus setBackStatus = setCursorScaleFn(connectionID, current);
    AppLog::debug("nudgeCursorScale current=" + logformat::number(current) + " temp=" +
                  logformat::number(temp) + " setTempError=" + std::to_string(setTempStatus) +
                  " setBackError=" + std::to_string(setBackStatus));
}

bool CGSRuntime::hardResetSystemCursors(std::int32_t connectionID, std::int32_t maxCursorID) const {
    if (coreCursorUnregisterAllFn == nullptr || coreCursorSetFn == nullptr) {
        AppLog::warn("hardResetSystemCursors unavailable: core cursor reset symbols missing");
        return false;
    }
    AppLog::debug("setDockCursorOverride enabled=true");
    if (setDockCursorOverrideFn != nullptr) {
        setDockCursorOverrideFn(connectionID, 1);
    }
    const std::int32_t effectiveMax = std::clamp(maxCursorID, 0, maxCoreCursorID);
    TVWSStatus unregisterResult = coreCursorUnregisterAllFn(connectionID);
    int successes = 0;
    int failures = 0;
    for (std::int32_t cursorID = 0; cursorID <= effectiveMax; ++cursorID) {
        if (coreCursorSetFn(connectionID, cursorID) == 0) {
            ++successes;
        } else {
            ++failures;
        }
    }
    bool anchored = std::any_of(
        anchorIdentifiers.begin(), anchorIdentifiers.end(),
        [&](const char* identifier) { return setRegisteredCursorNow(connectionID, identifier); });
    refreshCursorDisplay(connectionID);
    nudgeCursorScale(connectionID);
    // Anchoring is a courtesy: the reset took when the core cursors did.
    bool ok = unregisterResult == 0 && successes > 0;
    AppLog::info(
        "hardResetSystemCursors completed. unregisterResult=" + std::to_string(unregisterResult) +
        " setSuccesses=" + std::to_string(successes) + " setFailures=" + std::to_string(failures) +
        " effectiveMaxCoreID=" + std::to_string(effectiveMax) +
        " anchored=" + logformat::boolean(anchored) + " ok=" + logformat::boolean(ok));
    AppLog::debug("setDockCursorOverride enabled=false");
    if (setDockCursorOverrideFn != nullptr) {
        setDockCursorOverrideFn(connectionID, 0);
    }
    return ok;
}

std::vector<std::string> CGSRuntime::discoverSystemCursorNames(const std::string& token,
                                                               std::int32_t maxCursorID) const {
    if (cursorNameForSystemCursorFn == nullptr) {
        AppLog::warn("discoverSystemCursorNames unavailable: cursorNameForSystemCursorFn is nil");
        return {};
    }
    const std::string lowercasedToken = lowercasedASCII(token);
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (std::int32_t cursorID = 0; cursorID < maxCursorID; ++cursorID) {
        const char* raw = cursorNameForSystemCursorFn(cursorID);
        if (raw == nullptr || *raw == '\0') {
            continue;
        }
        std::string name = repairedUTF8(raw);
        if (lowercasedASCII(name).find(lowercasedToken) != std::string::npos &&
            taken.insert(name).second) {
            names.push_back(std::move(name));
        }
    }
    AppLog::info("discoverSystemCursorNames token=" + token +
                 " found=" + std::to_string(names.size()));
    return names;
}

std::vector<SystemCursorEntry>
CGSRuntime::discoverSystemCursorEntries(std::int32_t maxCursorID) const {
    if (cursorNameForSystemCursorFn == nullptr) {
        AppLog::warn("discoverSystemCursorEntries unavailable: cursorNameForSystemCursorFn is nil");
        return {};
    }
    if (maxCursorID < 1) {
        return {};
    }
    std::vector<SystemCursorEntry> entries;
    for (std::int32_t cursorID = 0; cursorID < maxCursorID; ++cursorID) {
        const char* raw = cursorNameForSystemCursorFn(cursorID);
        if (raw != nullptr && *raw != '\0') {
            entries.push_back({cursorID, repairedUTF8(raw)});
        }
    }
    AppLog::info("discoverSystemCursorEntries found=" + std::to_string(entries.size()) +
                 " scanned=" + std::to_string(maxCursorID));
    return entries;
}

std::optional<std::string> CGSRuntime::currentCursorFingerprint(std::int32_t connectionID) const {
    if (getGlobalCursorDataSizeFn == nullptr || getGlobalCursorDataFn == nullptr) {
        AppLog::debug("currentCursorFingerprint unavailable: global cursor data symbols missing");
        return std::nullopt;
    }
    std::int32_t byteCount = 0;
    TVWSStatus sizeStatus = getGlobalCursorDataSizeFn(connectionID, &byteCount);
    if (sizeStatus != 0 || byteCount < 1) {
        AppLog::debug("currentCursorFingerprint size failed: error=" + std::to_string(sizeStatus) +
                      " byteCount=" + std::to_string(byteCount));
        return std::nullopt;
    }
    // A displayed cursor is a few megabytes at most; a count beyond this is a
    // miscount that must not cost the process its memory.
    constexpr std::int32_t maximumByteCount = 64 * 1024 * 1024;
    if (byteCount > maximumByteCount) {
        AppLog::warn("currentCursorFingerprint size refused: byteCount=" +
                     std::to_string(byteCount) + " limit=" + std::to_string(maximumByteCount));
        return std::nullopt;
    }
    std::vector<unsigned char> buffer(static_cast<std::size_t>(byteCount), 0);
    std::int32_t dataSize = byteCount;
    TVWSSize pixelSize{};
    TVWSPoint hotSpot{};
    std::int32_t depth = 0;
    std::int32_t components = 0;
    std::int32_t bitsPerComponent = 0;
    std::int32_t reserved = 0;
    TVWSStatus dataStatus =
        getGlobalCursorDataFn(connectionID, buffer.data(), &dataSize, &pixelSize, &hotSpot, &depth,
                              &components, &bitsPerComponent, &reserved);
    if (dataStatus != 0 || dataSize < 1) {
        AppLog::debug("currentCursorFingerprint data failed: error=" + std::to_string(dataStatus) +
                      " dataSize=" + std::to_string(dataSize));
        return std::nullopt;
    }
    // A size beyond the buffer is the window server's miscount: hash what we hold.
    buffer.resize(std::min(buffer.size(), static_cast<std::size_t>(dataSize)));
    std::string fingerprint = hexDigest(fnv1a64(buffer));
    AppLog::debug("currentCursorFingerprint ok size=" + std::to_string(dataSize) +
                  " hash=" + fingerprint + " px=" + logformat::number(pixelSize.width) + "x" +
                  logformat::number(pixelSize.height) + " hotSpot=(" +
                  logformat::number(hotSpot.x) + "," + logformat::number(hotSpot.y) +
                  ") depth=" + std::to_string(depth) + " components=" + std::to_string(components) +
                  " bpc=" + std::to_string(bitsPerComponent));
    return fingerprint;
}

void CGSRuntime::postSyntheticMouseMovedEvents(int count) const {
    if (count < 1) {
        return;
    }
    // Without event services no event can be made.
    const Point location = eventServices_ ? eventServices_->mouseLocation() : Point{};
    const std::vector<Rect> screens =
        eventServices_ ? eventServices_->screenFrames() : std::vector<Rect>{};
    // Screen coordinates grow upwards from the bottom-left corner of the primary
    // screen; events are placed from its top-left corner, growing downwards.
    const double height = screens.empty() ? location.y : screens.front().size.height;
    const MouseEvent event{
        EventType::mouseMoved, {location.x, height - location.y}, MouseButton::left};
    for (int posted = 0; posted < count; ++posted) {
        if (!eventServices_ || !eventServices_->postMouseEvent(event)) {
            AppLog::warn("postSyntheticMouseMovedEvents failed: unable to create CGEvent");
            return;
        }
    }
    AppLog::debug("postSyntheticMouseMovedEvents posted count=" + std::to_string(count) +
                  " appKit=(" + logformat::number(location.x) + "," +
                  logformat::number(location.y) + ") cg=(" + logformat::number(event.position.x) +
                  "," + logformat::number(event.position.y) + ")");
}

} // namespace tolvane
