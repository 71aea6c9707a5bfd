#include "platform/DefaultsStore.h"

#include <gtest/gtest.h>
#include <limits>

namespace tolvane {
namespace {

constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();

TEST(DefaultsStoreReadingTest, BooleanReadingOfEveryType) {
    struct Case {
        PropertyList value;
        bool expected;
    };
    const Case cases[] = {
        {true, true},
        {false, false},
        {1, true},
        {0, false},
        {-3, true},
        {0.5, true},
        {0.0, false},
        {"YES", true},
        {"yes", true},
        {"True", true},
        {"true", true},
        {"NO", false},
        {"false", false},
        {"1", true},
        {" 12abc", true},
        {"0", false},
        {"abc", false},
        {"", false},
        {"Y", false},
        {"-1", true},
        {PropertyList::Data{1}, false},
        {PropertyList::Array{true}, false},
        {PropertyList::Dictionary{}, false},
        {PropertyList::Date{5}, false},
        {std::numeric_limits<double>::quiet_NaN(), false},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(DefaultsStore::booleanReading(value), expected)
            << PropertyList::typeName(value.type()) << " "
            << DefaultsStore::stringReading(value).value_or("-");
    }
}

TEST(DefaultsStoreReadingTest, IntegerReadingOfEveryType) {
    struct Case {
        PropertyList value;
        std::int64_t expected;
    };
    const Case cases[] = {
        {45, 45},
        {-5, -5},
        {1.9, 1},
        {-1.9, -1},
        {1e30, int64Max},
        {-1e30, int64Min},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {true, 1},
        {false, 0},
        {"12", 12},
        {"  +15 seconds", 15},
        {"-5", -5},
        {"1.5", 1},
        {"abc", 0},
        {"YES", 0},
        {"", 0},
        {"99999999999999999999", int64Max},
        {"-9223372036854775808", int64Min},
        {"-99999999999999999999", int64Min},
        {PropertyList::Data{7}, 0},
        {PropertyList::Array{7}, 0},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(DefaultsStore::integerReading(value), expected)
            << PropertyList::typeName(value.type()) << " "
            << DefaultsStore::stringReading(value).value_or("-");
    }
}

TEST(DefaultsStoreReadingTest, StringReadingGivesNumbersTheirText) {
    EXPECT_EQ(DefaultsStore::stringReading("letterBadge"), "letterBadge");
    EXPECT_EQ(DefaultsStore::stringReading(""), "");
    EXPECT_EQ(DefaultsStore::stringReading(86400), "86400");
    EXPECT_EQ(DefaultsStore::stringReading(-5), "-5");
    EXPECT_EQ(DefaultsStore::stringReading(1.08), "1.08");
    EXPECT_EQ(DefaultsStore::stringReading(32.0), "32");
    EXPECT_EQ(DefaultsStore::stringReading(true), "1");
    EXPECT_EQ(DefaultsStore::stringReading(false), "0");
    EXPECT_FALSE(DefaultsStore::stringReading(PropertyList::Data{1}).has_value());
    EXPECT_FALSE(DefaultsStore::stringReading(PropertyList::Array{"a"}).has_value());
    EXPECT_FALSE(DefaultsStore::stringReading(PropertyList::Date{0}).has_value());
}

} // namespace
} // namespace tolvane
