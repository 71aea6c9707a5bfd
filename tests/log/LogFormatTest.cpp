#include "log/LogFormat.h"

#include <gtest/gtest.h>
#include <limits>

namespace tolvane {
namespace {

TEST(LogFormatTest, NumbersPrintTheShortestDecimalThatReadsBackWithAFraction) {
    const std::vector<std::pair<double, std::string>> doubles{
        {32.0, "32.0"},
        {-0.0, "-0.0"},
        {1.0 / 3.0, "0.3333333333333333"},
        {0.0001, "0.0001"},
        {9007199254740991.0, "9007199254740991.0"},
        {9007199254740992.0, "9.007199254740992e+15"},
        {100000.0, "100000.0"},
        {0.00001, "1e-05"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {std::numeric_limits<double>::infinity(), "inf"},
    };
    for (const auto& [value, text] : doubles) {
        EXPECT_EQ(logformat::number(value), text);
    }
    // Single-precision neighbours of these would print long as doubles.
    const std::vector<std::pair<float, std::string>> floats{
        {1.3f, "1.3"},
        {1.3f * 1.08f, "1.404"},
        {16777215.0f, "16777215.0"},
        {16777216.0f, "1.6777216e+07"},
    };
    for (const auto& [value, text] : floats) {
        EXPECT_EQ(logformat::number(value), text);
    }
    EXPECT_EQ(logformat::number(-std::numeric_limits<float>::infinity()), "-inf");
    EXPECT_EQ(logformat::optional(std::optional<std::string>()), "nil");
    EXPECT_EQ(logformat::optional(std::string("42")), "42");
    EXPECT_EQ(logformat::optional(std::optional<std::int32_t>(-7)), "-7");
}

} // namespace
} // namespace tolvane
