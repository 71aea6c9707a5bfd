// Registering cursors and reading them back.
#include "simws/WindowServerFixture.h"

#include <limits>

namespace tolvane::testing {
namespace {

constexpr std::uint32_t opaqueRed = 0xffff0000;
constexpr std::uint32_t opaqueBlue = 0xff0000ff;

TEST_F(WindowServerTest, RegisteredImagesComeBackSharedInAnArrayTheCallerOwns) {
    OwnedObject small = solidImage(16, 16, opaqueRed);
    OwnedObject large = solidImage(32, 32, opaqueRed);
    OwnedObject images = arrayOf({small.get(), large.get()});
    const std::vector<std::uint8_t> largeBytes = pixelBytes(large.get());
    std::int32_t seed = 0;
    const std::uint64_t generation = tvws_registry_generation();
    ASSERT_EQ(CGSRegisterCursorWithImages(connection, "test.cursor", 1, 1, 1, images.get(), &seed,
                                          16, 16, 4, 5, 0),
              0);
    EXPECT_EQ(seed, tvws_seed());
    // A registration moves the generation; reading does not.
    EXPECT_EQ(tvws_registry_generation(), generation + 1);

    CopiedCursor first = copyRegistered("test.cursor");
    CopiedCursor second = copyRegistered("test.cursor");
    EXPECT_EQ(tvws_registry_generation(), generation + 1);
    ASSERT_EQ(first.status, 0);
    EXPECT_EQ(first.hotSpot.y, 5);
    ASSERT_EQ(first.count(), 2u);
    // Images are shared by reference; every copy is a fresh array.
    EXPECT_EQ(first.image(0), small.get());
    EXPECT_EQ(first.image(1), large.get());
    EXPECT_NE(first.images.get(), images.get());
    EXPECT_NE(first.images.get(), second.images.get());

    // What the caller holds outlives the registration it came from.
    small.reset();
    large.reset();
    images.reset();
    ASSERT_EQ(CoreCursorUnregisterAll(connection), 0);
    EXPECT_EQ(copyRegistered("test.cursor").status, TVWS_STATUS_NONE_AVAILABLE);
    EXPECT_EQ(pixelBytes(first.image(1)), largeBytes);
}

TEST_F(WindowServerTest, SingleImageRegistrationReplacesAllFramesUnlessItConfirmsThem) {
    ASSERT_GT(copyRegistered("com.apple.cursor.4").frameCount, 1u);
    OwnedObject image = solidImage(16, 16, opaqueBlue);
    std::int32_t seed = 0;
    ASSERT_EQ(CGSRegisterCursorWithImage(connection, "com.apple.cursor.4", 1, 1, 0, image.get(),
                                         &seed, 16, 16, 2, 3, 1.0, 1.0),
              0);
    CopiedCursor after = copyRegistered("com.apple.cursor.4");
    EXPECT_EQ(after.frameCount, 1u);
    EXPECT_EQ(after.frameDuration, 0);
    ASSERT_EQ(after.count(), 1u);
    // The core cursor of that number shows what is registered under its name.
    EXPECT_EQ(copyCore(4).image(0), image.get());

    // That the same first image and geometry confirm a multi-frame
    // registration instead is proven through the runtime (tests/runtime).
    // Another hot spot makes it a new single-image registration.
    OwnedObject second = solidImage(16, 16, opaqueRed);
    OwnedObject frames = arrayOf({image.get(), second.get()});
    ASSERT_EQ(registerImages("com.apple.cursor.4", frames.get(), 2), 0);
    ASSERT_EQ(CGSRegisterCursorWithImage(connection, "com.apple.cursor.4", 1, 1, 0, image.get(),
                                         &seed, 16, 16, 2, 4, 1.0, 1.0),
              0);
    EXPECT_EQ(copyRegistered("com.apple.cursor.4").count(), 1u);
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
    const auto attempt = [&](const char* name, TVWSArrayRef images, std::size_t frames = 1,
                             double width = 8, double hotSpotX = 1) {
        std::int32_t seed = 0;
        return CGSRegisterCursorWithImages(connection, name, 1, 1, frames, images, &seed, width, 8,
                                           hotSpotX, 1, 0);
    };
    EXPECT_EQ(attempt(nullptr, one.get()), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("", one.get()), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("test.cursor", nullptr), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("test.cursor", image.get()), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("test.cursor", empty.get()), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("test.cursor", mixed.get()), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("test.cursor", one.get(), 0), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("test.cursor", one.get(), 2), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("test.cursor", one.get(), 1, 1e9), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("test.cursor", one.get(), 1, 8, nan), TVWS_STATUS_ILLEGAL_ARGUMENT);
    std::int32_t seed = 0;
    EXPECT_EQ(CGSRegisterCursorWithImage(connection, "test.single", 1, 1, 0, one.get(), &seed, 8, 8,
                                         0, 0, 1.0, 1.0),
              TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(copyRegistered("test.single").status, TVWS_STATUS_NONE_AVAILABLE);
    EXPECT_EQ(copyRegistered("test.cursor").count(), 1u);
    EXPECT_EQ(tvws_seed(), seedBefore);

    // Twenty-four frames at most, even with enough images.
    std::vector<TVWSObjectRef> frameRefs(25, image.get());
    OwnedObject many(TVWSArrayCreate(frameRefs.data(), frameRefs.size()));
    EXPECT_EQ(attempt("test.cursor", many.get(), 25), TVWS_STATUS_ILLEGAL_ARGUMENT);
    EXPECT_EQ(attempt("test.cursor", many.get(), 24), 0);
}

TEST_F(WindowServerTest, ConnectionRegistrationsHideGlobalOnesUntilRemoved) {
    OwnedObject image = solidImage(28, 32, opaqueRed);
    OwnedObject images = arrayOf({image.get()});
    ASSERT_EQ(registerImages("com.apple.cursor.0", images.get(), 1, {28, 32}, false), 0);
    EXPECT_EQ(copyRegistered("com.apple.cursor.0").image(0), image.get());
    size_t count = 0;
    char** names = tvws_copy_registered_names(TVWS_SCOPE_CONNECTION, &count);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(names[0], "com.apple.cursor.0");
    EXPECT_EQ(names[1], nullptr);
    tvws_free_names(names);

    // Another application still sees the system's arrow; the caller sees its own.
    ASSERT_EQ(tvws_simulate_foreign_cursor_change("com.apple.cursor.0"), 0);
    EXPECT_EQ(globalCursorData().bytes, systemBytes(0));
    ASSERT_EQ(CoreCursorSet(connection, 0), 0);
    EXPECT_EQ(globalCursorData().bytes, pixelBytes(image.get()));

    // Removing the connection's registration uncovers the global one; removing
    // a global system name brings its artwork back; an own name goes for good.
    ASSERT_EQ(CGSRemoveRegisteredCursor(connection, "com.apple.cursor.0"), 0);
    EXPECT_EQ(pixelBytes(copyRegistered("com.apple.cursor.0").image(0)), systemBytes(0));
    ASSERT_EQ(registerImages("com.apple.coregraphics.IBeam", images.get()), 0);
    ASSERT_EQ(CGSRemoveRegisteredCursor(connection, "com.apple.coregraphics.IBeam"), 0);
    EXPECT_EQ(pixelBytes(copyRegistered("com.apple.coregraphics.IBeam").image(0)), systemBytes(1));
    ASSERT_EQ(registerImages("test.custom", images.get()), 0);
    EXPECT_EQ(CGSRemoveRegisteredCursor(connection, "test.custom"), 0);
    EXPECT_EQ(CGSRemoveRegisteredCursor(connection, "test.custom"), TVWS_STATUS_NONE_AVAILABLE);
    EXPECT_EQ(CGSRemoveRegisteredCursor(connection, nullptr), TVWS_STATUS_ILLEGAL_ARGUMENT);
}

TEST_F(WindowServerTest, CreatedImageIsTheFirstImageWithItsHotSpot) {
    TVWSPoint hotSpot{};
    OwnedObject arrow(
        CGSCreateRegisteredCursorImage(connection, "com.apple.coregraphics.Arrow", &hotSpot));
    ASSERT_TRUE(TVWSObjectIsImage(arrow.get()));
    EXPECT_EQ(pixelBytes(arrow.get()), systemBytes(0));
    EXPECT_EQ(hotSpot.x, 6);
    EXPECT_EQ(hotSpot.y, 4);
    EXPECT_EQ(CGSCreateRegisteredCursorImage(connection, "test.missing", &hotSpot), nullptr);
    EXPECT_EQ(
        CGSCreateRegisteredCursorImage(connection + 1, "com.apple.coregraphics.Arrow", &hotSpot),
        nullptr);
}

} // namespace
} // namespace tolvane::testing
