#include "cursors/CursorIdentifier.h"
#include "cursors/CursorPayload.h"
#include "cursors/CursorRole.h"
#include "cursors/CursorTemplate.h"
#include "cursors/Fnv1a.h"

#include <gtest/gtest.h>
#include <map>
#include <string_view>
#include <unordered_set>

namespace tolvane {
namespace {

Image solidImage(int width, int height, std::uint32_t argb) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), argb);
    return *Image::fromPixels(width, height, width * 4,
                              reinterpret_cast<const unsigned char*>(pixels.data()));
}

TEST(CursorRoleTest, RolesWalkInOrderWithTheirLegacyIdentifiers) {
    std::vector<std::string_view> names;
    for (CursorRole role : allCursorRoles) {
        names.push_back(caseName(role));
    }
    EXPECT_EQ(names, (std::vector<std::string_view>{"arrow", "iBeam", "pointingHand"}));

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

TEST(CursorRoleTest, RolesAndTemplatesAreKeysByCase) {
    std::unordered_set<CursorRole> roles{CursorRole::iBeam, CursorRole::arrow, CursorRole::iBeam};
    EXPECT_EQ(roles.size(), 2u);
    std::map<CursorTemplate, int> templates{{CursorTemplate::pointingHand, 1},
                                            {CursorTemplate::arrow, 2}};
    templates[CursorTemplate::pointingHand] = 3;
    EXPECT_EQ(templates.size(), 2u);
    EXPECT_EQ(templates.at(CursorTemplate::pointingHand), 3);
    EXPECT_EQ(caseName(CursorTemplate::arrow), "arrow");
    EXPECT_EQ(caseName(CursorTemplate::iBeam), "iBeam");
    EXPECT_EQ(caseName(CursorTemplate::pointingHand), "pointingHand");
}

TEST(CursorPayloadTest, StrongNeedsTwoImagesOnAtLeast24By30) {
    Image image = solidImage(4, 4, 0xff000000);
    auto payload = [&](std::size_t imageCount, double width, double height) {
        CursorPayload result;
        result.snapshot.size = {width, height};
        result.images.assign(imageCount, image);
        return result;
    };
    EXPECT_TRUE(payload(2, 24, 30).isStrong());
    EXPECT_TRUE(payload(5, 64, 64).isStrong());
    EXPECT_FALSE(payload(1, 100, 100).isStrong());
    EXPECT_FALSE(payload(0, 100, 100).isStrong());
    EXPECT_FALSE(payload(2, 23.9, 30).isStrong());
    EXPECT_FALSE(payload(2, 24, 29.9).isStrong());

    // The snapshot's own images do not count: only what gets registered does.
    CursorPayload geometryOnly = payload(1, 32, 32);
    geometryOnly.snapshot.images.assign(3, image);
    EXPECT_FALSE(geometryOnly.isStrong());

    ResolvedPayload resolved{payload(2, 32, 32), "template+canonical-fallback",
                             "com.apple.coregraphics.Arrow"};
    EXPECT_TRUE(resolved.isStrong());
}

TEST(CursorSnapshotTest, CopiesShareImagesAndAnEmptySnapshotIsCarriedLikeAnyOther) {
    CursorSnapshot original{{32, 32}, {4.5, 3}, 2, 0.1, {solidImage(8, 8, 0xff336699)}};
    CursorSnapshot copy = original;
    ASSERT_EQ(copy.images.size(), 1u);
    EXPECT_TRUE(copy.images[0].sharesPixelsWith(original.images[0]));
    EXPECT_EQ(copy.hotSpot.x, 4.5);
    EXPECT_EQ(copy.frameCount, 2u);

    CursorSnapshot geometryOnly{{24, 30}, {0, 0}, 1, 0, {}};
    std::map<std::string, CursorSnapshot> stored{{"com.apple.cursor.13", geometryOnly}};
    EXPECT_TRUE(stored.at("com.apple.cursor.13").images.empty());
    EXPECT_EQ(stored.at("com.apple.cursor.13").size.height, 30);
}

TEST(CursorIdentifierTest, NumberedIdentifiersReadTheirLastPieceAsASigned32BitNumber) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases{
        {"com.apple.cursor.13", 13},
        {"com.apple.cursor.+7", 7},
        {"com.apple.cursor.-3", -3},
        {"com.apple.cursor.0", 0},
        {"com.apple.cursor.2147483647", 2147483647},
        {"com.apple.cursor.-2147483648", -2147483647 - 1},
        {"com.apple.cursor.13.", 13},   // empty pieces are dropped
        {"com.apple.cursor.5..13", 13}, // the last piece counts
        {"com.apple.cursor.2147483648", std::nullopt},
        {"com.apple.cursor.99999999999", std::nullopt},
        {"com.apple.cursor.x13", std::nullopt},
        {"com.apple.cursor.", std::nullopt},
        {"com.apple.cursor.+", std::nullopt},
        {"com.apple.cursor.-", std::nullopt},
        {"com.apple.cursor.+-5", std::nullopt},
        {"com.apple.cursor. 13", std::nullopt},
        {"com.apple.cursor.13 ", std::nullopt},
        {"com.apple.cursor.1e3", std::nullopt},
        {"Com.Apple.Cursor.13", std::nullopt},
        {"com.apple.coregraphics.Arrow", std::nullopt},
        {"13", std::nullopt},
    };
    for (const auto& [identifier, expected] : cases) {
        EXPECT_EQ(numberedCursorID(identifier), expected) << identifier;
    }
    EXPECT_EQ(numberedCursorIdentifier(-7), "com.apple.cursor.-7");
    EXPECT_EQ(numberedCursorID(numberedCursorIdentifier(44)), 44);
}

TEST(Fnv1aTest, KnownDigestsAsSixteenLowerCaseDigits) {
    auto digest = [](std::string_view text) {
        return hexDigest(
            fnv1a64({reinterpret_cast<const unsigned char*>(text.data()), text.size()}));
    };
    EXPECT_EQ(digest(""), "cbf29ce484222325");
    EXPECT_EQ(digest("a"), "af63dc4c8601ec8c");
    EXPECT_EQ(digest("foobar"), "85944171f73967e8");
    EXPECT_EQ(hexDigest(1), "0000000000000001");
    EXPECT_EQ(hexDigest(0xFFFFFFFFFFFFFFFFULL), "ffffffffffffffff");
}

} // namespace
} // namespace tolvane
