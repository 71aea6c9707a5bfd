#include "platform/Color.h"
#include "platform/Environment.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tolvane {
namespace {

// The flag rule is proven where it is used: the detached relaunch's table
// (tests/app) and the log switches (tests/log).
TEST(Environment, ProcessSnapshotSeesVariablesWithEqualsSignsInTheirValues) {
    setenv("TOLVANE_TEST_VALUE", "a=b=c", 1);
    EXPECT_EQ(Environment::process().value("TOLVANE_TEST_VALUE"), "a=b=c");
    unsetenv("TOLVANE_TEST_VALUE");
    EXPECT_EQ(Environment::process().value("TOLVANE_TEST_VALUE"), std::nullopt);
}

TEST(Color, HueSaturationBrightnessConvertsToTheMatchingRGB) {
    auto expectColor = [](Color actual, double r, double g, double b) {
        EXPECT_NEAR(actual.red, r, 1e-9);
        EXPECT_NEAR(actual.green, g, 1e-9);
        EXPECT_NEAR(actual.blue, b, 1e-9);
        EXPECT_DOUBLE_EQ(actual.alpha, 0.5);
    };
    expectColor(Color::calibratedHSB(0.0, 1.0, 1.0, 0.5), 1.0, 0.0, 0.0);
    expectColor(Color::calibratedHSB(1.0, 1.0, 1.0, 0.5), 1.0, 0.0, 0.0); // hue wraps
    expectColor(Color::calibratedHSB(1.0 / 3.0, 1.0, 1.0, 0.5), 0.0, 1.0, 0.0);
    expectColor(Color::calibratedHSB(2.0 / 3.0, 1.0, 0.5, 0.5), 0.0, 0.0, 0.5);
    expectColor(Color::calibratedHSB(0.25, 0.0, 0.78, 0.5), 0.78, 0.78, 0.78); // grey
    // 61 degrees at the language colours' saturation and brightness.
    expectColor(Color::calibratedHSB(61.0 / 360.0, 0.72, 0.78, 0.5), 0.78 * (1.0 - 0.72 / 60.0),
                0.78, 0.78 * 0.28);
    EXPECT_EQ(Color::white().withAlpha(0.85), Color::calibratedRGB(1, 1, 1, 0.85));
}

} // namespace
} // namespace tolvane
