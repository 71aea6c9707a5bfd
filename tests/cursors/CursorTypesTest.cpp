// The roles' identifiers are pinned by the controller's start-up test and the
// FNV-1a hash by the runtime's fingerprint test, written out independently.
#include "cursors/CursorIdentifier.h"
#include "cursors/CursorPayload.h"
#include "cursors/Fnv1a.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(CursorPayloadTest, StrongNeedsTwoRegisteredImagesOnAtLeast24By30) {
    const Image image = *Image::fromPixels(1, 1, 4, std::vector<unsigned char>(4, 0xff).data());
    auto payload = [&](std::size_t imageCount, double width, double height) {
        CursorPayload result;
        result.snapshot.size = {width, height};
        result.images.assign(imageCount, image);
        return result;
    };
    EXPECT_TRUE(payload(2, 24, 30).isStrong());
    EXPECT_FALSE(payload(1, 100, 100).isStrong());
    EXPECT_FALSE(payload(2, 23.9, 30).isStrong());
    EXPECT_FALSE(payload(2, 24, 29.9).isStrong());
    // The snapshot's own images are not registered, so they do not count.
    CursorPayload geometryOnly = payload(1, 32, 32);
    geometryOnly.snapshot.images.assign(3, image);
    EXPECT_FALSE(geometryOnly.isStrong());
}

TEST(CursorIdentifierTest, NumberedIdentifiersReadTheirLastPieceAsASigned32BitNumber) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases{
        {"com.apple.cursor.13", 13},
        {"com.apple.cursor.+7", 7},
        {"com.apple.cursor.-2147483648", -2147483647 - 1},
        {"com.apple.cursor.5..13.", 13}, // empty pieces are dropped, the last one counts
        {"com.apple.cursor.2147483648", std::nullopt},
        {"com.apple.cursor.x13", std::nullopt},
        {"com.apple.cursor.", std::nullopt},
        {"com.apple.cursor.+", std::nullopt},
        {"com.apple.cursor.+-5", std::nullopt},
        {"com.apple.cursor. 13", std::nullopt},
        {"Com.Apple.Cursor.13", std::nullopt},
        {"13", std::nullopt},
    };
    for (const auto& [identifier, expected] : cases) {
        EXPECT_EQ(numberedCursorID(identifier), expected) << identifier;
    }
    EXPECT_EQ(numberedCursorIdentifier(-7), "com.apple.cursor.-7");
}

TEST(Fnv1aTest, DigestsAreSixteenLowerCaseDigits) {
    EXPECT_EQ(hexDigest(1), "0000000000000001");
    EXPECT_EQ(hexDigest(0xABCDEF0123456789), "abcdef0123456789");
}

} // namespace
} // namespace tolvane
