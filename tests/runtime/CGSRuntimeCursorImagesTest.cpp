#include "RuntimeFixture.h"
#include "app/LogFormat.h"

namespace tolvane {
namespace {

using testing::HeldCursor;
using testing::Lines;

class CursorImagesTest : public testing::RuntimeTest {
  protected:
    // The log's rendering of a snapshot's geometry, from what the server holds.
    static std::string geometry(const HeldCursor& cursor) {
        return ": size=" + logformat::number(cursor.size.width) + "x" +
               logformat::number(cursor.size.height) +
               " frames=" + std::to_string(cursor.frameCount) +
               " images=" + std::to_string(cursor.images.size());
    }
    static void expectSameCursor(const CursorSnapshot& snapshot, const HeldCursor& held) {
        EXPECT_EQ(snapshot.size.width, held.size.width);
        EXPECT_EQ(snapshot.size.height, held.size.height);
        EXPECT_EQ(snapshot.hotSpot.x, held.hotSpot.x);
        EXPECT_EQ(snapshot.hotSpot.y, held.hotSpot.y);
        EXPECT_EQ(snapshot.frameCount, held.frameCount);
        EXPECT_EQ(snapshot.frameDuration, held.frameDuration);
        ASSERT_EQ(snapshot.images.size(), held.images.size());
        for (std::size_t index = 0; index < held.images.size(); ++index) {
            // The snapshot shows the window server's own pixels, not a copy.
            EXPECT_EQ(snapshot.images[index].bytes(), TVWSImageGetBytes(held.images[index]));
        }
    }
};

TEST_F(CursorImagesTest, ANumberedIdentifierIsReadAsACoreCursorOnly) {
    std::optional<HeldCursor> pointingHand = server.systemCursor(13);
    ASSERT_TRUE(pointingHand);
    std::optional<CursorSnapshot> snapshot =
        runtime.snapshotCursor(connection, "com.apple.cursor.13");
    ASSERT_TRUE(snapshot);
    expectSameCursor(*snapshot, *pointingHand);
    EXPECT_EQ(server.calls("CoreCursorCopyImages"), Lines{"CoreCursorCopyImages cursor=13"});
    EXPECT_EQ(server.callCount("CGSCopyRegisteredCursorImages"), 0u);
    EXPECT_EQ(log.takeLines(),
              (Lines{"[DEBUG] snapshotCoreCursor ok for id=13" + geometry(*pointingHand),
                     "[DEBUG] snapshotCursor via CoreCursorCopyImages for com.apple.cursor.13"}));

    ASSERT_TRUE(runtime.snapshotCursor(connection, "com.apple.cursor.+7"));
    EXPECT_EQ(server.calls("CoreCursorCopyImages").back(), "CoreCursorCopyImages cursor=7");
}

TEST_F(CursorImagesTest, IdentifiersWithoutACoreNumberGoToTheRegisteredCopy) {
    for (const char* identifier :
         {"com.apple.cursor.x13", "com.apple.cursor.", "com.apple.cursor.99999999999"}) {
        server.reset();
        EXPECT_FALSE(runtime.snapshotCursor(connection, identifier));
        EXPECT_EQ(server.callCount("CoreCursorCopyImages"), 0u) << identifier;
        EXPECT_EQ(server.calls("CGSCopyRegisteredCursorImages"),
                  Lines{std::string("CGSCopyRegisteredCursorImages name=") + identifier});
        EXPECT_EQ(log.takeLines(),
                  (Lines{std::string("[DEBUG] snapshotCursor registered copy miss for ") +
                             identifier + ": error=" + std::to_string(TVWS_STATUS_NONE_AVAILABLE),
                         std::string("[WARN] snapshotCursor failed for ") + identifier +
                             ": no registered/core snapshot available"}));
    }

    // 100 is a system cursor but no core cursor: the core copy refuses it and the
    // registered copy has it.
    std::optional<HeldCursor> arrowS =
        server.registeredCursor(TVWS_SCOPE_GLOBAL, "com.apple.cursor.100");
    ASSERT_TRUE(arrowS);
    std::optional<CursorSnapshot> snapshot =
        runtime.snapshotCursor(connection, "com.apple.cursor.100");
    ASSERT_TRUE(snapshot);
    expectSameCursor(*snapshot, *arrowS);
    EXPECT_EQ(log.takeLines(),
              (Lines{"[DEBUG] snapshotCoreCursor failed for id=100: error=" +
                         std::to_string(TVWS_STATUS_ILLEGAL_ARGUMENT),
                     "[DEBUG] snapshotCursor ok for com.apple.cursor.100" + geometry(*arrowS)}));
}

TEST_F(CursorImagesTest, AFailingCoreCopyFallsBackToTheRegisteredCursorOfTheSameName) {
    std::optional<HeldCursor> registered =
        server.registeredCursor(TVWS_SCOPE_GLOBAL, "com.apple.cursor.13");
    ASSERT_TRUE(registered);
    const std::string fallback =
        "[DEBUG] snapshotCursor ok for com.apple.cursor.13" + geometry(*registered);
    const std::vector<std::tuple<TVWSFaultKind, std::int32_t, std::string>> faults{
        {TVWS_FAULT_STATUS, 5, "[DEBUG] snapshotCoreCursor failed for id=13: error=5"},
        {TVWS_FAULT_NO_ARRAY, 0, "[DEBUG] snapshotCoreCursor failed for id=13: error=0"},
        {TVWS_FAULT_EMPTY_ARRAY, 0, "[DEBUG] snapshotCoreCursor empty for id=13"},
        {TVWS_FAULT_NON_IMAGE_ONLY, 0, "[DEBUG] snapshotCoreCursor empty for id=13"},
    };
    for (const auto& [kind, value, line] : faults) {
        server.reset();
        server.injectFaultForNumber(TVWS_FN_CORE_CURSOR_COPY_IMAGES, 13, kind, value);
        std::optional<CursorSnapshot> snapshot =
            runtime.snapshotCursor(connection, "com.apple.cursor.13");
        ASSERT_TRUE(snapshot) << line;
        expectSameCursor(*snapshot, *registered);
        EXPECT_EQ(log.takeLines(), (Lines{line, fallback}));
    }

    // A foreign element in front of the images is skipped.
    server.reset();
    server.injectFaultForNumber(TVWS_FN_CORE_CURSOR_COPY_IMAGES, 13, TVWS_FAULT_NON_IMAGE_FIRST);
    std::optional<CursorSnapshot> snapshot =
        runtime.snapshotCursor(connection, "com.apple.cursor.13");
    ASSERT_TRUE(snapshot);
    expectSameCursor(*snapshot, *server.systemCursor(13));
    EXPECT_EQ(server.callCount("CGSCopyRegisteredCursorImages"), 0u);
}

TEST_F(CursorImagesTest, EveryFaultOfTheRegisteredCopyIsLoggedAndGivesNothing) {
    const std::string arrow = "com.apple.coregraphics.Arrow";
    const std::string failed =
        "[WARN] snapshotCursor failed for " + arrow + ": no registered/core snapshot available";
    const std::string empty =
        "[WARN] snapshotCursor failed for " + arrow + ": empty registered image array";
    const std::vector<std::tuple<TVWSFaultKind, std::int32_t, Lines>> faults{
        {TVWS_FAULT_STATUS,
         1000,
         {"[DEBUG] snapshotCursor registered copy miss for " + arrow + ": error=1000", failed}},
        {TVWS_FAULT_STATUS,
         -4,
         {"[DEBUG] snapshotCursor registered copy miss for " + arrow + ": error=-4", failed}},
        {TVWS_FAULT_NO_ARRAY,
         0,
         {"[DEBUG] snapshotCursor registered copy miss for " + arrow + ": error=0", failed}},
        {TVWS_FAULT_EMPTY_ARRAY, 0, {empty, failed}},
        {TVWS_FAULT_NON_IMAGE_ONLY, 0, {empty, failed}},
    };
    for (const auto& [kind, value, lines] : faults) {
        server.reset();
        server.injectFaultForName(TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, arrow.c_str(), kind,
                                  value);
        EXPECT_FALSE(runtime.snapshotCursor(connection, arrow));
        EXPECT_EQ(log.takeLines(), lines);
    }

    server.reset();
    server.injectFaultForName(TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, arrow.c_str(),
                              TVWS_FAULT_NON_IMAGE_FIRST);
    std::optional<HeldCursor> held = server.registeredCursor(TVWS_SCOPE_GLOBAL, arrow.c_str());
    std::optional<CursorSnapshot> snapshot = runtime.snapshotCursor(connection, arrow);
    ASSERT_TRUE(snapshot);
    expectSameCursor(*snapshot, *held);
    EXPECT_EQ(log.takeLines(), Lines{"[DEBUG] snapshotCursor ok for " + arrow + geometry(*held)});
}

TEST_F(CursorImagesTest, SnapshotImagesOutliveTheWindowServersCursor) {
    std::optional<CursorSnapshot> snapshot =
        runtime.snapshotCursor(connection, "com.apple.coregraphics.IBeam");
    ASSERT_TRUE(snapshot);
    const Image& first = snapshot->images.front();
    std::vector<unsigned char> before(first.bytes(), first.bytes() + first.byteCount());
    // Registering over the cursor drops the server's own reference.
    ASSERT_TRUE(runtime.registerCursor(connection, "com.apple.coregraphics.IBeam", *snapshot,
                                       {solidImage(8, 8, 0xff0000ff)}, true, true));
    server.reset();
    EXPECT_EQ(std::vector<unsigned char>(first.bytes(), first.bytes() + first.byteCount()), before);
}

TEST_F(CursorImagesTest, RegistrationPassesAFrameCountLimitedByTheImagesAndTwentyFour) {
    std::vector<Image> thirty;
    for (std::uint32_t index = 0; index < 30; ++index) {
        thirty.push_back(solidImage(4, 4, 0xff000000u | index));
    }
    CursorSnapshot snapshot{{32, 40}, {4.5, 6}, 0, 0.05, {}};
    // The single-image call would replace the frames: let only the multi-frame one take.
    server.injectFault(TVWS_FN_REGISTER_CURSOR_WITH_IMAGE, TVWS_FAULT_STATUS, 9);
    ASSERT_TRUE(
        runtime.registerCursor(connection, "tolvane.thirty", snapshot, thirty, true, false));
    EXPECT_EQ(
        server.calls("CGSRegisterCursorWithImages"),
        Lines{"CGSRegisterCursorWithImages name=tolvane.thirty global=1 instantly=0 frames=24 "
              "images=30 width=32 height=40 hotX=4.5 hotY=6 duration=0.05"});
    std::optional<HeldCursor> held = server.registeredCursor(TVWS_SCOPE_GLOBAL, "tolvane.thirty");
    ASSERT_TRUE(held);
    ASSERT_EQ(held->images.size(), 30u);
    for (std::size_t index = 0; index < 30; ++index) {
        EXPECT_EQ(TVWSImageGetBytes(held->images[index]), thirty[index].bytes()) << index;
    }
    EXPECT_EQ(held->frameCount, 24u);
    log.takeLines();
    std::optional<CursorSnapshot> readBack = runtime.snapshotCursor(connection, "tolvane.thirty");
    ASSERT_TRUE(readBack);
    EXPECT_EQ(readBack->images.size(), 30u);
    EXPECT_EQ(readBack->frameDuration, 0.05);
    EXPECT_EQ(
        log.takeLines(),
        Lines{"[DEBUG] snapshotCursor ok for tolvane.thirty: size=32.0x40.0 frames=24 images=30"});

    std::vector<Image> three(thirty.begin(), thirty.begin() + 3);
    snapshot.frameCount = 8;
    runtime.registerCursor(connection, "tolvane.three", snapshot, three, false, true);
    snapshot.frameCount = 2;
    runtime.registerCursor(connection, "tolvane.two", snapshot, three, false, true);
    EXPECT_EQ(server.calls("CGSRegisterCursorWithImages"),
              (Lines{server.calls("CGSRegisterCursorWithImages").front(),
                     "CGSRegisterCursorWithImages name=tolvane.three global=0 instantly=1 frames=3 "
                     "images=3 width=32 height=40 hotX=4.5 hotY=6 duration=0.05",
                     "CGSRegisterCursorWithImages name=tolvane.two global=0 instantly=1 frames=2 "
                     "images=3 width=32 height=40 hotX=4.5 hotY=6 duration=0.05"}));
    EXPECT_TRUE(server.registeredCursor(TVWS_SCOPE_CONNECTION, "tolvane.three"));
    EXPECT_FALSE(server.registeredCursor(TVWS_SCOPE_GLOBAL, "tolvane.three"));
}

TEST_F(CursorImagesTest, RegistrationAlsoRegistersTheFirstImageAloneAndLogsBothOutcomes) {
    std::vector<Image> images{solidImage(6, 6, 0xff112233), solidImage(6, 6, 0xff445566)};
    CursorSnapshot snapshot{{24, 30}, {1, 2}, 2, 0.1, {}};
    const std::string seed = std::to_string(server.seed());

    ASSERT_TRUE(runtime.registerCursor(connection, "tolvane.both", snapshot, images, true, true));
    EXPECT_EQ(server.calls("CGSRegisterCursorWithImage"),
              Lines{"CGSRegisterCursorWithImage name=tolvane.both global=1 instantly=1 reserved=0 "
                    "width=24 height=30 hotX=1 hotY=2 scaleX=1 scaleY=1"});
    std::optional<HeldCursor> held = server.registeredCursor(TVWS_SCOPE_GLOBAL, "tolvane.both");
    ASSERT_TRUE(held);
    ASSERT_EQ(held->images.size(), 1u);
    EXPECT_EQ(TVWSImageGetBytes(held->images[0]), images[0].bytes());
    EXPECT_EQ(log.takeLines(),
              (Lines{"[DEBUG] registerCursorSingleImage ok for tolvane.both seed=" + seed,
                     "[DEBUG] registerCursor ok for tolvane.both: frames=2 images=2 multiError=0 "
                     "multiSeed=" +
                         seed + " singleSuccess=true"}));

    // The multi-frame call fails, the single image takes.
    server.injectFaultForName(TVWS_FN_REGISTER_CURSOR_WITH_IMAGES, "tolvane.both",
                              TVWS_FAULT_STATUS, 7);
    EXPECT_TRUE(runtime.registerCursor(connection, "tolvane.both", snapshot, images, true, true));
    EXPECT_EQ(log.takeLines(),
              (Lines{"[DEBUG] registerCursorSingleImage ok for tolvane.both seed=" + seed,
                     "[DEBUG] registerCursor ok for tolvane.both: frames=2 images=2 multiError=7 "
                     "multiSeed=0 singleSuccess=true"}));

    // Both fail.
    server.injectFaultForName(TVWS_FN_REGISTER_CURSOR_WITH_IMAGE, "tolvane.both", TVWS_FAULT_STATUS,
                              8);
    EXPECT_FALSE(runtime.registerCursor(connection, "tolvane.both", snapshot, images, true, true));
    EXPECT_EQ(
        log.takeLines(),
        (Lines{"[DEBUG] registerCursorSingleImage failed for tolvane.both: error=8 seed=0",
               "[ERROR] registerCursor failed for tolvane.both: multiError=7 frames=2 images=2 "
               "multiSeed=0 singleSuccess=false"}));

    // Only the multi-frame call takes.
    server.injectFaultForName(TVWS_FN_REGISTER_CURSOR_WITH_IMAGES, "tolvane.both", TVWS_FAULT_NONE);
    EXPECT_TRUE(runtime.registerCursor(connection, "tolvane.both", snapshot, images, true, true));
    EXPECT_EQ(log.takeLines(),
              (Lines{"[DEBUG] registerCursorSingleImage failed for tolvane.both: error=8 seed=0",
                     "[DEBUG] registerCursor ok for tolvane.both: frames=2 images=2 multiError=0 "
                     "multiSeed=" +
                         seed + " singleSuccess=false"}));
}

TEST_F(CursorImagesTest, RegistrationWithoutImagesOrFunctionsFails) {
    EXPECT_FALSE(runtime.registerCursor(connection, "tolvane.none",
                                        CursorSnapshot{{32, 32}, {}, 1, 0, {}}, {}, true, true));
    EXPECT_EQ(log.takeLines(), Lines{"[WARN] registerCursor skipped for tolvane.none: no images"});
    EXPECT_TRUE(server.journal().empty());

    CGSRuntime unbound({});
    log.takeLines();
    EXPECT_FALSE(unbound.registerCursor(connection, "tolvane.none",
                                        CursorSnapshot{{32, 32}, {}, 0, 0, {}},
                                        {solidImage(2, 2, 0xffffffff)}, true, true));
    EXPECT_EQ(
        log.takeLines(),
        (Lines{
            "[WARN] registerCursor multi-frame path unavailable: registerCursorWithImagesFn is nil",
            "[ERROR] registerCursor failed for tolvane.none: multiError=nil frames=1 images=1 "
            "multiSeed=0 singleSuccess=false"}));
}

TEST_F(CursorImagesTest, SettingARegisteredCursorShowsIt) {
    EXPECT_TRUE(runtime.setRegisteredCursorNow(connection, "com.apple.coregraphics.IBeam"));
    EXPECT_EQ(server.displayedName(), "com.apple.coregraphics.IBeam");
    EXPECT_EQ(log.takeLines(),
              Lines{"[DEBUG] setRegisteredCursorNow ok for com.apple.coregraphics.IBeam seed=" +
                    std::to_string(server.seed())});

    EXPECT_FALSE(runtime.setRegisteredCursorNow(connection, "tolvane.unknown"));
    EXPECT_EQ(server.displayedName(), "com.apple.coregraphics.IBeam");
    EXPECT_EQ(log.takeLines(),
              Lines{"[ERROR] setRegisteredCursorNow failed for tolvane.unknown: error=" +
                    std::to_string(TVWS_STATUS_NONE_AVAILABLE) + " seed=0"});
}

TEST_F(CursorImagesTest, NumberBasedSettersReportStatusesAndSeeds) {
    EXPECT_TRUE(runtime.setSystemDefinedCursor(connection, 13));
    EXPECT_EQ(server.displayedName(), "com.apple.cursor.13");
    EXPECT_FALSE(runtime.setSystemDefinedCursor(connection, 99));
    EXPECT_TRUE(runtime.setCoreCursor(connection, 7));
    EXPECT_EQ(server.displayedName(), "com.apple.cursor.7");
    EXPECT_FALSE(runtime.setCoreCursor(connection, 45));
    EXPECT_EQ(log.takeLines(), (Lines{"[INFO] setSystemDefinedCursor id=13 error=0",
                                      "[INFO] setSystemDefinedCursor id=99 error=1001",
                                      "[INFO] setCoreCursor id=7 error=0",
                                      "[INFO] setCoreCursor id=45 error=1001"}));

    std::optional<std::int32_t> seed = runtime.setCoreCursorWithSeed(connection, 1);
    EXPECT_EQ(seed, server.seed());
    std::optional<std::int32_t> systemSeed = runtime.setSystemDefinedCursorWithSeed(connection, 0);
    EXPECT_EQ(systemSeed, server.seed());
    // An error still yields the system-defined seed, but no core seed.
    server.injectFault(TVWS_FN_SET_SYSTEM_DEFINED_CURSOR_WITH_SEED, TVWS_FAULT_STATUS, 3);
    server.injectFault(TVWS_FN_CORE_CURSOR_SET_AND_RETURN_SEED, TVWS_FAULT_STATUS, 3);
    EXPECT_EQ(runtime.setSystemDefinedCursorWithSeed(connection, 0), 0);
    EXPECT_EQ(runtime.setCoreCursorWithSeed(connection, 1), std::nullopt);
    const std::string current = std::to_string(server.seed());
    EXPECT_EQ(log.takeLines(),
              (Lines{"[INFO] setCoreCursorWithSeed id=1 error=0 seed=" + std::to_string(*seed),
                     "[INFO] setSystemDefinedCursorWithSeed id=0 seed=" + current,
                     "[INFO] setSystemDefinedCursorWithSeed id=0 seed=0",
                     "[INFO] setCoreCursorWithSeed id=1 error=3 seed=0"}));
}

TEST_F(CursorImagesTest, MissingFunctionsAreLoggedAndGiveNothing) {
    CGSRuntime unbound({TOLVANE_SIMWS_EMPTY_PATH});
    log.takeLines();
    EXPECT_FALSE(unbound.snapshotCursor(connection, "com.apple.cursor.13"));
    EXPECT_FALSE(unbound.snapshotCoreCursor(connection, 13));
    EXPECT_FALSE(unbound.setRegisteredCursorNow(connection, "com.apple.coregraphics.Arrow"));
    EXPECT_FALSE(unbound.setSystemDefinedCursor(connection, 0));
    EXPECT_FALSE(unbound.setSystemDefinedCursorWithSeed(connection, 0));
    EXPECT_FALSE(unbound.setCoreCursor(connection, 0));
    EXPECT_FALSE(unbound.setCoreCursorWithSeed(connection, 0));
    EXPECT_EQ(
        log.takeLines(),
        (Lines{"[ERROR] snapshotCursor unavailable: copyRegisteredCursorImagesFn is nil",
               "[WARN] snapshotCursor failed for com.apple.cursor.13: no registered/core snapshot "
               "available",
               "[ERROR] setRegisteredCursorNow unavailable: setRegisteredCursorFn is nil",
               "[WARN] setSystemDefinedCursor unavailable",
               "[WARN] setSystemDefinedCursorWithSeed unavailable",
               "[WARN] setCoreCursor unavailable", "[WARN] setCoreCursorWithSeed unavailable"}));
}

} // namespace
} // namespace tolvane
