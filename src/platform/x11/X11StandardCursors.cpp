#include "platform/x11/X11StandardCursors.h"

#include "log/AppLog.h"

#include <X11/Xcursor/Xcursor.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace tolvane {

namespace {

// Xcursor's own default when neither the resources nor the environment say.
constexpr int fallbackThemeSize = 24;
// Far beyond any theme; keeps a wild scale from asking for absurd sizes.
constexpr double largestAskedSize = 1024;

struct XcursorImagesDeleter {
    void operator()(XcursorImages* images) const { XcursorImagesDestroy(images); }
};

const char* themeName(StandardCursorKind kind) {
    switch (kind) {
    case StandardCursorKind::arrow:
        return "left_ptr";
    case StandardCursorKind::iBeam:
        return "xterm";
    case StandardCursorKind::pointingHand:
        return "hand2";
    }
    return "left_ptr";
}

} // namespace

X11StandardCursors::X11StandardCursors(Display* display)
    : X11StandardCursors(CursorThemeChoice::of(display)) {
    if (!theme_.settingsProblem.empty()) {
        AppLog::warn("Standard cursors: " + theme_.settingsProblem);
    }
}

X11StandardCursors::X11StandardCursors(CursorThemeChoice theme) : theme_(std::move(theme)) {
    if (theme_.size <= 0) {
        theme_.size = fallbackThemeSize;
    }
}

std::optional<StandardCursor> X11StandardCursors::cursor(StandardCursorKind kind,
                                                         double scale) const {
    if (!std::isfinite(scale) || scale <= 0) {
        return std::nullopt;
    }
    // Xcursor loads the images of the nominal size nearest to the one asked.
    const auto asked =
        static_cast<int>(std::lround(std::clamp(theme_.size * scale, 1.0, largestAskedSize)));
    std::unique_ptr<XcursorImages, XcursorImagesDeleter> images(XcursorLibraryLoadImages(
        themeName(kind), theme_.name ? theme_.name->c_str() : nullptr, asked));
    if (!images || images->nimage < 1) {
        AppLog::warn("Standard cursors: the cursor theme " + theme_.name.value_or("(default)") +
                     " has no " + themeName(kind));
        return std::nullopt;
    }
    // An animated cursor stands still at its first frame. Xcursor's pixels are
    // premultiplied ARGB in native order, as ours are.
    const XcursorImage& image = *images->images[0];
    const auto width = static_cast<int>(image.width);
    std::optional<Image> pixels = Image::fromPixels(
        width, static_cast<int>(image.height), width * 4,
        reinterpret_cast<const unsigned char*>(image.pixels));
    if (!pixels) {
        return std::nullopt;
    }
    const double pixelsPerPoint =
        image.size > 0 ? static_cast<double>(image.size) / theme_.size : 1.0;
    return StandardCursor{*pixels, image.width / pixelsPerPoint, image.height / pixelsPerPoint,
                          image.xhot / pixelsPerPoint, image.yhot / pixelsPerPoint};
}

} // namespace tolvane
