#include "render/MarkerGeometry.h"

#include "render/ShapeMask.h"
#include "render/TestArtwork.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Every system cursor's decoration is on record (DecorationRecordTest); here,
// the sizes and rules that no system cursor reaches.
constexpr double diameter = 18;
constexpr DecorationFlags horizontal{true, false, false, false};

void expectRect(const std::optional<Rect>& actual, Rect expected) {
    ASSERT_TRUE(actual);
    EXPECT_NEAR(actual->origin.x, expected.origin.x, 1e-9);
    EXPECT_NEAR(actual->origin.y, expected.origin.y, 1e-9);
    EXPECT_NEAR(actual->size.width, expected.size.width, 1e-9);
}

std::optional<Rect> disc(Rect canvas, std::optional<Rect> shape, DecorationFlags flags = {}) {
    return MarkerGeometry::discRect(canvas, diameter, shape, flags);
}

TEST(MarkerGeometry, CanvasGrowsBesideAndBelowByCursorKind) {
    const struct {
        const char* name;
        CursorSize size;
        std::optional<CursorTemplate> kind;
        DecorationFlags flags;
        CursorSize grown;
    } cases[] = {
        {"no template", {32, 32}, std::nullopt, {}, {32, 43}},
        // Flags only ever raise the template's margins.
        {"I-beam flagged horizontal", {8, 18}, CursorTemplate::iBeam, horizontal, {36, 48}},
        // Tiny or flat cursors still get room for the whole disc.
        {"5x5 arrow", {5, 5}, CursorTemplate::arrow, {}, {24, 24}},
        {"wide flat cursor", {60, 4}, std::nullopt, {}, {60, 24}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto margins = MarkerGeometry::canvasMargins(c.size, {3, 5}, diameter, c.kind, c.flags);
        EXPECT_DOUBLE_EQ(margins.size.width, c.grown.width);
        EXPECT_DOUBLE_EQ(margins.size.height, c.grown.height);
        EXPECT_DOUBLE_EQ(margins.hotSpot.x, 3);
    }
}

TEST(MarkerGeometry, ShapesThatCoverNothingHaveNoContentBounds) {
    auto empty = testing::drawnSnapshot({32, 32}, {0, 0}, {1}, [](cairo_t*) {});
    EXPECT_FALSE(MarkerGeometry::contentBounds(empty.images[0], {{0, 11}, {32, 32}}));
    // Drawn into an empty rectangle, a shape has no bounds either.
    auto block = testing::blockSnapshot({32, 32}, 4, 5, 16, 24, {2});
    EXPECT_FALSE(MarkerGeometry::contentBounds(block.images[0], {{24, 11}, {0, 32}}));
}

TEST(MarkerGeometry, OverlapAvoidanceMovesDownAndGivesUpAfterEightTries) {
    // Clamped against the right edge, the disc moves down in 0.18 x D steps
    // until it is below the shape.
    expectRect(disc({{0, 0}, {40, 60}}, Rect{{10, 30}, {20, 20}}),
               {{21.5, 19 - 3 * 0.18 * 18}, {18, 18}});
    // No free place below the box of the arrow's shape: the disc stays
    // where it was clamped, still overlapping.
    expectRect(disc({{0, 0}, {32, 43}}, Rect{{4, 15}, {16, 24}}), {{12 - 6.3 + 3, 0.5}, {18, 18}});
}

TEST(MarkerGeometry, BadgeFontShrinksInHalfPointStepsUntilTheTextFits) {
    // 0.54 x 18 = 9.72 is too wide for 0.78 x 18 = 14.04 at 1.5 x its size, or
    // too tall for 0.72 x 18 = 12.96 at 1.4 x its size; 9.22 fits.
    const auto wide = [](double size) { return CursorSize{size * 1.5, 1}; };
    const auto tall = [](double size) { return CursorSize{1, size * 1.4}; };
    EXPECT_NEAR(MarkerGeometry::badgeFontSize(18, wide), 9.22, 1e-9);
    EXPECT_NEAR(MarkerGeometry::badgeFontSize(18, tall), 9.22, 1e-9);
    // Text that never fits stops at the first size of 5.5 or less.
    const auto neverFits = [](double size) { return CursorSize{size * 10, 1}; };
    EXPECT_NEAR(MarkerGeometry::badgeFontSize(18, neverFits), 5.22, 1e-9);
    // A small disc starts at 7 points.
    EXPECT_DOUBLE_EQ(MarkerGeometry::badgeFontSize(10, [](double) { return CursorSize{1, 1}; }), 7);
}

TEST(ShapeMask, FindsTheNearestPlaceThatCoversTheLeast) {
    // A solid 4 x 4 point block at x 8...12, y 8...12 (y up); the grid does
    // not depend on the pixel density.
    const Rect canvas{{0, 0}, {20, 20}};
    auto block = testing::blockSnapshot({20, 20}, 8, 8, 4, 4, {1, 3});
    for (const Image& image : block.images) {
        ShapeMask mask(image, canvas, canvas);
        EXPECT_EQ(mask.coveredCells({10, 10}, 20), 64); // the whole block, in half-point cells
        EXPECT_TRUE(mask.touches({5, 10}, 3.5));
        EXPECT_FALSE(mask.touches({5, 10}, 3)); // only touches the block's edge

        // The nearest clear origin moves the disc left until its right edge reaches x 8.
        auto placement = mask.leastCoveredOrigin({{6, 8}, {4, 4}}, 2, {{0, 0}, {16, 16}});
        EXPECT_EQ(placement.coveredCells, 0);
        EXPECT_DOUBLE_EQ(placement.origin.x, 4);
        EXPECT_DOUBLE_EQ(placement.origin.y, 8);
        // Every allowed origin overlaps: a corner of the region covers the least.
        placement = mask.leastCoveredOrigin({{8, 8}, {4, 4}}, 2, {{7, 7}, {2, 2}});
        EXPECT_GT(placement.coveredCells, 0);
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
