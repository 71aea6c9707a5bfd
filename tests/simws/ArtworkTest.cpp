// The cursor artwork: sizes, determinism, colours, hot spots and the PNGs of
// the three standard cursors.
#include "artwork/CursorArtwork.h"
#include "support/TemporaryDirectory.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace tolvane::testing {
namespace {

struct Pixel {
    std::uint8_t alpha;
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

Pixel pixelAt(cairo_surface_t* surface, int x, int y) {
    std::uint32_t word = 0;
    std::memcpy(&word,
                cairo_image_surface_get_data(surface) +
                    y * cairo_image_surface_get_stride(surface) + x * 4,
                sizeof word);
    return {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
            static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
}

// The pixel under a point of the artwork drawn at `scale`.
Pixel pixelAtPoint(cairo_surface_t* surface, double x, double y, double scale) {
    return pixelAt(surface, static_cast<int>(x * scale), static_cast<int>(y * scale));
}

std::vector<unsigned char> bytesOf(cairo_surface_t* surface) {
    const unsigned char* data = cairo_image_surface_get_data(surface);
    return {data, data + cairo_image_surface_get_stride(surface) *
                             cairo_image_surface_get_height(surface)};
}

std::vector<CursorShape> allShapes() {
    std::vector<CursorShape> shapes;
    for (int index = 0; index < cursorShapeCount; ++index) {
        shapes.push_back(static_cast<CursorShape>(index));
    }
    return shapes;
}

TEST(CursorArtwork, EveryFrameDrawsTheSameBytesAtItsPixelSize) {
    for (CursorShape shape : allShapes()) {
        const CursorGeometry geometry = CursorArtwork::geometry(shape);
        for (int frame = 0; frame < geometry.frameCount; ++frame) {
            for (double scale : {1.0, 1.5, 2.0}) {
                CairoSurfacePtr first = CursorArtwork::draw(shape, frame, scale);
                CairoSurfacePtr second = CursorArtwork::draw(shape, frame, scale);
                ASSERT_TRUE(first && second) << CursorArtwork::name(shape);
                EXPECT_EQ(cairo_image_surface_get_width(first.get()),
                          static_cast<int>(std::ceil(geometry.width * scale)));
                EXPECT_EQ(cairo_image_surface_get_height(first.get()),
                          static_cast<int>(std::ceil(geometry.height * scale)));
                EXPECT_EQ(bytesOf(first.get()), bytesOf(second.get()))
                    << CursorArtwork::name(shape) << " frame " << frame;
            }
        }
    }
    EXPECT_EQ(CursorArtwork::pixelsFor(28, 1.1), 31);
}

TEST(CursorArtwork, NothingIsCutOffAtTheCanvasEdgeAndHotSpotsSitOnTheShape) {
    constexpr double scale = 4;
    for (CursorShape shape : allShapes()) {
        const CursorGeometry geometry = CursorArtwork::geometry(shape);
        CairoSurfacePtr surface = CursorArtwork::draw(shape, 0, scale);
        const int width = cairo_image_surface_get_width(surface.get());
        const int height = cairo_image_surface_get_height(surface.get());
        int edgeAlpha = 0;
        for (int x = 0; x < width; ++x) {
            edgeAlpha = std::max({edgeAlpha, int{pixelAt(surface.get(), x, 0).alpha},
                                  int{pixelAt(surface.get(), x, height - 1).alpha}});
        }
        for (int y = 0; y < height; ++y) {
            edgeAlpha = std::max({edgeAlpha, int{pixelAt(surface.get(), 0, y).alpha},
                                  int{pixelAt(surface.get(), width - 1, y).alpha}});
        }
        // Only the faint shadow may reach the edge, never the outline.
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

TEST(CursorArtwork, ArrowIsBlackInsideWhiteOutlineAndAntialiased) {
    constexpr double scale = 4;
    CairoSurfacePtr arrow = CursorArtwork::draw(CursorShape::arrow, 0, scale);
    const Pixel body = pixelAtPoint(arrow.get(), 8, 14, scale);
    EXPECT_EQ(body.alpha, 255);
    EXPECT_LT(body.red, 20);
    const Pixel outline = pixelAtPoint(arrow.get(), 5.0, 14, scale);
    EXPECT_EQ(outline.alpha, 255);
    EXPECT_GT(outline.red, 235);
    EXPECT_EQ(pixelAtPoint(arrow.get(), 26, 2, scale).alpha, 0);

    // Edges between ink and outline are blended, not stair-stepped.
    CairoSurfacePtr small = CursorArtwork::draw(CursorShape::arrow, 0, 2);
    int greys = 0;
    for (int y = 0; y < cairo_image_surface_get_height(small.get()); ++y) {
        for (int x = 0; x < cairo_image_surface_get_width(small.get()); ++x) {
            const Pixel pixel = pixelAt(small.get(), x, y);
            greys += pixel.alpha == 255 && pixel.red > 40 && pixel.red < 215 ? 1 : 0;
        }
    }
    EXPECT_GT(greys, 20);
}

TEST(CursorArtwork, HandsAreWhiteWithABlackOutline) {
    constexpr double scale = 4;
    // Each hand with a point just below its palm's lower edge.
    const std::pair<CursorShape, double> hands[] = {{CursorShape::pointingHand, 28.6},
                                                    {CursorShape::openHand, 27.9},
                                                    {CursorShape::closedHand, 26.7}};
    for (const auto& [shape, belowPalm] : hands) {
        CairoSurfacePtr hand = CursorArtwork::draw(shape, 0, scale);
        const Pixel palm = pixelAtPoint(hand.get(), 17, 22, scale);
        EXPECT_EQ(palm.alpha, 255) << CursorArtwork::name(shape);
        EXPECT_GT(palm.red, 235) << CursorArtwork::name(shape);
        const Pixel outline = pixelAtPoint(hand.get(), 17, belowPalm, scale);
        EXPECT_GT(outline.alpha, 200) << CursorArtwork::name(shape);
        EXPECT_LT(outline.red, 40) << CursorArtwork::name(shape);
    }
}

TEST(CursorArtwork, AnimatedFramesDifferAndBadRequestsDrawNothing) {
    for (CursorShape shape : {CursorShape::wait, CursorShape::busyArrow,
                              CursorShape::countingUpHand, CursorShape::countingDownHand}) {
        const CursorGeometry geometry = CursorArtwork::geometry(shape);
        ASSERT_GT(geometry.frameCount, 1);
        EXPECT_NE(bytesOf(CursorArtwork::draw(shape, 0, 1).get()),
                  bytesOf(CursorArtwork::draw(shape, geometry.frameCount - 1, 1).get()));
        EXPECT_EQ(CursorArtwork::draw(shape, geometry.frameCount, 1), nullptr);
    }
    EXPECT_EQ(CursorArtwork::draw(CursorShape::arrow, -1, 1), nullptr);
    EXPECT_EQ(CursorArtwork::draw(CursorShape::arrow, 1, 1), nullptr);
    for (double scale : {0.0, -1.0, 33.0, std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(CursorArtwork::draw(CursorShape::arrow, 0, scale), nullptr) << scale;
    }
    EXPECT_NE(CursorArtwork::draw(CursorShape::arrow, 0, CursorArtwork::maxScale), nullptr);
}

TEST(CursorArtwork, StandardCursorsSaveAsPngsThatReadBackUnchanged) {
    TemporaryDirectory folder;
    for (CursorShape shape : {CursorShape::arrow, CursorShape::iBeam, CursorShape::pointingHand}) {
        for (int scale : {1, 2}) {
            CairoSurfacePtr surface = CursorArtwork::draw(shape, 0, scale);
            const std::filesystem::path path = folder / (std::string(CursorArtwork::name(shape)) +
                                                         "@" + std::to_string(scale) + "x.png");
            ASSERT_EQ(cairo_surface_write_to_png(surface.get(), path.c_str()),
                      CAIRO_STATUS_SUCCESS);
            CairoSurfacePtr readBack(cairo_image_surface_create_from_png(path.c_str()));
            ASSERT_EQ(cairo_surface_status(readBack.get()), CAIRO_STATUS_SUCCESS) << path;
            EXPECT_EQ(cairo_image_surface_get_width(readBack.get()),
                      cairo_image_surface_get_width(surface.get()));
            // PNG stores straight alpha, so only opaque pixels survive bit for bit.
            const Pixel original = pixelAtPoint(surface.get(), 8, 12, scale);
            const Pixel decoded = pixelAtPoint(readBack.get(), 8, 12, scale);
            if (original.alpha == 255) {
                EXPECT_EQ(decoded.red, original.red) << path;
                EXPECT_EQ(decoded.alpha, 255) << path;
            }
        }
    }
}

} // namespace
} // namespace tolvane::testing
