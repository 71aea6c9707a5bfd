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
