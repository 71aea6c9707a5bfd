#include "platform/DefaultsStore.h"

#include <gtest/gtest.h>
#include <limits>

namespace tolvane {
namespace {

constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();
constexpr auto nan = std::numeric_limits<double>::quiet_NaN();

TEST(DefaultsStoreReadingTest, ReadingsOfEveryType) {
    // clang-format off
    const std::pair<PropertyList, bool> booleans[] = {
        {true, true}, {0, false}, {-3, true}, {0.5, true}, {nan, false},
        {"yes", true}, {"True", true}, {"NO", false}, {" 12abc", true}, {"-1", true},
        {"0", false}, {"Y", false}, {"", false}, {PropertyList::Data{1}, false},
        {PropertyList::Array{true}, false}, {PropertyList::Date{5}, false}};
    // clang-format on
    for (const auto& [value, expected] : booleans) {
        EXPECT_EQ(DefaultsStore::booleanReading(value), expected)
            << DefaultsStore::stringReading(value).value_or("-");
    }

    // clang-format off
    const std::pair<PropertyList, std::int64_t> integers[] = {
        {-1.9, -1}, {1e30, int64Max}, {-1e30, int64Min}, {nan, 0}, {true, 1},
        {"  +15 seconds", 15}, {"1.5", 1}, {"YES", 0}, {"99999999999999999999", int64Max},
        {"-9223372036854775808", int64Min}, {"-99999999999999999999", int64Min},
        {PropertyList::Array{7}, 0}};
    // clang-format on
    for (const auto& [value, expected] : integers) {
        EXPECT_EQ(DefaultsStore::integerReading(value), expected)
            << DefaultsStore::stringReading(value).value_or("-");
    }

    // Numbers read as their shortest text; data and dates have none.
    EXPECT_EQ(DefaultsStore::stringReading(-5), "-5");
    EXPECT_EQ(DefaultsStore::stringReading(1.08), "1.08");
    EXPECT_EQ(DefaultsStore::stringReading(32.0), "32");
    EXPECT_EQ(DefaultsStore::stringReading(true), "1");
    EXPECT_FALSE(DefaultsStore::stringReading(PropertyList::Data{1}).has_value());
}

} // namespace
} // namespace tolvane
