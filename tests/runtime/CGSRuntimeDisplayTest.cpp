#include "RuntimeFixture.h"
#include "log/LogFormat.h"
#include "platform/Clock.h"
#include "platform/sim/SimEventServices.h"

#include <cstdio>
#include <limits>

namespace tolvane {
namespace {

using testing::Lines;

class DisplayTest : public testing::RuntimeTest {
  protected:
    Lines scaleCalls() const { return server.calls("CGSSetCursorScale"); }
    // The summary line of the last hard reset.
    std::string hardResetLine() {
        std::string summary;
        for (const std::string& line : log.takeLines()) {
            if (line.starts_with("[INFO] hardResetSystemCursors completed.")) {
                summary = line;
            }
        }
        return summary;
    }
};

TEST_F(DisplayTest, RefreshHidesThenShowsAndLogsBothStatuses) {
    runtime.refreshCursorDisplay(connection);
    EXPECT_EQ(server.journal(), (Lines{"CGSHideCursor", "CGSShowCursor"}));
    server.injectFault(TVWS_FN_HIDE_CURSOR, TVWS_FAULT_STATUS, 3);
    runtime.refreshCursorDisplay(connection);
    EXPECT_EQ(log.takeLines(), (Lines{"[DEBUG] refreshCursorDisplay hideError=0 showError=0",
                                      "[DEBUG] refreshCursorDisplay hideError=3 showError=0"}));
}

TEST_F(DisplayTest, ScaleIsReadQuietlyAndSetWithinItsRange) {
    EXPECT_EQ(runtime.cursorScale(connection), 1.0f);
    const std::vector<std::pair<float, float>> requests{
        {40.0f, 16.0f},
        {0.1f, 0.5f},
        {std::numeric_limits<float>::quiet_NaN(), 16.0f},
        {1.08f, 1.08f},
    };
    for (const auto& [request, clamped] : requests) {
        server.reset();
        EXPECT_TRUE(runtime.setCursorScale(connection, request));
        EXPECT_EQ(server.scale(), clamped);
        EXPECT_EQ(runtime.cursorScale(connection), clamped);
    }
    EXPECT_EQ(log.takeLines().back(), "[DEBUG] setCursorScale requested=1.08 clamped=1.08 error=0");

    server.injectFault(TVWS_FN_SET_CURSOR_SCALE, TVWS_FAULT_STATUS, 2);
    server.injectFault(TVWS_FN_GET_CURSOR_SCALE, TVWS_FAULT_STATUS, 5);
    EXPECT_FALSE(runtime.setCursorScale(connection, 2.0f));
    EXPECT_EQ(runtime.cursorScale(connection), std::nullopt);
}

TEST_F(DisplayTest, TheNudgeStepsUpBySinglePrecisionAndBack) {
    // At the top it steps down instead; just below, only as far as the top.
    const std::vector<std::tuple<float, std::string, std::string>> cases{
        {1.0f, "current=1.0 temp=1.3", "scale=1.3"},
        {16.0f, "current=16.0 temp=15.7", "scale=15.7"},
        {15.8f, "current=15.8 temp=16.0", "scale=16"},
        // Adding 0.3 in double precision would give 1.0000001 here.
        {0.70000017f, "current=0.70000017 temp=1.0000002", "scale=1"},
    };
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
}

TEST_F(DisplayTest, HardResetPutsEveryCoreCursorBackInOrder) {
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, 200));

    Lines expected{"CGSSetDockCursorOverride enabled=1", "CoreCursorUnregisterAll"};
    for (int cursor = 0; cursor <= 44; ++cursor) {
        expected.push_back("CoreCursorSet cursor=" + std::to_string(cursor));
    }
    expected.insert(expected.end(),
                    {"CGSSetRegisteredCursor name=com.apple.coregraphics.GlobalCurrent",
                     "CGSHideCursor", "CGSShowCursor", "CGSGetCursorScale",
                     "CGSSetCursorScale scale=1.3", "CGSSetCursorScale scale=1",
                     "CGSSetDockCursorOverride enabled=0"});
    EXPECT_EQ(server.journal(), expected);
    EXPECT_FALSE(server.dockOverrideEnabled());
    EXPECT_EQ(server.displayedName(), "com.apple.coregraphics.GlobalCurrent");
    // The refresh's and the nudge's own lines are pinned by their tests.
    EXPECT_EQ(hardResetLine(), "[INFO] hardResetSystemCursors completed. unregisterResult=0 "
                               "setSuccesses=45 setFailures=0 effectiveMaxCoreID=44 "
                               "anchored=true ok=true");
}

TEST_F(DisplayTest, HardResetIsOkOnlyWhenUnregisteringAndACoreCursorWorked) {
    const std::string completed = "[INFO] hardResetSystemCursors completed. ";
    // Below the range only cursor 0 is set.
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, -5));
    EXPECT_EQ(server.calls("CoreCursorSet"), Lines{"CoreCursorSet cursor=0"});
    EXPECT_EQ(hardResetLine(), completed + "unregisterResult=0 setSuccesses=1 setFailures=0 "
                                           "effectiveMaxCoreID=0 anchored=true ok=true");

    // Every core cursor fails: anchoring alone does not make it ok.
    server.reset();
    server.injectFault(TVWS_FN_CORE_CURSOR_SET, TVWS_FAULT_STATUS, 1000);
    EXPECT_FALSE(runtime.hardResetSystemCursors(connection, 200));
    EXPECT_EQ(hardResetLine(), completed + "unregisterResult=0 setSuccesses=0 setFailures=45 "
                                           "effectiveMaxCoreID=44 anchored=true ok=false");

    // One core cursor that takes is enough.
    server.injectFaultForNumber(TVWS_FN_CORE_CURSOR_SET, 30, TVWS_FAULT_STATUS, 0);
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, 200));
    EXPECT_EQ(hardResetLine(), completed + "unregisterResult=0 setSuccesses=1 setFailures=44 "
                                           "effectiveMaxCoreID=44 anchored=true ok=true");

    server.reset();
    server.injectFault(TVWS_FN_CORE_CURSOR_UNREGISTER_ALL, TVWS_FAULT_STATUS, 2);
    EXPECT_FALSE(runtime.hardResetSystemCursors(connection, 10));
    EXPECT_EQ(hardResetLine(), completed + "unregisterResult=2 setSuccesses=11 setFailures=0 "
                                           "effectiveMaxCoreID=10 anchored=true ok=false");

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
    server.reset();
    server.injectFault(TVWS_FN_SET_REGISTERED_CURSOR, TVWS_FAULT_STATUS, 6);
    EXPECT_TRUE(runtime.hardResetSystemCursors(connection, 0));
    EXPECT_EQ(server.callCount("CGSSetRegisteredCursor"), 3u);
    EXPECT_EQ(hardResetLine(), completed + "unregisterResult=0 setSuccesses=1 setFailures=0 "
                                           "effectiveMaxCoreID=0 anchored=false ok=true");
}

TEST_F(DisplayTest, DiscoveryKeepsEveryNamedNumberAndMatchesTheTokenInAnyCase) {
    // 101 numbers end just before IBeamS.
    EXPECT_EQ(runtime.discoverSystemCursorNames("IBEAM", 101),
              (Lines{"com.apple.coregraphics.IBeam", "com.apple.coregraphics.IBeamVertical"}));
    server.injectFaultForNumber(TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR, 6, TVWS_FAULT_NULL_RESULT);
    EXPECT_EQ(runtime.discoverSystemCursorNames("arrow", 128),
              (Lines{"com.apple.coregraphics.Arrow", "com.apple.coregraphics.ArrowS"}));
    EXPECT_TRUE(runtime.discoverSystemCursorNames("arrow", 0).empty());

    std::vector<SystemCursorEntry> entries = runtime.discoverSystemCursorEntries(512);
    ASSERT_EQ(entries.size(), 48u);
    EXPECT_EQ(entries.front(), (SystemCursorEntry{0, "com.apple.coregraphics.Arrow"}));
    EXPECT_EQ(entries.back(), (SystemCursorEntry{103, "com.apple.coregraphics.Busy"}));
    EXPECT_TRUE(runtime.discoverSystemCursorEntries(0).empty());
    EXPECT_EQ(runtime.discoverSystemCursorEntries(1),
              (std::vector<SystemCursorEntry>{{0, "com.apple.coregraphics.Arrow"}}));
    EXPECT_EQ(log.takeLines(), (Lines{"[INFO] discoverSystemCursorNames token=IBEAM found=2",
                                      "[INFO] discoverSystemCursorNames token=arrow found=2",
                                      "[INFO] discoverSystemCursorNames token=arrow found=0",
                                      "[INFO] discoverSystemCursorEntries found=48 scanned=512",
                                      "[INFO] discoverSystemCursorEntries found=1 scanned=1"}));
}

// FNV-1a 64 over the first `count` bytes, written out independently of the runtime.
std::string expectedFingerprint(const std::vector<unsigned char>& bytes, std::size_t count) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (std::size_t index = 0; index < count; ++index) {
        hash = (hash ^ bytes[index]) * 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

TEST_F(DisplayTest, TheFingerprintHashesTheDisplayedBytesActuallyWritten) {
    const testing::DisplayedCursor arrow = server.displayed();
    const std::size_t size = arrow.bytes.size();
    ASSERT_EQ(size, arrow.width * arrow.height * 4);

    // Fewer bytes written: only they count. More reported than the buffer
    // holds: the buffer counts. A buffer larger than the data: its unwritten
    // tail does not count.
    const std::vector<std::tuple<TVWSFunction, TVWSFaultKind, std::int32_t, std::size_t>> cases{
        {TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_NONE, 0, size},
        {TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_SHORT_DATA, 100, size - 100},
        {TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_LONG_DATA, 64, size},
        {TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_LONG_DATA, 64, size},
    };
    for (const auto& [function, kind, value, hashed] : cases) {
        server.reset();
        server.injectFault(function, kind, value);
        EXPECT_EQ(runtime.currentCursorFingerprint(connection),
                  expectedFingerprint(arrow.bytes, hashed));
    }
    EXPECT_EQ(log.takeLines().back(),
              "[DEBUG] currentCursorFingerprint ok size=" + std::to_string(size) +
                  " hash=" + expectedFingerprint(arrow.bytes, size) + " px=" +
                  std::to_string(arrow.width) + ".0x" + std::to_string(arrow.height) +
                  ".0 hotSpot=(" + logformat::number(arrow.hotSpot.x) + "," +
                  logformat::number(arrow.hotSpot.y) + ") depth=32 components=4 bpc=8");
    EXPECT_EQ(server.calls("CGSGetGlobalCursorData"),
              Lines{"CGSGetGlobalCursorData capacity=" + std::to_string(size + 64)});
}

TEST_F(DisplayTest, AFingerprintThatCannotBeTakenIsNothing) {
    const std::string size = std::to_string(server.displayed().bytes.size());
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_STATUS, 5);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    EXPECT_EQ(server.callCount("CGSGetGlobalCursorData"), 0u);
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_SHORT_DATA, 1 << 30);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    // An absurd count is refused before anything is allocated or read.
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_LONG_DATA, 1 << 30);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    EXPECT_EQ(server.callCount("CGSGetGlobalCursorData"), 0u);
    // A buffer too small for the data.
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_SHORT_DATA, 100);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_NONE);
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_STATUS, 6);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    server.injectFault(TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_SHORT_DATA, 1 << 30);
    EXPECT_EQ(runtime.currentCursorFingerprint(connection), std::nullopt);
    EXPECT_EQ(log.takeLines(),
              (Lines{"[DEBUG] currentCursorFingerprint size failed: error=5 byteCount=0",
                     "[DEBUG] currentCursorFingerprint size failed: error=0 byteCount=0",
                     "[WARN] currentCursorFingerprint size refused: byteCount=" +
                         std::to_string(std::stoll(size) + (1 << 30)) + " limit=67108864",
                     "[DEBUG] currentCursorFingerprint data failed: error=1007 dataSize=0",
                     "[DEBUG] currentCursorFingerprint data failed: error=6 dataSize=" + size,
                     "[DEBUG] currentCursorFingerprint data failed: error=0 dataSize=0"}));
}

TEST_F(DisplayTest, SyntheticMouseMovesCarryThePointersOwnPositionFromTheTop) {
    auto clock = std::make_shared<ManualClock>();
    auto events = std::make_shared<SimEventServices>(clock, RunLoop::create(clock));
    events->setMouseLocation({100, 200});
    events->setScreenFrames({Rect{{0, 0}, {1440, 900}}, Rect{{1440, 0}, {1920, 1080}}});
    runtime.setEventServices(events);

    runtime.postSyntheticMouseMovedEvents(0);
    runtime.postSyntheticMouseMovedEvents(2);
    const MouseEvent moved{EventType::mouseMoved, {100, 700}, MouseButton::left};
    EXPECT_EQ(events->postedMouseEvents(), (std::vector<MouseEvent>{moved, moved}));

    // Without screens the event lands on the top edge.
    events->setScreenFrames({});
    events->setMouseLocation({12.5, 300});
    runtime.postSyntheticMouseMovedEvents(1);
    EXPECT_EQ(events->postedMouseEvents().back().position, (Point{12.5, 0}));

    events->setEventCreationFails(true);
    runtime.postSyntheticMouseMovedEvents(3);
    EXPECT_EQ(events->postedMouseEvents().size(), 3u);
    runtime.setEventServices(nullptr);
    runtime.postSyntheticMouseMovedEvents(1);
    const std::string failed =
        "[WARN] postSyntheticMouseMovedEvents failed: unable to create CGEvent";
    EXPECT_EQ(log.takeLines(), (Lines{"[DEBUG] postSyntheticMouseMovedEvents posted count=2 "
                                      "appKit=(100.0,200.0) cg=(100.0,700.0)",
                                      "[DEBUG] postSyntheticMouseMovedEvents posted count=1 "
                                      "appKit=(12.5,300.0) cg=(12.5,0.0)",
                                      failed, failed}));
}

} // namespace
} // namespace tolvane
