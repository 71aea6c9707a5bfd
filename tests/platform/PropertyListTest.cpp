#include "platform/PropertyList.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(PropertyListTest, ReadingsAnswerOnlyForTheirOwnTypeWithoutConversion) {
    EXPECT_EQ(*PropertyList("Привет").stringValue(), "Привет");
    EXPECT_FALSE(PropertyList("42").integerValue().has_value());
    EXPECT_FALSE(PropertyList(42).realValue().has_value());
    EXPECT_FALSE(PropertyList(42).booleanValue().has_value());
    EXPECT_FALSE(PropertyList(1.0).integerValue().has_value());
    EXPECT_FALSE(PropertyList(true).integerValue().has_value());
    EXPECT_EQ(PropertyList("").dataValue(), nullptr);
    EXPECT_EQ(PropertyList(PropertyList::Data{}).arrayValue(), nullptr);
}

TEST(PropertyListTest, DefaultIsAnEmptyDictionaryAndFindLooksOnlyIntoDictionaries) {
    PropertyList root;
    ASSERT_NE(root.dictionaryValue(), nullptr);
    EXPECT_TRUE(root.dictionaryValue()->empty());

    (*root.dictionaryValue())["values"] = PropertyList::Dictionary{{"cursorIsCustomized", true}};
    EXPECT_EQ(root.find("values")->find("cursorIsCustomized")->booleanValue(), true);
    EXPECT_EQ(root.find("missing"), nullptr);
    EXPECT_EQ(PropertyList("text").find("values"), nullptr);
}

TEST(PropertyListTest, EqualityComparesTypeAndContentDeeply) {
    PropertyList::Dictionary left{{"a", PropertyList::Array{1, "two", 3.0}}, {"b", false}};
    PropertyList::Dictionary right = left;
    EXPECT_EQ(PropertyList(left), PropertyList(right));

    (*right["a"].arrayValue())[2] = 3; // integer 3 is not real 3.0
    EXPECT_NE(PropertyList(left), PropertyList(right));
    EXPECT_NE(PropertyList(1), PropertyList(true));
    EXPECT_NE(PropertyList(""), PropertyList(PropertyList::Data{}));
}

TEST(PropertyListTest, DatesConvertToAndFromUnixTime) {
    auto date = PropertyList::Date::fromUnixTime(978307200.0 + 86400.0);
    EXPECT_EQ(date.secondsSinceReferenceDate, 86400.0);
    EXPECT_EQ(date.unixTime(), 978393600.0);
}

} // namespace
} // namespace tolvane
