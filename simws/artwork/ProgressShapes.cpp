// The spinning wheels of the wait and busy cursors.
#include "artwork/ShapePainters.h"

#include <cmath>
#include <numbers>

namespace tolvane {

namespace {

constexpr double pi = std::numbers::pi;
constexpr int wheelSegments = 8;

// A strong, fairly bright colour of the given hue (0...1).
Color hueInk(double hue) {
    return Color::calibratedHSB(hue, 1.0 - 0.25 / 0.95, 0.95, 1.0);
}

} // namespace

void paintSpinner(const ArtworkPainter& painter, double centerX, double centerY, double radius,
                  int frame, int frameCount) {
    cairo_t* cr = painter.context();
    auto disc = [=](cairo_t* c) { addCircle(c, centerX, centerY, radius); };
    painter.shadow({disc});
    painter.outlinedFill({disc}, Color::white(), Color::white(), radius * 0.12);
    // The frames turn the wheel once round.
    const double turn = 2 * pi * frame / frameCount;
    for (int segment = 0; segment < wheelSegments; ++segment) {
        const double start = turn + 2 * pi * segment / wheelSegments - pi / 2;
        painter.fill(
            [=](cairo_t* c) {
                cairo_move_to(c, centerX, centerY);
                cairo_arc(c, centerX, centerY, radius, start, start + 2 * pi / wheelSegments);
                cairo_close_path(c);
            },
            hueInk(static_cast<double>(segment) / wheelSegments));
    }
    // A soft highlight at the top left makes the wheel read as a glossy disc.
    cairo_save(cr);
    cairo_pattern_t* gloss = cairo_pattern_create_radial(
        centerX - radius * 0.35, centerY - radius * 0.45, 0, centerX, centerY, radius);
    cairo_pattern_add_color_stop_rgba(gloss, 0, 1, 1, 1, 0.55);
    cairo_pattern_add_color_stop_rgba(gloss, 1, 1, 1, 1, 0);
    cairo_set_source(cr, gloss);
    cairo_new_path(cr);
    disc(cr);
    cairo_fill(cr);
    cairo_pattern_destroy(gloss);
    cairo_restore(cr);
    painter.stroke(disc, radius * 0.06, Color{0, 0, 0, 0.55});
}

void paintWait(const ArtworkPainter& painter, int frame, int frameCount) {
    paintSpinner(painter, 13, 13, 10.8, frame, frameCount);
}

} // namespace tolvane
