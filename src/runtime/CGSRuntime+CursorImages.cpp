// Reading cursor images out of the window server and putting images, or a chosen
// cursor, back in.
#include "log/AppLog.h"
#include "log/LogFormat.h"
#include "cursors/CursorIdentifier.h"
#include "runtime/CGSRuntime.h"
#include "runtime/WindowServerName.h"
#include "runtime/WindowServerObject.h"

#include <algorithm>

namespace tolvane {

namespace {

// Snapshots register at most this many frames.
constexpr std::size_t maxRegisteredFrames = 24;

std::string geometry(const CursorSnapshot& snapshot) {
    return ": size=" + logformat::number(snapshot.size.width) + "x" +
           logformat::number(snapshot.size.height) +
           " frames=" + std::to_string(snapshot.frameCount) +
           " images=" + std::to_string(snapshot.images.size());
}

CursorSnapshot makeSnapshot(const TVWSSize& size, const TVWSPoint& hotSpot, std::size_t frameCount,
                            double frameDuration, std::vector<Image> images) {
    return CursorSnapshot{{size.width, size.height},
                          {hotSpot.x, hotSpot.y},
                          frameCount,
                          frameDuration,
                          std::move(images)};
}

} // namespace

std::optional<CursorSnapshot> CGSRuntime::snapshotCursor(std::int32_t connectionID,
                                                         const std::string& identifier) const {
    if (auto coreID = numberedCursorID(identifier)) {
        if (auto snapshot = snapshotCoreCursor(connectionID, *coreID)) {
            AppLog::debug("snapshotCursor via CoreCursorCopyImages for " + identifier);
            return snapshot;
        }
    }
    auto registered = [&]() -> std::optional<CursorSnapshot> {
        if (copyRegisteredCursorImagesFn == nullptr) {
            AppLog::error("snapshotCursor unavailable: copyRegisteredCursorImagesFn is nil");
            return std::nullopt;
        }
        TVWSSize size{};
        TVWSPoint hotSpot{};
        std::size_t frameCount = 0;
        double frameDuration = 0;
        TVWSArrayRef array = nullptr;
        TVWSStatus status = callWithName(identifier, TVWSStatus{-1}, [&](const char* name) {
            return copyRegisteredCursorImagesFn(connectionID, name, &size, &hotSpot, &frameCount,
                                                &frameDuration, &array);
        });
        WindowServerObject owned(array);
        if (status != 0 || !owned) {
            AppLog::debug("snapshotCursor registered copy miss for " + identifier +
                          ": error=" + std::to_string(status));
            return std::nullopt;
        }
        std::vector<Image> images = imagesFromWindowServerArray(owned.get());
        if (images.empty()) {
            AppLog::warn("snapshotCursor failed for " + identifier +
                         ": empty registered image array");
            return std::nullopt;
        }
        CursorSnapshot snapshot =
            makeSnapshot(size, hotSpot, frameCount, frameDuration, std::move(images));
        AppLog::debug("snapshotCursor ok for " + identifier + geometry(snapshot));
        return snapshot;
    }();
    if (!registered) {
        AppLog::warn("snapshotCursor failed for " + identifier +
                     ": no registered/core snapshot available");
    }
    return registered;
}

std::optional<CursorSnapshot> CGSRuntime::snapshotCoreCursor(std::int32_t connectionID,
                                                             std::int32_t cursorID) const {
    if (coreCursorCopyImagesFn == nullptr) {
        return std::nullopt;
    }
    TVWSArrayRef array = nullptr;
    TVWSSize size{};
    TVWSPoint hotSpot{};
    std::size_t frameCount = 0;
    double frameDuration = 0;
    TVWSStatus status = coreCursorCopyImagesFn(connectionID, cursorID, &array, &size, &hotSpot,
                                               &frameCount, &frameDuration);
    WindowServerObject owned(array);
    if (status != 0 || !owned) {
        AppLog::debug("snapshotCoreCursor failed for id=" + std::to_string(cursorID) +
                      ": error=" + std::to_string(status));
        return std::nullopt;
    }
    std::vector<Image> images = imagesFromWindowServerArray(owned.get());
    if (images.empty()) {
        AppLog::debug("snapshotCoreCursor empty for id=" + std::to_string(cursorID));
        return std::nullopt;
    }
    CursorSnapshot snapshot =
        makeSnapshot(size, hotSpot, frameCount, frameDuration, std::move(images));
    AppLog::debug("snapshotCoreCursor ok for id=" + std::to_string(cursorID) + geometry(snapshot));
    return snapshot;
}

bool CGSRuntime::registerCursor(std::int32_t connectionID, const std::string& identifier,
                                const CursorSnapshot& snapshot, const std::vector<Image>& images,
                                bool setGlobally, bool instantly) const {
    if (images.empty()) {
        AppLog::warn("registerCursor skipped for " + identifier + ": no images");
        return false;
    }
    std::size_t frameCount = snapshot.frameCount == 0 ? images.size() : snapshot.frameCount;
    frameCount = std::min({frameCount, images.size(), maxRegisteredFrames});
    const std::int32_t globally = setGlobally ? 1 : 0;
    const std::int32_t now = instantly ? 1 : 0;

    std::optional<TVWSStatus> multiStatus;
    std::int32_t multiSeed = 0;
    WindowServerObject array;
    if (registerCursorWithImagesFn == nullptr) {
        AppLog::warn(
            "registerCursor multi-frame path unavailable: registerCursorWithImagesFn is nil");
    } else {
        array = makeWindowServerImageArray(images);
        multiStatus = !array ? -1 : callWithName(identifier, TVWSStatus{-1}, [&](const char* name) {
            return registerCursorWithImagesFn(connectionID, name, globally, now, frameCount,
                                              array.get(), &multiSeed, snapshot.size.width,
                                              snapshot.size.height, snapshot.hotSpot.x,
                                              snapshot.hotSpot.y, snapshot.frameDuration);
        });
    }

    bool singleSuccess = false;
    if (registerCursorWithImageFn != nullptr) {
        std::int32_t singleSeed = 0;
        // The first image is the very object the multi-frame call handed over, so the
        // window server takes the call as confirming that registration rather than
        // as a new cursor of one frame.
        WindowServerObject ownImage;
        TVWSImageRef image = array ? TVWSArrayGetValueAtIndex(array.get(), 0) : nullptr;
        if (image == nullptr) {
            ownImage = makeWindowServerImage(images.front());
            image = ownImage.get();
        }
        TVWSStatus status =
            image == nullptr ? -1 : callWithName(identifier, TVWSStatus{-1}, [&](const char* name) {
                return registerCursorWithImageFn(connectionID, name, globally, now, 0, image,
                                                 &singleSeed, snapshot.size.width,
                                                 snapshot.size.height, snapshot.hotSpot.x,
                                                 snapshot.hotSpot.y, 1.0, 1.0);
            });
        singleSuccess = status == 0;
        if (singleSuccess) {
            AppLog::debug("registerCursorSingleImage ok for " + identifier +
                          " seed=" + std::to_string(singleSeed));
        } else {
            AppLog::debug("registerCursorSingleImage failed for " + identifier + ": error=" +
                          std::to_string(status) + " seed=" + std::to_string(singleSeed));
        }
    }

    std::string multiError = multiStatus ? std::to_string(*multiStatus) : "nil";
    if (singleSuccess || multiStatus == 0) {
        AppLog::debug("registerCursor ok for " + identifier + ": frames=" +
                      std::to_string(frameCount) + " images=" + std::to_string(images.size()) +
                      " multiError=" + multiError + " multiSeed=" + std::to_string(multiSeed) +
                      " singleSuccess=" + logformat::boolean(singleSuccess));
        return true;
    }
    AppLog::error("registerCursor failed for " + identifier + ": multiError=" + multiError +
                  " frames=" + std::to_string(frameCount) +
                  " images=" + std::to_string(images.size()) +
                  " multiSeed=" + std::to_string(multiSeed) + " singleSuccess=false");
    return false;
}

bool CGSRuntime::setRegisteredCursorNow(std::int32_t connectionID,
                                        const std::string& identifier) const {
    if (setRegisteredCursorFn == nullptr) {
        AppLog::error("setRegisteredCursorNow unavailable: setRegisteredCursorFn is nil");
        return false;
    }
    std::int32_t seed = 0;
    TVWSStatus status = callWithName(identifier, TVWSStatus{-1}, [&](const char* name) {
        return setRegisteredCursorFn(connectionID, name, &seed);
    });
    if (status == 0) {
        AppLog::debug("setRegisteredCursorNow ok for " + identifier +
                      " seed=" + std::to_string(seed));
        return true;
    }
    AppLog::error("setRegisteredCursorNow failed for " + identifier +
                  ": error=" + std::to_string(status) + " seed=" + std::to_string(seed));
    return false;
}

bool CGSRuntime::setSystemDefinedCursor(std::int32_t connectionID, std::int32_t cursorID) const {
    if (setSystemDefinedCursorFn == nullptr) {
        AppLog::warn("setSystemDefinedCursor unavailable");
        return false;
    }
    TVWSStatus status = setSystemDefinedCursorFn(connectionID, cursorID);
    AppLog::info("setSystemDefinedCursor id=" + std::to_string(cursorID) +
                 " error=" + std::to_string(status));
    return status == 0;
}

std::optional<std::int32_t>
CGSRuntime::setSystemDefinedCursorWithSeed(std::int32_t connectionID, std::int32_t cursorID) const {
    if (setSystemDefinedCursorWithSeedFn == nullptr) {
        AppLog::warn("setSystemDefinedCursorWithSeed unavailable");
        return std::nullopt;
    }
    // The call's own status says nothing the seed does not.
    std::int32_t seed = 0;
    setSystemDefinedCursorWithSeedFn(connectionID, cursorID, &seed);
    AppLog::info("setSystemDefinedCursorWithSeed id=" + std::to_string(cursorID) +
                 " seed=" + std::to_string(seed));
    return seed;
}

bool CGSRuntime::setCoreCursor(std::int32_t connectionID, std::int32_t cursorID) const {
    if (coreCursorSetFn == nullptr) {
        AppLog::warn("setCoreCursor unavailable");
        return false;
    }
    TVWSStatus status = coreCursorSetFn(connectionID, cursorID);
    AppLog::info("setCoreCursor id=" + std::to_string(cursorID) +
                 " error=" + std::to_string(status));
    return status == 0;
}

std::optional<std::int32_t> CGSRuntime::setCoreCursorWithSeed(std::int32_t connectionID,
                                                              std::int32_t cursorID) const {
    if (coreCursorSetAndReturnSeedFn == nullptr) {
        AppLog::warn("setCoreCursorWithSeed unavailable");
        return std::nullopt;
    }
    std::int32_t seed = 0;
    TVWSStatus status = coreCursorSetAndReturnSeedFn(connectionID, cursorID, &seed);
    AppLog::info("setCoreCursorWithSeed id=" + std::to_string(cursorID) +
                 " error=" + std::to_string(status) + " seed=" + std::to_string(seed));
    if (status != 0) {
        return std::nullopt;
    }
    return seed;
}

} // namespace tolvane
