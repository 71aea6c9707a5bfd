#include "app/LogFormat.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace tolvane {
namespace {

TEST(LogFormatTest, DoublesPrintTheShortestDecimalThatReadsBackWithAFraction) {
    const std::vector<std::pair<double, std::string>> cases{
        {32.0, "32.0"},
        {1.08, "1.08"},
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {-4.5, "-4.5"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333333"},
        {100000.0, "100000.0"},
        {1920.0, "1920.0"},
        {0.0001, "0.0001"},
        {123456789.0, "123456789.0"},
        {9007199254740991.0, "9007199254740991.0"},
        {9007199254740992.0, "9.007199254740992e+15"},
        {1e20, "1e+20"},
        {0.00001, "1e-05"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(logformat::number(value), text) << text;
        if (text.find('e') == std::string::npos) {
            EXPECT_EQ(std::stod(text), value) << text;
        }
    }
}

TEST(LogFormatTest, FloatsUseTheirOwnShortestForm) {
    // The single-precision neighbours of 1.3 and 15.7 would print long as doubles.
    const std::vector<std::pair<float, std::string>> cases{
        {1.0f, "1.0"},
        {1.3f, "1.3"},
        {15.7f, "15.7"},
        {16.0f, "16.0"},
        {0.5f, "0.5"},
        {1.08f, "1.08"},
        {1.3f * 1.08f, "1.404"},
        {100000.0f, "100000.0"},
        {16777215.0f, "16777215.0"},
        {16777216.0f, "1.6777216e+07"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(logformat::number(value), text) << text;
        EXPECT_EQ(std::stof(text), value) << text;
    }
    EXPECT_NE(logformat::number(static_cast<double>(1.3f)), "1.3");
}

TEST(LogFormatTest, SpecialValuesBooleansAndAbsence) {
    EXPECT_EQ(logformat::number(std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(logformat::number(std::numeric_limits<float>::infinity()), "inf");
    EXPECT_EQ(logformat::number(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(logformat::boolean(true), "true");
    EXPECT_EQ(logformat::boolean(false), "false");
    EXPECT_EQ(logformat::optional(std::nullopt), "nil");
    EXPECT_EQ(logformat::optional(std::string("42")), "42");
}

} // namespace
} // namespace tolvane
