#include "artwork/ArtworkPainter.h"

#include <cmath>
#include <numbers>

namespace tolvane {

namespace {

// Three widening passes of faint ink approximate a blur without a blur filter.
constexpr double shadowOffsetX = 0.4;
constexpr double shadowOffsetY = 1.2;
constexpr double shadowPassWidths[] = {1.0, 2.2, 3.4};
constexpr double shadowPassAlpha = 0.085;

} // namespace

void ArtworkPainter::setInk(Color ink) const {
    cairo_set_source_rgba(cr_, ink.red, ink.green, ink.blue, ink.alpha);
}

void ArtworkPainter::shadow(const std::vector<Path>& shapes) const {
    cairo_save(cr_);
    cairo_translate(cr_, shadowOffsetX, shadowOffsetY);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    for (double width : shadowPassWidths) {
        // Each pass is drawn opaque into a group and laid down once, so overlapping
        // shapes do not darken each other.
        cairo_push_group(cr_);
        cairo_set_source_rgba(cr_, 0, 0, 0, 1);
        cairo_set_line_width(cr_, width);
        for (const Path& shape : shapes) {
            cairo_new_path(cr_);
            shape(cr_);
            cairo_fill_preserve(cr_);
            cairo_stroke(cr_);
        }
        cairo_pop_group_to_source(cr_);
        cairo_paint_with_alpha(cr_, shadowPassAlpha);
    }
    cairo_restore(cr_);
}

void ArtworkPainter::outlinedFill(const std::vector<Path>& shapes, Color ink, Color outline,
                                  double outlineWidth) const {
    cairo_save(cr_);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr_, 2 * outlineWidth);
    setInk(outline);
    for (const Path& shape : shapes) {
        cairo_new_path(cr_);
        shape(cr_);
        cairo_fill_preserve(cr_);
        cairo_stroke(cr_);
    }
    // Filling every shape afterwards covers the outline where shapes overlap,
    // leaving it only around their union.
    setInk(ink);
    for (const Path& shape : shapes) {
        cairo_new_path(cr_);
        shape(cr_);
        cairo_fill(cr_);
    }
    cairo_restore(cr_);
}

void ArtworkPainter::outlinedStroke(const Path& path, double width, Color ink, Color outline,
                                    double outlineWidth) const {
    cairo_save(cr_);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    cairo_new_path(cr_);
    path(cr_);
    cairo_set_line_width(cr_, width + 2 * outlineWidth);
    setInk(outline);
    cairo_stroke_preserve(cr_);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr_, width);
    setInk(ink);
    cairo_stroke(cr_);
    cairo_restore(cr_);
}

void ArtworkPainter::fill(const Path& path, Color ink) const {
    cairo_new_path(cr_);
    path(cr_);
    setInk(ink);
    cairo_fill(cr_);
}

void ArtworkPainter::stroke(const Path& path, double width, Color ink) const {
    cairo_save(cr_);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr_, width);
    cairo_new_path(cr_);
    path(cr_);
    setInk(ink);
    cairo_stroke(cr_);
    cairo_restore(cr_);
}

void addPolygon(cairo_t* cr, std::initializer_list<std::pair<double, double>> points) {
    bool first = true;
    for (const auto& [x, y] : points) {
        if (first) {
            cairo_move_to(cr, x, y);
            first = false;
        } else {
            cairo_line_to(cr, x, y);
        }
    }
    cairo_close_path(cr);
}

void addRoundedRect(cairo_t* cr, double x, double y, double width, double height, double radius) {
    constexpr double pi = std::numbers::pi;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -pi / 2, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, pi / 2);
    cairo_arc(cr, x + radius, y + height - radius, radius, pi / 2, pi);
    cairo_arc(cr, x + radius, y + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void addCapsule(cairo_t* cr, double x1, double y1, double x2, double y2, double radius) {
    constexpr double pi = std::numbers::pi;
    double angle = std::atan2(y2 - y1, x2 - x1);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x2, y2, radius, angle - pi / 2, angle + pi / 2);
    cairo_arc(cr, x1, y1, radius, angle + pi / 2, angle + 3 * pi / 2);
    cairo_close_path(cr);
}

void addCircle(cairo_t* cr, double centerX, double centerY, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, centerX, centerY, radius, 0, 2 * std::numbers::pi);
    cairo_close_path(cr);
}

} // namespace tolvane
