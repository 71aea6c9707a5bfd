// The arrow and the arrow-with-badge family.
#include "artwork/ShapePainters.h"

#include <numbers>

namespace tolvane {

namespace {

constexpr double pi = std::numbers::pi;

// The arrow's tip (its hot spot) in the 28 x 32 canvas.
constexpr double tipX = 6;
constexpr double tipY = 4;
constexpr double arrowOutline = 1.6;

// Badges sit right of the arrow's tail.
constexpr double badgeX = 21.3;
constexpr double badgeY = 23.6;
constexpr double badgeRadius = 5.0;
constexpr double badgeOutline = 1.2;

void addArrow(cairo_t* cr) {
    // Tip, down the left edge, into the notch, along the tail, up to the wing, back to the tip.
    addPolygon(cr, {{tipX, tipY},
                    {tipX, tipY + 16.6},
                    {tipX + 3.9, tipY + 12.9},
                    {tipX + 6.6, tipY + 19.2},
                    {tipX + 9.4, tipY + 18.0},
                    {tipX + 6.8, tipY + 11.8},
                    {tipX + 11.8, tipY + 11.8}});
}

void addBadgeDisc(cairo_t* cr) {
    addCircle(cr, badgeX, badgeY, badgeRadius);
}

void paintContextMenuBadge(const ArtworkPainter& painter) {
    auto menu = [](cairo_t* cr) { addRoundedRect(cr, 16.6, 18.4, 9.6, 10.4, 1.4); };
    painter.shadow({menu});
    painter.outlinedFill({menu}, Color::white(), Color::black(), 0.9);
    for (double y : {21.2, 23.6, 26.0}) {
        painter.stroke(
            [y](cairo_t* cr) {
                cairo_move_to(cr, 18.6, y);
                cairo_line_to(cr, 24.2, y);
            },
            1.1, Color::black());
    }
}

void paintAliasBadge(const ArtworkPainter& painter) {
    auto box = [](cairo_t* cr) { addRoundedRect(cr, 16.4, 18.6, 10, 10, 1.6); };
    painter.shadow({box});
    painter.outlinedFill({box}, Color::white(), Color::black(), 0.9);
    // A curved arrow turning up and to the right.
    painter.stroke(
        [](cairo_t* cr) {
            cairo_move_to(cr, 18.8, 26.6);
            cairo_curve_to(cr, 18.8, 22.6, 20.4, 21.6, 23.0, 21.6);
        },
        1.5, Color::black());
    painter.fill(
        [](cairo_t* cr) {
            addPolygon(cr, {{22.4, 19.3}, {25.4, 21.6}, {22.4, 23.9}});
        },
        Color::black());
}

void paintCopyBadge(const ArtworkPainter& painter) {
    constexpr Color green{0.16, 0.70, 0.27, 1};
    painter.shadow({addBadgeDisc});
    painter.outlinedFill({addBadgeDisc}, green, Color::white(), badgeOutline);
    painter.stroke(
        [](cairo_t* cr) {
            cairo_move_to(cr, badgeX - 2.7, badgeY);
            cairo_line_to(cr, badgeX + 2.7, badgeY);
            cairo_move_to(cr, badgeX, badgeY - 2.7);
            cairo_line_to(cr, badgeX, badgeY + 2.7);
        },
        1.6, Color::white());
}

void paintNotAllowedBadge(const ArtworkPainter& painter) {
    auto ring = [](cairo_t* cr) { addCircle(cr, badgeX, badgeY, badgeRadius - 0.8); };
    painter.outlinedStroke(ring, 1.7, Color::black(), Color::white(), badgeOutline);
    painter.outlinedStroke(
        [](cairo_t* cr) {
            cairo_move_to(cr, badgeX - 2.9, badgeY - 2.9);
            cairo_line_to(cr, badgeX + 2.9, badgeY + 2.9);
        },
        1.7, Color::black(), Color::white(), 0);
}

void paintHelpBadge(const ArtworkPainter& painter) {
    painter.shadow({addBadgeDisc});
    painter.outlinedFill({addBadgeDisc}, Color::black(), Color::white(), badgeOutline);
    // A question mark drawn as a hook and a dot, so it looks the same with any fonts.
    painter.stroke(
        [](cairo_t* cr) {
            cairo_arc(cr, badgeX, badgeY - 1.3, 1.9, pi, 2.35 * pi);
            cairo_line_to(cr, badgeX, badgeY + 1.0);
        },
        1.3, Color::white());
    painter.fill([](cairo_t* cr) { addCircle(cr, badgeX, badgeY + 2.8, 0.8); }, Color::white());
}

void paintPoofBadge(const ArtworkPainter& painter) {
    auto puffA = [](cairo_t* cr) { addCircle(cr, 17.8, 25.0, 2.6); };
    auto puffB = [](cairo_t* cr) { addCircle(cr, 21.0, 22.4, 3.2); };
    auto puffC = [](cairo_t* cr) { addCircle(cr, 24.0, 25.2, 2.5); };
    auto puffD = [](cairo_t* cr) { addCircle(cr, 20.8, 26.4, 2.6); };
    painter.shadow({puffA, puffB, puffC, puffD});
    painter.outlinedFill({puffA, puffB, puffC, puffD}, Color::white(), Color::black(), 0.9);
}

void paintLinkBadge(const ArtworkPainter& painter) {
    painter.shadow({addBadgeDisc});
    painter.outlinedFill({addBadgeDisc}, Color::white(), Color::black(), 0.9);
    // Two links of a chain.
    for (double dx : {-1.5, 1.5}) {
        painter.stroke(
            [dx](cairo_t* cr) {
                cairo_save(cr);
                cairo_translate(cr, badgeX + dx, badgeY + (dx < 0 ? 1.0 : -1.0));
                cairo_rotate(cr, -pi / 4);
                addRoundedRect(cr, -2.4, -1.3, 4.8, 2.6, 1.3);
                cairo_restore(cr);
            },
            1.1, Color::black());
    }
}

} // namespace

void paintArrow(const ArtworkPainter& painter, ArrowBadge badge, int frame, int frameCount) {
    painter.shadow({addArrow});
    painter.outlinedFill({addArrow}, Color::black(), Color::white(), arrowOutline);
    switch (badge) {
    case ArrowBadge::none:
        break;
    case ArrowBadge::contextMenu:
        paintContextMenuBadge(painter);
        break;
    case ArrowBadge::alias:
        paintAliasBadge(painter);
        break;
    case ArrowBadge::copy:
        paintCopyBadge(painter);
        break;
    case ArrowBadge::notAllowed:
        paintNotAllowedBadge(painter);
        break;
    case ArrowBadge::help:
        paintHelpBadge(painter);
        break;
    case ArrowBadge::poof:
        paintPoofBadge(painter);
        break;
    case ArrowBadge::link:
        paintLinkBadge(painter);
        break;
    case ArrowBadge::busy:
        paintSpinner(painter, badgeX, badgeY, badgeRadius, frame, frameCount);
        break;
    }
}

} // namespace tolvane
