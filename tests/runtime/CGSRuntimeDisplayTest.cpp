#include "RuntimeFixture.h"
#include "app/LogFormat.h"
#include "platform/Clock.h"
#include "platform/sim/SimEventServices.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace tolvane {
namespace {

using testing::Lines;

class DisplayTest : public testing::RuntimeTest {
  protected:
    std::vector<std::string> scaleCalls() const { return server.calls("CGSSetCursorScale"); }
};

TEST_F(DisplayTest, RefreshHidesThenShowsAndLogsBothStatuses) {
    runtime.refreshCursorDisplay(connection);
    EXPECT_EQ(server.journal(), (Lines{"CGSHideCursor", "CGSShowCursor"}));
    EXPECT_EQ(server.hideCount(), 0);
    server.injectFault(TVWS_FN_HIDE_CURSOR, TVWS_FAULT_STATUS, 3);
    runtime.refreshCursorDisplay(connection);
    EXPECT_EQ(log.takeLines(), (Lines{"[DEBUG] refreshCursorDisplay hideError=0 showError=0",
                                      "[DEBUG] refreshCursorDisplay hideError=3 showError=0"}));

    CGSRuntime unbound({TOLVANE_SIMWS_EMPTY_PATH});
    log.takeLines();
    unbound.refreshCursorDisplay(connection);
    EXPECT_EQ(log.takeLines(),
              Lines{"[DEBUG] refreshCursorDisplay unavailable: hide/show symbols missing"});
}

TEST_F(DisplayTest, ScaleIsReadQuietlyAndSetWithinItsRange) {
    EXPECT_EQ(runtime.cursorScale(connection), 1.0f);
    const std::vector<std::tuple<float, float, std::string, std::string>> requests{
        {40.0f, 16.0f, "scale=16", "requested=40.0 clamped=16.0"},
        {0.1f, 0.5f, "scale=0.5", "requested=0.1 clamped=0.5"},
        {std::numeric_limits<float>::quiet_NaN(), 16.0f, "scale=16", "requested=nan clamped=16.0"},
        {-std::numeric_limits<float>::infinity(), 0.5f, "scale=0.5", "requested=-inf clamped=0.5"},
        {1.08f, 1.08f, "scale=1.08", "requested=1.08 clamped=1.08"},
        {16.0f, 16.0f, "scale=16", "requested=16.0 clamped=16.0"},
        {0.5f, 0.5f, "scale=0.5", "requested=0.5 clamped=0.5"},
    };
    for (const auto& [request, clamped, call, line] : requests) {
        server.reset();
        EXPECT_TRUE(runtime.setCursorScale(connection, request));
        EXPECT_EQ(scaleCalls(), Lines{"CGSSetCursorScale " + call});
        EXPECT_EQ(server.scale(), clamped);
        EXPECT_EQ(runtime.cursorScale(connection), clamped);
        EXPECT_EQ(log.takeLines(), Lines{"[DEBUG] setCursorScale " + line + " error=0"});
    }

    server.injectFault(TVWS_FN_SET_CURSOR_SCALE, TVWS_FAULT_STATUS, 2);
    server.injectFault(TVWS_FN_GET_CURSOR_SCALE, TVWS_FAULT_STATUS, 5);
    EXPECT_FALSE(runtime.setCursorScale(connection, 2.0f));
    EXPECT_EQ(runtime.cursorScale(connection), std::nullopt);
    EXPECT_EQ(log.takeLines(), (Lines{"[DEBUG] setCursorScale requested=2.0 clamped=2.0 error=2",
                                      "[DEBUG] cursorScale get failed: error=5"}));

    CGSRuntime noScale({TOLVANE_SIMWS_NO_SCALE_PATH});
    log.takeLines();
    EXPECT_EQ(noScale.cursorScale(connection), std::nullopt);
    EXPECT_FALSE(noScale.setCursorScale(connection, 2.0f));
    EXPECT_EQ(log.takeLines(),
              Lines{"[DEBUG] setCursorScale unavailable: set scale symbol missing"});
}

TEST_F(DisplayTest, TheNudgeStepsUpBySinglePrecisionAndBack) {
    runtime.nudgeCursorScale(connection);
    EXPECT_EQ(scaleCalls(), (Lines{"CGSSetCursorScale scale=1.3", "CGSSetCursorScale scale=1"}));
    EXPECT_EQ(server.scale(), 1.0f);

    // At the top it steps down instead; just below, only as far as the top.
    const std::vector<std::tuple<float, std::string, std::string>> cases{
        {16.0f, "current=16.0 temp=15.7", "scale=15.7"},
        {15.8f, "current=15.8 temp=16.0", "scale=16"},
        {0.5f, "current=0.5 temp=0.8", "scale=0.8"},
        // Adding 0.3 in double precision would give 1.0000001 here.
        {0.70000017f, "current=0.70000017 temp=1.0000002", "scale=1"},
    };
    log.takeLines();
    for (const auto& [start, line, call] : cases) {
        server.reset();
        runtime.setCursorScale(connection, start);
        log.takeLines();
        runtime.nudgeCursorScale(connection);
        ASSERT_EQ(scaleCalls().size(), 3u);
        EXPECT_EQ(scaleCalls()[1], "CGSSetCursorScale " + call);
        EXPECT_EQ(server.scale(), start);
        EXPECT_EQ(log.takeLines(),
                  Lines{"[DEBUG] nudgeCursorScale " + line + " setTempError=0 setBackError=0"});
    }

    server.reset();
    server.injectFault(TVWS_FN_GET_CURSOR_SCALE, TVWS_FAULT_STATUS, 4);
    runtime.nudgeCursorScale(connection);
    EXPECT_TRUE(scaleCalls().empty());
    EXPECT_EQ(log.takeLines(), Lines{"[DEBUG] nudgeCursorScale get failed: error=4"});

    CGSRuntime noSetScale({TOLVANE_SIMWS_NO_SET_SCALE_PATH});
    log.takeLines();
    noSetScale.nudgeCursorScale(connection);
    EXPECT_EQ(log.takeLines(),
              Lines{"[DEBUG] nudgeCursorScale unavailable: get/set scale symbols missing"});
}

TEST_F(DisplayTest, HardResetPutsEveryCoreCursorBackInOrder) {
    Image red = solidImage(16, 16, 0xffff0000);
    CursorSnapshot geometry{{16, 16}, {0, 0}, 1, 0, {}};
    ASSERT_TRUE(
        runtime.registerCursor(connection, "com.apple.cursor.0", geometry, {red}, true, true));
    ASSERT_TRUE(
        runtime.registerCursor(connection, "com.apple.cursor.13", geometry, {red}, true, true));
    ASSERT_TRUE(runtime.setRegisteredCursorNow(connection, "com.apple.cursor.13"));
    const std::size_t before = server.journal().size();
    log.takeLines();

    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, 200));

    Lines expected{"CGSSetDockCursorOverride enabled=1", "CoreCursorUnregisterAll"};
    for (int cursor = 0; cursor <= 44; ++cursor) {
        expected.push_back("CoreCursorSet cursor=" + std::to_string(cursor));
    }
    for (const char* call :
         {"CGSSetRegisteredCursor name=com.apple.coregraphics.GlobalCurrent", "CGSHideCursor",
          "CGSShowCursor", "CGSGetCursorScale", "CGSSetCursorScale scale=1.3",
          "CGSSetCursorScale scale=1", "CGSSetDockCursorOverride enabled=0"}) {
        expected.emplace_back(call);
    }
    Lines journal = server.journal();
    EXPECT_EQ(Lines(journal.begin() + static_cast<std::ptrdiff_t>(before), journal.end()),
              expected);
    EXPECT_FALSE(server.dockOverrideEnabled());
    EXPECT_EQ(server.displayedName(), "com.apple.coregraphics.GlobalCurrent");
    for (std::int32_t cursor : {0, 13}) {
        auto name = "com.apple.cursor." + std::to_string(cursor);
        EXPECT_EQ(
            TVWSImageGetBytes(server.registeredCursor(TVWS_SCOPE_GLOBAL, name.c_str())->images[0]),
            TVWSImageGetBytes(server.systemCursor(cursor)->images[0]));
    }

    Lines lines = log.takeLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "[DEBUG] setDockCursorOverride enabled=true");
    EXPECT_TRUE(lines[1].starts_with(
        "[DEBUG] setRegisteredCursorNow ok for com.apple.coregraphics.GlobalCurrent seed="));
    EXPECT_EQ(lines[2], "[DEBUG] refreshCursorDisplay hideError=0 showError=0");
    EXPECT_EQ(lines[3],
              "[DEBUG] nudgeCursorScale current=1.0 temp=1.3 setTempError=0 setBackError=0");
    EXPECT_EQ(lines[4],
              "[INFO] hardResetSystemCursors completed. unregisterResult=0 setSuccesses=45 "
              "setFailures=0 effectiveMaxCoreID=44 anchored=true ok=true");
    EXPECT_EQ(lines[5], "[DEBUG] setDockCursorOverride enabled=false");
}

TEST_F(DisplayTest, HardResetBoundsItsCoreCursorRange) {
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, -5));
    EXPECT_EQ(server.calls("CoreCursorSet"), Lines{"CoreCursorSet cursor=0"});
    EXPECT_EQ(log.takeLines()[4],
              "[INFO] hardResetSystemCursors completed. unregisterResult=0 "
              "setSuccesses=1 setFailures=0 effectiveMaxCoreID=0 anchored=true ok=true");
    server.reset();
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, 44));
    EXPECT_EQ(server.callCount("CoreCursorSet"), 45u);
    server.reset();
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, 3));
    EXPECT_EQ(server.callCount("CoreCursorSet"), 4u);
}

TEST_F(DisplayTest, HardResetIsOkOnlyWhenUnregisteringAndACoreCursorWorked) {
    auto completedLine = [&] {
        for (const std::string& line : log.takeLines()) {
            if (line.starts_with("[INFO] hardResetSystemCursors completed.")) {
                return line;
            }
        }
        return std::string();
    };
    // Every core cursor fails: anchoring alone does not make it ok.
    server.injectFault(TVWS_FN_CORE_CURSOR_SET, TVWS_FAULT_STATUS, 1000);
    EXPECT_FALSE(runtime.hardResetSystemCursors(connection, 200));
    EXPECT_EQ(completedLine(),
              "[INFO] hardResetSystemCursors completed. unregisterResult=0 "
              "setSuccesses=0 setFailures=45 effectiveMaxCoreID=44 anchored=true ok=false");
    EXPECT_FALSE(server.dockOverrideEnabled());

    // One core cursor is enough.
    server.reset();
    server.injectFault(TVWS_FN_CORE_CURSOR_SET, TVWS_FAULT_STATUS, 1000);
    server.injectFaultForNumber(TVWS_FN_CORE_CURSOR_SET, 30, TVWS_FAULT_NONE, 0);
    server.injectFaultForNumber(TVWS_FN_CORE_CURSOR_SET, 31, TVWS_FAULT_STATUS, 0);
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, 200));
    EXPECT_EQ(completedLine(),
              "[INFO] hardResetSystemCursors completed. unregisterResult=0 "
              "setSuccesses=1 setFailures=44 effectiveMaxCoreID=44 anchored=true ok=true");

    server.reset();
    server.injectFault(TVWS_FN_CORE_CURSOR_UNREGISTER_ALL, TVWS_FAULT_STATUS, 2);
    EXPECT_FALSE(runtime.hardResetSystemCursors(connection, 10));
    EXPECT_EQ(completedLine(),
              "[INFO] hardResetSystemCursors completed. unregisterResult=2 "
              "setSuccesses=11 setFailures=0 effectiveMaxCoreID=10 anchored=true ok=false");

    // Anchoring tries the next identifier only after a failure, and failing
    // anchors do not spoil the reset.
    server.reset();
    server.injectFaultForName(TVWS_FN_SET_REGISTERED_CURSOR, "com.apple.coregraphics.GlobalCurrent",
                              TVWS_FAULT_STATUS, 6);
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, 0));
    EXPECT_EQ(server.calls("CGSSetRegisteredCursor"),
              (Lines{"CGSSetRegisteredCursor name=com.apple.coregraphics.GlobalCurrent",
                     "CGSSetRegisteredCursor name=com.apple.coregraphics.ConnectionCurrent"}));
    EXPECT_EQ(server.displayedName(), "com.apple.coregraphics.ConnectionCurrent");
    EXPECT_EQ(completedLine(),
              "[INFO] hardResetSystemCursors completed. unregisterResult=0 "
              "setSuccesses=1 setFailures=0 effectiveMaxCoreID=0 anchored=true ok=true");
    server.reset();
    server.injectFault(TVWS_FN_SET_REGISTERED_CURSOR, TVWS_FAULT_STATUS, 6);
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, 0));
    EXPECT_EQ(server.callCount("CGSSetRegisteredCursor"), 3u);
    EXPECT_EQ(completedLine(),
              "[INFO] hardResetSystemCursors completed. unregisterResult=0 "
              "setSuccesses=1 setFailures=0 effectiveMaxCoreID=0 anchored=false ok=true");
}

TEST_F(DisplayTest, HardResetNeedsTheCoreFunctionsButNotTheOptionalOnes) {
    CGSRuntime unbound({TOLVANE_SIMWS_EMPTY_PATH});
    log.takeLines();
    EXPECT_FALSE(unbound.hardResetSystemCursors(connection, 44));
    EXPECT_EQ(
        log.takeLines(),
        Lines{"[WARN] hardResetSystemCursors unavailable: core cursor reset symbols missing"});

    testing::SimulatedWindowServer noScaleServer(TOLVANE_SIMWS_NO_SCALE_PATH);
    noScaleServer.reset();
    CGSRuntime noScale({TOLVANE_SIMWS_NO_SCALE_PATH});
    log.takeLines();
    EXPECT_TRUE(noScale.hardResetSystemCursors(connection, 1));
    Lines lines = log.takeLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "[DEBUG] nudgeCursorScale unavailable: get/set scale symbols missing");
    EXPECT_EQ(noScaleServer.callCount("CoreCursorSet"), 2u);
    noScaleServer.reset();
}

TEST_F(DisplayTest, NameDiscoveryMatchesTheTokenInAnyCase) {
    EXPECT_EQ(runtime.discoverSystemCursorNames("Arrow", 128),
              (Lines{"com.apple.coregraphics.Arrow", "com.apple.coregraphics.ArrowCtx",
                     "com.apple.coregraphics.ArrowS"}));
    EXPECT_EQ(runtime.discoverSystemCursorNames("IBEAM", 101),
              (Lines{"com.apple.coregraphics.IBeam", "com.apple.coregraphics.IBeamVertical"}));
    EXPECT_EQ(server.callCount("CGSCursorNameForSystemCursor"), 128u + 101u);
    EXPECT_EQ(runtime.discoverSystemCursorNames("com.apple.", 128).size(), 49u);
    server.injectFaultForNumber(TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR, 6, TVWS_FAULT_NULL_RESULT,
                                0);
    EXPECT_EQ(runtime.discoverSystemCursorNames("arrow", 128),
              (Lines{"com.apple.coregraphics.Arrow", "com.apple.coregraphics.ArrowS"}));
    EXPECT_TRUE(runtime.discoverSystemCursorNames("arrow", 0).empty());
    EXPECT_EQ(log.takeLines(), (Lines{"[INFO] discoverSystemCursorNames token=Arrow found=3",
                                      "[INFO] discoverSystemCursorNames token=IBEAM found=2",
                                      "[INFO] discoverSystemCursorNames token=com.apple. found=49",
                                      "[INFO] discoverSystemCursorNames token=arrow found=2",
                                      "[INFO] discoverSystemCursorNames token=arrow found=0"}));
}

TEST_F(DisplayTest, EntryDiscoveryKeepsEveryNamedNumber) {
    server.injectFaultForNumber(TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR, 13, TVWS_FAULT_NULL_RESULT,
                                0);
    std::vector<SystemCursorEntry> entries = runtime.discoverSystemCursorEntries(512);
    ASSERT_EQ(entries.size(), 48u);
    EXPECT_EQ(entries.front(), (SystemCursorEntry{0, "com.apple.coregraphics.Arrow"}));
    EXPECT_EQ(entries[12], (SystemCursorEntry{12, "com.apple.coregraphics.Help"}));
    EXPECT_EQ(entries[13], (SystemCursorEntry{14, "com.apple.coregraphics.BusyButClickable"}));
    EXPECT_EQ(entries.back(), (SystemCursorEntry{103, "com.apple.coregraphics.Busy"}));
    EXPECT_EQ(server.callCount("CGSCursorNameForSystemCursor"), 512u);

    EXPECT_TRUE(runtime.discoverSystemCursorEntries(0).empty());
    EXPECT_TRUE(runtime.discoverSystemCursorEntries(-3).empty());
    EXPECT_EQ(runtime.discoverSystemCursorEntries(1),
              (std::vector<SystemCursorEntry>{{0, "com.apple.coregraphics.Arrow"}}));
    EXPECT_EQ(log.takeLines(), (Lines{"[INFO] discoverSystemCursorEntries found=48 scanned=512",
                                      "[INFO] discoverSystemCursorEntries found=1 scanned=1"}));

    CGSRuntime unbound({});
    log.takeLines();
    EXPECT_TRUE(unbound.discoverSystemCursorNames("arrow", 128).empty());
    EXPECT_TRUE(unbound.discoverSystemCursorEntries(512).empty());
    EXPECT_EQ(
        log.takeLines(),
        (Lines{
            "[WARN] discoverSystemCursorNames unavailable: cursorNameForSystemCursorFn is nil",
            "[WARN] discoverSystemCursorEntries unavailable: cursorNameForSystemCursorFn is nil"}));
}

// FNV-1a 64 over the bytes, written out independently of the runtime.
std::string expectedFingerprint(const std::vector<unsigned char>& bytes, std::size_t count) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (std::size_t index = 0; index < count; ++index) {
        hash = (hash ^ bytes[index]) * 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

TEST_F(DisplayTest, TheFingerprintHashesTheDisplayedBytes) {
    testing::DisplayedCursor arrow = server.displayed();
    const std::size_t size = arrow.bytes.size();
    ASSERT_EQ(size, arrow.width * arrow.height * 4);
    std::optional<std::string> fingerprint = runtime.currentCursorFingerprint(connection);
    EXPECT_EQ(fingerprint, expectedFingerprint(arrow.bytes, size));
    char geometry[128];
    std::snprintf(geometry, sizeof geometry,
                  " px=%zu.0x%zu.0 hotSpot=(%s,%s) depth=32 components=4 bpc=8", arrow.width,
                  arrow.height, logformat::number(arrow.hotSpot.x).c_str(),
                  logformat::number(arrow.hotSpot.y).c_str());
    EXPECT_EQ(log.takeLines(), Lines{"[DEBUG] currentCursorFingerprint ok size=" +
                                     std::to_string(size) + " hash=" + *fingerprint + geometry});

    // Another cursor on screen, another fingerprint.
    runtime.setCoreCursor(connection, 1);
    testing::DisplayedCursor iBeam = server.displayed();
    std::optional<std::string> next = runtime.currentCursorFingerprint(connection);
    EXPECT_EQ(next, expectedFingerprint(iBeam.bytes, iBeam.bytes.size()));
    EXPECT_NE(next, fingerprint);
}

TEST_F(DisplayTest, TheFingerprintKeepsToTheBytesActuallyWritten) {
    const std::vector<unsigned char> bytes = server.displayed().bytes;
    const std::size_t size = bytes.size();
    auto okLine = [&](std::size_t reported) {
        for (const std::string& line : log.takeLines()) {
            if (line.starts_with("[DEBUG] currentCursorFingerprint ok size=")) {
                return line.substr(0, line.find(" hash=")) ==
                       "[DEBUG] currentCursorFingerprint ok size=" + std::to_string(reported);
            }
        }
        return false;
    };

    // Fewer bytes written: only they count.
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_SHORT_DATA, 100);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), expectedFingerprint(bytes, size - 100));
    EXPECT_TRUE(okLine(size - 100));

    // More reported than the buffer holds: the buffer counts.
    server.reset();
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_LONG_DATA, 64);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), expectedFingerprint(bytes, size));
    EXPECT_TRUE(okLine(size + 64));

    // A buffer larger than the data: the unwritten tail does not count.
    server.reset();
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_LONG_DATA, 64);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), expectedFingerprint(bytes, size));
    EXPECT_EQ(server.calls("CGSGetGlobalCursorData"),
              Lines{"CGSGetGlobalCursorData capacity=" + std::to_string(size + 64)});
    EXPECT_TRUE(okLine(size));
}

TEST_F(DisplayTest, AFingerprintThatCannotBeTakenIsNothing) {
    const std::string size = std::to_string(server.displayed().bytes.size());
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_STATUS, 5);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    EXPECT_EQ(server.callCount("CGSGetGlobalCursorData"), 0u);
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_SHORT_DATA, 1 << 30);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    // A buffer too small for the data.
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_SHORT_DATA, 100);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_NONE, 0);
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_STATUS, 6);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_SHORT_DATA, 1 << 30);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    EXPECT_EQ(log.takeLines(),
              (Lines{"[DEBUG] currentCursorFingerprint size failed: error=5 byteCount=0",
                     "[DEBUG] currentCursorFingerprint size failed: error=0 byteCount=0",
                     "[DEBUG] currentCursorFingerprint data failed: error=1007 dataSize=0",
                     "[DEBUG] currentCursorFingerprint data failed: error=6 dataSize=" + size,
                     "[DEBUG] currentCursorFingerprint data failed: error=0 dataSize=0"}));

    CGSRuntime unbound({});
    log.takeLines();
    EXPECT_EQ(unbound.currentCursorFingerprint(connection), std::nullopt);
    EXPECT_EQ(
        log.takeLines(),
        Lines{"[DEBUG] currentCursorFingerprint unavailable: global cursor data symbols missing"});
}

TEST_F(DisplayTest, SyntheticMouseMovesCarryThePointersOwnPositionFromTheTop) {
    auto events = std::make_shared<SimEventServices>(std::make_shared<ManualClock>());
    events->setMouseLocation({100, 200});
    events->setScreenFrames({Rect{{0, 0}, {1440, 900}}, Rect{{1440, 0}, {1920, 1080}}});
    runtime.setEventServices(events);

    runtime.postSyntheticMouseMovedEvents(0);
    EXPECT_TRUE(events->postedMouseEvents().empty());
    runtime.postSyntheticMouseMovedEvents(2);
    const MouseEvent moved{EventType::mouseMoved, {100, 700}, MouseButton::left};
    EXPECT_EQ(events->postedMouseEvents(), (std::vector<MouseEvent>{moved, moved}));
    EXPECT_EQ(events->mouseLocation(), (Point{100, 200}));

    // Without screens the event lands on the top edge.
    events->setScreenFrames({});
    events->setMouseLocation({12.5, 300});
    runtime.postSyntheticMouseMovedEvents(1);
    EXPECT_EQ(events->postedMouseEvents().back().position, (Point{12.5, 0}));
    EXPECT_EQ(log.takeLines(), (Lines{"[DEBUG] postSyntheticMouseMovedEvents posted count=2 "
                                      "appKit=(100.0,200.0) cg=(100.0,700.0)",
                                      "[DEBUG] postSyntheticMouseMovedEvents posted count=1 "
                                      "appKit=(12.5,300.0) cg=(12.5,0.0)"}));

    events->setEventCreationFails(true);
    runtime.postSyntheticMouseMovedEvents(3);
    EXPECT_EQ(events->postedMouseEvents().size(), 3u);
    runtime.setEventServices(nullptr);
    runtime.postSyntheticMouseMovedEvents(1);
    EXPECT_EQ(log.takeLines(),
              (Lines{"[WARN] postSyntheticMouseMovedEvents failed: unable to create CGEvent",
                     "[WARN] postSyntheticMouseMovedEvents failed: unable to create CGEvent"}));
}

} // namespace
} // namespace tolvane
