// The system's own cursors as the window server hands them out.
#include "simws/WindowServerFixture.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

namespace tolvane::testing {
namespace {

TEST_F(WindowServerTest, CoreCursorsComeAtOneTwoFiveAndTenTimesTheirSizeWithTheirFrames) {
    for (std::int32_t number = 0; number <= 44; ++number) {
        CopiedCursor cursor = copyCore(number);
        ASSERT_EQ(cursor.status, 0) << number;
        ASSERT_GE(cursor.frameCount, 1u) << number;
        ASSERT_EQ(cursor.count(), 4 * cursor.frameCount) << number;
        const double scales[] = {1, 2, 5, 10};
        for (std::size_t representation = 0; representation < 4; ++representation) {
            TVWSImageRef image = cursor.image(representation * cursor.frameCount);
            EXPECT_EQ(TVWSImageGetWidth(image),
                      static_cast<std::size_t>(cursor.size.width * scales[representation]))
                << number;
            EXPECT_EQ(TVWSImageGetAlphaInfo(image), TVWSAlphaPremultipliedFirst);
        }
    }
    EXPECT_EQ(copyCore(45).status, TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(copyCore(-1).status, TVWS_STATUS_ILLEGAL_ARGUMENT);
    // The animated ones have distinct frames.
    for (std::int32_t number : {4, 14, 15, 16}) {
        CopiedCursor cursor = copyCore(number);
        ASSERT_GT(cursor.frameCount, 1u) << number;
        EXPECT_GT(cursor.frameDuration, 0) << number;
        EXPECT_NE(pixelBytes(cursor.image(0)), pixelBytes(cursor.image(1))) << number;
    }

    // A reset may choose other densities, until the next plain reset.
    const double two[] = {1, 3};
    const double refused[][2] = {{1, 0.25}, {1, 33}};
    EXPECT_EQ(tvws_reset_with_densities(two, 0), -1);
    EXPECT_EQ(tvws_reset_with_densities(refused[0], 2), -1);
    EXPECT_EQ(tvws_reset_with_densities(refused[1], 2), -1);
    ASSERT_EQ(tvws_reset_with_densities(two, 2), 0);
    CopiedCursor busy = copyCore(4);
    ASSERT_EQ(busy.count(), 16u);
    EXPECT_EQ(TVWSImageGetWidth(busy.image(8)), static_cast<std::size_t>(busy.size.width * 3));
    tvws_reset();
    EXPECT_EQ(copyCore(4).count(), 32u);
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
        EXPECT_GE(arrow.count(), 2u) << name;
    }
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

// Discovery by name is proven through the runtime (tests/runtime); here, that
// every name shows its number's artwork.
TEST_F(WindowServerTest, SystemCursorNamesShowTheirNumbersArtwork) {
    std::set<std::string> names;
    std::set<std::int32_t> animatedByName;
    for (std::int32_t number = -1; number < 512; ++number) {
        const char* name = CGSCursorNameForSystemCursor(number);
        if (name == nullptr) {
            EXPECT_TRUE(number < 0 || (number > 44 && (number < 100 || number > 103))) << number;
            continue;
        }
        EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        for (const char* token : {"wait", "busy", "progress", "counting"}) {
            if (lower.find(token) != std::string::npos) {
                animatedByName.insert(number);
            }
        }
        const std::vector<std::uint8_t> artwork = systemBytes(number);
        ASSERT_FALSE(artwork.empty()) << number;
        const std::string numbered = "com.apple.cursor." + std::to_string(number);
        EXPECT_EQ(pixelBytes(copyRegistered(name).image(0)), artwork) << name;
        EXPECT_EQ(pixelBytes(copyRegistered(numbered.c_str()).image(0)), artwork) << numbered;
    }
    EXPECT_EQ(names.size(), 49u);
    // The controller's fixed animated numbers, plus some found only by their names.
    EXPECT_EQ(animatedByName, (std::set<std::int32_t>{4, 14, 15, 16, 37, 102, 103}));
    // Names without a number show the arrow or the I-beam.
    for (const char* name :
         {"com.apple.coregraphics.GlobalCurrent", "com.apple.coregraphics.ConnectionCurrent"}) {
        EXPECT_EQ(pixelBytes(copyRegistered(name).image(0)), systemBytes(0)) << name;
    }
    EXPECT_EQ(pixelBytes(copyRegistered("com.apple.coregraphics.IBeamXOR").image(0)),
              systemBytes(1));
}

} // namespace
} // namespace tolvane::testing
