#include "render/CursorRenderer.h"

#include "input/InputLanguage.h"
#include "render/TestArtwork.h"
#include "support/LogCapture.h"
#include "support/PixelProbes.h"

#include <algorithm>
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::argb;
using testing::Argb;
using testing::blockSnapshot;
using testing::drawnSnapshot;
using ::testing::ElementsAre;
using testing::expectSamePixels;
using testing::Fill;
using testing::fillPixels;
using testing::solidPixels;

CursorMarker markerFor(CursorStyle style, const std::string& code = "en") {
    return *style.marker(InputLanguage::make(code, "", ""));
}

DecoratedPayload decorate(const CursorSnapshot& snapshot, const std::optional<CursorMarker>& marker,
                          std::optional<CursorTemplate> kind = CursorTemplate::arrow,
                          bool leftHanded = false) {
    return CursorRenderer::decoratePayload(snapshot, marker, kind, false, false, false, leftHanded);
}

// The record test decorates every system cursor, and the controller's tests
// register the undecorated system style; here, the shapes no system cursor has.
TEST(CursorRenderer, CanvasGrowsAtEachImagesOwnDensityAndTheDiscGoesWhereTheLayoutSays) {
    auto beam = blockSnapshot({8, 18}, 3, 0, 2, 18, {1, 2, 5});
    beam.hotSpot = {4, 9};
    const auto transparent = drawnSnapshot({32, 32}, {0, 0}, {2}, [](cairo_t*) {});
    const auto full = blockSnapshot({32, 32}, 0, 0, 32, 32, {2});
    const DecorationFlags left{false, false, false, true};
    const struct {
        const char* name;
        CursorSnapshot snapshot;
        std::optional<CursorTemplate> kind;
        DecorationFlags flags;
        CursorSize size;
        Point disc; // the disc's centre in points from the top-left
    } cases[] = {
        // The beam is narrow: anchored on its box grown by 2, below mode.
        {"left-handed I-beam", beam, CursorTemplate::iBeam, left, {34, 48}, {15.3 + 9, 48 - 16}},
        // No shape: below mode under the canvas middle.
        {"transparent", transparent, CursorTemplate::arrow, {}, {32, 43}, {12.7 + 9, 43 - 9.5}},
        // The shape fills the image: beside mode, clamped, and no spot is clear.
        {"full", full, CursorTemplate::arrow, {}, {32, 43}, {13.5 + 9, 43 - 9.5}},
    };
    const CursorMarker marker = markerFor(CursorStyle::dotBadge);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CursorSnapshot& input = c.snapshot;
        auto payload = CursorRenderer::decoratePayload(
            input, marker, c.kind, c.flags.isHorizontalResize, false, false, c.flags.isLeftHanded);
        // Left-handed, the side margin is on the left and the image moves right.
        const double padLeft = c.flags.isLeftHanded ? c.size.width - input.size.width : 0;
        EXPECT_DOUBLE_EQ(payload.snapshot.size.width, c.size.width);
        EXPECT_DOUBLE_EQ(payload.snapshot.size.height, c.size.height);
        EXPECT_DOUBLE_EQ(payload.snapshot.hotSpot.x, input.hotSpot.x + padLeft);
        EXPECT_DOUBLE_EQ(payload.snapshot.hotSpot.y, input.hotSpot.y);
        ASSERT_EQ(payload.snapshot.images.size(), input.images.size());
        EXPECT_TRUE(payload.snapshot.images[0].sharesPixelsWith(input.images[0]));
        ASSERT_EQ(payload.images.size(), input.images.size());
        for (std::size_t i = 0; i < input.images.size(); ++i) {
            const int k = input.images[i].width() / static_cast<int>(input.size.width);
            SCOPED_TRACE(k);
            const Image& image = payload.images[i];
            EXPECT_EQ(image.width(), static_cast<int>(c.size.width) * k);
            EXPECT_EQ(image.height(), static_cast<int>(c.size.height) * k);
            // Only where no spot is clear does the disc cover the shape.
            const auto pixels = solidPixels(input.images[i], image, static_cast<int>(padLeft) * k);
            EXPECT_EQ(pixels.changed > 0, std::string(c.name) == "full");
            const Fill fill = fillPixels(image, marker.fillColor);
            EXPECT_NEAR(fill.centreX / k, c.disc.x, 0.3);
            EXPECT_NEAR(fill.centreY / k, c.disc.y, 0.3);
        }
    }
}

TEST(CursorRenderer, OddDensitiesRoundUpAndImagesThatCannotBeDrawnAreLeftOut) {
    const CursorMarker marker = markerFor(CursorStyle::dotBadge);
    // 1.5 pixels per point: the canvas is rounded up to ceil(43 x 1.5).
    CursorSnapshot odd{{32, 32}, {0, 0}, 1, 0, {}};
    odd.images.push_back(*std::move(*Canvas::make(48, 48, 32, 32)).finish());
    auto payload = decorate(odd, marker);
    ASSERT_EQ(payload.images.size(), 1u);
    EXPECT_EQ(payload.images[0].width(), 48);
    EXPECT_EQ(payload.images[0].height(), 65);

    // 100 pixels for a hundredth of a point: a canvas 240000 pixels wide.
    CursorSnapshot absurd{{0.01, 1}, {0, 0}, 1, 0, {}};
    absurd.images.push_back(*std::move(*Canvas::make(100, 1, 0.01, 1)).finish());
    EXPECT_TRUE(decorate(absurd, marker).images.empty());

    // A size that is not a number leaves the image out; a zero width or height
    // (one pixel per point then) still gives the enlarged canvas with its disc.
    auto snapshot = blockSnapshot({32, 32}, 2, 2, 12, 18, {1});
    snapshot.size = {std::nan(""), 32};
    EXPECT_TRUE(decorate(snapshot, marker).images.empty());
    for (CursorSize zero : {CursorSize{0, 32}, CursorSize{32, 0}}) {
        snapshot.size = zero;
        payload = decorate(snapshot, marker);
        ASSERT_EQ(payload.images.size(), 1u);
        EXPECT_EQ(payload.images[0].width(), static_cast<int>(payload.snapshot.size.width));
        EXPECT_GT(fillPixels(payload.images[0], marker.fillColor).count, 0);
    }
}

TEST(CursorRenderer, BadgeTextIsDrawnCentredInTheDisc) {
    auto snapshot = drawnSnapshot({32, 32}, {0, 0}, {2}, [](cairo_t*) {});
    // The disc's centre is (21.7, 9.5), at 2x; text pixels are near white,
    // unlike the fill, and lie within 80 % of its radius.
    const double cx = 21.7 * 2;
    const double cy = (43 - 9.5) * 2;
    std::vector<std::vector<bool>> glyphs;
    for (const std::string code : {"en", "ru", "de", "zh-hans", "zh-hant"}) {
        SCOPED_TRACE(code);
        auto payload = decorate(snapshot, markerFor(CursorStyle::letterBadge, code));
        ASSERT_EQ(payload.images.size(), 1u);
        const Image& image = payload.images[0];
        int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
        std::vector<bool> text;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const Argb p = argb(image, x, y);
                const bool white = std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= 0.8 * 9 * 2 &&
                                   p.red > 200 && p.green > 200 && p.blue > 200;
                text.push_back(white);
                if (white) {
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    minY = std::min(minY, y);
                    maxY = std::max(maxY, y);
                }
            }
        }
        ASSERT_GT(std::count(text.begin(), text.end(), true), 20);
        EXPECT_NEAR((minX + maxX + 1) / 2.0, cx, 2.0);
        EXPECT_NEAR((minY + maxY + 1) / 2.0, cy, 2.0);
        // Within the fitting box of 0.78 x 0.72 of the disc.
        EXPECT_LE(maxX + 1 - minX, 0.78 * 18 * 2 + 1);
        EXPECT_LE(maxY + 1 - minY, 0.72 * 18 * 2 + 1);
        glyphs.push_back(text);
    }
    // Simplified and traditional badges are different glyphs.
    EXPECT_NE(glyphs[3], glyphs[4]);
}

TEST(CursorRenderer, RenderDrawsTheImageAtAScaleWithTheMarkerOnTheWholeCanvas) {
    const CursorMarker marker = markerFor(CursorStyle::dotBadge);
    auto block = blockSnapshot({16, 16}, 0, 0, 4, 4, {2});
    const StandardCursor cursor{block.images[0], 16, 16, 1, 1};
    auto plain = CursorRenderer::render(cursor, std::nullopt, 2);
    ASSERT_TRUE(plain);
    expectSamePixels(*plain, block.images[0]);

    // The inner area is 15 x 15, so the disc shrinks to 15 and fills it.
    auto marked = CursorRenderer::render(cursor, marker, 2);
    ASSERT_TRUE(marked);
    const Fill fill = fillPixels(*marked, marker.fillColor);
    EXPECT_NEAR(fill.centreX, 16, 0.3);
    EXPECT_NEAR(fill.centreY, 16, 0.3);
    EXPECT_GT(fill.count, 0.75 * M_PI * 6.8 * 6.8 * 4);

    // A 5 x 5 canvas has no room for a disc: only the image is drawn.
    auto small = blockSnapshot({5, 5}, 1, 1, 2, 2, {2});
    auto unmarked = CursorRenderer::render({small.images[0], 5, 5, 0, 0}, marker, 2);
    ASSERT_TRUE(unmarked);
    expectSamePixels(*unmarked, small.images[0]);
    EXPECT_FALSE(CursorRenderer::render(cursor, marker, std::nan("")));
}

// Standard cursors drawn as a block in the top-left quarter, at any scale;
// the I-beam is missing and 5x cannot be drawn.
class BlockStandardCursors final : public StandardCursors {
  public:
    std::optional<StandardCursor> cursor(StandardCursorKind kind, double scale) const override {
        requests.push_back(scale);
        if (kind == StandardCursorKind::iBeam || scale == 5.0) {
            return std::nullopt;
        }
        auto block = blockSnapshot({20, 24}, 0, 0, 10, 12, {static_cast<int>(scale)});
        return StandardCursor{block.images[0], 20, 24, 2, 2};
    }
    mutable std::vector<double> requests;
};

TEST(CursorRenderer, FallbackImagesRenderTheStandardCursorAtFourScales) {
    const CursorMarker marker = markerFor(CursorStyle::dotBadge);
    BlockStandardCursors cursors;
    auto images = CursorRenderer::fallbackImages(CursorTemplate::arrow, std::nullopt, cursors);
    EXPECT_THAT(cursors.requests, ElementsAre(1.0, 2.0, 5.0, 10.0));
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[1].width(), 40);
    EXPECT_EQ(images[2].alphaAt(99, 119), 255); // 10x: the block resampled, nothing more
    EXPECT_EQ(images[2].alphaAt(100, 120), 0);

    auto marked = CursorRenderer::fallbackImages(CursorTemplate::pointingHand, marker, cursors);
    ASSERT_EQ(marked.size(), 3u);
    EXPECT_GT(fillPixels(marked[1], marker.fillColor).count, 0);
    EXPECT_TRUE(CursorRenderer::fallbackImages(CursorTemplate::iBeam, marker, cursors).empty());
}

TEST(CursorRenderer, MirroringSwapsColumnsMovesTheHotSpotAndLogs) {
    ::tolvane::testing::LogCapture log;
    const std::uint32_t pixels[] = {0xff000001, 0xff000002, 0xff000003,
                                    0x80000004, 0x00000000, 0x10000006};
    const std::uint32_t swapped[] = {0xff000003, 0xff000002, 0xff000001,
                                     0x10000006, 0x00000000, 0x80000004};
    const auto image = *Image::fromPixels(3, 2, 12, reinterpret_cast<const unsigned char*>(pixels));
    auto mirrored = CursorRenderer::mirrorHorizontally(image);
    ASSERT_TRUE(mirrored);
    expectSamePixels(*mirrored,
                     *Image::fromPixels(3, 2, 12, reinterpret_cast<const unsigned char*>(swapped)));

    auto snapshot = blockSnapshot({32, 32}, 0, 0, 8, 32, {1, 2});
    snapshot.hotSpot = {4, 4};
    auto flipped = CursorRenderer::mirrorSnapshot(snapshot);
    EXPECT_DOUBLE_EQ(flipped.hotSpot.x, 28);
    EXPECT_DOUBLE_EQ(flipped.hotSpot.y, 4);
    ASSERT_EQ(flipped.images.size(), 2u);
    EXPECT_EQ(flipped.images[1].alphaAt(63, 10), 255);

    EXPECT_EQ(log.takeLinesWithoutDebug(),
              std::vector<std::string>{
                  "[INFO] mirrorSnapshot: input 2 images → mirrored 2 images, size=32.0x32.0"});
}

} // namespace
} // namespace tolvane
