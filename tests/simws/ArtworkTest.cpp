// The cursor artwork: edges, colours, hot spots and bad requests.
#include "artwork/CursorArtwork.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace tolvane::testing {
namespace {

struct Pixel {
    std::uint8_t alpha;
    std::uint8_t red;
};

Pixel pixelAt(cairo_surface_t* surface, int x, int y) {
    std::uint32_t word = 0;
    std::memcpy(&word,
                cairo_image_surface_get_data(surface) +
                    y * cairo_image_surface_get_stride(surface) + x * 4,
                sizeof word);
    return {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16)};
}

// The pixel under a point of the artwork drawn at `scale`.
Pixel pixelAtPoint(cairo_surface_t* surface, double x, double y, double scale) {
    return pixelAt(surface, static_cast<int>(x * scale), static_cast<int>(y * scale));
}

TEST(CursorArtwork, NoShapeIsCutOffAndEachHasSolidInkAtItsHotSpot) {
    for (int index = 0; index < cursorShapeCount; ++index) {
        const auto shape = static_cast<CursorShape>(index);
        const CursorGeometry geometry = CursorArtwork::geometry(shape);
        constexpr double scale = 4;
        CairoSurfacePtr surface = CursorArtwork::draw(shape, 0, scale);
        const int width = cairo_image_surface_get_width(surface.get());
        const int height = cairo_image_surface_get_height(surface.get());
        // Only the faint shadow may reach the edge, never the outline.
        int edgeAlpha = 0;
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y) {
                if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
                    edgeAlpha = std::max(edgeAlpha, int{pixelAt(surface.get(), x, y).alpha});
                }
            }
        }
        EXPECT_LT(edgeAlpha, 64) << CursorArtwork::name(shape);
        // Some solid part of the shape lies within a point and a half of the hot spot.
        const int cx = static_cast<int>(geometry.hotSpotX * scale);
        const int cy = static_cast<int>(geometry.hotSpotY * scale);
        const int reach = static_cast<int>(1.5 * scale);
        bool solidNearHotSpot = false;
        for (int y = std::max(0, cy - reach); y <= std::min(height - 1, cy + reach); ++y) {
            for (int x = std::max(0, cx - reach); x <= std::min(width - 1, cx + reach); ++x) {
                solidNearHotSpot = solidNearHotSpot || pixelAt(surface.get(), x, y).alpha >= 128;
            }
        }
        EXPECT_TRUE(solidNearHotSpot) << CursorArtwork::name(shape);
    }
}

TEST(CursorArtwork, ArrowIsBlackOnWhiteAndHandsWhiteOnBlack) {
    constexpr double scale = 4;
    // Points of the artwork with the alpha and red they must reach.
    struct Probe {
        CursorShape shape;
        double x;
        double y;
        int minAlpha;
        int minRed;
        int maxRed;
    };
    const Probe probes[] = {
        {CursorShape::arrow, 8, 14, 255, 0, 19},            // black body
        {CursorShape::arrow, 5, 14, 255, 236, 255},         // white outline
        {CursorShape::pointingHand, 17, 22, 255, 236, 255}, // white palm
        {CursorShape::pointingHand, 17, 28.6, 201, 0, 39},  // black rim below it
    };
    for (const Probe& probe : probes) {
        CairoSurfacePtr surface = CursorArtwork::draw(probe.shape, 0, scale);
        const Pixel pixel = pixelAtPoint(surface.get(), probe.x, probe.y, scale);
        EXPECT_GE(pixel.alpha, probe.minAlpha) << probe.x << "," << probe.y;
        EXPECT_GE(pixel.red, probe.minRed) << probe.x << "," << probe.y;
        EXPECT_LE(pixel.red, probe.maxRed) << probe.x << "," << probe.y;
    }
    CairoSurfacePtr arrow = CursorArtwork::draw(CursorShape::arrow, 0, scale);
    EXPECT_EQ(pixelAtPoint(arrow.get(), 26, 2, scale).alpha, 0);
}

TEST(CursorArtwork, FramesAndScalesOutOfRangeDrawNothing) {
    const int waitFrames = CursorArtwork::geometry(CursorShape::wait).frameCount;
    EXPECT_NE(CursorArtwork::draw(CursorShape::wait, waitFrames - 1, 1), nullptr);
    EXPECT_EQ(CursorArtwork::draw(CursorShape::wait, waitFrames, 1), nullptr);
    EXPECT_EQ(CursorArtwork::draw(CursorShape::arrow, -1, 1), nullptr);
    EXPECT_EQ(CursorArtwork::draw(CursorShape::arrow, 1, 1), nullptr);
    for (double scale : {0.0, 33.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(CursorArtwork::draw(CursorShape::arrow, 0, scale), nullptr) << scale;
    }
    EXPECT_NE(CursorArtwork::draw(CursorShape::arrow, 0, CursorArtwork::maxScale), nullptr);
}

} // namespace
} // namespace tolvane::testing
