// The system's own cursors as the window server hands them out.
#include "simws/WindowServerFixture.h"

#include <cctype>
#include <set>
#include <string>

namespace tolvane::testing {
namespace {

std::string lowercase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

TEST_F(WindowServerTest, CoreCursorsComeAtOneTwoFiveAndTenTimesTheirSize) {
    for (std::int32_t number = 0; number <= 44; ++number) {
        CopiedCursor cursor = copyCore(number);
        ASSERT_EQ(cursor.status, 0) << number;
        ASSERT_GE(cursor.frameCount, 1u) << number;
        const std::size_t count = TVWSArrayGetCount(cursor.images.get());
        ASSERT_EQ(count, 4 * cursor.frameCount) << number;
        const double scales[] = {1, 2, 5, 10};
        for (std::size_t representation = 0; representation < 4; ++representation) {
            TVWSImageRef image =
                TVWSArrayGetValueAtIndex(cursor.images.get(), representation * cursor.frameCount);
            EXPECT_EQ(TVWSImageGetWidth(image),
                      static_cast<std::size_t>(cursor.size.width * scales[representation]))
                << number;
            EXPECT_EQ(TVWSImageGetAlphaInfo(image), TVWSAlphaPremultipliedFirst);
        }
    }
    EXPECT_EQ(copyCore(45).status, TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(copyCore(-1).status, TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(copyCore(100).status, TVWS_STATUS_ILLEGAL_ARGUMENT);
}

TEST_F(WindowServerTest, CursorGeometryFitsWhatTheControllerLooksFor) {
    // Arrow-role cursors are strong payloads: at least 24 x 30 with several images.
    for (const char* name :
         {"com.apple.cursor.0", "com.apple.cursor.6", "com.apple.cursor.100",
          "com.apple.coregraphics.Arrow", "com.apple.coregraphics.ArrowCtx",
          "com.apple.coregraphics.ArrowS", "com.apple.coregraphics.GlobalCurrent",
          "com.apple.coregraphics.ConnectionCurrent"}) {
        CopiedCursor arrow = copyRegistered(name);
        ASSERT_EQ(arrow.status, 0) << name;
        EXPECT_GE(arrow.size.width, 24) << name;
        EXPECT_GE(arrow.size.height, 30) << name;
        EXPECT_GE(TVWSArrayGetCount(arrow.images.get()), 2u) << name;
        EXPECT_LE(arrow.hotSpot.x / arrow.size.width, 0.6) << name;
        EXPECT_LE(arrow.hotSpot.y / arrow.size.height, 0.6) << name;
    }
    CopiedCursor iBeam = copyCore(1);
    EXPECT_GE(iBeam.size.height, iBeam.size.width);
    CopiedCursor hand = copyCore(13);
    EXPECT_LE(hand.hotSpot.y / hand.size.height, 0.7);
    // Resize cursors: horizontal wider than 1.3 x their height, vertical the other
    // way, diagonal square and strictly between 15 and 35 points.
    for (std::int32_t number : {17, 18, 19, 29, 40, 41}) {
        CopiedCursor cursor = copyCore(number);
        EXPECT_GT(cursor.size.width, 1.3 * cursor.size.height) << number;
    }
    for (std::int32_t number : {20, 21, 22, 30, 42, 43}) {
        CopiedCursor cursor = copyCore(number);
        EXPECT_GT(cursor.size.height, 1.3 * cursor.size.width) << number;
    }
    for (std::int32_t number = 23; number <= 28; ++number) {
        CopiedCursor cursor = copyCore(number);
        EXPECT_EQ(cursor.size.width, cursor.size.height) << number;
        EXPECT_GT(cursor.size.width, 15) << number;
        EXPECT_LT(cursor.size.width, 35) << number;
    }
}

TEST_F(WindowServerTest, AnimatedCursorsHaveSeveralDistinctFrames) {
    for (std::int32_t number : {4, 14, 15, 16}) {
        CopiedCursor cursor = copyCore(number);
        ASSERT_GT(cursor.frameCount, 1u) << number;
        EXPECT_GT(cursor.frameDuration, 0) << number;
        TVWSImageRef first = TVWSArrayGetValueAtIndex(cursor.images.get(), 0);
        TVWSImageRef second = TVWSArrayGetValueAtIndex(cursor.images.get(), 1);
        EXPECT_NE(pixelBytes(first), pixelBytes(second)) << number;
    }
    EXPECT_EQ(copyCore(0).frameCount, 1u);
    EXPECT_EQ(copyCore(0).frameDuration, 0);
}

TEST_F(WindowServerTest, SystemCursorNamesCoverWhatDiscoveryLooksFor) {
    std::set<std::string> names;
    std::set<std::int32_t> arrows;
    std::set<std::int32_t> iBeams;
    std::set<std::int32_t> animatedByName;
    for (std::int32_t number = 0; number < 512; ++number) {
        const char* name = cursorNameForSystemCursor(number);
        if (name == nullptr) {
            EXPECT_TRUE(number > 44 && (number < 100 || number > 103)) << number;
            continue;
        }
        EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
        const std::string lower = lowercase(name);
        if (lower.find("arrow") != std::string::npos) {
            arrows.insert(number);
        }
        if (lower.find("ibeam") != std::string::npos) {
            iBeams.insert(number);
        }
        for (const char* token : {"wait", "busy", "progress", "counting"}) {
            if (lower.find(token) != std::string::npos) {
                animatedByName.insert(number);
            }
        }
        // Every reported name, and its number's own name, is a registered cursor.
        EXPECT_EQ(copyRegistered(name).status, 0) << name;
        EXPECT_EQ(copyRegistered(("com.apple.cursor." + std::to_string(number)).c_str()).status, 0);
    }
    EXPECT_EQ(names.size(), 49u);
    EXPECT_EQ(arrows, (std::set<std::int32_t>{0, 6, 100}));
    EXPECT_EQ(iBeams, (std::set<std::int32_t>{1, 11, 101}));
    // The controller's fixed animated numbers, plus some found only by their names.
    EXPECT_EQ(animatedByName, (std::set<std::int32_t>{4, 14, 15, 16, 37, 102, 103}));
    EXPECT_EQ(std::string(cursorNameForSystemCursor(13)), "com.apple.coregraphics.PointingHand");
    EXPECT_EQ(cursorNameForSystemCursor(-1), nullptr);
}

TEST_F(WindowServerTest, AliasNamesShowTheSameArtworkAsTheirNumbers) {
    const std::vector<std::uint8_t> arrow = systemBytes(0);
    const std::vector<std::uint8_t> iBeam = systemBytes(1);
    ASSERT_FALSE(arrow.empty());
    ASSERT_NE(arrow, iBeam);
    auto firstImageBytes = [this](const char* name) {
        CopiedCursor cursor = copyRegistered(name);
        return pixelBytes(TVWSArrayGetValueAtIndex(cursor.images.get(), 0));
    };
    for (const char* name :
         {"com.apple.coregraphics.GlobalCurrent", "com.apple.coregraphics.ConnectionCurrent",
          "com.apple.coregraphics.Arrow", "com.apple.cursor.0", "com.apple.cursor.100"}) {
        EXPECT_EQ(firstImageBytes(name), arrow) << name;
    }
    for (const char* name : {"com.apple.coregraphics.IBeam", "com.apple.coregraphics.IBeamXOR",
                             "com.apple.coregraphics.IBeamS", "com.apple.cursor.101"}) {
        EXPECT_EQ(firstImageBytes(name), iBeam) << name;
    }
    EXPECT_EQ(copyRegistered("com.apple.coregraphics.NoSuchCursor").status,
              TVWS_STATUS_NONE_AVAILABLE);
    TVWSCursorInfo info{};
    EXPECT_EQ(tvws_copy_system_cursor(45, &info), -1);
}

} // namespace
} // namespace tolvane::testing
