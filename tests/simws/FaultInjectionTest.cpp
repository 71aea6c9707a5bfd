// Injected faults. Status faults, their removal and the faults for one cursor
// number or name are proven through the runtime's handling of them
// (tests/runtime); here, that a faulted call changes nothing and that faults
// that make no sense are refused.
#include "simws/WindowServerFixture.h"

namespace tolvane::testing {
namespace {

TEST_F(WindowServerTest, StatusFaultsChangeNothingAndFaultsThatMakeNoSenseAreRefused) {
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_SET_CURSOR_SCALE, TVWS_FAULT_STATUS, 1004), 0);
    EXPECT_EQ(CGSSetCursorScale(connection, 2.0f), 1004);
    EXPECT_EQ(tvws_scale(), 1.0f);
    EXPECT_EQ(tvws_seed(), 1);

    EXPECT_EQ(tvws_inject_fault(TVWS_FN_SHOW_CURSOR, TVWS_FAULT_EMPTY_ARRAY, 0), -1);
    EXPECT_EQ(tvws_inject_fault(TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR, TVWS_FAULT_STATUS, 1), -1);
    EXPECT_EQ(tvws_inject_fault_for_name(TVWS_FN_CORE_CURSOR_SET, "x", TVWS_FAULT_STATUS, 1), -1);
    EXPECT_EQ(tvws_inject_fault_for_number(TVWS_FN_SET_REGISTERED_CURSOR, 1, TVWS_FAULT_STATUS, 1),
              -1);
}

} // namespace
} // namespace tolvane::testing
