// Resize and move arrows: black with a white outline.
#include "artwork/ShapePainters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tolvane {

namespace {

constexpr double resizeOutline = 1.4;
constexpr double barWidth = 1.8;

struct ArrowProportions {
    double headLength = 5.6;
    double headHalfWidth = 4.6;
    double shaftHalfWidth = 1.5;
};

// The move cursor's four heads must not touch each other.
constexpr ArrowProportions moveProportions{4.4, 3.9, 1.4};

// An arrow along the x axis from `from` to `to`, with a head at either end; an
// end without a head stops square.
void addArrowAlongX(cairo_t* cr, double from, double to, bool headAtStart, bool headAtEnd,
                    ArrowProportions proportions = {}) {
    const auto [headLength, headHalfWidth, shaftHalfWidth] = proportions;
    const double startNeck = headAtStart ? from + headLength : from;
    const double endNeck = headAtEnd ? to - headLength : to;
    cairo_new_sub_path(cr);
    cairo_move_to(cr, startNeck, -shaftHalfWidth);
    cairo_line_to(cr, endNeck, -shaftHalfWidth);
    if (headAtEnd) {
        cairo_line_to(cr, endNeck, -headHalfWidth);
        cairo_line_to(cr, to, 0);
        cairo_line_to(cr, endNeck, headHalfWidth);
    }
    cairo_line_to(cr, endNeck, shaftHalfWidth);
    cairo_line_to(cr, startNeck, shaftHalfWidth);
    if (headAtStart) {
        cairo_line_to(cr, startNeck, headHalfWidth);
        cairo_line_to(cr, from, 0);
        cairo_line_to(cr, startNeck, -headHalfWidth);
    }
    cairo_close_path(cr);
}

// Runs the painting with the canvas centre as origin, turned by angle.
template <typename Paint>
void centered(const ArtworkPainter& painter, double width, double height, double angle,
              Paint paint) {
    cairo_t* cr = painter.context();
    cairo_save(cr);
    cairo_translate(cr, width / 2, height / 2);
    cairo_rotate(cr, angle);
    paint();
    cairo_restore(cr);
}

bool isDiagonal(double angle) {
    return std::abs(std::sin(2 * angle)) > 0.5;
}

// Half the arrow's length: it spans the canvas along its direction, less the outline.
double halfLength(double width, double height, double angle) {
    if (isDiagonal(angle)) {
        return std::min(width, height) * std::numbers::sqrt2 / 2 - 4.2;
    }
    return (std::abs(std::cos(angle)) > 0.5 ? width : height) / 2 - 2.6;
}

} // namespace

void paintResizeArrow(const ArtworkPainter& painter, double width, double height, double angle,
                      bool headAtStart, bool headAtEnd) {
    const bool barred = headAtStart != headAtEnd;
    const ArrowProportions proportions;
    double half = halfLength(width, height, angle);
    if (barred && isDiagonal(angle)) {
        // The bar's ends reach further into the corners than the arrow's tip.
        half = (std::min(width, height) / 2 - resizeOutline - 0.6) * std::numbers::sqrt2 -
               proportions.headHalfWidth;
    }
    centered(painter, width, height, angle, [&] {
        // A one-way arrow starts from a bar: the edge that moves.
        const double tail = barred ? barWidth : 0;
        const double from = headAtStart ? -half : -half + tail;
        const double to = headAtEnd ? half : half - tail;
        auto arrow = [=](cairo_t* cr) { addArrowAlongX(cr, from, to, headAtStart, headAtEnd); };
        auto bar = [=](cairo_t* cr) {
            const double x = headAtStart ? half - barWidth : -half;
            cairo_rectangle(cr, x, -proportions.headHalfWidth, barWidth,
                            2 * proportions.headHalfWidth);
        };
        if (barred) {
            painter.shadow({arrow, bar});
            painter.outlinedFill({arrow, bar}, Color::black(), Color::white(), resizeOutline);
        } else {
            painter.shadow({arrow});
            painter.outlinedFill({arrow}, Color::black(), Color::white(), resizeOutline);
        }
    });
}

void paintSplitResize(const ArtworkPainter& painter, double width, double height, double angle) {
    const double half = halfLength(width, height, angle);
    centered(painter, width, height, angle, [&] {
        constexpr double gap = 1.1;
        constexpr double barHalf = 7.0;
        auto bars = [](cairo_t* cr) {
            cairo_rectangle(cr, -gap - barWidth, -barHalf, barWidth, 2 * barHalf);
            cairo_rectangle(cr, gap, -barHalf, barWidth, 2 * barHalf);
        };
        auto left = [=](cairo_t* cr) { addArrowAlongX(cr, -half, -gap - barWidth, true, false); };
        auto right = [=](cairo_t* cr) { addArrowAlongX(cr, gap + barWidth, half, false, true); };
        painter.shadow({bars, left, right});
        painter.outlinedFill({bars, left, right}, Color::black(), Color::white(), resizeOutline);
    });
}

void paintMove(const ArtworkPainter& painter) {
    centered(painter, 28, 28, 0, [&] {
        constexpr double half = 11.6;
        auto across = [](cairo_t* cr) {
            addArrowAlongX(cr, -half, half, true, true, moveProportions);
        };
        auto upright = [](cairo_t* cr) {
            cairo_save(cr);
            cairo_rotate(cr, std::numbers::pi / 2);
            addArrowAlongX(cr, -half, half, true, true, moveProportions);
            cairo_restore(cr);
        };
        painter.shadow({across, upright});
        painter.outlinedFill({across, upright}, Color::black(), Color::white(), resizeOutline);
    });
}

} // namespace tolvane
