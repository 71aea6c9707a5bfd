// Injected faults and the call journal.
#include "simws/WindowServerFixture.h"

#include <algorithm>
#include <string>

namespace tolvane::testing {
namespace {

std::string journal() {
    return takeString(tvws_copy_call_journal());
}

TEST_F(WindowServerTest, StatusFaultsReturnTheValueAndChangeNothing) {
    OwnedObject image = solidImage(16, 16, 0xff000000);
    OwnedObject images = arrayOf({image.get()});
    ASSERT_EQ(registerImages("test.cursor", images.get()), 0);
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_SET_CURSOR_SCALE, TVWS_FAULT_STATUS, 1004), 0);
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_CORE_CURSOR_UNREGISTER_ALL, TVWS_FAULT_STATUS, -7), 0);
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_MAIN_CONNECTION_ID, TVWS_FAULT_STATUS, 0), 0);
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_CURRENT_CURSOR_SEED, TVWS_FAULT_STATUS, 99), 0);

    EXPECT_EQ(CGSSetCursorScale(connection, 2.0f), 1004);
    EXPECT_EQ(tvws_scale(), 1.0f);
    EXPECT_EQ(CoreCursorUnregisterAll(connection), -7);
    EXPECT_EQ(copyRegistered("test.cursor").status, 0);
    EXPECT_EQ(CGSMainConnectionID(), 0);
    EXPECT_EQ(CGSCurrentCursorSeed(), 99);
    EXPECT_EQ(tvws_seed(), 1);

    // Removing one fault leaves the others; clearing removes all.
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_SET_CURSOR_SCALE, TVWS_FAULT_NONE, 0), 0);
    EXPECT_EQ(CGSSetCursorScale(connection, 2.0f), 0);
    EXPECT_EQ(CGSMainConnectionID(), 0);
    tvws_clear_faults();
    EXPECT_EQ(CGSMainConnectionID(), TVWS_MAIN_CONNECTION_ID);
    EXPECT_EQ(CoreCursorUnregisterAll(connection), 0);
}

TEST_F(WindowServerTest, ArrayFaultsShapeWhatTheCopyFunctionsHandBack) {
    const std::size_t arrowImages = copyCore(0).count();
    struct Case {
        TVWSFaultKind kind;
        bool hasArray;
        std::size_t count;
    };
    const Case cases[] = {
        {TVWS_FAULT_NO_ARRAY, false, 0},
        {TVWS_FAULT_EMPTY_ARRAY, true, 0},
        {TVWS_FAULT_NON_IMAGE_ONLY, true, 1},
        {TVWS_FAULT_NON_IMAGE_FIRST, true, arrowImages + 1},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(tvws_inject_fault(TVWS_FN_COPY_REGISTERED_CURSOR_IMAGES, c.kind, 0), 0);
        ASSERT_EQ(tvws_inject_fault(TVWS_FN_CORE_CURSOR_COPY_IMAGES, c.kind, 0), 0);
        for (const CopiedCursor& copied :
             {copyRegistered("com.apple.coregraphics.Arrow"), copyCore(0)}) {
            // The geometry still comes from the cursor.
            EXPECT_EQ(copied.status, 0) << c.kind;
            EXPECT_EQ(copied.size.width, 28) << c.kind;
            EXPECT_EQ(copied.frameCount, 1u) << c.kind;
            ASSERT_EQ(copied.images != nullptr, c.hasArray) << c.kind;
            if (c.hasArray) {
                EXPECT_TRUE(TVWSObjectIsArray(copied.images.get()));
                EXPECT_EQ(copied.count(), c.count) << c.kind;
            }
            if (c.count > 0) {
                EXPECT_FALSE(TVWSObjectIsImage(copied.image(0))) << c.kind;
            }
        }
    }
    tvws_clear_faults();
    EXPECT_EQ(copyRegistered("com.apple.coregraphics.Arrow").count(), arrowImages);
}

TEST_F(WindowServerTest, PointerFaultsReturnNothingOrAForeignObject) {
    const char* arrow = "com.apple.coregraphics.Arrow";
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR, TVWS_FAULT_NULL_RESULT, 0),
              0);
    EXPECT_EQ(CGSCursorNameForSystemCursor(0), nullptr);
    const TVWSFunction create = TVWS_FN_CREATE_REGISTERED_CURSOR_IMAGE;
    ASSERT_EQ(tvws_inject_fault(create, TVWS_FAULT_NULL_RESULT, 0), 0);
    EXPECT_EQ(CGSCreateRegisteredCursorImage(connection, arrow, nullptr), nullptr);
    ASSERT_EQ(tvws_inject_fault(create, TVWS_FAULT_NON_IMAGE_ONLY, 0), 0);
    OwnedObject foreign(CGSCreateRegisteredCursorImage(connection, arrow, nullptr));
    ASSERT_NE(foreign, nullptr);
    EXPECT_FALSE(TVWSObjectIsImage(foreign.get()));
    EXPECT_EQ(TVWSImageGetBytes(foreign.get()), nullptr);
}

TEST_F(WindowServerTest, DataFaultsReportShortOrLongSizes) {
    const std::int32_t full = 28 * 32 * 4;
    std::int32_t byteCount = 0;
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_LONG_DATA, 100), 0);
    ASSERT_EQ(CGSGetGlobalCursorDataSize(connection, &byteCount), 0);
    EXPECT_EQ(byteCount, full + 100);
    // A buffer of the short size does not fit the data, and is not overrun.
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_GET_GLOBAL_CURSOR_DATA_SIZE, TVWS_FAULT_SHORT_DATA, 100),
              0);
    const GlobalCursorData shortRead = globalCursorData();
    EXPECT_EQ(shortRead.status, TVWS_STATUS_RANGE_CHECK);
    EXPECT_EQ(shortRead.dataSize, 0);
    tvws_clear_faults();

    // Only the reported bytes are written.
    const std::vector<std::uint8_t> arrow = systemBytes(0);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(full), 0);
    std::int32_t size = full;
    ASSERT_EQ(tvws_inject_fault(TVWS_FN_GET_GLOBAL_CURSOR_DATA, TVWS_FAULT_SHORT_DATA, 4), 0);
    ASSERT_EQ(CGSGetGlobalCursorData(connection, buffer.data(), &size, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(size, full - 4);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + size, arrow.begin()));
    EXPECT_EQ(buffer[static_cast<std::size_t>(full - 4)], 0);
}

TEST_F(WindowServerTest, FaultsForOneCursorWinOverFaultsForEveryCall) {
    ASSERT_EQ(tvws_inject_fault_for_name(TVWS_FN_SET_REGISTERED_CURSOR,
                                         "com.apple.coregraphics.GlobalCurrent", TVWS_FAULT_STATUS,
                                         1001),
              0);
    std::int32_t seed = 0;
    EXPECT_EQ(CGSSetRegisteredCursor(connection, "com.apple.coregraphics.GlobalCurrent", &seed),
              1001);
    EXPECT_EQ(seed, 0);
    EXPECT_EQ(CGSSetRegisteredCursor(connection, "com.apple.coregraphics.IBeam", &seed), 0);

    ASSERT_EQ(tvws_inject_fault(TVWS_FN_CORE_CURSOR_SET, TVWS_FAULT_STATUS, 1000), 0);
    ASSERT_EQ(tvws_inject_fault_for_number(TVWS_FN_CORE_CURSOR_SET, 7, TVWS_FAULT_STATUS, 1007), 0);
    EXPECT_EQ(CoreCursorSet(connection, 7), 1007);
    EXPECT_EQ(CoreCursorSet(connection, 8), 1000);

    // Kinds or selectors that make no sense for a function are refused.
    EXPECT_EQ(tvws_inject_fault(TVWS_FN_SHOW_CURSOR, TVWS_FAULT_EMPTY_ARRAY, 0), -1);
    EXPECT_EQ(tvws_inject_fault(TVWS_FN_CURSOR_NAME_FOR_SYSTEM_CURSOR, TVWS_FAULT_STATUS, 1), -1);
    EXPECT_EQ(tvws_inject_fault_for_name(TVWS_FN_CORE_CURSOR_SET, "x", TVWS_FAULT_STATUS, 1), -1);
    EXPECT_EQ(tvws_inject_fault_for_number(TVWS_FN_SET_REGISTERED_CURSOR, 1, TVWS_FAULT_STATUS, 1),
              -1);
}

TEST_F(WindowServerTest, JournalCountsEachExportedNameAndKeepsTheOrder) {
    const auto slsSetScale = library.function<CGSSetCursorScaleFunction>("SLSSetCursorScale");
    ASSERT_NE(slsSetScale, nullptr);
    ASSERT_EQ(CoreCursorSet(connection, 7), 0);
    ASSERT_EQ(CGSSetCursorScale(connection, 1.3f), 0);
    ASSERT_EQ(slsSetScale(connection, 1.0f), 0);
    ASSERT_EQ(CGSSetRegisteredCursor(connection, "com.apple.coregraphics.Arrow", nullptr), 0);

    EXPECT_EQ(tvws_call_count("CGSSetCursorScale"), 1u);
    EXPECT_EQ(tvws_call_count("SLSSetCursorScale"), 1u);
    EXPECT_EQ(tvws_call_count("CGSShowCursor"), 0u);
    EXPECT_EQ(journal(), "CoreCursorSet cursor=7\n"
                         "CGSSetCursorScale scale=1.3\n"
                         "SLSSetCursorScale scale=1\n"
                         "CGSSetRegisteredCursor name=com.apple.coregraphics.Arrow\n");
    // Control functions are not calls of the cursor interface.
    tvws_seed();
    EXPECT_EQ(tvws_call_count("tvws_seed"), 0u);
    tvws_reset();
    EXPECT_EQ(journal(), "");
    EXPECT_EQ(tvws_call_count("CoreCursorSet"), 0u);
}

} // namespace
} // namespace tolvane::testing
