#pragma once

#include "platform/Color.h"

#include <cairo.h>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tolvane {

// Paints cursor shapes the way desktop cursors look: a soft shadow, an outline
// of contrasting ink around the shape, then the shape itself. Coordinates are
// in points; the context is already scaled to the output's pixel density.
class ArtworkPainter {
  public:
    // Adds one closed (or, for strokes, open) path to the context.
    using Path = std::function<void(cairo_t*)>;

    explicit ArtworkPainter(cairo_t* context) : cr_(context) {}

    cairo_t* context() const { return cr_; }

    // A blurred-looking shadow under the union of the shapes, cast down and right.
    void shadow(const std::vector<Path>& shapes) const;
    // The union of the shapes filled with ink, with one outline around the union.
    void outlinedFill(const std::vector<Path>& shapes, Color ink, Color outline,
                      double outlineWidth) const;
    // A stroked path of the given width with an outline around the stroke.
    void outlinedStroke(const Path& path, double width, Color ink, Color outline,
                        double outlineWidth) const;
    void fill(const Path& path, Color ink) const;
    void stroke(const Path& path, double width, Color ink) const;

  private:
    void setInk(Color ink) const;

    cairo_t* cr_;
};

// Path pieces, in points.
void addPolygon(cairo_t* cr, std::initializer_list<std::pair<double, double>> points);
void addRoundedRect(cairo_t* cr, double x, double y, double width, double height, double radius);
// A rectangle with semicircular ends around the segment from (x1, y1) to (x2, y2).
void addCapsule(cairo_t* cr, double x1, double y1, double x2, double y2, double radius);
void addCircle(cairo_t* cr, double centerX, double centerY, double radius);

} // namespace tolvane
