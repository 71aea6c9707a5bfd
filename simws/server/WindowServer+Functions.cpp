// The cursor functions of the window server's private interface.
#include "systemcursors/SystemCursorTable.h"
#include "server/WindowServer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace tolvane {

namespace {

constexpr std::size_t maxNameLength = 1024;
constexpr std::size_t maxFrameCount = 24;

bool validConnection(TVWSConnection connection) {
    return connection == TVWS_MAIN_CONNECTION_ID;
}

bool validName(const char* name) {
    return name != nullptr && name[0] != '\0' && ::strnlen(name, maxNameLength) < maxNameLength;
}

bool validGeometry(TVWSSize size, TVWSPoint hotSpot, double frameDuration) {
    auto validSide = [](double side) { return side > 0 && side <= TVWS_MAX_CURSOR_POINTS; };
    return validSide(size.width) && validSide(size.height) && std::isfinite(hotSpot.x) &&
           std::isfinite(hotSpot.y) && std::isfinite(frameDuration) && frameDuration >= 0;
}

std::optional<TVWSStatus> faultStatus(const std::optional<Fault>& fault) {
    if (fault && fault->kind == TVWS_FAULT_STATUS) {
        return fault->value;
    }
    return std::nullopt;
}

std::int32_t clampToInt32(long long value) {
    return static_cast<std::int32_t>(
        std::clamp<long long>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

TVWSConnection WindowServer::mainConnectionID(std::string_view symbol) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, {});
    if (auto status = faultStatus(faults_.find(TVWS_FN_MAIN_CONNECTION_ID))) {
        return *status;
    }
    return TVWS_MAIN_CONNECTION_ID;
}

TVWSStatus WindowServer::registerCursorWithImages(std::string_view symbol,
                                                  TVWSConnection connection, const char* name,
                                                  std::int32_t setGlobally, std::int32_t instantly,
                                                  std::size_t frameCount, TVWSArrayRef images,
                                                  std::int32_t* outSeed, TVWSSize size,
                                                  TVWSPoint hotSpot, double frameDuration) {
    std::lock_guard lock(mutex_);
    const std::size_t count = TVWSArrayGetCount(images);
    journal_.record(symbol, CallArguments()
                                .name("name", name)
                                .number("global", setGlobally)
                                .number("instantly", instantly)
                                .number("frames", static_cast<long long>(frameCount))
                                .number("images", static_cast<long long>(count))
                                .real("width", size.width)
                                .real("height", size.height)
                                .real("hotX", hotSpot.x)
                                .real("hotY", hotSpot.y)
                                .real("duration", frameDuration)
                                .text());
    if (auto status = faultStatus(faults_.find(TVWS_FN_REGISTER_CURSOR_WITH_IMAGES, name))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    if (!validName(name) || !validGeometry(size, hotSpot, frameDuration) ||
        !TVWSObjectIsArray(images) || count == 0 || frameCount == 0 || frameCount > maxFrameCount ||
        frameCount > count) {
        return TVWS_STATUS_ILLEGAL_ARGUMENT;
    }
    auto record = std::make_shared<CursorRecord>();
    record->size = size;
    record->hotSpot = hotSpot;
    record->frameCount = frameCount;
    record->frameDuration = frameDuration;
    for (std::size_t index = 0; index < count; ++index) {
        TVWSObjectRef element = TVWSArrayGetValueAtIndex(images, index);
        if (!TVWSObjectIsImage(element)) {
            return TVWS_STATUS_ILLEGAL_ARGUMENT;
        }
        record->images.push_back(ObjectHandle::retain(element));
    }
    return store(name, std::move(record), setGlobally != 0, instantly != 0, outSeed);
}

TVWSStatus WindowServer::registerCursorWithImage(std::string_view symbol, TVWSConnection connection,
                                                 const char* name, std::int32_t setGlobally,
                                                 std::int32_t instantly, std::int32_t reserved,
                                                 TVWSImageRef image, std::int32_t* outSeed,
                                                 TVWSSize size, TVWSPoint hotSpot, double scaleX,
                                                 double scaleY) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments()
                                .name("name", name)
                                .number("global", setGlobally)
                                .number("instantly", instantly)
                                .number("reserved", reserved)
                                .real("width", size.width)
                                .real("height", size.height)
                                .real("hotX", hotSpot.x)
                                .real("hotY", hotSpot.y)
                                .real("scaleX", scaleX)
                                .real("scaleY", scaleY)
                                .text());
    if (auto status = faultStatus(faults_.find(TVWS_FN_REGISTER_CURSOR_WITH_IMAGE, name))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    // The reserved value and the two scale factors do not change the result.
    if (!validName(name) || !validGeometry(size, hotSpot, 0) || !TVWSObjectIsImage(image)) {
        return TVWS_STATUS_ILLEGAL_ARGUMENT;
    }
    // The single-image call that follows a multi-frame registration of the
    // same cursor confirms it instead of cutting it down to one frame.
    const Registry& scope = setGlobally != 0 ? global_ : connection_;
    if (auto existing = scope.find(name); existing != scope.end()) {
        const CursorRecord& current = *existing->second;
        if (current.images.front().get() == image && current.size.width == size.width &&
            current.size.height == size.height && current.hotSpot.x == hotSpot.x &&
            current.hotSpot.y == hotSpot.y) {
            return store(name, existing->second, setGlobally != 0, instantly != 0, outSeed);
        }
    }
    auto record = std::make_shared<CursorRecord>();
    record->size = size;
    record->hotSpot = hotSpot;
    record->images.push_back(ObjectHandle::retain(image));
    return store(name, std::move(record), setGlobally != 0, instantly != 0, outSeed);
}

TVWSStatus WindowServer::copyRegisteredCursorImages(std::string_view symbol,
                                                    TVWSConnection connection, const char* name,
                                                    TVWSSize* outSize, TVWSPoint* outHotSpot,
                                                    std::size_t* outFrameCount,
                                                    double* outFrameDuration,
                                                    TVWSArrayRef* outImages) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments().name("name", name).text());
    const std::optional<Fault> fault = faults_.find(TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, name);
    if (auto status = faultStatus(fault)) {
        return *status;
    }
    CursorRecordPtr record = validName(name) ? lookup(name, true) : nullptr;
    if (!fault) {
        if (!validConnection(connection)) {
            return TVWS_STATUS_INVALID_CONNECTION;
        }
        if (!validName(name)) {
            return TVWS_STATUS_ILLEGAL_ARGUMENT;
        }
        if (!record) {
            return TVWS_STATUS_NONE_AVAILABLE;
        }
    }
    return copyImages(record, fault, outSize, outHotSpot, outFrameCount, outFrameDuration,
                      outImages);
}

TVWSStatus WindowServer::setRegisteredCursor(std::string_view symbol, TVWSConnection connection,
                                             const char* name, std::int32_t* outSeed) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments().name("name", name).text());
    if (auto status = faultStatus(faults_.find(TVWS_FN_SET_REGISTERED_CURSOR, name))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    if (!validName(name)) {
        return TVWS_STATUS_ILLEGAL_ARGUMENT;
    }
    if (!lookup(name, true)) {
        return TVWS_STATUS_NONE_AVAILABLE;
    }
    display(name, false);
    if (outSeed != nullptr) {
        *outSeed = seed_;
    }
    return 0;
}

TVWSImageRef WindowServer::createRegisteredCursorImage(std::string_view symbol,
                                                       TVWSConnection connection, const char* name,
                                                       TVWSPoint* outHotSpot) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments().name("name", name).text());
    if (auto fault = faults_.find(TVWS_FN_CREATE_REGISTERED_CURSOR_IMAGE, name)) {
        return fault->kind == TVWS_FAULT_NON_IMAGE_ONLY ? TVWSOpaqueObjectCreate() : nullptr;
    }
    CursorRecordPtr record =
        validConnection(connection) && validName(name) ? lookup(name, true) : nullptr;
    if (!record) {
        return nullptr;
    }
    if (outHotSpot != nullptr) {
        *outHotSpot = record->hotSpot;
    }
    return TVWSRetain(record->images.front().get());
}

const char* WindowServer::cursorNameForSystemCursor(std::string_view symbol, std::int32_t number) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments().number("cursor", number).text());
    if (faults_.find(TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR, nullptr, number)) {
        return nullptr;
    }
    const NumberedSystemCursor* cursor = SystemCursorTable::find(number);
    // The table's names are NUL-terminated literals that live as long as the library.
    return cursor != nullptr ? cursor->name.data() : nullptr;
}

TVWSStatus WindowServer::setDockCursorOverride(std::string_view symbol, TVWSConnection connection,
                                               std::int32_t enabled) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments().number("enabled", enabled).text());
    if (auto status = faultStatus(faults_.find(TVWS_FN_SET_DOCK_CURSOR_OVERRIDE))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    dockOverride_ = enabled != 0;
    return 0;
}

TVWSStatus WindowServer::showCursor(std::string_view symbol, TVWSConnection connection) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, {});
    if (auto status = faultStatus(faults_.find(TVWS_FN_SHOW_CURSOR))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    hideCount_ = std::max(0, hideCount_ - 1);
    // Showing draws the cursor anew, picking up registrations made without "instantly".
    redraw();
    return 0;
}

TVWSStatus WindowServer::hideCursor(std::string_view symbol, TVWSConnection connection) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, {});
    if (auto status = faultStatus(faults_.find(TVWS_FN_HIDE_CURSOR))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    ++hideCount_;
    return 0;
}

TVWSStatus WindowServer::getCursorScale(std::string_view symbol, TVWSConnection connection,
                                        float* outScale) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, {});
    if (auto status = faultStatus(faults_.find(TVWS_FN_GET_CURSOR_SCALE))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    if (outScale == nullptr) {
        return TVWS_STATUS_ILLEGAL_ARGUMENT;
    }
    *outScale = scale_;
    return 0;
}

TVWSStatus WindowServer::setCursorScale(std::string_view symbol, TVWSConnection connection,
                                        float scale) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments().real("scale", static_cast<double>(scale)).text());
    if (auto status = faultStatus(faults_.find(TVWS_FN_SET_CURSOR_SCALE))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    // Stored as given: callers keep the scale in range themselves.
    scale_ = scale;
    redraw();
    return 0;
}

TVWSStatus WindowServer::unregisterAll(std::string_view symbol, TVWSConnection connection) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, {});
    if (auto status = faultStatus(faults_.find(TVWS_FN_CORE_CURSOR_UNREGISTER_ALL))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    installSystemCursors();
    if (!lookup(displayedName_, !displayedByOtherApplication_)) {
        displayedName_ = SystemCursorTable::numberedName(0);
    }
    redraw();
    return 0;
}

TVWSStatus WindowServer::setNumberedCursor(std::string_view symbol, TVWSConnection connection,
                                           std::int32_t number, std::int32_t* outSeed,
                                           TVWSFunction function) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments().number("cursor", number).text());
    if (auto status = faultStatus(faults_.find(function, nullptr, number))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    const bool core =
        function == TVWS_FN_CORE_CURSOR_SET || function == TVWS_FN_CORE_CURSOR_SET_AND_RETURN_SEED;
    if (core ? !SystemCursorTable::isCoreCursor(number)
             : SystemCursorTable::find(number) == nullptr) {
        return TVWS_STATUS_ILLEGAL_ARGUMENT;
    }
    display(SystemCursorTable::numberedName(number), false);
    if (outSeed != nullptr) {
        *outSeed = seed_;
    }
    return 0;
}

TVWSStatus WindowServer::copyCoreCursorImages(std::string_view symbol, TVWSConnection connection,
                                              std::int32_t number, TVWSArrayRef* outImages,
                                              TVWSSize* outSize, TVWSPoint* outHotSpot,
                                              std::size_t* outFrameCount,
                                              double* outFrameDuration) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments().number("cursor", number).text());
    const std::optional<Fault> fault =
        faults_.find(TVWS_FN_CORE_CURSOR_COPY_IMAGES, nullptr, number);
    if (auto status = faultStatus(fault)) {
        return *status;
    }
    CursorRecordPtr record = SystemCursorTable::isCoreCursor(number)
                                 ? lookup(SystemCursorTable::numberedName(number), true)
                                 : nullptr;
    if (!fault) {
        if (!validConnection(connection)) {
            return TVWS_STATUS_INVALID_CONNECTION;
        }
        if (!record) {
            return TVWS_STATUS_ILLEGAL_ARGUMENT;
        }
    }
    return copyImages(record, fault, outSize, outHotSpot, outFrameCount, outFrameDuration,
                      outImages);
}

TVWSStatus WindowServer::removeRegisteredCursor(std::string_view symbol, TVWSConnection connection,
                                                const char* name) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, CallArguments().name("name", name).text());
    if (auto status = faultStatus(faults_.find(TVWS_FN_REMOVE_REGISTERED_CURSOR, name))) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    if (!validName(name)) {
        return TVWS_STATUS_ILLEGAL_ARGUMENT;
    }
    if (connection_.erase(name) > 0) {
        ++registryGeneration_;
        return 0;
    }
    auto found = global_.find(name);
    if (found == global_.end()) {
        return TVWS_STATUS_NONE_AVAILABLE;
    }
    ++registryGeneration_;
    // System cursors cannot go away: removing one brings its own artwork back.
    if (auto shape = SystemCursorTable::shapeForName(name); shape && artwork(*shape)) {
        found->second = artwork(*shape);
    } else {
        global_.erase(found);
    }
    return 0;
}

TVWSStatus WindowServer::getGlobalCursorDataSize(std::string_view symbol, TVWSConnection connection,
                                                 std::int32_t* outByteCount) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, {});
    const std::optional<Fault> fault = faults_.find(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE);
    if (auto status = faultStatus(fault)) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    if (outByteCount == nullptr) {
        return TVWS_STATUS_ILLEGAL_ARGUMENT;
    }
    long long count = static_cast<long long>(TVWSImageGetWidth(displayed_.image.get()) *
                                             TVWSImageGetHeight(displayed_.image.get()) * 4);
    if (fault && fault->kind == TVWS_FAULT_SHORT_DATA) {
        count -= fault->value;
    } else if (fault && fault->kind == TVWS_FAULT_LONG_DATA) {
        count += fault->value;
    }
    *outByteCount = clampToInt32(count);
    return 0;
}

TVWSStatus WindowServer::getGlobalCursorData(std::string_view symbol, TVWSConnection connection,
                                             void* buffer, std::int32_t* inOutDataSize,
                                             TVWSSize* outPixelSize, TVWSPoint* outHotSpot,
                                             std::int32_t* outDepth, std::int32_t* outComponents,
                                             std::int32_t* outBitsPerComponent,
                                             std::int32_t* outReserved) {
    std::lock_guard lock(mutex_);
    journal_.record(
        symbol,
        CallArguments().number("capacity", inOutDataSize != nullptr ? *inOutDataSize : -1).text());
    const std::optional<Fault> fault = faults_.find(TVWS_FN_GET_GLOBAL_CURSOR_DATA);
    if (auto status = faultStatus(fault)) {
        return *status;
    }
    if (!validConnection(connection)) {
        return TVWS_STATUS_INVALID_CONNECTION;
    }
    if (buffer == nullptr || inOutDataSize == nullptr) {
        return TVWS_STATUS_ILLEGAL_ARGUMENT;
    }
    TVWSImageRef image = displayed_.image.get();
    const std::size_t width = TVWSImageGetWidth(image);
    const std::size_t height = TVWSImageGetHeight(image);
    // Displayed images are always packed: rows of width * 4 bytes.
    long long written = static_cast<long long>(width * height * 4);
    if (fault && fault->kind == TVWS_FAULT_SHORT_DATA) {
        written = std::max(0LL, written - fault->value);
    }
    if (*inOutDataSize < written) {
        *inOutDataSize = 0;
        return TVWS_STATUS_RANGE_CHECK;
    }
    TVWSImageCopyBytes(image, buffer, static_cast<std::size_t>(written));
    long long reported = written;
    if (fault && fault->kind == TVWS_FAULT_LONG_DATA) {
        reported += fault->value;
    }
    *inOutDataSize = clampToInt32(reported);
    if (outPixelSize != nullptr) {
        *outPixelSize = {static_cast<double>(width), static_cast<double>(height)};
    }
    if (outHotSpot != nullptr) {
        *outHotSpot = displayed_.hotSpot;
    }
    if (outDepth != nullptr) {
        *outDepth = 32;
    }
    if (outComponents != nullptr) {
        *outComponents = 4;
    }
    if (outBitsPerComponent != nullptr) {
        *outBitsPerComponent = 8;
    }
    if (outReserved != nullptr) {
        *outReserved = static_cast<std::int32_t>(width * 4);
    }
    return 0;
}

std::int32_t WindowServer::currentCursorSeed(std::string_view symbol) {
    std::lock_guard lock(mutex_);
    journal_.record(symbol, {});
    if (auto status = faultStatus(faults_.find(TVWS_FN_CURRENT_CURSOR_SEED))) {
        return *status;
    }
    return seed_;
}

} // namespace tolvane
