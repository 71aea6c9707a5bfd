// Injected faults. What each kind of fault hands back is proven through the
// runtime's handling of it (tests/runtime); here, the rules of the table.
#include "simws/WindowServerFixture.h"

namespace tolvane::testing {
namespace {

TEST_F(WindowServerTest, StatusFaultsReturnTheValueAndChangeNothingUntilRemoved) {
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_SET_CURSOR_SCALE, TVWS_FAULT_STATUS, 1004), 0);
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_MAIN_CONNECTION_ID, TVWS_FAULT_STATUS, 0), 0);
    EXPECT_EQ(CGSSetCursorScale(connection, 2.0f), 1004);
    EXPECT_EQ(tvws_scale(), 1.0f);
    EXPECT_EQ(tvws_seed(), 1);
    EXPECT_EQ(CGSMainConnectionID(), 0);

    // Removing one fault leaves the others; clearing removes all.
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_SET_CURSOR_SCALE, TVWS_FAULT_NONE, 0), 0);
    EXPECT_EQ(CGSSetCursorScale(connection, 2.0f), 0);
    EXPECT_EQ(CGSMainConnectionID(), 0);
    tvws_clear_faults();
    EXPECT_EQ(CGSMainConnectionID(), TVWS_MAIN_CONNECTION_ID);
}

TEST_F(WindowServerTest, FaultsForOneCursorWinAndFaultsThatMakeNoSenseAreRefused) {
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_CORE_CURSOR_SET, TVWS_FAULT_STATUS, 1000), 0);
    ASSERT_EQ(tvws_inject_fault_for_number(TVWS_FN_CORE_CURSOR_SET, 7, TVWS_FAULT_STATUS, 1007), 0);
    EXPECT_EQ(CoreCursorSet(connection, 7), 1007);
    EXPECT_EQ(CoreCursorSet(connection, 8), 1000);
    ASSERT_EQ(tvws_inject_fault_for_name(TVWS_FN_SET_REGISTERED_CURSOR,
                                         "com.apple.coregraphics.IBeam", TVWS_FAULT_STATUS, 1001),
              0);
    std::int32_t seed = 0;
    EXPECT_EQ(CGSSetRegisteredCursor(connection, "com.apple.coregraphics.IBeam", &seed), 1001);
    EXPECT_EQ(seed, 0);
    EXPECT_EQ(CGSSetRegisteredCursor(connection, "com.apple.coregraphics.Arrow", &seed), 0);

    EXPECT_EQ(tvws_inject_fault(TVWS_FN_SHOW_CURSOR, TVWS_FAULT_EMPTY_ARRAY, 0), -1);
    EXPECT_EQ(tvws_inject_fault(TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR, TVWS_FAULT_STATUS, 1), -1);
    EXPECT_EQ(tvws_inject_fault_for_name(TVWS_FN_CORE_CURSOR_SET, "x", TVWS_FAULT_STATUS, 1), -1);
    EXPECT_EQ(tvws_inject_fault_for_number(TVWS_FN_SET_REGISTERED_CURSOR, 1, TVWS_FAULT_STATUS, 1),
              -1);
}

} // namespace
} // namespace tolvane::testing
