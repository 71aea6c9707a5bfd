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

TEST(LogFormatTest, OutsideTextStaysOnOneLineWithItsControlsVisibleAndLongTextCut) {
    const std::vector<std::pair<std::string, std::string>> rows{
        {"plain /path?x=1", "plain /path?x=1"},
        {"a\nb\r\tc", "a\\nb\\r\\tc"},
        {"\x1b[31m\x7f\x01", "\\x1b[31m\\x7f\\x01"},
        {"back\\slash", "back\\\\slash"},
        // C1 controls and the line and paragraph separators; other text stays as it is.
        {"\xc2\x85 \xe2\x80\xa8 \xe2\x80\xa9 \xd0\xa0\xd1\x83",
         "\\u0085 \\u2028 \\u2029 \xd0\xa0\xd1\x83"},
        {"bad \xff utf-8", "bad \xef\xbf\xbd utf-8"},
    };
    for (const auto& [text, logged] : rows) {
        EXPECT_EQ(logformat::outsideText(text), logged) << text;
    }
    EXPECT_EQ(logformat::outsideText(std::string(500, 'a'), 4), "aaaa...(500 bytes)");
    EXPECT_EQ(logformat::outsideText("\n\n\n", 2), "\\n\\n...(3 bytes)");
    EXPECT_EQ(logformat::outsideText("abcd", 4), "abcd");
}

} // namespace
} // namespace tolvane
