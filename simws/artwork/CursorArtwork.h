#pragma once

#include <cairo.h>
#include <memory>
#include <string_view>

namespace tolvane {

// Every picture the simulated desktop draws for its cursors.
enum class CursorShape {
    arrow,
    contextMenuArrow,
    aliasArrow,
    copyArrow,
    notAllowedArrow,
    helpArrow,
    poofArrow,
    linkArrow,
    busyArrow,
    iBeam,
    verticalIBeam,
    pointingHand,
    openHand,
    closedHand,
    countingUpHand,
    countingDownHand,
    crosshair,
    cell,
    move,
    zoomIn,
    zoomOut,
    resizeLeft,
    resizeRight,
    resizeLeftRight,
    resizeColumn,
    resizeUp,
    resizeDown,
    resizeUpDown,
    resizeRow,
    resizeNorthWestSouthEast,
    resizeNorthEastSouthWest,
    resizeNorthWest,
    resizeNorthEast,
    resizeSouthWest,
    resizeSouthEast,
    wait,
};

inline constexpr int cursorShapeCount = static_cast<int>(CursorShape::wait) + 1;

// Size and hot spot in points, the hot spot measured from the top-left corner.
// Animated shapes have several frames shown frameDuration seconds each.
struct CursorGeometry {
    double width = 0;
    double height = 0;
    double hotSpotX = 0;
    double hotSpotY = 0;
    int frameCount = 1;
    double frameDuration = 0;
};

struct CairoSurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;

// The system's own cursor artwork: black shapes with white outlines (white
// hands with black outlines), antialiased, with a soft shadow. Drawing is
// deterministic: the same shape, frame and scale always give the same bytes.
class CursorArtwork {
  public:
    static constexpr double maxScale = 32.0;

    static CursorGeometry geometry(CursorShape shape);
    // A short lower-camel-case name ("arrow", "resizeLeftRight").
    static std::string_view name(CursorShape shape);
    // One frame drawn at `scale` pixels per point, as a premultiplied ARGB32
    // surface of ceil(width x scale) by ceil(height x scale) pixels. Null for a
    // frame out of range, a scale that is not in (0, maxScale], or a drawing failure.
    static CairoSurfacePtr draw(CursorShape shape, int frame, double scale);
    // The pixel count that covers `points` at `scale`.
    static int pixelsFor(double points, double scale);
};

} // namespace tolvane
