// The displayed cursor: what is on screen, its seed, scale, visibility and reset.
#include "simws/WindowServerFixture.h"

#include <cmath>
#include <limits>
#include <string>

namespace tolvane::testing {
namespace {

std::string displayedName() {
    return takeString(tvws_copy_displayed_name());
}

TEST_F(WindowServerTest, FreshServerShowsTheSystemArrowForAnotherApplication) {
    EXPECT_EQ(displayedName(), "com.apple.cursor.0");
    EXPECT_EQ(tvws_displayed_by_other_application(), 1);
    EXPECT_EQ(CGSCurrentCursorSeed(), 1);
    GlobalCursorData data = globalCursorData();
    ASSERT_EQ(data.status, 0);
    EXPECT_EQ(data.pixelSize.width, 28);
    EXPECT_EQ(data.pixelSize.height, 32);
    EXPECT_EQ(data.hotSpot.x, 6);
    EXPECT_EQ(data.bytes, systemBytes(0));
    // The dock override is a flag of its own.
    ASSERT_EQ(CGSSetDockCursorOverride(connection, 1), 0);
    EXPECT_EQ(tvws_dock_override_enabled(), 1);
}

TEST_F(WindowServerTest, RegistrationReachesTheScreenInstantlyOrAtTheNextShow) {
    const char* name = "com.apple.coregraphics.GlobalCurrent";
    ASSERT_EQ(CGSSetRegisteredCursor(connection, name, nullptr), 0);
    const std::int32_t seed = tvws_seed();
    OwnedObject red = solidImage(28, 32, 0xffff0000);
    OwnedObject blue = solidImage(28, 32, 0xff0000ff);
    OwnedObject blueAgain = solidImage(28, 32, 0xff0000ff);
    OwnedObject redImages = arrayOf({red.get()});
    OwnedObject blueImages = arrayOf({blue.get()});
    OwnedObject blueAgainImages = arrayOf({blueAgain.get()});

    ASSERT_EQ(registerImages(name, redImages.get(), 1, {28, 32}, true, true), 0);
    EXPECT_EQ(tvws_seed(), seed + 1);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(red.get()));
    ASSERT_EQ(registerImages(name, blueImages.get(), 1, {28, 32}, true, false), 0);
    EXPECT_EQ(tvws_seed(), seed + 1);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(red.get()));
    // Hides are counted and change nothing on screen; a show draws the cursor
    // anew, and one too many does not count below zero.
    ASSERT_EQ(CGSHideCursor(connection), 0);
    ASSERT_EQ(CGSHideCursor(connection), 0);
    EXPECT_EQ(tvws_hide_count(), 2);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(red.get()));
    ASSERT_EQ(CGSShowCursor(connection), 0);
    EXPECT_EQ(tvws_seed(), seed + 2);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(blue.get()));
    ASSERT_EQ(CGSShowCursor(connection), 0);
    ASSERT_EQ(CGSShowCursor(connection), 0);
    EXPECT_EQ(tvws_hide_count(), 0);
    // Registering the same pixels again is no change on screen.
    ASSERT_EQ(registerImages(name, blueAgainImages.get(), 1, {28, 32}), 0);
    EXPECT_EQ(tvws_seed(), seed + 2);
}

TEST_F(WindowServerTest, ScaleIsStoredAsGivenAndDrawsTheBestRepresentation) {
    float scale = 0;
    ASSERT_EQ(CGSGetCursorScale(connection, &scale), 0);
    EXPECT_EQ(scale, 1.0f);
    ASSERT_EQ(CGSSetCursorScale(connection, 1.08f), 0);
    ASSERT_EQ(CGSGetCursorScale(connection, &scale), 0);
    EXPECT_EQ(scale, 1.08f);
    EXPECT_EQ(tvws_seed(), 2);
    GlobalCursorData scaled = globalCursorData();
    EXPECT_EQ(scaled.pixelSize.width, 30);
    EXPECT_NEAR(scaled.hotSpot.x, 6 * 30.0 / 28, 1e-9);

    // Exactly twice the size shows the 2x artwork unchanged.
    ASSERT_EQ(CGSSetCursorScale(connection, 2.0f), 0);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(copyCore(0).image(1)));

    // Out-of-range values are the caller's business: stored, drawn within limits.
    ASSERT_EQ(CGSSetCursorScale(connection, 40.0f), 0);
    EXPECT_EQ(tvws_scale(), 40.0f);
    EXPECT_EQ(globalCursorData().pixelSize.height, 1024);
    ASSERT_EQ(CGSSetCursorScale(connection, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_TRUE(std::isnan(tvws_scale()));
    EXPECT_EQ(globalCursorData().bytes, systemBytes(0));
    EXPECT_EQ(CGSGetCursorScale(connection, nullptr), TVWS_STATUS_ILLEGAL_ARGUMENT);
}

TEST_F(WindowServerTest, UnregisterAllPutsEveryCursorBackToTheSystemArtwork) {
    OwnedObject image = solidImage(28, 32, 0xff00ff00);
    OwnedObject images = arrayOf({image.get()});
    ASSERT_EQ(registerImages("com.apple.cursor.0", images.get(), 1, {28, 32}), 0);
    ASSERT_EQ(registerImages("test.custom", images.get(), 1, {28, 32}), 0);
    ASSERT_EQ(registerImages("com.apple.cursor.1", images.get(), 1, {28, 32}, false), 0);
    ASSERT_EQ(CGSSetRegisteredCursor(connection, "test.custom", nullptr), 0);
    ASSERT_EQ(CGSSetCursorScale(connection, 1.5f), 0);
    const std::int32_t seed = tvws_seed();

    ASSERT_EQ(CoreCursorUnregisterAll(connection), 0);
    EXPECT_EQ(copyRegistered("test.custom").status, TVWS_STATUS_NONE_AVAILABLE);
    EXPECT_EQ(pixelBytes(copyRegistered("com.apple.cursor.1").image(0)), systemBytes(1));
    EXPECT_EQ(pixelBytes(copyRegistered("com.apple.cursor.0").image(0)), systemBytes(0));
    size_t count = 0;
    tvws_free_names(tvws_copy_registered_names(TVWS_SCOPE_GLOBAL, &count));
    EXPECT_EQ(count, 2 * 49u + 3u);
    // The custom cursor on screen is gone, so the arrow takes its place; the
    // scale is not part of the reset.
    EXPECT_EQ(displayedName(), "com.apple.cursor.0");
    EXPECT_EQ(tvws_seed(), seed + 1);
    EXPECT_EQ(globalCursorData().pixelSize.width, 42);
}

} // namespace
} // namespace tolvane::testing
