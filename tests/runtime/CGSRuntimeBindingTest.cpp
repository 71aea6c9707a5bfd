#include "RuntimeFixture.h"

#include <algorithm>
#include <gmock/gmock.h>

namespace tolvane {
namespace {

using ::testing::Contains;
using testing::Lines;
using testing::LogCapture;
using testing::SimulatedWindowServer;

constexpr std::int32_t connection = TVWS_MAIN_CONNECTION_ID;

// The initialisation line with every flag `bound`, except those in `flipped`.
std::string initialisationLine(int handles, bool bound, const Lines& flipped = {}) {
    std::string line = "[INFO] CGSRuntime initialized. handles=" + std::to_string(handles);
    for (const char* label :
         {"main", "register", "registerSingle", "copy", "set", "createImage", "cursorName",
          "dockOverride", "systemSet", "systemSetSeed", "show", "hide", "scale", "coreReset",
          "coreSetSeed", "coreCopy", "removeRegistered", "globalData", "currentSeed"}) {
        bool value =
            std::find(flipped.begin(), flipped.end(), label) == flipped.end() ? bound : !bound;
        line += std::string(" ") + label + "=" + (value ? "true" : "false");
    }
    return line;
}

TEST(CGSRuntimeBindingTest, LibrariesWithoutCursorFunctionsBindNothing) {
    LogCapture log;
    CGSRuntime none(CGSRuntime::platformLibraryPaths());
    std::vector<std::string> paths = CGSRuntime::platformLibraryPaths();
    paths.emplace_back(TOLVANE_SIMWS_EMPTY_PATH);
    CGSRuntime empty(paths);
    EXPECT_EQ(none.mainConnectionID(), std::nullopt);
    EXPECT_EQ(log.takeLines(), (Lines{initialisationLine(1, false), initialisationLine(2, false),
                                      "[ERROR] Failed to resolve mainConnectionID"}));
}

TEST(CGSRuntimeBindingTest, OnlySLSNamesBindEveryFunction) {
    SimulatedWindowServer slsOnly(TOLVANE_SIMWS_SLS_ONLY_PATH);
    slsOnly.reset();
    LogCapture log;
    CGSRuntime runtime({TOLVANE_SIMWS_SLS_ONLY_PATH});
    EXPECT_EQ(runtime.mainConnectionID(), connection);
    EXPECT_TRUE(runtime.setCursorScale(connection, 2.0f));
    EXPECT_EQ(slsOnly.journal(), (Lines{"SLSMainConnectionID", "SLSSetCursorScale scale=2"}));
    EXPECT_EQ(log.takeLines().front(), initialisationLine(2, true));
    slsOnly.reset();
}

TEST(CGSRuntimeBindingTest, CGSNamesWinWhicheverHandleHoldsThemAndAnswersAreNotCached) {
    SimulatedWindowServer slsOnly(TOLVANE_SIMWS_SLS_ONLY_PATH);
    SimulatedWindowServer full(TOLVANE_SIMWS_PATH);
    slsOnly.reset();
    full.reset();
    LogCapture log;
    CGSRuntime runtime({TOLVANE_SIMWS_SLS_ONLY_PATH, "/nonexistent/SkyLight", TOLVANE_SIMWS_PATH});
    EXPECT_EQ(runtime.mainConnectionID(), connection);
    EXPECT_EQ(full.callCount("CGSMainConnectionID"), 1u);
    EXPECT_EQ(slsOnly.callCount("SLSMainConnectionID"), 0u);
    // A name without a CGS form is taken from the first handle that has it.
    EXPECT_TRUE(runtime.setCoreCursor(connection, 7));
    EXPECT_EQ(slsOnly.callCount("CoreCursorSet"), 1u);
    EXPECT_EQ(full.callCount("CoreCursorSet"), 0u);

    full.injectFault(TVWS_FN_MAIN_CONNECTION_ID, TVWS_FAULT_STATUS, -7);
    EXPECT_EQ(runtime.mainConnectionID(), -7);
    EXPECT_EQ(log.takeLines(),
              (Lines{initialisationLine(3, true), "[DEBUG] mainConnectionID=47603",
                     "[INFO] setCoreCursor id=7 error=0", "[DEBUG] mainConnectionID=-7"}));
    slsOnly.reset();
    full.reset();
}

TEST(CGSRuntimeBindingTest, ScaleIsBoundOnlyWithBothItsFunctionsAndAHardResetDoesWithout) {
    SimulatedWindowServer noSetScaleServer(TOLVANE_SIMWS_NO_SET_SCALE_PATH);
    noSetScaleServer.reset();
    LogCapture log;
    CGSRuntime noSetScale({TOLVANE_SIMWS_NO_SET_SCALE_PATH});
    CGSRuntime noScale({TOLVANE_SIMWS_NO_SCALE_PATH});
    EXPECT_EQ(log.takeLines(), (Lines{initialisationLine(2, true, {"scale"}),
                                      initialisationLine(2, true, {"scale"})}));
    EXPECT_NE(noSetScale.getCursorScaleFn, nullptr);

    EXPECT_TRUE(noSetScale.hardResetSystemCursors(connection, 1));
    EXPECT_EQ(noSetScaleServer.callCount("CoreCursorSet"), 2u);
    EXPECT_THAT(log.takeLines(),
                Contains("[DEBUG] nudgeCursorScale unavailable: get/set scale symbols missing"));
    noSetScaleServer.reset();
}

TEST(CGSRuntimeBindingTest, TheSharedRuntimeFindsTheSimulatedWindowServer) {
    LogCapture log;
    CGSRuntime& shared = CGSRuntime::shared();
    EXPECT_EQ(&shared, &CGSRuntime::shared());
    EXPECT_EQ(shared.mainConnectionID(), connection);
    // Made on first use: the platform paths fail, the simulated window server
    // opens, then the pseudo-handle.
    EXPECT_EQ(log.takeLines(),
              (Lines{initialisationLine(2, true), "[DEBUG] mainConnectionID=47603"}));
}

TEST(CGSRuntimeBindingTest, EveryOperationWithoutItsFunctionsSaysSoAndGivesNothing) {
    LogCapture log;
    CGSRuntime unbound({TOLVANE_SIMWS_EMPTY_PATH});
    log.takeLines();
    const CursorSnapshot geometry{{32, 32}, {}, 0, 0, {}};
    const Image image = testing::solidImage(2, 2, 0xffffffff);
    EXPECT_FALSE(unbound.snapshotCursor(connection, "com.apple.cursor.13"));
    EXPECT_FALSE(unbound.snapshotCoreCursor(connection, 13));
    EXPECT_FALSE(unbound.registerCursor(connection, "tolvane.none", geometry, {image}, true, true));
    EXPECT_FALSE(unbound.setRegisteredCursorNow(connection, "com.apple.coregraphics.Arrow"));
    EXPECT_FALSE(unbound.setSystemDefinedCursor(connection, 0));
    EXPECT_FALSE(unbound.setSystemDefinedCursorWithSeed(connection, 0));
    EXPECT_FALSE(unbound.setCoreCursor(connection, 0));
    EXPECT_FALSE(unbound.setCoreCursorWithSeed(connection, 0));
    unbound.refreshCursorDisplay(connection);
    EXPECT_EQ(unbound.cursorScale(connection), std::nullopt);
    EXPECT_FALSE(unbound.setCursorScale(connection, 2.0f));
    EXPECT_FALSE(unbound.hardResetSystemCursors(connection, 44));
    EXPECT_TRUE(unbound.discoverSystemCursorNames("arrow", 128).empty());
    EXPECT_TRUE(unbound.discoverSystemCursorEntries(512).empty());
    EXPECT_EQ(unbound.currentCursorFingerprint(connection), std::nullopt);
    EXPECT_EQ(
        log.takeLines(),
        (Lines{
            "[ERROR] snapshotCursor unavailable: copyRegisteredCursorImagesFn is nil",
            "[WARN] snapshotCursor failed for com.apple.cursor.13: no registered/core snapshot "
            "available",
            "[WARN] registerCursor multi-frame path unavailable: registerCursorWithImagesFn is nil",
            "[ERROR] registerCursor failed for tolvane.none: multiError=nil frames=1 images=1 "
            "multiSeed=0 singleSuccess=false",
            "[ERROR] setRegisteredCursorNow unavailable: setRegisteredCursorFn is nil",
            "[WARN] setSystemDefinedCursor unavailable",
            "[WARN] setSystemDefinedCursorWithSeed unavailable", "[WARN] setCoreCursor unavailable",
            "[WARN] setCoreCursorWithSeed unavailable",
            "[DEBUG] refreshCursorDisplay unavailable: hide/show symbols missing",
            "[DEBUG] setCursorScale unavailable: set scale symbol missing",
            "[WARN] hardResetSystemCursors unavailable: core cursor reset symbols missing",
            "[WARN] discoverSystemCursorNames unavailable: cursorNameForSystemCursorFn is nil",
            "[WARN] discoverSystemCursorEntries unavailable: cursorNameForSystemCursorFn is nil",
            "[DEBUG] currentCursorFingerprint unavailable: global cursor data symbols missing"}));
}

} // namespace
} // namespace tolvane
