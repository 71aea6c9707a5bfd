#include "artwork/CursorArtwork.h"

#include "artwork/ShapePainters.h"

#include <cmath>
#include <numbers>

namespace tolvane {

namespace {

constexpr double pi = std::numbers::pi;

// Arrow-family cursors leave room below and right of the arrow for their badges.
constexpr CursorGeometry arrowGeometry{28, 32, 6, 4, 1, 0};
constexpr CursorGeometry handGeometry{32, 32, 12.8, 2.5, 1, 0};
constexpr CursorGeometry grabGeometry{32, 32, 16, 16, 1, 0};
constexpr CursorGeometry horizontalResizeGeometry{32, 20, 16, 10, 1, 0};
constexpr CursorGeometry verticalResizeGeometry{20, 32, 10, 16, 1, 0};
constexpr CursorGeometry diagonalResizeGeometry{24, 24, 12, 12, 1, 0};
constexpr int spinnerFrames = 8;
constexpr double spinnerFrameDuration = 0.1;
constexpr int countingFrames = 5;
constexpr double countingFrameDuration = 0.25;

struct CairoDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};

void paint(const ArtworkPainter& painter, CursorShape shape, int frame, const CursorGeometry& g) {
    const double w = g.width;
    const double h = g.height;
    switch (shape) {
    case CursorShape::arrow:
        return paintArrow(painter, ArrowBadge::none, frame, g.frameCount);
    case CursorShape::contextMenuArrow:
        return paintArrow(painter, ArrowBadge::contextMenu, frame, g.frameCount);
    case CursorShape::aliasArrow:
        return paintArrow(painter, ArrowBadge::alias, frame, g.frameCount);
    case CursorShape::copyArrow:
        return paintArrow(painter, ArrowBadge::copy, frame, g.frameCount);
    case CursorShape::notAllowedArrow:
        return paintArrow(painter, ArrowBadge::notAllowed, frame, g.frameCount);
    case CursorShape::helpArrow:
        return paintArrow(painter, ArrowBadge::help, frame, g.frameCount);
    case CursorShape::poofArrow:
        return paintArrow(painter, ArrowBadge::poof, frame, g.frameCount);
    case CursorShape::linkArrow:
        return paintArrow(painter, ArrowBadge::link, frame, g.frameCount);
    case CursorShape::busyArrow:
        return paintArrow(painter, ArrowBadge::busy, frame, g.frameCount);
    case CursorShape::iBeam:
        return paintIBeam(painter, false);
    case CursorShape::verticalIBeam:
        return paintIBeam(painter, true);
    case CursorShape::pointingHand:
        return paintHand(painter, HandPose::pointing, 0);
    case CursorShape::openHand:
        return paintHand(painter, HandPose::open, 0);
    case CursorShape::closedHand:
        return paintHand(painter, HandPose::closed, 0);
    case CursorShape::countingUpHand:
        return paintHand(painter, HandPose::pointing, frame + 1);
    case CursorShape::countingDownHand:
        return paintHand(painter, HandPose::pointing, g.frameCount - frame);
    case CursorShape::crosshair:
        return paintCrosshair(painter);
    case CursorShape::cell:
        return paintCell(painter);
    case CursorShape::move:
        return paintMove(painter);
    case CursorShape::zoomIn:
        return paintZoom(painter, true);
    case CursorShape::zoomOut:
        return paintZoom(painter, false);
    case CursorShape::resizeLeft:
        return paintResizeArrow(painter, w, h, 0, true, false);
    case CursorShape::resizeRight:
        return paintResizeArrow(painter, w, h, 0, false, true);
    case CursorShape::resizeLeftRight:
        return paintResizeArrow(painter, w, h, 0, true, true);
    case CursorShape::resizeColumn:
        return paintSplitResize(painter, w, h, 0);
    case CursorShape::resizeUp:
        return paintResizeArrow(painter, w, h, pi / 2, true, false);
    case CursorShape::resizeDown:
        return paintResizeArrow(painter, w, h, pi / 2, false, true);
    case CursorShape::resizeUpDown:
        return paintResizeArrow(painter, w, h, pi / 2, true, true);
    case CursorShape::resizeRow:
        return paintSplitResize(painter, w, h, pi / 2);
    case CursorShape::resizeNorthWestSouthEast:
        return paintResizeArrow(painter, w, h, pi / 4, true, true);
    case CursorShape::resizeNorthEastSouthWest:
        return paintResizeArrow(painter, w, h, -pi / 4, true, true);
    case CursorShape::resizeNorthWest:
        return paintResizeArrow(painter, w, h, pi / 4, true, false);
    case CursorShape::resizeNorthEast:
        return paintResizeArrow(painter, w, h, -pi / 4, false, true);
    case CursorShape::resizeSouthWest:
        return paintResizeArrow(painter, w, h, -pi / 4, true, false);
    case CursorShape::resizeSouthEast:
        return paintResizeArrow(painter, w, h, pi / 4, false, true);
    case CursorShape::wait:
        return paintWait(painter, frame, g.frameCount);
    }
}

} // namespace

CursorGeometry CursorArtwork::geometry(CursorShape shape) {
    switch (shape) {
    case CursorShape::arrow:
    case CursorShape::contextMenuArrow:
    case CursorShape::aliasArrow:
    case CursorShape::copyArrow:
    case CursorShape::notAllowedArrow:
    case CursorShape::helpArrow:
    case CursorShape::poofArrow:
    case CursorShape::linkArrow:
        return arrowGeometry;
    case CursorShape::busyArrow: {
        CursorGeometry g = arrowGeometry;
        g.frameCount = spinnerFrames;
        g.frameDuration = spinnerFrameDuration;
        return g;
    }
    case CursorShape::iBeam:
        return {17, 24, 8.5, 12, 1, 0};
    case CursorShape::verticalIBeam:
        return {24, 17, 12, 8.5, 1, 0};
    case CursorShape::pointingHand:
        return handGeometry;
    case CursorShape::openHand:
    case CursorShape::closedHand:
        return grabGeometry;
    case CursorShape::countingUpHand:
    case CursorShape::countingDownHand: {
        CursorGeometry g = handGeometry;
        g.frameCount = countingFrames;
        g.frameDuration = countingFrameDuration;
        return g;
    }
    case CursorShape::crosshair:
    case CursorShape::cell:
        return {24, 24, 12, 12, 1, 0};
    case CursorShape::move:
        return {28, 28, 14, 14, 1, 0};
    case CursorShape::zoomIn:
    case CursorShape::zoomOut:
        return {28, 28, 11, 11, 1, 0};
    case CursorShape::resizeLeft:
    case CursorShape::resizeRight:
    case CursorShape::resizeLeftRight:
    case CursorShape::resizeColumn:
        return horizontalResizeGeometry;
    case CursorShape::resizeUp:
    case CursorShape::resizeDown:
    case CursorShape::resizeUpDown:
    case CursorShape::resizeRow:
        return verticalResizeGeometry;
    case CursorShape::resizeNorthWestSouthEast:
    case CursorShape::resizeNorthEastSouthWest:
    case CursorShape::resizeNorthWest:
    case CursorShape::resizeNorthEast:
    case CursorShape::resizeSouthWest:
    case CursorShape::resizeSouthEast:
        return diagonalResizeGeometry;
    case CursorShape::wait:
        return {26, 26, 13, 13, spinnerFrames, spinnerFrameDuration};
    }
    return {};
}

std::string_view CursorArtwork::name(CursorShape shape) {
    switch (shape) {
    case CursorShape::arrow:
        return "arrow";
    case CursorShape::contextMenuArrow:
        return "contextMenuArrow";
    case CursorShape::aliasArrow:
        return "aliasArrow";
    case CursorShape::copyArrow:
        return "copyArrow";
    case CursorShape::notAllowedArrow:
        return "notAllowedArrow";
    case CursorShape::helpArrow:
        return "helpArrow";
    case CursorShape::poofArrow:
        return "poofArrow";
    case CursorShape::linkArrow:
        return "linkArrow";
    case CursorShape::busyArrow:
        return "busyArrow";
    case CursorShape::iBeam:
        return "iBeam";
    case CursorShape::verticalIBeam:
        return "verticalIBeam";
    case CursorShape::pointingHand:
        return "pointingHand";
    case CursorShape::openHand:
        return "openHand";
    case CursorShape::closedHand:
        return "closedHand";
    case CursorShape::countingUpHand:
        return "countingUpHand";
    case CursorShape::countingDownHand:
        return "countingDownHand";
    case CursorShape::crosshair:
        return "crosshair";
    case CursorShape::cell:
        return "cell";
    case CursorShape::move:
        return "move";
    case CursorShape::zoomIn:
        return "zoomIn";
    case CursorShape::zoomOut:
        return "zoomOut";
    case CursorShape::resizeLeft:
        return "resizeLeft";
    case CursorShape::resizeRight:
        return "resizeRight";
    case CursorShape::resizeLeftRight:
        return "resizeLeftRight";
    case CursorShape::resizeColumn:
        return "resizeColumn";
    case CursorShape::resizeUp:
        return "resizeUp";
    case CursorShape::resizeDown:
        return "resizeDown";
    case CursorShape::resizeUpDown:
        return "resizeUpDown";
    case CursorShape::resizeRow:
        return "resizeRow";
    case CursorShape::resizeNorthWestSouthEast:
        return "resizeNorthWestSouthEast";
    case CursorShape::resizeNorthEastSouthWest:
        return "resizeNorthEastSouthWest";
    case CursorShape::resizeNorthWest:
        return "resizeNorthWest";
    case CursorShape::resizeNorthEast:
        return "resizeNorthEast";
    case CursorShape::resizeSouthWest:
        return "resizeSouthWest";
    case CursorShape::resizeSouthEast:
        return "resizeSouthEast";
    case CursorShape::wait:
        return "wait";
    }
    return {};
}

int CursorArtwork::pixelsFor(double points, double scale) {
    // The small allowance keeps 28 x 1.1 (30.800000000000004) from rounding up twice.
    return static_cast<int>(std::ceil(points * scale - 1e-9));
}

CairoSurfacePtr CursorArtwork::draw(CursorShape shape, int frame, double scale) {
    const CursorGeometry g = geometry(shape);
    if (!(scale > 0 && scale <= maxScale) || frame < 0 || frame >= g.frameCount) {
        return nullptr;
    }
    CairoSurfacePtr surface(cairo_image_surface_create(
        CAIRO_FORMAT_ARGB32, pixelsFor(g.width, scale), pixelsFor(g.height, scale)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    std::unique_ptr<cairo_t, CairoDeleter> context(cairo_create(surface.get()));
    cairo_scale(context.get(), scale, scale);
    cairo_set_antialias(context.get(), CAIRO_ANTIALIAS_GOOD);
    paint(ArtworkPainter(context.get()), shape, frame, g);
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) {
        return nullptr;
    }
    context.reset();
    cairo_surface_flush(surface.get());
    return surface;
}

} // namespace tolvane
