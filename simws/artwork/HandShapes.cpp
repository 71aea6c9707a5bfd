// Hands: white with a black outline, like the desktop's own.
#include "artwork/ShapePainters.h"

namespace tolvane {

namespace {

constexpr double handOutline = 1.15;
constexpr double creaseWidth = 0.9;

void paintPointingHand(const ArtworkPainter& painter, int countingDots) {
    auto index = [](cairo_t* cr) { addCapsule(cr, 12.8, 4.8, 12.8, 15.0, 2.3); };
    auto middle = [](cairo_t* cr) { addCapsule(cr, 17.2, 12.4, 17.2, 16.5, 2.1); };
    auto ring = [](cairo_t* cr) { addCapsule(cr, 21.3, 13.4, 21.3, 17.0, 2.0); };
    auto little = [](cairo_t* cr) { addCapsule(cr, 25.0, 14.8, 25.0, 18.0, 1.8); };
    auto thumb = [](cairo_t* cr) { addCapsule(cr, 10.6, 22.6, 5.0, 16.2, 2.2); };
    auto palm = [](cairo_t* cr) { addRoundedRect(cr, 9.2, 13.6, 17.6, 14.6, 4.2); };
    painter.shadow({index, middle, ring, little, thumb, palm});
    painter.outlinedFill({index, middle, ring, little, thumb, palm}, whiteInk, blackInk,
                         handOutline);
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
        creaseWidth, blackInk);
    for (int dot = 0; dot < countingDots; ++dot) {
        painter.fill([dot](cairo_t* cr) { addCircle(cr, 13.0 + 2.9 * dot, 23.2, 1.05); }, blackInk);
    }
}

void paintOpenHand(const ArtworkPainter& painter) {
    auto index = [](cairo_t* cr) { addCapsule(cr, 11.6, 14.0, 10.6, 6.0, 2.1); };
    auto middle = [](cairo_t* cr) { addCapsule(cr, 15.4, 13.5, 15.4, 4.6, 2.2); };
    auto ring = [](cairo_t* cr) { addCapsule(cr, 19.2, 13.5, 19.9, 5.8, 2.1); };
    auto little = [](cairo_t* cr) { addCapsule(cr, 22.4, 15.5, 24.0, 9.4, 1.9); };
    auto thumb = [](cairo_t* cr) { addCapsule(cr, 11.0, 21.6, 6.0, 15.4, 2.2); };
    auto palm = [](cairo_t* cr) { addRoundedRect(cr, 9.4, 12.6, 15.4, 14.8, 5.0); };
    painter.shadow({index, middle, ring, little, thumb, palm});
    painter.outlinedFill({index, middle, ring, little, thumb, palm}, whiteInk, blackInk,
                         handOutline);
}

void paintClosedHand(const ArtworkPainter& painter) {
    auto index = [](cairo_t* cr) { addCapsule(cr, 12.0, 13.6, 12.0, 11.6, 2.0); };
    auto middle = [](cairo_t* cr) { addCapsule(cr, 16.0, 13.4, 16.0, 11.0, 2.0); };
    auto ring = [](cairo_t* cr) { addCapsule(cr, 20.0, 13.6, 20.0, 11.6, 2.0); };
    auto little = [](cairo_t* cr) { addCapsule(cr, 23.4, 14.6, 23.4, 13.0, 1.8); };
    auto thumb = [](cairo_t* cr) { addCapsule(cr, 10.6, 20.6, 8.2, 16.8, 2.1); };
    auto palm = [](cairo_t* cr) { addRoundedRect(cr, 9.6, 12.6, 15.6, 13.6, 5.0); };
    painter.shadow({index, middle, ring, little, thumb, palm});
    painter.outlinedFill({index, middle, ring, little, thumb, palm}, whiteInk, blackInk,
                         handOutline);
    painter.stroke(
        [](cairo_t* cr) {
            for (double x : {14.0, 18.0, 21.8}) {
                cairo_move_to(cr, x, 11.4);
                cairo_line_to(cr, x, 14.4);
            }
        },
        creaseWidth, blackInk);
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
