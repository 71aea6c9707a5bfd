// The cursor functions: the theme's cursors by system name and number,
// registrations installed under every theme name of their shape, and the reset.
#include "X11WindowServer.h"

#include "ThemeCursorNames.h"
#include "X11Log.h"
#include "platform/x11/X11ErrorTrap.h"
#include "systemcursors/SystemCursorTable.h"


namespace tolvane {

namespace {

constexpr TVWSStatus badArgument = 1001;
constexpr TVWSStatus otherConnection = 1002;
constexpr TVWSStatus noSuchCursor = 1011;
constexpr std::size_t maxFrames = 24;

} // namespace

std::optional<CursorShape> X11WindowServer::shapeFor(const char* name) {
    if (name == nullptr) {
        return std::nullopt;
    }
    if (auto shape = SystemCursorTable::shapeForName(name)) {
        return shape;
    }
    return ThemeCursorNames::shapeForAlias(name);
}

std::shared_ptr<const CursorFrames> X11WindowServer::currentFrames(CursorShape shape) {
    if (auto registered = registered_.find(shape); registered != registered_.end()) {
        return registered->second;
    }
    for (std::string_view alias : ThemeCursorNames::aliases(shape)) {
        if (auto frames = theme_->load(std::string(alias))) {
            return frames;
        }
    }
    return nullptr;
}

bool X11WindowServer::install(CursorShape shape, std::shared_ptr<const CursorFrames> frames) {
    const auto aliases = ThemeCursorNames::aliases(shape);
    if (aliases.empty()) {
        return false;
    }
    // The identifiers of one shape are registered one by one with the same
    // frames: each change by name walks every client's resources, so once is enough.
    if (auto registered = registered_.find(shape);
        registered != registered_.end() && registered->second->sameAs(*frames)) {
        return true;
    }
    // One upload for every name of the shape.
    std::shared_ptr<const UploadedCursor> uploaded = UploadedCursor::upload(display_, frames);
    if (!uploaded) {
        x11log("the X server refused the pictures of a " +
               std::string(CursorArtwork::name(shape)) + " cursor");
        return false;
    }
    if (!uploaded->install(aliases)) {
        x11log("the X server refused to change the " + std::string(CursorArtwork::name(shape)) +
               " cursors by name");
        return false;
    }
    for (std::string_view alias : aliases) {
        installed_[std::string(alias)] = uploaded;
    }
    registered_[shape] = std::move(frames);
    return true;
}

void X11WindowServer::restoreTheme(CursorShape shape) {
    registered_.erase(shape);
    for (std::string_view alias : ThemeCursorNames::aliases(shape)) {
        const std::string name(alias);
        installed_.erase(name);
        // Each name gets the theme's own file: themes need not draw every
        // name of a shape alike.
        std::shared_ptr<const UploadedCursor> own =
            UploadedCursor::upload(display_, theme_->load(name));
        const std::string_view names[] = {alias};
        if (own && !own->install(names)) {
            x11log("the X server refused the theme's own cursor under " + name);
        }
    }
}

TVWSStatus X11WindowServer::registerCursor(TVWSConnection connection, const char* name,
                                           std::size_t frameCount, TVWSArrayRef images,
                                           std::int32_t* outSeed, TVWSSize size, TVWSPoint hotSpot,
                                           double frameDuration) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    const std::optional<CursorShape> shape = shapeFor(name);
    if (!shape || frameCount < 1 || frameCount > maxFrames ||
        TVWSArrayGetCount(images) < frameCount) {
        return badArgument;
    }
    auto frames = CursorFrames::fromRegistration(images, frameCount, size.width, hotSpot.x,
                                                 hotSpot.y, frameDuration);
    if (!frames) {
        return badArgument;
    }
    const bool installed = install(*shape, std::move(frames));
    if (outSeed != nullptr) {
        *outSeed = currentCursorSeed();
    }
    return installed ? 0 : noSuchCursor;
}

TVWSStatus X11WindowServer::registerCursorImage(TVWSConnection connection, const char* name,
                                                TVWSImageRef image, std::int32_t* outSeed,
                                                TVWSSize size, TVWSPoint hotSpot) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    const std::optional<CursorShape> shape = shapeFor(name);
    if (shape && TVWSObjectIsImage(image)) {
        auto registered = registered_.find(*shape);
        if (registered != registered_.end() &&
            registered->second->frames.front().image.get() == image) {
            if (outSeed != nullptr) {
                *outSeed = currentCursorSeed();
            }
            return 0;
        }
    }
    WindowServerObject array(TVWSArrayCreate(&image, TVWSObjectIsImage(image) ? 1 : 0));
    return registerCursor(connection, name, 1, array.get(), outSeed, size, hotSpot, 0);
}

TVWSStatus X11WindowServer::copyFrames(CursorShape shape, TVWSSize* outSize,
                                       TVWSPoint* outHotSpot, std::size_t* outFrameCount,
                                       double* outFrameDuration, TVWSArrayRef* outImages) {
    const std::shared_ptr<const CursorFrames> frames = currentFrames(shape);
    if (!frames) {
        return noSuchCursor;
    }
    // X cursors have no points: one point is one pixel of the theme's size.
    const CursorFrames::Frame& first = frames->frames.front();
    if (outSize != nullptr) {
        *outSize = {static_cast<double>(TVWSImageGetWidth(first.image.get())),
                    static_cast<double>(TVWSImageGetHeight(first.image.get()))};
    }
    if (outHotSpot != nullptr) {
        *outHotSpot = {static_cast<double>(first.hotSpotX), static_cast<double>(first.hotSpotY)};
    }
    if (outFrameCount != nullptr) {
        *outFrameCount = frames->frames.size();
    }
    if (outFrameDuration != nullptr) {
        *outFrameDuration = frames->frames.size() > 1 ? first.delayMilliseconds / 1000.0 : 0;
    }
    *outImages = frames->copyImages().release();
    return 0;
}

TVWSStatus X11WindowServer::copyRegisteredCursorImages(TVWSConnection connection,
                                                       const char* name, TVWSSize* outSize,
                                                       TVWSPoint* outHotSpot,
                                                       std::size_t* outFrameCount,
                                                       double* outFrameDuration,
                                                       TVWSArrayRef* outImages) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    const std::optional<CursorShape> shape = shapeFor(name);
    if (!shape || outImages == nullptr) {
        return shape ? badArgument : noSuchCursor;
    }
    return copyFrames(*shape, outSize, outHotSpot, outFrameCount, outFrameDuration, outImages);
}

TVWSImageRef X11WindowServer::createRegisteredCursorImage(TVWSConnection connection,
                                                          const char* name,
                                                          TVWSPoint* outHotSpot) {
    TVWSArrayRef images = nullptr;
    if (copyRegisteredCursorImages(connection, name, nullptr, outHotSpot, nullptr, nullptr,
                                   &images) != 0) {
        return nullptr;
    }
    WindowServerObject owned(images);
    return TVWSRetain(TVWSArrayGetValueAtIndex(owned.get(), 0));
}

TVWSStatus X11WindowServer::setRegisteredCursor(TVWSConnection connection, const char* name,
                                                std::int32_t* outSeed) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    // Clients choose which of their cursors shows: a registration is already
    // in place under every name, there is nothing to make current.
    if (!shapeFor(name)) {
        return noSuchCursor;
    }
    if (outSeed != nullptr) {
        *outSeed = currentCursorSeed();
    }
    return 0;
}

const char* X11WindowServer::cursorNameForSystemCursor(std::int32_t number) const {
    const NumberedSystemCursor* cursor = SystemCursorTable::find(number);
    // The table's names are literals, terminated.
    return cursor != nullptr ? cursor->name.data() : nullptr;
}

TVWSStatus X11WindowServer::setNumberedCursor(TVWSConnection connection, std::int32_t number,
                                              bool core, std::int32_t* outSeed) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    if (core ? !SystemCursorTable::isCoreCursor(number) : SystemCursorTable::find(number) == nullptr) {
        return badArgument;
    }
    if (outSeed != nullptr) {
        *outSeed = currentCursorSeed();
    }
    return 0;
}

TVWSStatus X11WindowServer::copyCoreCursorImages(TVWSConnection connection, std::int32_t number,
                                                 TVWSArrayRef* outImages, TVWSSize* outSize,
                                                 TVWSPoint* outHotSpot,
                                                 std::size_t* outFrameCount,
                                                 double* outFrameDuration) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    const NumberedSystemCursor* cursor =
        SystemCursorTable::isCoreCursor(number) ? SystemCursorTable::find(number) : nullptr;
    if (cursor == nullptr || outImages == nullptr) {
        return badArgument;
    }
    return copyFrames(cursor->shape, outSize, outHotSpot, outFrameCount, outFrameDuration,
                      outImages);
}

TVWSStatus X11WindowServer::setDockCursorOverride(TVWSConnection connection) {
    return accepts(connection) ? 0 : otherConnection;
}

TVWSStatus X11WindowServer::hideCursor(TVWSConnection connection) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    X11ErrorTrap trap(display_);
    XFixesHideCursor(display_, DefaultRootWindow(display_));
    if (trap.failed()) {
        return badArgument;
    }
    ++hideCount_;
    return 0;
}

TVWSStatus X11WindowServer::showCursor(TVWSConnection connection) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    // The server refuses a show without a hide of ours before it.
    if (hideCount_ > 0) {
        X11ErrorTrap trap(display_);
        XFixesShowCursor(display_, DefaultRootWindow(display_));
        --hideCount_;
    }
    return 0;
}

TVWSStatus X11WindowServer::unregisterAll(TVWSConnection connection) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    for (int index = 0; index < cursorShapeCount; ++index) {
        restoreTheme(static_cast<CursorShape>(index));
    }
    currentCursorSeed();
    return 0;
}

TVWSStatus X11WindowServer::removeRegisteredCursor(TVWSConnection connection, const char* name) {
    if (!accepts(connection)) {
        return otherConnection;
    }
    const std::optional<CursorShape> shape = shapeFor(name);
    if (!shape) {
        return noSuchCursor;
    }
    restoreTheme(*shape);
    return 0;
}

} // namespace tolvane
