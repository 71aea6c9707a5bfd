#pragma once

#include "cursors/CursorPayload.h"
#include "cursors/CursorSnapshot.h"
#include "cursors/CursorTemplate.h"
#include "platform/Image.h"
#include "platform/StandardCursors.h"
#include "render/CursorStyle.h"
#include "render/MarkerGeometry.h"
#include "render/MarkerStampCache.h"
#include "render/ShapeMask.h"

#include <cairo.h>
#include <optional>
#include <vector>

namespace tolvane {

// Draws markers onto cursor images and mirrors cursors for left-handed use.
// Remembers only what it learnt about the images it decorated, to decorate
// them again faster; main thread only (text layout uses the thread's font map).
class CursorRenderer {
  public:
    // Enlarges every image's canvas so that the marker's disc fits beside or
    // below the pointer shape and draws the disc there. The result's snapshot
    // is the input with the enlarged size and moved hot spot; its images are
    // the decorated ones, fewer than the input's when an image cannot be drawn.
    // Without a marker the input comes back unchanged.
    static DecoratedPayload decoratePayload(const CursorSnapshot& snapshot,
                                            const std::optional<CursorMarker>& marker,
                                            std::optional<CursorTemplate> cursorTemplate,
                                            bool isHorizontalResize, bool isVerticalResize,
                                            bool isDiagonalResize, bool isLeftHanded);

    // The cursor's image drawn at `scale` pixels per point onto a canvas of
    // the cursor's size, with the marker placed on the canvas as a whole.
    static std::optional<Image> render(const StandardCursor& cursor,
                                       const std::optional<CursorMarker>& marker, double scale);
    // The framework's cursor of the template's kind rendered at 1, 2, 5 and
    // 10 pixels per point; those that fail are left out.
    static std::vector<Image> fallbackImages(CursorTemplate cursorTemplate,
                                             const std::optional<CursorMarker>& marker,
                                             const StandardCursors& standardCursors);

    // The marker alone, its disc and outline filling a square of `pixels`
    // pixels: the badge as an icon of that size.
    static std::optional<Image> badge(const CursorMarker& marker, int pixels);

    static std::optional<Image> mirrorHorizontally(const Image& image);
    // Every image mirrored (those that fail are left out) and the hot spot
    // moved to the mirrored position.
    static CursorSnapshot mirrorSnapshot(const CursorSnapshot& snapshot);

  private:
    // Draws into a context whose user space is the canvas in points, origin
    // at the top-left; `canvas` and `preferredBounds` are in y-up points.
    // With a shape, the disc keeps off its solid pixels where there is room.
    // The canvas is transparent outside `occupied`.
    static void drawMarker(cairo_t* context, const CursorMarker& marker, const Rect& canvas,
                           const std::optional<Rect>& preferredBounds, DecorationFlags flags,
                           const ShapeMask* shape, const PixelBounds& occupied);
};

} // namespace tolvane
