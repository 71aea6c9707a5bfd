// Start-up: discovery, the baseline and its validation, the override check, and
// the identifier rules the other parts share.
#include "ControllerFixture.h"

#include "cursors/BaselineCheck.h"
#include "cursors/Fnv1a.h"
#include "cursors/ResizeDetection.h"

namespace tolvane {
namespace {

using testing::ControllerTest;
using testing::Lines;

TEST_F(ControllerTest, StartUpCapturesAndChecksTheBaselineAndLeavesTheSystemCursorsAsTheyWere) {
    const testing::CursorContents system = cursors();
    const std::string hashBefore = hexDigest(fnv1a64(server.displayed().bytes));
    makeController();

    // In this order; the discovery counts and the configuration lines are
    // pinned by the runtime's and the activation switches' tests.
    const Lines lines = takeLines();
    const Lines order{
        "[INFO] Identifiers for arrow: com.apple.coregraphics.GlobalCurrent, "
        "com.apple.coregraphics.ConnectionCurrent, com.apple.cursor.0, com.apple.cursor.6, "
        "com.apple.cursor.100, com.apple.coregraphics.Arrow, com.apple.coregraphics.ArrowCtx, "
        "com.apple.coregraphics.ArrowS",
        "[INFO] Identifiers for iBeam: com.apple.cursor.1, com.apple.cursor.101, "
        "com.apple.coregraphics.IBeam, com.apple.coregraphics.IBeamXOR, "
        "com.apple.coregraphics.IBeamS, com.apple.coregraphics.IBeamVertical",
        "[INFO] Identifiers for pointingHand: com.apple.cursor.13",
        "[INFO] Forced activation cursor IDs: 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, "
        "15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, "
        "37, 38, 39, 40, 41, 42, 43, 44, 100, 101, 102, 103",
        "[INFO] Total discovered cursor identifiers: 99",
        "[INFO] hardResetSystemCursors completed.",
        "[INFO] normalizeSystemCursorBeforeBaselineCapture completed. resetOK=true",
        "[INFO] captureOriginalCursors completed. captured=99",
        // Found by its name, but wider than high.
        "[WARN] Baseline validation FAILED for iBeam alias com.apple.coregraphics.IBeamVertical: "
        "captured=24.0x17.0 hotspot=(12.0,8.5) reference=17.0x24.0 hotspot=(8.5,12.0). Replacing "
        "with NSCursor reference.",
        "[INFO] validateOverrideWorks globalHashBefore=" + hashBefore + " globalHashAfter=",
        "[INFO] validateOverrideWorks success via identifier com.apple.coregraphics.Arrow",
        "[INFO] SystemCursorController verification result: byteOverride=true globalPath=true"};
    std::ptrdiff_t previous = -1;
    for (const std::string& line : order) {
        const std::ptrdiff_t index = testing::indexOf(lines, line);
        EXPECT_GT(index, previous) << line;
        previous = index;
    }
    const std::ptrdiff_t hashes = testing::indexOf(lines, order[9]);
    ASSERT_GE(hashes, 0);
    EXPECT_TRUE(lines[static_cast<std::size_t>(hashes)].ends_with(" globalChanged=true"));
    EXPECT_TRUE(controller->isRuntimeAvailable());
    EXPECT_TRUE(controller->isVerifiedFunctional());
    EXPECT_TRUE(controller->isGlobalCursorPathEffective());
    // The proof registered a badge and took it back: every cursor is the system's own.
    EXPECT_EQ(cursors(), system);
    EXPECT_EQ(hexDigest(fnv1a64(server.displayed().bytes)), hashBefore);
}

TEST_F(ControllerTest, IdentifierRules) {
    makeController();
    // Numbered identifiers are CursorTypesTest's; here, the names of the window server.
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> ids{
        {"COM.APPLE.COREGRAPHICS.POINTINGHAND", 13},
        {"com.apple.coregraphics.GlobalCurrent", 0},
        {"com.apple.coregraphics.IBeamXOR", std::nullopt}};
    for (const auto& [identifier, cursorID] : ids) {
        EXPECT_EQ(controller->systemCursorID(identifier), cursorID) << identifier;
    }
    EXPECT_EQ(controller->templateForIdentifier("com.apple.cursor.100"), CursorTemplate::arrow);
    EXPECT_EQ(controller->templateForIdentifier("com.apple.coregraphics.IBeamVertical"),
              CursorTemplate::iBeam);
    EXPECT_EQ(controller->templateForIdentifier("com.apple.cursor.13"),
              CursorTemplate::pointingHand);
    EXPECT_EQ(controller->templateForIdentifier("com.apple.coregraphics.PointingHand"),
              std::nullopt);

    // Animated and busy cursors are never targets, whether their identifier or,
    // for a number, the window server's name for it says so.
    const std::vector<std::string> targets =
        controller->targetIdentifiersForApply({"x.WAIT", "x.Busy", "x.extra", "x.extra"});
    EXPECT_EQ(targets.size(), 88u);
    EXPECT_EQ(targets.back(), "x.extra");
    for (const char* busy :
         {"com.apple.cursor.4", "com.apple.cursor.14", "com.apple.cursor.15", "com.apple.cursor.16",
          "com.apple.cursor.37", "com.apple.cursor.102", "com.apple.cursor.103",
          "com.apple.coregraphics.Wait", "com.apple.coregraphics.BusyButClickable",
          "com.apple.coregraphics.CountingUp", "com.apple.coregraphics.Progress", "x.WAIT"}) {
        EXPECT_EQ(std::count(targets.begin(), targets.end(), busy), 0) << busy;
    }
    EXPECT_EQ(std::count(targets.begin(), targets.end(), "com.apple.cursor.13"), 1);
}

TEST(CursorRules, ResizeDetectionAndBaselineChecks) {
    struct Resize {
        CursorSize size;
        bool horizontal, vertical, diagonal;
    };
    for (const Resize& row : std::vector<Resize>{{{32, 32}, false, false, true},
                                                 {{35, 20}, true, false, false},
                                                 {{20, 35}, false, true, false},
                                                 {{34, 34}, false, false, true},
                                                 {{35, 35}, false, false, false},
                                                 {{15, 15}, false, false, false}}) {
        const ResizeDetection resize = detectResize(row.size);
        EXPECT_EQ(resize.horizontal, row.horizontal) << row.size.width << "x" << row.size.height;
        EXPECT_EQ(resize.vertical, row.vertical) << row.size.width << "x" << row.size.height;
        EXPECT_EQ(resize.diagonal, row.diagonal) << row.size.width << "x" << row.size.height;
    }

    auto snapshot = [](double width, double height, double x, double y) {
        return CursorSnapshot{{width, height}, {x, y}, 1, 0, {}};
    };
    const CursorSnapshot arrow = snapshot(28, 32, 6, 4);
    const CursorSnapshot square = snapshot(10, 10, 0, 0);
    struct Check {
        CursorRole role;
        CursorSnapshot captured;
        CursorSnapshot reference;
        bool keep;
        std::optional<double> deviation;
    };
    for (const Check& row : std::vector<Check>{
             {CursorRole::arrow, snapshot(64, 16, 13.7, 2), arrow, false, std::nullopt},
             {CursorRole::arrow, arrow, arrow, true, std::nullopt},
             {CursorRole::iBeam, snapshot(20, 10, 10, 5), snapshot(17, 24, 8.5, 12), false,
              std::nullopt},
             {CursorRole::iBeam, snapshot(10, 20, 5, 10), snapshot(17, 24, 8.5, 12), true,
              std::nullopt},
             {CursorRole::arrow, snapshot(0, 32, 0, 4), arrow, false, std::nullopt},
             {CursorRole::arrow, arrow, snapshot(28, 0, 6, 0), true, std::nullopt},
             {CursorRole::arrow, snapshot(10, 10, 4, 0), square, true, std::nullopt},
             {CursorRole::arrow, snapshot(10, 10, 4.1, 0), square, false, 0.41},
             {CursorRole::pointingHand, snapshot(10, 10, 0, 7.5), snapshot(10, 10, 0, 4), false,
              std::nullopt}}) {
        const BaselineCheck check = checkBaselineSnapshot(row.role, row.captured, row.reference);
        EXPECT_EQ(check.keep, row.keep) << row.captured.size.width << "x"
                                        << row.captured.size.height;
        ASSERT_EQ(check.hotSpotDeviation.has_value(), row.deviation.has_value());
        if (row.deviation) {
            EXPECT_NEAR(*check.hotSpotDeviation, *row.deviation, 1e-9);
        }
    }
}

TEST_F(ControllerTest, WithoutDiscoveryTheRolesNameTheForcedActivationIDs) {
    server.injectFault(TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR, TVWS_FAULT_NULL_RESULT);
    makeController();
    const Lines lines = takeLinesStartingWith("Forced activation cursor IDs: ");
    EXPECT_EQ(lines, Lines{"[INFO] Forced activation cursor IDs: 0, 1, 6, 13, 100, 101"});
    // The fixed names still reach their numbers.
    EXPECT_EQ(controller->systemCursorID("com.apple.coregraphics.ArrowS"), 100);
    EXPECT_EQ(controller->systemCursorID("com.apple.coregraphics.IBeam"), std::nullopt);
}

TEST_F(ControllerTest, OverrideCheckReportsWhatItCouldNotSee) {
    struct Case {
        TVWSFunction function;
        TVWSFaultKind fault;
        Lines lines;
    };
    const std::string nilImage = "[WARN] createRegisteredCursorImage returned nil for ";
    const std::vector<Case> cases{
        {TVWS_FN_CREATE_REGISTERED_CURSOR_IMAGE,
         TVWS_FAULT_NULL_RESULT,
         {"[WARN] validateOverrideWorks failed: no byte-level cursor change detected",
          "[INFO] SystemCursorController verification result: byteOverride=false "
          "globalPath=true"}},
        {TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE,
         TVWS_FAULT_STATUS,
         {"[INFO] validateOverrideWorks globalHashBefore=nil globalHashAfter=nil "
          "globalChanged=false",
          "[INFO] validateOverrideWorks success via identifier com.apple.coregraphics.Arrow",
          "[INFO] SystemCursorController verification result: byteOverride=true "
          "globalPath=false"}}};
    for (const Case& row : cases) {
        server.resetWithDensities({1});
        server.injectFault(row.function, row.fault, 1000);
        makeController();
        Lines lines = takeLines();
        const auto missing = std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.starts_with(nilImage);
        });
        EXPECT_EQ(missing, row.function == TVWS_FN_CREATE_REGISTERED_CURSOR_IMAGE ? 16 : 0);
        lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(row.lines.size()));
        EXPECT_EQ(lines, row.lines);
    }
}

} // namespace
} // namespace tolvane
