#pragma once

#include "cursors/CursorSnapshot.h"
#include "cursors/CursorTemplate.h"
#include "platform/Geometry.h"
#include "platform/Image.h"

#include <functional>
#include <optional>

namespace tolvane {

// What kind of cursor is decorated and for which hand.
struct DecorationFlags {
    bool isHorizontalResize = false;
    bool isVerticalResize = false;
    bool isDiagonalResize = false;
    bool isLeftHanded = false;
};

// The room added around a cursor so that a disc fits beside or below its shape.
struct CanvasMargins {
    double side = 0;    // on the right, or on the left when left-handed
    double bottom = 0;  // below the image
    double padLeft = 0; // how far the image moves right on the canvas
    CursorSize size;    // the enlarged canvas
    CursorPoint hotSpot;
};

// The pure layout rules of cursor decoration: how much the canvas grows, where
// the pointer shape lies, where the disc goes and how large its text may be.
// Rectangles are in points on a canvas whose origin is the bottom-left corner,
// y growing upward.
class MarkerGeometry {
  public:
    static CanvasMargins canvasMargins(CursorSize size, CursorPoint hotSpot, double diameter,
                                       std::optional<CursorTemplate> cursorTemplate,
                                       DecorationFlags flags);

    // The box of the image's non-transparent pixels mapped onto `imageRect`
    // (where the image is drawn on the canvas) and clipped to it; nothing for
    // a fully transparent image.
    static std::optional<Rect> contentBounds(const Image& image, const Rect& imageRect);

    // The disc square on a canvas, clear of `preferredBounds` (the pointer
    // shape) where there is room; nothing when the canvas is too small to hold
    // a disc at all.
    static std::optional<Rect> discRect(const Rect& canvas, double markerDiameter,
                                        const std::optional<Rect>& preferredBounds,
                                        DecorationFlags flags);

    // Largest font size, in 0.5 steps down from max(0.54 x D, 7), at which the
    // measured text fits the disc; stops at 5.5 or below even if it does not fit.
    static double badgeFontSize(double discDiameter,
                                const std::function<CursorSize(double)>& measure);
};

} // namespace tolvane
