// The displayed cursor: what is on screen, its seed, scale, visibility and reset.
#include "simws/WindowServerFixture.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace tolvane::testing {
namespace {

std::string displayedName() { return takeString(tvws_copy_displayed_name()); }

TEST_F(WindowServerTest, FreshServerShowsTheSystemArrowForAnotherApplication) {
    EXPECT_EQ(mainConnectionID(), TVWS_MAIN_CONNECTION_ID);
    EXPECT_EQ(displayedName(), "com.apple.cursor.0");
    EXPECT_EQ(tvws_displayed_by_other_application(), 1);
    EXPECT_EQ(tvws_seed(), 1);
    EXPECT_EQ(currentCursorSeed(), 1);
    GlobalCursorData data = globalCursorData();
    ASSERT_EQ(data.status, 0);
    EXPECT_EQ(data.dataSize, 28 * 32 * 4);
    EXPECT_EQ(data.pixelSize.width, 28);
    EXPECT_EQ(data.pixelSize.height, 32);
    EXPECT_EQ(data.hotSpot.x, 6);
    EXPECT_EQ(data.hotSpot.y, 4);
    EXPECT_EQ(data.depth, 32);
    EXPECT_EQ(data.components, 4);
    EXPECT_EQ(data.bitsPerComponent, 8);
    EXPECT_EQ(data.bytes, systemBytes(0));
    EXPECT_EQ(tvws_hide_count(), 0);
    EXPECT_EQ(tvws_dock_override_enabled(), 0);
}

TEST_F(WindowServerTest, SeedMovesExactlyWhenTheDisplayedPixelsChange) {
    std::int32_t seed = 0;
    // Setting what is already shown changes nothing on screen.
    ASSERT_EQ(setRegisteredCursor(connection, "com.apple.coregraphics.Arrow", &seed), 0);
    EXPECT_EQ(seed, 1);
    EXPECT_EQ(displayedName(), "com.apple.coregraphics.Arrow");
    EXPECT_EQ(tvws_displayed_by_other_application(), 0);

    ASSERT_EQ(setRegisteredCursor(connection, "com.apple.coregraphics.IBeam", &seed), 0);
    EXPECT_EQ(seed, 2);
    EXPECT_EQ(globalCursorData().bytes, systemBytes(1));

    ASSERT_EQ(coreCursorSetAndReturnSeed(connection, 13, &seed), 0);
    EXPECT_EQ(seed, 3);
    EXPECT_EQ(displayedName(), "com.apple.cursor.13");
    ASSERT_EQ(setSystemDefinedCursorWithSeed(connection, 100, &seed), 0);
    EXPECT_EQ(seed, 4);
    EXPECT_EQ(displayedName(), "com.apple.cursor.100");
    EXPECT_EQ(setSystemDefinedCursor(connection, 102), 0);
    EXPECT_EQ(currentCursorSeed(), 5);

    // Numbers outside the tables are refused and leave the screen alone.
    EXPECT_EQ(coreCursorSet(connection, 45), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(coreCursorSet(connection, 100), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(setSystemDefinedCursor(connection, 99), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(setRegisteredCursor(connection, "test.missing", &seed), TVWS_STATUS_NONE_AVAILABLE);
    EXPECT_EQ(coreCursorSet(connection + 1, 0), TVWS_STATUS_INVALID_CONNECTION);
    EXPECT_EQ(currentCursorSeed(), 5);
    EXPECT_EQ(displayedName(), "com.apple.cursor.102");

    // Another application changing the cursor moves the seed too.
    EXPECT_EQ(tvws_simulate_foreign_cursor_change("com.apple.cursor.7"), 0);
    EXPECT_EQ(currentCursorSeed(), 6);
    EXPECT_EQ(tvws_displayed_by_other_application(), 1);
    EXPECT_EQ(tvws_simulate_foreign_cursor_change("test.missing"), TVWS_STATUS_NONE_AVAILABLE);
}

TEST_F(WindowServerTest, RegistrationReachesTheScreenInstantlyOrAtTheNextRedraw) {
    ASSERT_EQ(setRegisteredCursor(connection, "com.apple.coregraphics.GlobalCurrent", nullptr), 0);
    const std::int32_t seed = tvws_seed();
    OwnedObject red = solidImage(28, 32, 0xffff0000);
    OwnedObject blue = solidImage(28, 32, 0xff0000ff);
    OwnedObject redImages = arrayOf({red.get()});
    OwnedObject blueImages = arrayOf({blue.get()});

    ASSERT_EQ(registerImages("com.apple.coregraphics.GlobalCurrent", redImages.get(), 1, {28, 32},
                             true, true),
              0);
    EXPECT_EQ(tvws_seed(), seed + 1);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(red.get()));

    ASSERT_EQ(registerImages("com.apple.coregraphics.GlobalCurrent", blueImages.get(), 1, {28, 32},
                             true, false),
              0);
    EXPECT_EQ(tvws_seed(), seed + 1);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(red.get()));
    // Hide and show draw the cursor anew.
    ASSERT_EQ(hideCursor(connection), 0);
    ASSERT_EQ(showCursor(connection), 0);
    EXPECT_EQ(tvws_seed(), seed + 2);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(blue.get()));

    // Registering the same pixels again is no change on screen.
    OwnedObject blueAgain = solidImage(28, 32, 0xff0000ff);
    OwnedObject blueAgainImages = arrayOf({blueAgain.get()});
    ASSERT_EQ(
        registerImages("com.apple.coregraphics.GlobalCurrent", blueAgainImages.get(), 1, {28, 32}),
        0);
    EXPECT_EQ(tvws_seed(), seed + 2);
}

TEST_F(WindowServerTest, ScaleIsStoredAsGivenAndDrawsTheBestRepresentation) {
    float scale = 0;
    ASSERT_EQ(getCursorScale(connection, &scale), 0);
    EXPECT_EQ(scale, 1.0f);

    ASSERT_EQ(setCursorScale(connection, 1.08f), 0);
    ASSERT_EQ(getCursorScale(connection, &scale), 0);
    EXPECT_EQ(scale, 1.08f);
    EXPECT_EQ(tvws_scale(), 1.08f);
    EXPECT_EQ(tvws_seed(), 2);
    GlobalCursorData scaled = globalCursorData();
    EXPECT_EQ(scaled.pixelSize.width, 30);
    EXPECT_EQ(scaled.pixelSize.height, 35);
    EXPECT_EQ(scaled.dataSize, 30 * 35 * 4);
    EXPECT_NEAR(scaled.hotSpot.x, 6 * 30.0 / 28, 1e-9);

    // Exactly twice the size shows the 2x artwork unchanged.
    ASSERT_EQ(setCursorScale(connection, 2.0f), 0);
    CopiedCursor arrow = copyCore(0);
    EXPECT_EQ(globalCursorData().bytes,
              pixelBytes(TVWSArrayGetValueAtIndex(arrow.images.get(), 1)));

    // Out-of-range values are the caller's business: stored, drawn within limits.
    ASSERT_EQ(setCursorScale(connection, 40.0f), 0);
    EXPECT_EQ(tvws_scale(), 40.0f);
    GlobalCursorData huge = globalCursorData();
    EXPECT_EQ(huge.pixelSize.height, 1024);
    EXPECT_EQ(huge.pixelSize.width, 896);
    ASSERT_EQ(setCursorScale(connection, std::numeric_limits<float>::quiet_NaN()), 0);
    ASSERT_EQ(getCursorScale(connection, &scale), 0);
    EXPECT_TRUE(std::isnan(scale));
    EXPECT_EQ(globalCursorData().bytes, systemBytes(0));
    ASSERT_EQ(setCursorScale(connection, -3.0f), 0);
    EXPECT_EQ(globalCursorData().pixelSize.width, 28);

    EXPECT_EQ(getCursorScale(connection, nullptr), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(setCursorScale(connection + 1, 2.0f), TVWS_STATUS_INVALID_CONNECTION);
}

TEST_F(WindowServerTest, HideCountAndDockOverrideFollowTheCalls) {
    ASSERT_EQ(hideCursor(connection), 0);
    ASSERT_EQ(hideCursor(connection), 0);
    EXPECT_EQ(tvws_hide_count(), 2);
    ASSERT_EQ(showCursor(connection), 0);
    EXPECT_EQ(tvws_hide_count(), 1);
    ASSERT_EQ(showCursor(connection), 0);
    ASSERT_EQ(showCursor(connection), 0);
    EXPECT_EQ(tvws_hide_count(), 0);

    ASSERT_EQ(setDockCursorOverride(connection, 1), 0);
    EXPECT_EQ(tvws_dock_override_enabled(), 1);
    ASSERT_EQ(setDockCursorOverride(connection, 0), 0);
    EXPECT_EQ(tvws_dock_override_enabled(), 0);
    EXPECT_EQ(setDockCursorOverride(connection + 1, 1), TVWS_STATUS_INVALID_CONNECTION);
    EXPECT_EQ(tvws_dock_override_enabled(), 0);
}

TEST_F(WindowServerTest, UnregisterAllPutsEveryCursorBackToTheSystemArtwork) {
    size_t freshCount = 0;
    char** fresh = tvws_copy_registered_names(TVWS_SCOPE_GLOBAL, &freshCount);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(freshCount, 2 * 49u + 3u);

    OwnedObject image = solidImage(28, 32, 0xff00ff00);
    OwnedObject images = arrayOf({image.get()});
    for (const char* name : {"com.apple.cursor.0", "com.apple.coregraphics.Arrow", "test.custom"}) {
        ASSERT_EQ(registerImages(name, images.get(), 1, {28, 32}), 0);
    }
    ASSERT_EQ(registerImages("com.apple.cursor.1", images.get(), 1, {28, 32}, false), 0);
    ASSERT_EQ(setRegisteredCursor(connection, "test.custom", nullptr), 0);
    ASSERT_EQ(setCursorScale(connection, 1.5f), 0);
    const std::int32_t seed = tvws_seed();

    ASSERT_EQ(coreCursorUnregisterAll(connection), 0);
    size_t count = 0;
    char** names = tvws_copy_registered_names(TVWS_SCOPE_GLOBAL, &count);
    ASSERT_EQ(count, freshCount);
    for (size_t index = 0; index < count; ++index) {
        EXPECT_STREQ(names[index], fresh[index]);
    }
    tvws_free_names(names);
    tvws_free_names(fresh);
    tvws_free_names(tvws_copy_registered_names(TVWS_SCOPE_CONNECTION, &count));
    EXPECT_EQ(count, 0u);

    TVWSCursorInfo info{};
    ASSERT_EQ(tvws_copy_registered_cursor(TVWS_SCOPE_GLOBAL, "com.apple.cursor.0", &info), 0);
    OwnedObject infoImages(info.images);
    EXPECT_EQ(info.isSystemArtwork, 1);
    EXPECT_EQ(pixelBytes(TVWSArrayGetValueAtIndex(infoImages.get(), 0)), systemBytes(0));
    // The custom cursor on screen is gone, so the arrow takes its place; the
    // scale is not part of the reset.
    EXPECT_EQ(displayedName(), "com.apple.cursor.0");
    EXPECT_EQ(tvws_seed(), seed + 1);
    EXPECT_EQ(tvws_scale(), 1.5f);
    EXPECT_EQ(globalCursorData().pixelSize.width, 42);
}

TEST_F(WindowServerTest, DisplayedImageIsWhatTheGlobalCursorDataHolds) {
    ASSERT_EQ(coreCursorSet(connection, 19), 0);
    TVWSPoint hotSpot{};
    OwnedObject image(tvws_copy_displayed_image(&hotSpot));
    ASSERT_TRUE(TVWSObjectIsImage(image.get()));
    GlobalCursorData data = globalCursorData();
    EXPECT_EQ(pixelBytes(image.get()), data.bytes);
    EXPECT_EQ(hotSpot.x, data.hotSpot.x);
    EXPECT_EQ(hotSpot.y, data.hotSpot.y);

    // A buffer too small for the cursor is refused, not overrun.
    std::vector<std::uint8_t> small(16, 0xaa);
    std::int32_t size = static_cast<std::int32_t>(small.size());
    EXPECT_EQ(getGlobalCursorData(connection, small.data(), &size, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr),
              TVWS_STATUS_RANGE_CHECK);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(small, std::vector<std::uint8_t>(16, 0xaa));
}

TEST_F(WindowServerTest, LinkedAndDlopenedLibraryAreOneWindowServer) {
    ASSERT_TRUE(library.isOpen());
    ASSERT_EQ(setCursorScale(connection, 3.0f), 0);
    EXPECT_EQ(tvws_scale(), 3.0f);
    using ResetFunction = void (*)(void);
    library.function<ResetFunction>("tvws_reset")();
    float scale = 0;
    ASSERT_EQ(getCursorScale(connection, &scale), 0);
    EXPECT_EQ(scale, 1.0f);
}

} // namespace
} // namespace tolvane::testing
