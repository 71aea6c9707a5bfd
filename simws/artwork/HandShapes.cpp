// Hands: white with a black outline, like the desktop's own.
#include "artwork/ShapePainters.h"

#include <vector>

namespace tolvane {

namespace {

constexpr double handOutline = 1.15;
constexpr double creaseWidth = 0.9;

struct Capsule {
    double x1, y1, x2, y2, radius;
};

// Index, middle, ring and little finger, the thumb, then the palm as a rounded
// rectangle (x, y, width, height, corner radius).
struct HandOutline {
    Capsule digits[5];
    double palm[5];
};

// A white hand with its shadow and one black outline around the whole shape.
void paintHandOutline(const ArtworkPainter& painter, const HandOutline& hand) {
    std::vector<ArtworkPainter::Path> parts;
    for (Capsule digit : hand.digits) {
        parts.push_back([digit](cairo_t* cr) {
            addCapsule(cr, digit.x1, digit.y1, digit.x2, digit.y2, digit.radius);
        });
    }
    parts.push_back([&palm = hand.palm](cairo_t* cr) {
        addRoundedRect(cr, palm[0], palm[1], palm[2], palm[3], palm[4]);
    });
    painter.shadow(parts);
    painter.outlinedFill(parts, Color::white(), Color::black(), handOutline);
}

void paintPointingHand(const ArtworkPainter& painter, int countingDots) {
    paintHandOutline(painter, {{{12.8, 4.8, 12.8, 15.0, 2.3},
                                {17.2, 12.4, 17.2, 16.5, 2.1},
                                {21.3, 13.4, 21.3, 17.0, 2.0},
                                {25.0, 14.8, 25.0, 18.0, 1.8},
                                {10.6, 22.6, 5.0, 16.2, 2.2}},
                               {9.2, 13.6, 17.6, 14.6, 4.2}});
    // Creases between the folded fingers.
    painter.stroke(
        [](cairo_t* cr) {
            cairo_move_to(cr, 15.1, 12.6);
            cairo_line_to(cr, 15.1, 17.0);
            cairo_move_to(cr, 19.25, 13.2);
            cairo_line_to(cr, 19.25, 17.4);
            cairo_move_to(cr, 23.2, 14.6);
            cairo_line_to(cr, 23.2, 18.0);
        },
        creaseWidth, Color::black());
    for (int dot = 0; dot < countingDots; ++dot) {
        painter.fill([dot](cairo_t* cr) { addCircle(cr, 13.0 + 2.9 * dot, 23.2, 1.05); },
                     Color::black());
    }
}

void paintOpenHand(const ArtworkPainter& painter) {
    paintHandOutline(painter, {{{11.6, 14.0, 10.6, 6.0, 2.1},
                                {15.4, 13.5, 15.4, 4.6, 2.2},
                                {19.2, 13.5, 19.9, 5.8, 2.1},
                                {22.4, 15.5, 24.0, 9.4, 1.9},
                                {11.0, 21.6, 6.0, 15.4, 2.2}},
                               {9.4, 12.6, 15.4, 14.8, 5.0}});
}

void paintClosedHand(const ArtworkPainter& painter) {
    paintHandOutline(painter, {{{12.0, 13.6, 12.0, 11.6, 2.0},
                                {16.0, 13.4, 16.0, 11.0, 2.0},
                                {20.0, 13.6, 20.0, 11.6, 2.0},
                                {23.4, 14.6, 23.4, 13.0, 1.8},
                                {10.6, 20.6, 8.2, 16.8, 2.1}},
                               {9.6, 12.6, 15.6, 13.6, 5.0}});
    painter.stroke(
        [](cairo_t* cr) {
            for (double x : {14.0, 18.0, 21.8}) {
                cairo_move_to(cr, x, 11.4);
                cairo_line_to(cr, x, 14.4);
            }
        },
        creaseWidth, Color::black());
}

} // namespace

void paintHand(const ArtworkPainter& painter, HandPose pose, int countingDots) {
    switch (pose) {
    case HandPose::pointing:
        return paintPointingHand(painter, countingDots);
    case HandPose::open:
        return paintOpenHand(painter);
    case HandPose::closed:
        return paintClosedHand(painter);
    }
}

} // namespace tolvane
