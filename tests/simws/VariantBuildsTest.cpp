// The variant builds export only some names, each with its own window server.
#include "simws/SimwsLibrary.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane::testing {
namespace {

// The functions with a "CGS" and an "SLS" name, without prefix.
const char* const pairedFunctions[] = {"MainConnectionID",
                                       "RegisterCursorWithImages",
                                       "RegisterCursorWithImage",
                                       "CopyRegisteredCursorImages",
                                       "SetRegisteredCursor",
                                       "CreateRegisteredCursorImage",
                                       "CursorNameForSystemCursor",
                                       "SetDockCursorOverride",
                                       "SetSystemDefinedCursor",
                                       "SetSystemDefinedCursorWithSeed",
                                       "ShowCursor",
                                       "HideCursor",
                                       "GetCursorScale",
                                       "SetCursorScale",
                                       "RemoveRegisteredCursor",
                                       "GetGlobalCursorDataSize",
                                       "GetGlobalCursorData",
                                       "CurrentCursorSeed"};
const char* const coreCursorFunctions[] = {"CoreCursorUnregisterAll", "CoreCursorSet",
                                           "CoreCursorSetAndReturnSeed", "CoreCursorCopyImages"};

struct Variant {
    const char* path;
    bool cgs;
    bool sls;
    bool coreCursor;
    bool getScale;
    bool setScale;

    bool exportsPaired(const std::string& function, bool prefixExported) const {
        if (function == "GetCursorScale") {
            return prefixExported && getScale;
        }
        return prefixExported && (function != "SetCursorScale" || setScale);
    }
};

TEST(SimwsVariants, EachBuildExportsExactlyItsNames) {
    const Variant variants[] = {
        {TOLVANE_SIMWS_PATH, true, true, true, true, true},
        {TOLVANE_SIMWS_SLS_ONLY_PATH, false, true, true, true, true},
        {TOLVANE_SIMWS_NO_SCALE_PATH, true, true, true, false, false},
        {TOLVANE_SIMWS_NO_SET_SCALE_PATH, true, true, true, true, false},
        {TOLVANE_SIMWS_EMPTY_PATH, false, false, false, false, false},
    };
    for (const Variant& variant : variants) {
        SimwsLibrary library(variant.path);
        ASSERT_TRUE(library.isOpen()) << variant.path;
        for (const std::string function : pairedFunctions) {
            EXPECT_EQ(library.exports(("CGS" + function).c_str()),
                      variant.exportsPaired(function, variant.cgs))
                << variant.path << " CGS" << function;
            EXPECT_EQ(library.exports(("SLS" + function).c_str()),
                      variant.exportsPaired(function, variant.sls))
                << variant.path << " SLS" << function;
        }
        for (const char* function : coreCursorFunctions) {
            EXPECT_EQ(library.exports(function), variant.coreCursor)
                << variant.path << " " << function;
        }
        EXPECT_TRUE(library.exports("tvws_reset")) << variant.path;
        // Nothing of the implementation leaks out.
        EXPECT_FALSE(library.exports("_ZN7tolvane12WindowServer6sharedEv")) << variant.path;
    }
}

TEST(SimwsVariants, AVariantKeepsItsOwnState) {
    SimwsLibrary main(TOLVANE_SIMWS_PATH);
    SimwsLibrary slsOnly(TOLVANE_SIMWS_SLS_ONLY_PATH);
    using ScaleReader = float (*)(void);
    using Reset = void (*)(void);
    const auto mainScale = main.function<ScaleReader>("tvws_scale");
    const auto variantScale = slsOnly.function<ScaleReader>("tvws_scale");
    const auto setScale = slsOnly.function<CGSSetCursorScaleFunction>("SLSSetCursorScale");
    const auto connection = slsOnly.function<CGSMainConnectionIDFunction>("SLSMainConnectionID");
    ASSERT_TRUE(mainScale && variantScale && setScale && connection);
    main.function<Reset>("tvws_reset")();

    ASSERT_EQ(setScale(connection(), 2.5f), 0);
    EXPECT_EQ(variantScale(), 2.5f);
    EXPECT_EQ(mainScale(), 1.0f);
    slsOnly.function<Reset>("tvws_reset")();
    EXPECT_EQ(variantScale(), 1.0f);
}

} // namespace
} // namespace tolvane::testing
