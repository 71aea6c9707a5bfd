#include "RuntimeFixture.h"

namespace tolvane {
namespace {

using testing::HeldCursor;
using testing::Lines;
using testing::solidImage;

class CursorImagesTest : public testing::RuntimeTest {
  protected:
    static void expectSameCursor(const std::optional<CursorSnapshot>& snapshot,
                                 const HeldCursor& held) {
        ASSERT_TRUE(snapshot);
        EXPECT_EQ(snapshot->size.width, held.size.width);
        EXPECT_EQ(snapshot->size.height, held.size.height);
        EXPECT_EQ(snapshot->hotSpot.x, held.hotSpot.x);
        EXPECT_EQ(snapshot->hotSpot.y, held.hotSpot.y);
        EXPECT_EQ(snapshot->frameCount, held.frameCount);
        EXPECT_EQ(snapshot->frameDuration, held.frameDuration);
        ASSERT_EQ(snapshot->images.size(), held.images.size());
        for (std::size_t index = 0; index < held.images.size(); ++index) {
            // The snapshot shows the window server's own pixels, not a copy.
            EXPECT_EQ(snapshot->images[index].bytes(), TVWSImageGetBytes(held.images[index]));
        }
    }
    std::optional<CursorSnapshot> snapshot(const std::string& identifier) const {
        return runtime.snapshotCursor(connection, identifier);
    }
};

// Which copy a snapshot came from shows in the journal; the debug lines add nothing.
TEST_F(CursorImagesTest, CoreNumbersAreReadAsCoreCursorsEverythingElseAsRegistered) {
    expectSameCursor(snapshot("com.apple.cursor.13"), *server.systemCursor(13));
    EXPECT_FALSE(snapshot("com.apple.cursor.x13"));
    EXPECT_EQ(server.journal(), (Lines{"CoreCursorCopyImages cursor=13",
                                       "CGSCopyRegisteredCursorImages name=com.apple.cursor.x13"}));
    // 100 is a system cursor but no core cursor: the registered copy has it.
    expectSameCursor(snapshot("com.apple.cursor.100"),
                     *server.registeredCursor(TVWS_SCOPE_GLOBAL, "com.apple.cursor.100"));
    EXPECT_EQ(log.takeLinesWithoutDebug(),
              Lines{"[WARN] snapshotCursor failed for com.apple.cursor.x13: no registered/core "
                    "snapshot available"});
}

TEST_F(CursorImagesTest, ACoreCopyFaultFallsBackToTheRegisteredCopyWhoseFaultGivesNothing) {
    std::optional<HeldCursor> registered =
        server.registeredCursor(TVWS_SCOPE_GLOBAL, "com.apple.cursor.13");
    const std::string arrow = "com.apple.coregraphics.Arrow";
    const std::string empty =
        "[WARN] snapshotCursor failed for " + arrow + ": empty registered image array";
    const std::string none =
        "[WARN] snapshotCursor failed for " + arrow + ": no registered/core snapshot available";
    const std::vector<std::tuple<TVWSFaultKind, std::int32_t, Lines>> faults{
        {TVWS_FAULT_STATUS, -4, {none}},
        {TVWS_FAULT_NO_ARRAY, 0, {none}},
        {TVWS_FAULT_EMPTY_ARRAY, 0, {empty, none}},
        {TVWS_FAULT_NON_IMAGE_ONLY, 0, {empty, none}},
    };
    for (const auto& [kind, value, lines] : faults) {
        server.reset();
        server.injectFaultForNumber(TVWS_FN_CORE_CURSOR_COPY_IMAGES, 13, kind, value);
        server.injectFaultForName(TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, arrow.c_str(), kind,
                                  value);
        expectSameCursor(snapshot("com.apple.cursor.13"), *registered);
        EXPECT_EQ(server.calls("CGSCopyRegisteredCursorImages"),
                  Lines{"CGSCopyRegisteredCursorImages name=com.apple.cursor.13"});
        EXPECT_FALSE(snapshot(arrow));
        EXPECT_EQ(log.takeLinesWithoutDebug(), lines);
    }

    // A foreign element in front of the images is skipped.
    server.reset();
    server.injectFaultForNumber(TVWS_FN_CORE_CURSOR_COPY_IMAGES, 13, TVWS_FAULT_NON_IMAGE_FIRST);
    server.injectFaultForName(TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, arrow.c_str(),
                              TVWS_FAULT_NON_IMAGE_FIRST);
    expectSameCursor(snapshot("com.apple.cursor.13"), *server.systemCursor(13));
    expectSameCursor(snapshot(arrow), *server.registeredCursor(TVWS_SCOPE_GLOBAL, arrow.c_str()));
    EXPECT_EQ(server.callCount("CGSCopyRegisteredCursorImages"), 1u);
}

TEST_F(CursorImagesTest, SnapshotImagesOutliveTheWindowServersCursor) {
    std::optional<CursorSnapshot> iBeam = snapshot("com.apple.coregraphics.IBeam");
    ASSERT_TRUE(iBeam);
    const Image& first = iBeam->images.front();
    std::vector<unsigned char> before(first.bytes(), first.bytes() + first.byteCount());
    // Registering over the cursor drops the server's own reference.
    ASSERT_TRUE(runtime.registerCursor(connection, "com.apple.coregraphics.IBeam", *iBeam,
                                       {solidImage(8, 8, 0xff0000ff)}, true, true));
    server.reset();
    EXPECT_EQ(std::vector<unsigned char>(first.bytes(), first.bytes() + first.byteCount()), before);
}

TEST_F(CursorImagesTest, RegistrationPassesAFrameCountLimitedByTheImagesAndTwentyFour) {
    std::vector<Image> thirty;
    for (std::uint32_t index = 0; index < 30; ++index) {
        thirty.push_back(solidImage(4, 4, 0xff000000u | index));
    }
    const std::vector<Image> three(thirty.begin(), thirty.begin() + 3);
    CursorSnapshot geometry{{32, 40}, {4.5, 6}, 0, 0.05, {}};
    ASSERT_TRUE(
        runtime.registerCursor(connection, "tolvane.thirty", geometry, thirty, true, false));
    geometry.frameCount = 8;
    ASSERT_TRUE(runtime.registerCursor(connection, "tolvane.three", geometry, three, false, true));
    geometry.frameCount = 2;
    ASSERT_TRUE(runtime.registerCursor(connection, "tolvane.two", geometry, three, false, true));
    const std::string rest = " width=32 height=40 hotX=4.5 hotY=6 duration=0.05";
    EXPECT_EQ(server.calls("CGSRegisterCursorWithImages"),
              (Lines{"CGSRegisterCursorWithImages name=tolvane.thirty global=1 instantly=0 "
                     "frames=24 images=30" +
                         rest,
                     "CGSRegisterCursorWithImages name=tolvane.three global=0 instantly=1 "
                     "frames=3 images=3" +
                         rest,
                     "CGSRegisterCursorWithImages name=tolvane.two global=0 instantly=1 "
                     "frames=2 images=3" +
                         rest}));

    std::optional<HeldCursor> held = server.registeredCursor(TVWS_SCOPE_GLOBAL, "tolvane.thirty");
    ASSERT_TRUE(held);
    EXPECT_EQ(held->frameCount, 24u);
    ASSERT_EQ(held->images.size(), 30u);
    for (std::size_t index = 0; index < 30; ++index) {
        EXPECT_EQ(TVWSImageGetBytes(held->images[index]), thirty[index].bytes()) << index;
    }
    EXPECT_TRUE(server.registeredCursor(TVWS_SCOPE_CONNECTION, "tolvane.three"));
    EXPECT_FALSE(server.registeredCursor(TVWS_SCOPE_GLOBAL, "tolvane.three"));
}

TEST_F(CursorImagesTest, RegistrationTakesWhenEitherTheMultiFrameOrTheSingleImageCallDoes) {
    const std::vector<Image> images{solidImage(6, 6, 0xff112233), solidImage(6, 6, 0xff445566)};
    const CursorSnapshot geometry{{24, 30}, {1, 2}, 2, 0.1, {}};
    auto registerBoth = [&] {
        return runtime.registerCursor(connection, "tolvane.both", geometry, images, true, true);
    };
    EXPECT_FALSE(runtime.registerCursor(connection, "tolvane.none", geometry, {}, true, true));
    EXPECT_TRUE(server.journal().empty());

    ASSERT_TRUE(registerBoth());
    EXPECT_EQ(server.calls("CGSRegisterCursorWithImage"),
              Lines{"CGSRegisterCursorWithImage name=tolvane.both global=1 instantly=1 reserved=0 "
                    "width=24 height=30 hotX=1 hotY=2 scaleX=1 scaleY=1"});
    std::optional<HeldCursor> held = server.registeredCursor(TVWS_SCOPE_GLOBAL, "tolvane.both");
    ASSERT_TRUE(held);
    EXPECT_EQ(held->images.size(), 2u);
    // Alone, the single-image call leaves one image.
    server.injectFaultForName(TVWS_FN_REGISTER_CURSOR_WITH_IMAGES, "tolvane.both",
                              TVWS_FAULT_STATUS, 7);
    EXPECT_TRUE(registerBoth());
    held = server.registeredCursor(TVWS_SCOPE_GLOBAL, "tolvane.both");
    ASSERT_EQ(held->images.size(), 1u);
    EXPECT_EQ(TVWSImageGetBytes(held->images[0]), images[0].bytes());

    server.injectFaultForName(TVWS_FN_REGISTER_CURSOR_WITH_IMAGE, "tolvane.both", TVWS_FAULT_STATUS,
                              8);
    EXPECT_FALSE(registerBoth());
    server.injectFaultForName(TVWS_FN_REGISTER_CURSOR_WITH_IMAGES, "tolvane.both", TVWS_FAULT_NONE);
    EXPECT_TRUE(registerBoth());

    const std::string ok = "[DEBUG] registerCursor ok for tolvane.both: frames=2 images=2 ";
    EXPECT_EQ(log.takeLinesStartingWith("registerCursor "),
              (Lines{"[WARN] registerCursor skipped for tolvane.none: no images",
                     ok + "multiError=0 multiSeed=" + std::to_string(server.seed()) +
                         " singleSuccess=true",
                     ok + "multiError=7 multiSeed=0 singleSuccess=true",
                     "[ERROR] registerCursor failed for tolvane.both: multiError=7 frames=2 "
                     "images=2 multiSeed=0 singleSuccess=false",
                     ok + "multiError=0 multiSeed=" + std::to_string(server.seed()) +
                         " singleSuccess=false"}));
}

TEST_F(CursorImagesTest, SettersShowTheCursorAndLogTheirStatusesAndSeeds) {
    EXPECT_TRUE(runtime.setRegisteredCursorNow(connection, "com.apple.coregraphics.IBeam"));
    const std::string shownSeed = std::to_string(server.seed());
    EXPECT_FALSE(runtime.setRegisteredCursorNow(connection, "tolvane.unknown"));
    EXPECT_EQ(server.displayedName(), "com.apple.coregraphics.IBeam");
    EXPECT_TRUE(runtime.setSystemDefinedCursor(connection, 13));
    EXPECT_EQ(server.displayedName(), "com.apple.cursor.13");
    EXPECT_FALSE(runtime.setSystemDefinedCursor(connection, 99));
    EXPECT_TRUE(runtime.setCoreCursor(connection, 7));
    EXPECT_EQ(server.displayedName(), "com.apple.cursor.7");
    EXPECT_FALSE(runtime.setCoreCursor(connection, 45));

    std::optional<std::int32_t> coreSeed = runtime.setCoreCursorWithSeed(connection, 1);
    ASSERT_TRUE(coreSeed);
    EXPECT_EQ(*coreSeed, server.seed());
    std::optional<std::int32_t> systemSeed = runtime.setSystemDefinedCursorWithSeed(connection, 0);
    ASSERT_TRUE(systemSeed);
    EXPECT_EQ(*systemSeed, server.seed());
    // A failing call still yields the system-defined seed, but no core seed.
    server.injectFault(TVWS_FN_SET_SYSTEM_DEFINED_CURSOR_WITH_SEED, TVWS_FAULT_STATUS, 3);
    server.injectFault(TVWS_FN_CORE_CURSOR_SET_AND_RETURN_SEED, TVWS_FAULT_STATUS, 3);
    EXPECT_EQ(runtime.setSystemDefinedCursorWithSeed(connection, 0), 0);
    EXPECT_EQ(runtime.setCoreCursorWithSeed(connection, 1), std::nullopt);
    EXPECT_EQ(
        log.takeLines(),
        (Lines{"[DEBUG] setRegisteredCursorNow ok for com.apple.coregraphics.IBeam seed=" +
                   shownSeed,
               "[ERROR] setRegisteredCursorNow failed for tolvane.unknown: error=1011 seed=0",
               "[INFO] setSystemDefinedCursor id=13 error=0",
               "[INFO] setSystemDefinedCursor id=99 error=1001",
               "[INFO] setCoreCursor id=7 error=0", "[INFO] setCoreCursor id=45 error=1001",
               "[INFO] setCoreCursorWithSeed id=1 error=0 seed=" + std::to_string(*coreSeed),
               "[INFO] setSystemDefinedCursorWithSeed id=0 seed=" + std::to_string(*systemSeed),
               "[INFO] setSystemDefinedCursorWithSeed id=0 seed=0",
               "[INFO] setCoreCursorWithSeed id=1 error=3 seed=0"}));
}

} // namespace
} // namespace tolvane
