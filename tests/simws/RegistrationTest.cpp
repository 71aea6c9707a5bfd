// Registering cursors and reading them back.
#include "simws/WindowServerFixture.h"

#include <cmath>
#include <limits>

namespace tolvane::testing {
namespace {

constexpr std::uint32_t opaqueRed = 0xffff0000;
constexpr std::uint32_t opaqueBlue = 0xff0000ff;

TEST_F(WindowServerTest, RegisteredImagesComeBackSharedInAnArrayTheCallerOwns) {
    OwnedObject small = solidImage(16, 16, opaqueRed);
    OwnedObject large = solidImage(32, 32, opaqueRed);
    OwnedObject images = arrayOf({small.get(), large.get()});
    std::int32_t seed = 0;
    ASSERT_EQ(registerCursorWithImages(connection, "test.cursor", 1, 1, 1, images.get(), &seed, 16,
                                       16, 4, 5, 0),
              0);
    EXPECT_EQ(seed, tvws_seed());

    CopiedCursor first = copyRegistered("test.cursor");
    CopiedCursor second = copyRegistered("test.cursor");
    ASSERT_EQ(first.status, 0);
    EXPECT_EQ(first.size.width, 16);
    EXPECT_EQ(first.size.height, 16);
    EXPECT_EQ(first.hotSpot.x, 4);
    EXPECT_EQ(first.hotSpot.y, 5);
    EXPECT_EQ(first.frameCount, 1u);
    ASSERT_EQ(TVWSArrayGetCount(first.images.get()), 2u);
    // Images are shared by reference; every copy is a fresh array.
    EXPECT_EQ(TVWSArrayGetValueAtIndex(first.images.get(), 0), small.get());
    EXPECT_EQ(TVWSArrayGetValueAtIndex(first.images.get(), 1), large.get());
    EXPECT_NE(first.images.get(), images.get());
    EXPECT_NE(first.images.get(), second.images.get());

    // What the caller holds outlives the registration it came from.
    small.reset();
    large.reset();
    images.reset();
    ASSERT_EQ(coreCursorUnregisterAll(connection), 0);
    EXPECT_EQ(copyRegistered("test.cursor").status, TVWS_STATUS_NONE_AVAILABLE);
    TVWSImageRef kept = TVWSArrayGetValueAtIndex(first.images.get(), 1);
    EXPECT_EQ(TVWSImageGetWidth(kept), 32u);
    EXPECT_EQ(alphaAt(kept, 31, 31), 0xff);
}

TEST_F(WindowServerTest, SingleImageRegistrationReplacesAllFrames) {
    CopiedCursor before = copyRegistered("com.apple.cursor.4");
    ASSERT_GT(before.frameCount, 1u);
    OwnedObject image = solidImage(20, 20, opaqueBlue);
    std::int32_t seed = 0;
    ASSERT_EQ(registerCursorWithImage(connection, "com.apple.cursor.4", 1, 1, 0, image.get(), &seed,
                                      20, 20, 10, 10, 1.0, 1.0),
              0);
    CopiedCursor after = copyRegistered("com.apple.cursor.4");
    EXPECT_EQ(after.frameCount, 1u);
    EXPECT_EQ(after.frameDuration, 0);
    ASSERT_EQ(TVWSArrayGetCount(after.images.get()), 1u);
    EXPECT_EQ(TVWSArrayGetValueAtIndex(after.images.get(), 0), image.get());
    // The core cursor of that number shows what is registered under its name.
    EXPECT_EQ(TVWSArrayGetValueAtIndex(copyCore(4).images.get(), 0), image.get());
    TVWSCursorInfo info{};
    ASSERT_EQ(tvws_copy_registered_cursor(TVWS_SCOPE_GLOBAL, "com.apple.cursor.4", &info), 0);
    OwnedObject infoImages(info.images);
    EXPECT_EQ(info.isSystemArtwork, 0);
}

TEST_F(WindowServerTest, BadRegistrationsAreRefusedAndChangeNothing) {
    OwnedObject image = solidImage(8, 8, opaqueRed);
    OwnedObject one = arrayOf({image.get()});
    OwnedObject empty = arrayOf({});
    OwnedObject foreign(TVWSOpaqueObjectCreate());
    OwnedObject mixed = arrayOf({image.get(), foreign.get()});
    ASSERT_EQ(registerImages("test.cursor", one.get()), 0);
    const std::int32_t seedBefore = tvws_seed();

    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* label;
        TVWSConnection connection;
        const char* name;
        TVWSArrayRef images;
        std::size_t frameCount;
        double width;
        double hotSpotX;
        TVWSStatus expected;
    };
    const Case cases[] = {
        {"other connection", connection + 1, "test.cursor", one.get(), 1, 8, 1,
         TVWS_STATUS_INVALID_CONNECTION},
        {"no name", connection, nullptr, one.get(), 1, 8, 1, TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"empty name", connection, "", one.get(), 1, 8, 1, TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"no array", connection, "test.cursor", nullptr, 1, 8, 1, TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"an image, not an array", connection, "test.cursor", image.get(), 1, 8, 1,
         TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"empty array", connection, "test.cursor", empty.get(), 1, 8, 1,
         TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"non-image element", connection, "test.cursor", mixed.get(), 1, 8, 1,
         TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"zero frames", connection, "test.cursor", one.get(), 0, 8, 1,
         TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"more frames than images", connection, "test.cursor", one.get(), 2, 8, 1,
         TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"zero width", connection, "test.cursor", one.get(), 1, 0, 1, TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"huge width", connection, "test.cursor", one.get(), 1, 1e9, 1,
         TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"NaN width", connection, "test.cursor", one.get(), 1, nan, 1,
         TVWS_STATUS_ILLEGAL_ARGUMENT},
        {"NaN hot spot", connection, "test.cursor", one.get(), 1, 8, nan,
         TVWS_STATUS_ILLEGAL_ARGUMENT},
    };
    for (const Case& c : cases) {
        std::int32_t seed = 0;
        EXPECT_EQ(registerCursorWithImages(c.connection, c.name, 1, 1, c.frameCount, c.images,
                                           &seed, c.width, 8, c.hotSpotX, 1, 0),
                  c.expected)
            << c.label;
    }
    // Twenty-five frames are one too many, even with enough images.
    std::vector<OwnedObject> frames;
    std::vector<TVWSObjectRef> frameRefs;
    for (int frame = 0; frame < 25; ++frame) {
        frames.push_back(solidImage(8, 8, opaqueBlue));
        frameRefs.push_back(frames.back().get());
    }
    OwnedObject many(TVWSArrayCreate(frameRefs.data(), frameRefs.size()));
    EXPECT_EQ(registerImages("test.cursor", many.get(), 25), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(registerImages("test.cursor", many.get(), 24), 0);
    EXPECT_EQ(copyRegistered("test.cursor").frameCount, 24u);

    std::int32_t seed = 0;
    EXPECT_EQ(registerCursorWithImage(connection, "test.single", 1, 1, 0, one.get(), &seed, 8, 8, 0,
                                      0, 1.0, 1.0),
              TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(copyRegistered("test.single").status, TVWS_STATUS_NONE_AVAILABLE);
    EXPECT_EQ(tvws_seed(), seedBefore);
}

TEST_F(WindowServerTest, ConnectionRegistrationsHideGlobalOnesOnlyForTheCaller) {
    OwnedObject image = solidImage(28, 32, opaqueRed);
    OwnedObject images = arrayOf({image.get()});
    ASSERT_EQ(registerImages("com.apple.cursor.0", images.get(), 1, {28, 32}, false), 0);
    EXPECT_EQ(TVWSArrayGetValueAtIndex(copyRegistered("com.apple.cursor.0").images.get(), 0),
              image.get());

    size_t count = 0;
    char** names = tvws_copy_registered_names(TVWS_SCOPE_CONNECTION, &count);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(names[0], "com.apple.cursor.0");
    EXPECT_EQ(names[1], nullptr);
    tvws_free_names(names);

    // Another application still sees the system's arrow.
    ASSERT_EQ(tvws_simulate_foreign_cursor_change("com.apple.cursor.0"), 0);
    EXPECT_EQ(globalCursorData().bytes, systemBytes(0));
    // The caller's own connection sees its registration.
    ASSERT_EQ(coreCursorSet(connection, 0), 0);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(image.get()));

    // Removing the connection's registration uncovers the global one again.
    ASSERT_EQ(removeRegisteredCursor(connection, "com.apple.cursor.0"), 0);
    EXPECT_EQ(
        pixelBytes(TVWSArrayGetValueAtIndex(copyRegistered("com.apple.cursor.0").images.get(), 0)),
        systemBytes(0));
}

TEST_F(WindowServerTest, RemovingCursorsDeletesOwnNamesAndRestoresSystemOnes) {
    OwnedObject image = solidImage(16, 16, opaqueBlue);
    OwnedObject images = arrayOf({image.get()});
    ASSERT_EQ(registerImages("test.custom", images.get()), 0);
    ASSERT_EQ(registerImages("com.apple.coregraphics.IBeam", images.get()), 0);

    EXPECT_EQ(removeRegisteredCursor(connection, "test.custom"), 0);
    EXPECT_EQ(removeRegisteredCursor(connection, "test.custom"), TVWS_STATUS_NONE_AVAILABLE);
    EXPECT_EQ(copyRegistered("test.custom").status, TVWS_STATUS_NONE_AVAILABLE);

    EXPECT_EQ(removeRegisteredCursor(connection, "com.apple.coregraphics.IBeam"), 0);
    CopiedCursor iBeam = copyRegistered("com.apple.coregraphics.IBeam");
    ASSERT_EQ(iBeam.status, 0);
    EXPECT_EQ(pixelBytes(TVWSArrayGetValueAtIndex(iBeam.images.get(), 0)), systemBytes(1));
    EXPECT_EQ(removeRegisteredCursor(connection, nullptr), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(removeRegisteredCursor(connection + 1, "com.apple.coregraphics.IBeam"),
              TVWS_STATUS_INVALID_CONNECTION);
}

TEST_F(WindowServerTest, CreatedImageIsTheFirstImageWithItsHotSpot) {
    TVWSPoint hotSpot{};
    OwnedObject arrow(
        createRegisteredCursorImage(connection, "com.apple.coregraphics.Arrow", &hotSpot));
    ASSERT_TRUE(TVWSObjectIsImage(arrow.get()));
    EXPECT_EQ(pixelBytes(arrow.get()), systemBytes(0));
    EXPECT_EQ(hotSpot.x, 6);
    EXPECT_EQ(hotSpot.y, 4);

    OwnedObject image = solidImage(16, 16, opaqueRed);
    OwnedObject images = arrayOf({image.get()});
    ASSERT_EQ(registerImages("com.apple.coregraphics.Arrow", images.get()), 0);
    OwnedObject created(
        createRegisteredCursorImage(connection, "com.apple.coregraphics.Arrow", nullptr));
    EXPECT_EQ(created.get(), image.get());

    EXPECT_EQ(createRegisteredCursorImage(connection, "test.missing", &hotSpot), nullptr);
    EXPECT_EQ(createRegisteredCursorImage(connection + 1, "com.apple.coregraphics.Arrow", &hotSpot),
              nullptr);
}

} // namespace
} // namespace tolvane::testing
