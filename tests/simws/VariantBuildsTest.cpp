// The variant builds. Which cursor names each one exports is proven by what
// the runtime binds from it (tests/runtime); here, what every build shares.
#include "simws/SimwsLibrary.h"

#include <gtest/gtest.h>

namespace tolvane::testing {
namespace {

TEST(SimwsVariants, EveryBuildHasTheControlInterfaceAndHidesItsImplementation) {
    for (const char* path :
         {TOLVANE_SIMWS_PATH, TOLVANE_SIMWS_SLS_ONLY_PATH, TOLVANE_SIMWS_NO_SCALE_PATH,
          TOLVANE_SIMWS_NO_SET_SCALE_PATH, TOLVANE_SIMWS_EMPTY_PATH}) {
        SimwsLibrary library(path);
        ASSERT_TRUE(library.isOpen()) << path;
        EXPECT_TRUE(library.exports("tvws_reset")) << path;
        EXPECT_FALSE(library.exports("_ZN7tolvane12WindowServer6sharedEv")) << path;
    }
}

} // namespace
} // namespace tolvane::testing
