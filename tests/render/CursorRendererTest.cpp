#include "render/CursorRenderer.h"

#include "artwork/CursorArtwork.h"
#include "input/InputLanguage.h"
#include "support/LogCapture.h"
#include "render/TestArtwork.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::blockSnapshot;
using testing::drawnSnapshot;
using ::testing::ElementsAre;

struct Argb {
    int alpha, red, green, blue;
};

Argb argb(const Image& image, int x, int y) {
    const std::uint32_t word = image.pixel(x, y);
    return {static_cast<int>(word >> 24), static_cast<int>((word >> 16) & 0xff),
            static_cast<int>((word >> 8) & 0xff), static_cast<int>(word & 0xff)};
}

// An opaque colour as an 8-bit pixel, within rounding.
bool isColour(const Image& image, int x, int y, const Color& colour) {
    const Argb p = argb(image, x, y);
    const auto near = [](int actual, double expected) {
        return std::abs(actual - expected * 255) <= 1.5;
    };
    return p.alpha == 255 && near(p.red, colour.red) && near(p.green, colour.green) &&
           near(p.blue, colour.blue);
}

CursorMarker dotMarker() {
    return *CursorStyle(CursorStyle::dotBadge).marker(InputLanguage::make("en", "", ""));
}
CursorMarker letterMarker(const std::string& code) {
    return *CursorStyle(CursorStyle::letterBadge).marker(InputLanguage::make(code, "", ""));
}

DecoratedPayload decorate(const CursorSnapshot& snapshot, const std::optional<CursorMarker>& marker,
                          std::optional<CursorTemplate> kind = CursorTemplate::arrow,
                          bool leftHanded = false) {
    return CursorRenderer::decoratePayload(snapshot, marker, kind, false, false, false, leftHanded);
}

// Every input pixel that is at least half opaque is unchanged at its place on the canvas.
void expectSolidPixelsKept(const Image& input, const Image& output, int offsetX) {
    int checked = 0;
    for (int y = 0; y < input.height(); ++y) {
        for (int x = 0; x < input.width(); ++x) {
            if (input.alphaAt(x, y) >= 128) {
                ++checked;
                ASSERT_EQ(output.pixel(x + offsetX, y), input.pixel(x, y))
                    << "pixel " << x << "," << y;
            }
        }
    }
    EXPECT_GT(checked, 0);
}

// The centre, in pixels, of the pixels that have exactly the fill colour.
struct Found {
    int count = 0;
    double centreX = 0;
    double centreY = 0;
};
Found fillPixels(const Image& image, const Color& fill) {
    Found found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isColour(image, x, y, fill)) {
                ++found.count;
                found.centreX += x + 0.5;
                found.centreY += y + 0.5;
            }
        }
    }
    if (found.count > 0) {
        found.centreX /= found.count;
        found.centreY /= found.count;
    }
    return found;
}

TEST(CursorRenderer, WithoutAMarkerThePayloadIsTheInput) {
    auto snapshot = blockSnapshot({32, 32}, 4, 4, 10, 20, {1, 2});
    snapshot.hotSpot = {4, 5};
    auto payload = decorate(snapshot, std::nullopt);
    EXPECT_DOUBLE_EQ(payload.snapshot.size.width, 32);
    EXPECT_DOUBLE_EQ(payload.snapshot.size.height, 32);
    EXPECT_DOUBLE_EQ(payload.snapshot.hotSpot.x, 4);
    ASSERT_EQ(payload.images.size(), 2u);
    EXPECT_TRUE(payload.images[0].sharesPixelsWith(snapshot.images[0]));
    EXPECT_TRUE(payload.images[1].sharesPixelsWith(snapshot.images[1]));
}

TEST(CursorRenderer, ArrowCanvasGrowsAtEachImagesOwnDensity) {
    auto snapshot = blockSnapshot({32, 32}, 2, 2, 12, 18, {1, 2, 5});
    snapshot.hotSpot = {4, 4};
    snapshot.frameCount = 1;
    auto payload = decorate(snapshot, dotMarker());

    EXPECT_DOUBLE_EQ(payload.snapshot.size.width, 32);
    EXPECT_DOUBLE_EQ(payload.snapshot.size.height, 43);
    EXPECT_DOUBLE_EQ(payload.snapshot.hotSpot.x, 4);
    EXPECT_DOUBLE_EQ(payload.snapshot.hotSpot.y, 4);
    EXPECT_EQ(payload.snapshot.frameCount, 1u);
    ASSERT_EQ(payload.snapshot.images.size(), 3u);
    EXPECT_TRUE(payload.snapshot.images[0].sharesPixelsWith(snapshot.images[0]));

    ASSERT_EQ(payload.images.size(), 3u);
    const int densities[] = {1, 2, 5};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(densities[i]);
        const int k = densities[i];
        const Image& image = payload.images[i];
        EXPECT_EQ(image.width(), 32 * k);
        EXPECT_EQ(image.height(), 43 * k);
        expectSolidPixelsKept(snapshot.images[i], image, 0);
        // The shape's box is x 2...14, y 23...41 (y up): below mode puts the
        // disc at x 8 - 6.3 + 3 = 4.7, y 23 - 21 = 2, clear of the box. Its
        // centre is (13.7, 11), 32 points from the top.
        EXPECT_TRUE(isColour(image, static_cast<int>(13.7 * k), 32 * k, dotMarker().fillColor));
        const Found fill = fillPixels(image, dotMarker().fillColor);
        EXPECT_NEAR(fill.centreX / k, 13.7, 0.3);
        EXPECT_NEAR(fill.centreY / k, 32, 0.3);
        // Outside the disc and its outline the margin stays transparent.
        EXPECT_EQ(argb(image, static_cast<int>((13.7 + 9 + 0.7 + 1) * k), 32 * k).alpha, 0);
        EXPECT_EQ(
            argb(image, static_cast<int>(13.7 * k), static_cast<int>((32 - 9 - 0.7 - 1) * k)).alpha,
            0);
        // The outline is the border colour, black at alpha 0.85.
        const Argb ring = argb(image, static_cast<int>(13.7 * k),
                               static_cast<int>(std::lround((32 + 9) * k)) - 1);
        EXPECT_GT(ring.alpha, 150);
        EXPECT_LT(ring.red + ring.green + ring.blue, 3 * 40);
    }
}

TEST(CursorRenderer, NonIntegerDensityRoundsTheCanvasUp) {
    auto snapshot = blockSnapshot({32, 32}, 2, 2, 12, 18, {1});
    // A 48-pixel image of a 32-point cursor: 1.5 pixels per point.
    auto wide = Canvas::make(48, 48, 32, 32);
    snapshot.images = {*std::move(*wide).finish()};
    auto payload = decorate(snapshot, dotMarker());
    ASSERT_EQ(payload.images.size(), 1u);
    EXPECT_EQ(payload.images[0].width(), 48);
    EXPECT_EQ(payload.images[0].height(), 65); // ceil(43 x 1.5)
}

TEST(CursorRenderer, DiscNeverHidesSolidPointerPixelsWhenThereIsRoom) {
    // A bar down the left side, a thin line along the top and a tail block at
    // the bottom: the box of the shape fills the image, and the placement by
    // the box ends with the disc over the tail. There is room at the right.
    auto snapshot = drawnSnapshot({32, 32}, {2, 2}, {1, 2}, [](cairo_t* context) {
        cairo_set_source_rgb(context, 0, 0, 0);
        cairo_rectangle(context, 2, 2, 4, 29);
        cairo_rectangle(context, 2, 2, 28, 2);
        cairo_rectangle(context, 12, 26, 4, 4);
        cairo_fill(context);
    });
    for (const auto& marker : {dotMarker(), letterMarker("en")}) {
        auto payload = decorate(snapshot, marker);
        ASSERT_EQ(payload.images.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            SCOPED_TRACE(i);
            const int k = static_cast<int>(i) + 1;
            expectSolidPixelsKept(snapshot.images[i], payload.images[i], 0);
            // The disc was drawn, whole: its fill covers most of its area
            // (half of it at least, with the text on it).
            const Found fill = fillPixels(payload.images[i], marker.fillColor);
            const double r = 9 - marker.borderWidth / 2;
            EXPECT_GT(fill.count, 0.5 * M_PI * r * r * k * k);
            // Right of the bar and the tail, inside the canvas.
            EXPECT_GT(fill.centreX / k, 6 + 9.7);
            EXPECT_LT(fill.centreX / k, 32 - 9);
        }
    }
}

TEST(CursorRenderer, WithoutRoomTheDiscStaysWhereThePlacementPutIt) {
    // The shape fills the whole image: beside mode, clamped to x 13.5, y 0.5.
    auto snapshot = blockSnapshot({32, 32}, 0, 0, 32, 32, {2});
    auto payload = decorate(snapshot, dotMarker());
    ASSERT_EQ(payload.images.size(), 1u);
    const Found fill = fillPixels(payload.images[0], dotMarker().fillColor);
    EXPECT_NEAR(fill.centreX / 2, 22.5, 0.3);
    EXPECT_NEAR(fill.centreY / 2, 43 - 9.5, 0.3);
}

TEST(CursorRenderer, IBeamGetsSideAndBottomMarginsAndLeftHandedMovesTheImage) {
    auto snapshot = blockSnapshot({8, 18}, 3, 0, 2, 18, {1, 2});
    snapshot.hotSpot = {4, 9};

    auto right = decorate(snapshot, letterMarker("en"), CursorTemplate::iBeam);
    EXPECT_DOUBLE_EQ(right.snapshot.size.width, 34);
    EXPECT_DOUBLE_EQ(right.snapshot.size.height, 48);
    EXPECT_DOUBLE_EQ(right.snapshot.hotSpot.x, 4);
    ASSERT_EQ(right.images.size(), 2u);
    EXPECT_EQ(right.images[1].width(), 68);
    EXPECT_EQ(right.images[1].height(), 96);
    expectSolidPixelsKept(snapshot.images[1], right.images[1], 0);
    // The disc sits right of the beam.
    EXPECT_GT(fillPixels(right.images[1], letterMarker("en").fillColor).centreX / 2, 8);

    auto left = decorate(snapshot, letterMarker("en"), CursorTemplate::iBeam, true);
    EXPECT_DOUBLE_EQ(left.snapshot.size.width, 34);
    EXPECT_DOUBLE_EQ(left.snapshot.hotSpot.x, 30);
    EXPECT_DOUBLE_EQ(left.snapshot.hotSpot.y, 9);
    ASSERT_EQ(left.images.size(), 2u);
    expectSolidPixelsKept(snapshot.images[0], left.images[0], 26);
    expectSolidPixelsKept(snapshot.images[1], left.images[1], 52);
    EXPECT_LT(fillPixels(left.images[1], letterMarker("en").fillColor).centreX / 2, 26);
}

TEST(CursorRenderer, HorizontalResizeGetsRoomOnTheRight) {
    auto snapshot = blockSnapshot({24, 24}, 2, 9, 20, 6, {1});
    snapshot.hotSpot = {12, 12};
    auto payload = CursorRenderer::decoratePayload(snapshot, dotMarker(), std::nullopt, true, false,
                                                   false, false);
    EXPECT_DOUBLE_EQ(payload.snapshot.size.width, 52);
    EXPECT_DOUBLE_EQ(payload.snapshot.size.height, 44);
    ASSERT_EQ(payload.images.size(), 1u);
    expectSolidPixelsKept(snapshot.images[0], payload.images[0], 0);
    // The shape box is 20 x 6 points, narrow: anchored on it grown by 2,
    // beside mode, x = 24 + 1.62 + 5 (no plain offset with a resize flag).
    const Found fill = fillPixels(payload.images[0], dotMarker().fillColor);
    EXPECT_NEAR(fill.centreX, 24 + 1.62 + 5 + 9, 0.5);
}

TEST(CursorRenderer, FullyTransparentImageGetsTheDiscAgainstTheWholeCanvas) {
    auto snapshot = drawnSnapshot({32, 32}, {0, 0}, {1}, [](cairo_t*) {});
    auto payload = decorate(snapshot, dotMarker());
    ASSERT_EQ(payload.images.size(), 1u);
    // Below mode under the canvas middle: x = 16 - 6.3 + 3 = 12.7, y = 0.5.
    const Found fill = fillPixels(payload.images[0], dotMarker().fillColor);
    EXPECT_NEAR(fill.centreX, 12.7 + 9, 0.3);
    EXPECT_NEAR(fill.centreY, 43 - 9.5, 0.3);
}

TEST(CursorRenderer, ImagesThatCannotBeDrawnAreLeftOut) {
    auto snapshot = blockSnapshot({32, 32}, 2, 2, 12, 18, {1});
    // 100 pixels for a hundredth of a point: a canvas of 240000 pixels wide.
    auto absurd = Canvas::make(100, 1, 0.01, 1);
    auto tiny = blockSnapshot({32, 32}, 0, 0, 1, 1, {1});
    tiny.size = {0.01, 1};
    tiny.images = {*std::move(*absurd).finish()};
    auto payload = decorate(tiny, dotMarker());
    EXPECT_TRUE(payload.images.empty());

    // Broken sizes draw nothing and do not crash.
    snapshot.frameCount = 3;
    for (CursorSize broken : {CursorSize{std::nan(""), 32}, CursorSize{0, 32}, CursorSize{32, 0}}) {
        snapshot.size = broken;
        payload = decorate(snapshot, dotMarker());
        EXPECT_TRUE(payload.images.empty());
        EXPECT_EQ(payload.snapshot.frameCount, 3u);
    }
    // A negative width still gets a canvas with room for the disc.
    snapshot.size = {-8, 32};
    payload = decorate(snapshot, dotMarker());
    EXPECT_DOUBLE_EQ(payload.snapshot.size.width, 24);
    EXPECT_DOUBLE_EQ(payload.snapshot.size.height, 43);
}

TEST(CursorRenderer, BadgeTextIsDrawnCentredInTheDisc) {
    auto snapshot = drawnSnapshot({32, 32}, {0, 0}, {2}, [](cairo_t*) {});
    std::vector<std::vector<std::uint32_t>> glyphs;
    for (const std::string code : {"en", "ru", "de", "zh-hans", "zh-hant"}) {
        SCOPED_TRACE(code);
        const CursorMarker marker = letterMarker(code);
        auto payload = decorate(snapshot, marker);
        ASSERT_EQ(payload.images.size(), 1u);
        const Image& image = payload.images[0];
        // The disc's centre (21.7, 9.5) at 2x; look inside 80 % of its radius
        // for text pixels (close to white, unlike the fill).
        const double cx = 21.7 * 2;
        const double cy = (43 - 9.5) * 2;
        const double r = 0.8 * 9 * 2;
        int minX = 1000, maxX = -1, minY = 1000, maxY = -1, count = 0;
        std::vector<std::uint32_t> text;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) > r) {
                    continue;
                }
                const Argb p = argb(image, x, y);
                const bool white = p.red > 200 && p.green > 200 && p.blue > 200;
                text.push_back(white ? 1 : 0);
                if (white) {
                    ++count;
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                    minY = std::min(minY, y);
                    maxY = std::max(maxY, y);
                }
            }
        }
        ASSERT_GT(count, 20);
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
    auto block = blockSnapshot({16, 16}, 0, 0, 4, 4, {2});
    const StandardCursor cursor{block.images[0], 16, 16, 1, 1};

    auto plain = CursorRenderer::render(cursor, std::nullopt, 2);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->width(), 32);
    EXPECT_EQ(plain->height(), 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(plain->pixel(x, y), block.images[0].pixel(x, y)) << x << "," << y;
        }
    }
    // Another scale resamples the image onto its own canvas.
    auto triple = CursorRenderer::render(cursor, std::nullopt, 3);
    ASSERT_TRUE(triple);
    EXPECT_EQ(triple->width(), 48);
    EXPECT_EQ(triple->alphaAt(5, 5), 255);
    EXPECT_EQ(triple->alphaAt(20, 20), 0);

    // The inner area is 15 x 15, so the disc shrinks to 15 and fills it.
    auto marked = CursorRenderer::render(cursor, dotMarker(), 2);
    ASSERT_TRUE(marked);
    const Found fill = fillPixels(*marked, dotMarker().fillColor);
    EXPECT_NEAR(fill.centreX, 16, 0.3);
    EXPECT_NEAR(fill.centreY, 16, 0.3);
    EXPECT_GT(fill.count, 0.75 * M_PI * 6.8 * 6.8 * 4);

    // A 5 x 5 canvas has no room for a disc: only the image is drawn.
    auto small = blockSnapshot({5, 5}, 1, 1, 2, 2, {2});
    auto tiny = CursorRenderer::render({small.images[0], 5, 5, 0, 0}, dotMarker(), 2);
    ASSERT_TRUE(tiny);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(tiny->pixel(x, y), small.images[0].pixel(x, y)) << x << "," << y;
        }
    }

    EXPECT_FALSE(CursorRenderer::render(cursor, dotMarker(), std::nan("")));
    EXPECT_FALSE(CursorRenderer::render({block.images[0], 0, 16, 0, 0}, dotMarker(), 2));
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
        const int density = static_cast<int>(scale);
        auto block = blockSnapshot({20, 24}, 0, 0, 10, 12, {density});
        return StandardCursor{block.images[0], 20, 24, 2, 2};
    }
    mutable std::vector<double> requests;
};

TEST(CursorRenderer, FallbackImagesRenderTheStandardCursorAtFourScales) {
    BlockStandardCursors cursors;
    auto images = CursorRenderer::fallbackImages(CursorTemplate::arrow, std::nullopt, cursors);
    EXPECT_THAT(cursors.requests, ElementsAre(1.0, 2.0, 5.0, 10.0));
    // 5x could not be drawn and is left out.
    ASSERT_EQ(images.size(), 3u);
    EXPECT_EQ(images[0].width(), 20);
    EXPECT_EQ(images[1].width(), 40);
    EXPECT_EQ(images[2].width(), 200);
    EXPECT_EQ(images[2].height(), 240);
    EXPECT_EQ(images[2].alphaAt(99, 119), 255);
    EXPECT_EQ(images[2].alphaAt(100, 120), 0);

    auto marked =
        CursorRenderer::fallbackImages(CursorTemplate::pointingHand, dotMarker(), cursors);
    ASSERT_EQ(marked.size(), 3u);
    EXPECT_GT(fillPixels(marked[1], dotMarker().fillColor).count, 0);

    EXPECT_TRUE(
        CursorRenderer::fallbackImages(CursorTemplate::iBeam, dotMarker(), cursors).empty());
}

TEST(CursorRenderer, MirrorsPixelsAndLogs) {
    ::tolvane::testing::LogCapture log;
    const std::uint32_t pixels[] = {0xff000001, 0xff000002, 0xff000003,
                                    0x80000004, 0x00000000, 0x10000006};
    auto image = *Image::fromPixels(3, 2, 12, reinterpret_cast<const unsigned char*>(pixels));
    auto mirrored = CursorRenderer::mirrorHorizontally(image);
    ASSERT_TRUE(mirrored);
    EXPECT_EQ(mirrored->pixel(0, 0), 0xff000003u);
    EXPECT_EQ(mirrored->pixel(1, 0), 0xff000002u);
    EXPECT_EQ(mirrored->pixel(2, 0), 0xff000001u);
    EXPECT_EQ(mirrored->pixel(0, 1), 0x10000006u);
    EXPECT_EQ(mirrored->pixel(2, 1), 0x80000004u);
    EXPECT_FALSE(mirrored->sharesPixelsWith(image));

    // One column wide: the same pixels.
    auto column = *Image::fromPixels(1, 2, 4, reinterpret_cast<const unsigned char*>(pixels));
    auto same = CursorRenderer::mirrorHorizontally(column);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->pixel(0, 0), 0xff000001u);
    EXPECT_EQ(same->pixel(0, 1), 0xff000002u);

    EXPECT_THAT(log.takeLines(), ElementsAre("[DEBUG] mirrorHorizontally: success 3x2",
                                             "[DEBUG] mirrorHorizontally: success 1x2"));
}

TEST(CursorRenderer, MirrorSnapshotMovesTheHotSpotAndKeepsTiming) {
    ::tolvane::testing::LogCapture log;
    auto snapshot = blockSnapshot({32, 32}, 0, 0, 8, 32, {1, 2});
    snapshot.hotSpot = {4, 4};
    snapshot.frameCount = 2;
    snapshot.frameDuration = 0.25;
    auto mirrored = CursorRenderer::mirrorSnapshot(snapshot);
    EXPECT_DOUBLE_EQ(mirrored.hotSpot.x, 28);
    EXPECT_DOUBLE_EQ(mirrored.hotSpot.y, 4);
    EXPECT_DOUBLE_EQ(mirrored.size.width, 32);
    EXPECT_EQ(mirrored.frameCount, 2u);
    EXPECT_DOUBLE_EQ(mirrored.frameDuration, 0.25);
    ASSERT_EQ(mirrored.images.size(), 2u);
    EXPECT_EQ(mirrored.images[1].alphaAt(63, 10), 255);
    EXPECT_EQ(mirrored.images[1].alphaAt(0, 10), 0);

    auto lines = log.takeLines();
    EXPECT_THAT(lines,
                ::testing::Contains(
                    "[INFO] mirrorSnapshot: input 2 images → mirrored 2 images, size=32.0x32.0"));
}

// Every cursor of the simulated desktop, decorated with every style for both
// hands at 1x and 2x, keeps its solid pixels visible.
TEST(CursorRenderer, NoSystemCursorHasItsShapeHiddenByTheDisc) {
    ::tolvane::testing::LogCapture log;
    for (int index = 0; index < cursorShapeCount; ++index) {
        const auto shape = static_cast<CursorShape>(index);
        const CursorGeometry geometry = CursorArtwork::geometry(shape);
        CursorSnapshot snapshot{
            {geometry.width, geometry.height}, {geometry.hotSpotX, geometry.hotSpotY}, 1, 0, {}};
        for (double scale : {1.0, 2.0}) {
            snapshot.images.push_back(
                *Image::adopt(CursorArtwork::draw(shape, 0, scale).release()));
        }
        const double w = geometry.width;
        const double h = geometry.height;
        // Templates and resize flags as the cursor controller gives them.
        std::optional<CursorTemplate> kind;
        if (shape == CursorShape::arrow) {
            kind = CursorTemplate::arrow;
        } else if (shape == CursorShape::iBeam) {
            kind = CursorTemplate::iBeam;
        } else if (shape == CursorShape::pointingHand) {
            kind = CursorTemplate::pointingHand;
        }
        const bool horizontal = !kind && w > 1.3 * h;
        const bool vertical = !kind && h > 1.3 * w;
        const bool diagonal =
            !kind && !horizontal && !vertical && w > 15 && w < 35 && h > 15 && h < 35;
        for (CursorStyle style :
             {CursorStyle::letterBadge, CursorStyle::dotBadge, CursorStyle::highContrast}) {
            for (bool leftHanded : {false, true}) {
                SCOPED_TRACE(std::string(CursorArtwork::name(shape)) + " " + style.rawValue() +
                             (leftHanded ? " left" : " right"));
                const CursorSnapshot input =
                    leftHanded ? CursorRenderer::mirrorSnapshot(snapshot) : snapshot;
                auto payload = CursorRenderer::decoratePayload(
                    input, style.marker(InputLanguage::make("de", "", "")), kind, horizontal,
                    vertical, diagonal, leftHanded);
                ASSERT_EQ(payload.images.size(), 2u);
                const double padLeft = payload.snapshot.hotSpot.x - input.hotSpot.x;
                for (std::size_t i = 0; i < 2; ++i) {
                    const Image& before = input.images[i];
                    const int offset =
                        static_cast<int>(std::lround(padLeft * static_cast<double>(i + 1)));
                    int solid = 0;
                    int changed = 0;
                    for (int y = 0; y < before.height(); ++y) {
                        for (int x = 0; x < before.width(); ++x) {
                            if (before.alphaAt(x, y) >= 128) {
                                ++solid;
                                changed +=
                                    payload.images[i].pixel(x + offset, y) != before.pixel(x, y)
                                        ? 1
                                        : 0;
                            }
                        }
                    }
                    // At 1x the arrow's edge pixels are whole points, which
                    // leaves the thicker outlines no spot that is clear by a
                    // fraction of a point: the least covered one touches a pixel.
                    EXPECT_LE(changed, i == 0 ? solid / 100 : 0) << "at " << i + 1 << "x";
                }
            }
        }
    }
}

} // namespace
} // namespace tolvane
