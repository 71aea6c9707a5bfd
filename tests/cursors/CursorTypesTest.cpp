#include "cursors/CursorIdentifier.h"
#include "cursors/CursorPayload.h"
#include "cursors/CursorRole.h"
#include "cursors/CursorTemplate.h"
#include "cursors/Fnv1a.h"

#include <gtest/gtest.h>
#include <string_view>

namespace tolvane {
namespace {

TEST(CursorRoleTest, RolesWalkInOrderWithTheirLegacyIdentifiers) {
    std::vector<std::string_view> names;
    for (CursorRole role : allCursorRoles) {
        names.push_back(caseName(role));
    }
    EXPECT_EQ(names, (std::vector<std::string_view>{"arrow", "iBeam", "pointingHand"}));
    EXPECT_EQ(caseName(CursorTemplate::pointingHand), "pointingHand");

    EXPECT_EQ(legacyIdentifiers(CursorRole::arrow),
              (std::vector<std::string>{
                  "com.apple.coregraphics.GlobalCurrent",
                  "com.apple.coregraphics.ConnectionCurrent", "com.apple.cursor.0",
                  "com.apple.cursor.6", "com.apple.cursor.100", "com.apple.coregraphics.Arrow",
                  "com.apple.coregraphics.ArrowCtx", "com.apple.coregraphics.ArrowS"}));
    EXPECT_EQ(legacyIdentifiers(CursorRole::iBeam),
              (std::vector<std::string>{
                  "com.apple.cursor.1", "com.apple.cursor.101", "com.apple.coregraphics.IBeam",
                  "com.apple.coregraphics.IBeamXOR", "com.apple.coregraphics.IBeamS"}));
    EXPECT_EQ(legacyIdentifiers(CursorRole::pointingHand),
              (std::vector<std::string>{"com.apple.cursor.13"}));
}

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

TEST(Fnv1aTest, KnownDigestsAsSixteenLowerCaseDigits) {
    auto digest = [](std::string_view text) {
        return hexDigest(
            fnv1a64({reinterpret_cast<const unsigned char*>(text.data()), text.size()}));
    };
    EXPECT_EQ(digest(""), "cbf29ce484222325");
    EXPECT_EQ(digest("foobar"), "85944171f73967e8");
    EXPECT_EQ(hexDigest(1), "0000000000000001");
}

} // namespace
} // namespace tolvane
