#include "SimulatedWindowServer.h"
#include "support/LogCapture.h"
#include "runtime/CGSRuntime.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::LogCapture;
using testing::SimulatedWindowServer;

// The initialisation line with every flag set to `bound`, except those named
// in `exceptions`, which get the opposite.
std::string initialisationLine(int handles, bool bound, std::vector<std::string> exceptions = {}) {
    std::string line = "[INFO] CGSRuntime initialized. handles=" + std::to_string(handles);
    for (const char* label :
         {"main", "register", "registerSingle", "copy", "set", "createImage", "cursorName",
          "dockOverride", "systemSet", "systemSetSeed", "show", "hide", "scale", "coreReset",
          "coreSetSeed", "coreCopy", "removeRegistered", "globalData", "currentSeed"}) {
        bool value = std::find(exceptions.begin(), exceptions.end(), label) == exceptions.end()
                         ? bound
                         : !bound;
        line += std::string(" ") + label + "=" + (value ? "true" : "false");
    }
    return line;
}

TEST(CGSRuntimeBindingTest, NoLibraryLeavesOnlyThePseudoHandleAndNothingBound) {
    LogCapture log;
    CGSRuntime runtime(CGSRuntime::platformLibraryPaths());
    EXPECT_EQ(log.takeLines(), std::vector<std::string>{initialisationLine(1, false)});
    EXPECT_EQ(runtime.mainConnectionIDFn, nullptr);
    EXPECT_EQ(runtime.currentCursorSeedFn, nullptr);

    EXPECT_EQ(runtime.mainConnectionID(), std::nullopt);
    EXPECT_EQ(log.takeLines(),
              std::vector<std::string>{"[ERROR] Failed to resolve mainConnectionID"});
}

TEST(CGSRuntimeBindingTest, ALibraryWithoutCursorFunctionsCountsAsAHandleAndBindsNothing) {
    LogCapture log;
    std::vector<std::string> paths = CGSRuntime::platformLibraryPaths();
    paths.emplace_back(TOLVANE_SIMWS_EMPTY_PATH);
    CGSRuntime runtime(paths);
    EXPECT_EQ(log.takeLines(), std::vector<std::string>{initialisationLine(2, false)});
}

TEST(CGSRuntimeBindingTest, TheFullWindowServerBindsEveryFunctionUnderItsCGSName) {
    SimulatedWindowServer server(TOLVANE_SIMWS_PATH);
    server.reset();
    LogCapture log;
    std::vector<std::string> paths = CGSRuntime::platformLibraryPaths();
    paths.emplace_back(TOLVANE_SIMWS_PATH);
    CGSRuntime runtime(paths);
    EXPECT_EQ(log.takeLines(), std::vector<std::string>{initialisationLine(2, true)});

    // Asked afresh each time, with a debug line per call.
    EXPECT_EQ(runtime.mainConnectionID(), TVWS_MAIN_CONNECTION_ID);
    EXPECT_EQ(runtime.mainConnectionID(), TVWS_MAIN_CONNECTION_ID);
    EXPECT_EQ(log.takeLines(), (std::vector<std::string>{"[DEBUG] mainConnectionID=47603",
                                                         "[DEBUG] mainConnectionID=47603"}));
    EXPECT_EQ(server.callCount("CGSMainConnectionID"), 2u);
    EXPECT_EQ(server.callCount("SLSMainConnectionID"), 0u);

    // Not cached: a changed answer shows at once.
    server.injectFault(TVWS_FN_MAIN_CONNECTION_ID, TVWS_FAULT_STATUS, -7);
    EXPECT_EQ(runtime.mainConnectionID(), -7);
    EXPECT_EQ(log.takeLines(), std::vector<std::string>{"[DEBUG] mainConnectionID=-7"});
    server.reset();
}

TEST(CGSRuntimeBindingTest, OnlySLSNamesBindTheSLSFunctions) {
    SimulatedWindowServer slsOnly(TOLVANE_SIMWS_SLS_ONLY_PATH);
    slsOnly.reset();
    LogCapture log;
    CGSRuntime runtime({TOLVANE_SIMWS_SLS_ONLY_PATH});
    EXPECT_EQ(log.takeLines(), std::vector<std::string>{initialisationLine(2, true)});

    EXPECT_EQ(runtime.mainConnectionID(), TVWS_MAIN_CONNECTION_ID);
    EXPECT_TRUE(runtime.setCursorScale(TVWS_MAIN_CONNECTION_ID, 2.0f));
    EXPECT_EQ(slsOnly.callCount("SLSMainConnectionID"), 1u);
    EXPECT_EQ(slsOnly.callCount("SLSSetCursorScale"), 1u);
    EXPECT_EQ(slsOnly.scale(), 2.0f);
    slsOnly.reset();
}

TEST(CGSRuntimeBindingTest, EveryNameIsTriedInEveryHandleBeforeTheNextName) {
    SimulatedWindowServer slsOnly(TOLVANE_SIMWS_SLS_ONLY_PATH);
    SimulatedWindowServer full(TOLVANE_SIMWS_PATH);
    slsOnly.reset();
    full.reset();
    LogCapture log;
    // The SLS function sits in the earlier handle, yet the CGS name wins.
    CGSRuntime runtime({TOLVANE_SIMWS_SLS_ONLY_PATH, "/nonexistent/SkyLight", TOLVANE_SIMWS_PATH});
    EXPECT_EQ(log.takeLines(), std::vector<std::string>{initialisationLine(3, true)});

    runtime.mainConnectionID();
    EXPECT_EQ(full.callCount("CGSMainConnectionID"), 1u);
    EXPECT_EQ(slsOnly.callCount("SLSMainConnectionID"), 0u);
    // A single name is found in the first handle that has it.
    EXPECT_TRUE(runtime.setCoreCursor(TVWS_MAIN_CONNECTION_ID, 7));
    EXPECT_EQ(slsOnly.callCount("CoreCursorSet"), 1u);
    EXPECT_EQ(full.callCount("CoreCursorSet"), 0u);
    slsOnly.reset();
    full.reset();
}

TEST(CGSRuntimeBindingTest, OneMissingScaleFunctionReportsScaleFalse) {
    LogCapture log;
    CGSRuntime noSetScale({TOLVANE_SIMWS_NO_SET_SCALE_PATH});
    CGSRuntime noScale({TOLVANE_SIMWS_NO_SCALE_PATH});
    EXPECT_EQ(log.takeLines(), (std::vector<std::string>{initialisationLine(2, true, {"scale"}),
                                                         initialisationLine(2, true, {"scale"})}));
    EXPECT_NE(noSetScale.getCursorScaleFn, nullptr);
    EXPECT_EQ(noSetScale.setCursorScaleFn, nullptr);
    EXPECT_EQ(noScale.getCursorScaleFn, nullptr);
}

TEST(CGSRuntimeBindingTest, TheSharedRuntimeFindsTheSimulatedWindowServer) {
    LogCapture log;
    CGSRuntime& shared = CGSRuntime::shared();
    EXPECT_EQ(&shared, &CGSRuntime::shared());
    EXPECT_NE(shared.mainConnectionIDFn, nullptr);
    EXPECT_EQ(shared.mainConnectionID(), TVWS_MAIN_CONNECTION_ID);
    // Made here, on first use: the four platform paths fail, the simulated
    // window server opens, then the pseudo-handle.
    EXPECT_EQ(log.takeLines(), (std::vector<std::string>{initialisationLine(2, true),
                                                         "[DEBUG] mainConnectionID=47603"}));
}

} // namespace
} // namespace tolvane
