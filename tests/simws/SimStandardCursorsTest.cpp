// The simulated session's standard cursors agree with the window server's own.
#include "platform/sim/SimStandardCursors.h"

#include "simws/Control.h"
#include "simws/SimwsLibrary.h"

#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace tolvane::testing {
namespace {

std::vector<std::uint8_t> imageBytes(const Image& image) {
    std::vector<std::uint8_t> bytes;
    for (int row = 0; row < image.height(); ++row) {
        const unsigned char* start = image.bytes() + row * image.bytesPerRow();
        bytes.insert(bytes.end(), start, start + image.width() * 4);
    }
    return bytes;
}

TEST(SimStandardCursors, MatchTheSystemCursorsPixelForPixelAndRefuseBadScales) {
    tvws_reset();
    SimStandardCursors cursors;
    const std::pair<StandardCursorKind, std::int32_t> kinds[] = {
        {StandardCursorKind::arrow, 0},
        {StandardCursorKind::iBeam, 1},
        {StandardCursorKind::pointingHand, 13}};
    for (const auto& [kind, number] : kinds) {
        TVWSCursorInfo info{};
        ASSERT_EQ(tvws_copy_system_cursor(number, &info), 0);
        std::unique_ptr<TVWSObject, decltype(&TVWSRelease)> images(info.images, TVWSRelease);
        // The 1x and 2x representations.
        for (std::size_t representation : {0u, 1u}) {
            std::optional<StandardCursor> cursor =
                cursors.cursor(kind, static_cast<double>(representation + 1));
            ASSERT_TRUE(cursor) << number;
            EXPECT_EQ(cursor->width, info.size.width);
            EXPECT_EQ(cursor->height, info.size.height);
            EXPECT_EQ(cursor->hotSpotX, info.hotSpot.x);
            EXPECT_EQ(cursor->hotSpotY, info.hotSpot.y);
            EXPECT_EQ(imageBytes(cursor->image),
                      pixelBytes(TVWSArrayGetValueAtIndex(images.get(), representation)))
                << number << " representation " << representation;
        }
    }
    std::optional<StandardCursor> arrow = cursors.cursor(StandardCursorKind::arrow, 1.5);
    ASSERT_TRUE(arrow);
    EXPECT_EQ(arrow->image.width(), 42);
    EXPECT_EQ(arrow->image.height(), 48);
    for (double scale : {0.0, 1000.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_FALSE(cursors.cursor(StandardCursorKind::iBeam, scale)) << scale;
    }
}

} // namespace
} // namespace tolvane::testing
