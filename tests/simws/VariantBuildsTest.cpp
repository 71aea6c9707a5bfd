// The variant builds export only some names, each with its own window server.
#include "simws/SimwsLibrary.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane::testing {
namespace {

struct Variant {
    const char* path;
    bool cgs;
    bool sls;
    bool coreCursor;
    bool getScale;
    bool setScale;
};

bool expectedFor(const Variant& variant, const std::string& function, bool prefixExported) {
    if (function == "GetCursorScale") {
        return prefixExported && variant.getScale;
    }
    if (function == "SetCursorScale") {
        return prefixExported && variant.setScale;
    }
    return prefixExported;
}

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
        for (const std::string& function : pairedFunctionNames()) {
            EXPECT_EQ(library.exports(("CGS" + function).c_str()),
                      expectedFor(variant, function, variant.cgs))
                << variant.path << " CGS" << function;
            EXPECT_EQ(library.exports(("SLS" + function).c_str()),
                      expectedFor(variant, function, variant.sls))
                << variant.path << " SLS" << function;
        }
        for (const std::string& function : coreCursorFunctionNames()) {
            EXPECT_EQ(library.exports(function.c_str()), variant.coreCursor)
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
