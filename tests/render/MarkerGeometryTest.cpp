#include "render/MarkerGeometry.h"

#include "render/ShapeMask.h"
#include "render/TestArtwork.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

constexpr double diameter = 18;

void expectRect(const std::optional<Rect>& actual, Rect expected) {
    ASSERT_TRUE(actual);
    EXPECT_NEAR(actual->origin.x, expected.origin.x, 1e-9);
    EXPECT_NEAR(actual->origin.y, expected.origin.y, 1e-9);
    EXPECT_NEAR(actual->size.width, expected.size.width, 1e-9);
    EXPECT_NEAR(actual->size.height, expected.size.height, 1e-9);
}

TEST(MarkerGeometry, CanvasGrowsBesideAndBelowByCursorKind) {
    struct Case {
        const char* name;
        CursorSize size;
        std::optional<CursorTemplate> kind;
        DecorationFlags flags;
        double side;
        double bottom;
    };
    const Case cases[] = {
        {"arrow 32x32", {32, 32}, CursorTemplate::arrow, {}, 0, 11},
        {"no template", {32, 32}, std::nullopt, {}, 0, 11},
        {"I-beam 8x18", {8, 18}, CursorTemplate::iBeam, {}, 26, 30},
        {"pointing hand", {32, 32}, CursorTemplate::pointingHand, {}, 26, 30},
        {"horizontal resize 24x24", {24, 24}, std::nullopt, {true, false, false, false}, 28, 20},
        {"vertical resize 24x24", {24, 24}, std::nullopt, {false, true, false, false}, 20, 30},
        {"diagonal resize 24x24", {24, 24}, std::nullopt, {false, false, true, false}, 26, 26},
        // Flags only ever raise the template's margins.
        {"I-beam flagged horizontal",
         {8, 18},
         CursorTemplate::iBeam,
         {true, false, false, false},
         28,
         30},
        // A tiny cursor still gets room for the whole disc.
        {"5x5 arrow", {5, 5}, CursorTemplate::arrow, {}, 19, 19},
        {"wide flat cursor", {60, 4}, std::nullopt, {}, 0, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto margins = MarkerGeometry::canvasMargins(c.size, {3, 5}, diameter, c.kind, c.flags);
        EXPECT_DOUBLE_EQ(margins.side, c.side);
        EXPECT_DOUBLE_EQ(margins.bottom, c.bottom);
        EXPECT_DOUBLE_EQ(margins.padLeft, 0);
        EXPECT_DOUBLE_EQ(margins.size.width, c.size.width + c.side);
        EXPECT_DOUBLE_EQ(margins.size.height, c.size.height + c.bottom);
        EXPECT_DOUBLE_EQ(margins.hotSpot.x, 3);
        EXPECT_DOUBLE_EQ(margins.hotSpot.y, 5);
    }
}

TEST(MarkerGeometry, LeftHandedMarginGoesLeftAndMovesTheHotSpot) {
    auto margins = MarkerGeometry::canvasMargins({8, 18}, {4, 9}, diameter, CursorTemplate::iBeam,
                                                 {false, false, false, true});
    EXPECT_DOUBLE_EQ(margins.size.width, 34);
    EXPECT_DOUBLE_EQ(margins.size.height, 48);
    EXPECT_DOUBLE_EQ(margins.padLeft, 26);
    EXPECT_DOUBLE_EQ(margins.hotSpot.x, 30);
    EXPECT_DOUBLE_EQ(margins.hotSpot.y, 9);

    // The arrow has no side margin, so handedness changes nothing.
    auto arrow = MarkerGeometry::canvasMargins({32, 32}, {4, 4}, diameter, CursorTemplate::arrow,
                                               {false, false, false, true});
    EXPECT_DOUBLE_EQ(arrow.padLeft, 0);
    EXPECT_DOUBLE_EQ(arrow.hotSpot.x, 4);
}

TEST(MarkerGeometry, ContentBoundsMapPixelsToCanvasPoints) {
    // A 32 x 32 point cursor at 2x whose solid block covers points x 4...20, y 5...29
    // (from the top), drawn at the top of a 32 x 43 canvas.
    auto snapshot = testing::blockSnapshot({32, 32}, 4, 5, 16, 24, {2});
    const Rect imageRect{{0, 11}, {32, 32}};
    expectRect(MarkerGeometry::contentBounds(snapshot.images[0], imageRect), {{4, 14}, {16, 24}});

    // Moved right by a left-handed margin.
    expectRect(MarkerGeometry::contentBounds(snapshot.images[0], {{26, 11}, {32, 32}}),
               {{30, 14}, {16, 24}});

    // Nothing solid: no bounds.
    auto empty = testing::drawnSnapshot({32, 32}, {0, 0}, {1}, [](cairo_t*) {});
    EXPECT_FALSE(MarkerGeometry::contentBounds(empty.images[0], imageRect));

    // One pixel at 2x is half a point: grown to one point, clipped to the image.
    auto bottomLeft = testing::blockSnapshot({32, 32}, 0, 31.5, 0.5, 0.5, {2});
    expectRect(MarkerGeometry::contentBounds(bottomLeft.images[0], imageRect), {{0, 11}, {1, 1}});
    auto topRight = testing::blockSnapshot({32, 32}, 31.5, 0, 0.5, 0.5, {2});
    expectRect(MarkerGeometry::contentBounds(topRight.images[0], imageRect),
               {{31.5, 42.5}, {0.5, 0.5}});
}

TEST(MarkerGeometry, NoDiscOnACanvasOfFivePointsOrLess) {
    EXPECT_FALSE(MarkerGeometry::discRect({{0, 0}, {5, 5}}, diameter, std::nullopt, {}));
    EXPECT_FALSE(MarkerGeometry::discRect({{0, 0}, {40, 5}}, diameter, std::nullopt, {}));
    // Just above the limit the disc is at least 10 points, even if that overflows.
    expectRect(MarkerGeometry::discRect({{0, 0}, {5.1, 5.1}}, diameter, std::nullopt, {}),
               {{0.5, 0.5}, {10, 10}});
}

TEST(MarkerGeometry, DiscShrinksToASmallCanvas) {
    // A 16 x 16 template: inner area 15 x 15, beside mode pushed back into the canvas.
    expectRect(MarkerGeometry::discRect({{0, 0}, {16, 16}}, diameter, std::nullopt, {}),
               {{0.5, 0.5}, {15, 15}});
}

TEST(MarkerGeometry, WithoutShapeBoundsTheDiscIsPlacedAgainstTheWholeCanvas) {
    // Wide enough for beside mode: pushed to the right and bottom edges.
    expectRect(MarkerGeometry::discRect({{0, 0}, {64, 43}}, diameter, std::nullopt, {}),
               {{45.5, 0.5}, {18, 18}});
    // 32 x 43 is narrower than 0.75 x its height: below mode, under the middle.
    expectRect(MarkerGeometry::discRect({{0, 0}, {32, 43}}, diameter, std::nullopt, {}),
               {{16 - 0.35 * 18 + 3, 0.5}, {18, 18}});
    expectRect(MarkerGeometry::discRect({{0, 0}, {32, 43}}, diameter, std::nullopt,
                                        {false, false, false, true}),
               {{16 + 0.35 * 18 - 18 - 3, 0.5}, {18, 18}});
}

TEST(MarkerGeometry, BesideModeKeepsItsDistanceFromTheShape) {
    const Rect canvas{{0, 0}, {100, 100}};
    const Rect shape{{40, 50}, {20, 20}};
    const double a = std::max(0.09 * 18, 1.5);
    // y = 50 - (0.5 x 18 + 2), lowered further by the vertical and diagonal offsets.
    expectRect(MarkerGeometry::discRect(canvas, diameter, shape, {}), {{60 + a + 5, 39}, {18, 18}});
    expectRect(MarkerGeometry::discRect(canvas, diameter, shape, {true, false, false, false}),
               {{60 + a + 5, 39}, {18, 18}});
    expectRect(MarkerGeometry::discRect(canvas, diameter, shape, {false, true, false, false}),
               {{60 + a, 39 - 9}, {18, 18}});
    expectRect(MarkerGeometry::discRect(canvas, diameter, shape, {false, false, true, false}),
               {{60 + a + 1.35, 39 - 1.35}, {18, 18}});
    expectRect(MarkerGeometry::discRect(canvas, diameter, shape, {false, false, false, true}),
               {{40 - a - 5 - 18, 39}, {18, 18}});
}

TEST(MarkerGeometry, NarrowShapeAnchorsOnItsGrownBounds) {
    // A shape 6 points wide: the anchor is 10 wide, below mode, centred on it.
    const Rect canvas{{0, 0}, {60, 60}};
    const Rect shape{{20, 30}, {6, 20}};
    expectRect(MarkerGeometry::discRect(canvas, diameter, shape, {}),
               {{23 - 6.3 + 3, 28 - 21}, {18, 18}});
    // Grown bounds are clipped to the canvas: a shape at the left edge anchors
    // on x 0...4.5, so the disc starts left of the canvas and is clamped.
    // It then overlaps the shape, and one sideways probe clears it.
    const Rect edge{{0.5, 4}, {2, 20}};
    expectRect(MarkerGeometry::discRect(canvas, diameter, edge, {}),
               {{0.5 + 0.14 * 18, 0.5}, {18, 18}});
}

TEST(MarkerGeometry, OverlapAvoidanceMovesDownAndGivesUpAfterEightTries) {
    // Clamped against the right edge, the disc moves down in 0.18 x D steps
    // until it is below the shape.
    const Rect shape{{10, 30}, {20, 20}};
    expectRect(MarkerGeometry::discRect({{0, 0}, {40, 60}}, diameter, shape, {}),
               {{21.5, 19 - 3 * 0.18 * 18}, {18, 18}});
    expectRect(
        MarkerGeometry::discRect({{0, 0}, {40, 60}}, diameter, shape, {false, false, false, true}),
        {{0.5, 19 - 3 * 0.18 * 18}, {18, 18}});

    // The 32 x 43 arrow canvas has no free place below the box of its shape:
    // the disc stays where it was clamped, still overlapping.
    expectRect(MarkerGeometry::discRect({{0, 0}, {32, 43}}, diameter, Rect{{4, 15}, {16, 24}}, {}),
               {{12 - 6.3 + 3, 0.5}, {18, 18}});
}

TEST(MarkerGeometry, BadgeFontShrinksInHalfPointStepsUntilTheTextFits) {
    std::vector<double> tried;
    auto fitting = MarkerGeometry::badgeFontSize(18, [&](double size) {
        tried.push_back(size);
        return CursorSize{size * 1.5, size * 1.2};
    });
    // 0.54 x 18 = 9.72 is 14.58 wide, over 0.78 x 18 = 14.04; 9.22 fits.
    EXPECT_NEAR(fitting, 9.22, 1e-9);
    ASSERT_EQ(tried.size(), 2u);
    EXPECT_NEAR(tried[0], 9.72, 1e-9);

    // Too tall is as bad as too wide.
    EXPECT_NEAR(MarkerGeometry::badgeFontSize(18,
                                              [](double size) {
                                                  return CursorSize{1, size * 1.4};
                                              }),
                9.22, 1e-9);

    // Text that never fits stops at the first size of 5.5 or less.
    EXPECT_NEAR(MarkerGeometry::badgeFontSize(18,
                                              [](double size) {
                                                  return CursorSize{size * 10, 1};
                                              }),
                5.22, 1e-9);

    // A small disc starts at 7 points.
    EXPECT_DOUBLE_EQ(MarkerGeometry::badgeFontSize(10, [](double) { return CursorSize{1, 1}; }), 7);
}

TEST(ShapeMask, FindsTheNearestPlaceThatCoversTheLeast) {
    // A 20 x 20 canvas with a solid 4 x 4 point block at x 8...12, y 8...12 (y up).
    const Rect canvas{{0, 0}, {20, 20}};
    auto block = testing::blockSnapshot({20, 20}, 8, 8, 4, 4, {1, 3});
    for (const Image& image : block.images) {
        ShapeMask mask(image, canvas, canvas);
        EXPECT_EQ(mask.coveredCells({10, 10}, 20), 64); // the whole block, in half-point cells
        EXPECT_EQ(mask.coveredCells({10, 10}, 1), 16);
        EXPECT_TRUE(mask.touches({5, 10}, 3.5));
        EXPECT_FALSE(mask.touches({5, 10}, 3)); // only touches the block's edge
        EXPECT_FALSE(mask.touches({2, 2}, 2));

        // A disc of radius 2 at origin (6, 8) covers the block; the nearest
        // clear origin moves it left until its right edge reaches x 8.
        auto placement = mask.leastCoveredOrigin({{6, 8}, {4, 4}}, 2, {{0, 0}, {16, 16}});
        EXPECT_EQ(placement.coveredCells, 0);
        EXPECT_DOUBLE_EQ(placement.origin.x, 4);
        EXPECT_DOUBLE_EQ(placement.origin.y, 8);

        // Already clear: stays.
        placement = mask.leastCoveredOrigin({{0, 0}, {4, 4}}, 2, {{0, 0}, {16, 16}});
        EXPECT_DOUBLE_EQ(placement.origin.x, 0);
        EXPECT_DOUBLE_EQ(placement.origin.y, 0);

        // Confined to origins whose discs all overlap the block: the one that
        // covers the least, a corner of the region.
        placement = mask.leastCoveredOrigin({{8, 8}, {4, 4}}, 2, {{7, 7}, {2, 2}});
        EXPECT_GT(placement.coveredCells, 0);
        EXPECT_LT(placement.coveredCells, mask.coveredCells({10, 10}, 2));
        EXPECT_EQ(std::abs(placement.origin.x - 8), 1);
        EXPECT_EQ(std::abs(placement.origin.y - 8), 1);
    }

    // Faint pixels (a shadow) do not count as solid.
    auto faint = testing::drawnSnapshot({20, 20}, {0, 0}, {1}, [](cairo_t* context) {
        cairo_set_source_rgba(context, 0, 0, 0, 0.3);
        cairo_paint(context);
    });
    EXPECT_FALSE(ShapeMask(faint.images[0], canvas, canvas).touches({10, 10}, 5));
}

} // namespace
} // namespace tolvane
