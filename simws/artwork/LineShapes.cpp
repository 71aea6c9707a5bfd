// Thin-line cursors: the I-beam, the crosshair, the cell plus and the magnifier.
#include "artwork/ShapePainters.h"

#include <numbers>

namespace tolvane {

namespace {

constexpr double lineOutline = 1.1;

void addIBeamStrokes(cairo_t* cr) {
    // Curved serifs meeting the stem, as text cursors have, and a short crossbar.
    // Straight parts sit on pixel centres so that the 1x beam is crisp.
    cairo_move_to(cr, 5.1, 3.5);
    cairo_curve_to(cr, 7.1, 3.5, 8.5, 4.1, 8.5, 5.7);
    cairo_curve_to(cr, 8.5, 4.1, 9.9, 3.5, 11.9, 3.5);
    cairo_move_to(cr, 8.5, 5.7);
    cairo_line_to(cr, 8.5, 18.3);
    cairo_move_to(cr, 5.1, 20.5);
    cairo_curve_to(cr, 7.1, 20.5, 8.5, 19.9, 8.5, 18.3);
    cairo_curve_to(cr, 8.5, 19.9, 9.9, 20.5, 11.9, 20.5);
    cairo_move_to(cr, 7.0, 14.5);
    cairo_line_to(cr, 10.0, 14.5);
}

} // namespace

void paintIBeam(const ArtworkPainter& painter, bool vertical) {
    cairo_t* cr = painter.context();
    cairo_save(cr);
    if (vertical) {
        // The 17 x 24 beam turned a quarter to lie across a 24 x 17 canvas.
        cairo_translate(cr, 24, 0);
        cairo_rotate(cr, std::numbers::pi / 2);
    }
    painter.outlinedStroke(addIBeamStrokes, 1.0, Color::black(), Color::white(), 1.0);
    cairo_restore(cr);
}

void paintCrosshair(const ArtworkPainter& painter) {
    painter.outlinedStroke(
        [](cairo_t* cr) {
            cairo_move_to(cr, 12, 1.8);
            cairo_line_to(cr, 12, 22.2);
            cairo_move_to(cr, 1.8, 12);
            cairo_line_to(cr, 22.2, 12);
        },
        1.0, Color::black(), Color::white(), lineOutline);
}

void paintCell(const ArtworkPainter& painter) {
    auto upright = [](cairo_t* cr) { cairo_rectangle(cr, 8.8, 3.2, 6.4, 17.6); };
    auto across = [](cairo_t* cr) { cairo_rectangle(cr, 3.2, 8.8, 17.6, 6.4); };
    painter.shadow({upright, across});
    painter.outlinedFill({upright, across}, Color::white(), Color::black(), 1.1);
}

void paintZoom(const ArtworkPainter& painter, bool zoomIn) {
    auto lens = [](cairo_t* cr) { addCircle(cr, 11, 11, 7.2); };
    auto handle = [](cairo_t* cr) { addCapsule(cr, 16.4, 16.4, 23.4, 23.4, 2.1); };
    painter.shadow({lens, handle});
    painter.outlinedFill({handle}, Color::black(), Color::white(), 1.3);
    painter.fill(lens, Color{1, 1, 1, 0.55});
    painter.outlinedStroke(lens, 2.0, Color::black(), Color::white(), 1.1);
    painter.stroke(
        [zoomIn](cairo_t* cr) {
            cairo_move_to(cr, 7.8, 11);
            cairo_line_to(cr, 14.2, 11);
            if (zoomIn) {
                cairo_move_to(cr, 11, 7.8);
                cairo_line_to(cr, 11, 14.2);
            }
        },
        1.7, Color::black());
}

} // namespace tolvane
