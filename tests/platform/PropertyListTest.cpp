#include "platform/PropertyList.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(PropertyListTest, EachReadingAnswersOnlyForItsOwnType) {
    PropertyList text("Привет");
    PropertyList number(42);
    PropertyList real(1.5);
    PropertyList flag(true);
    PropertyList date(PropertyList::Date{10.0});
    PropertyList data(PropertyList::Data{1, 2});

    EXPECT_EQ(text.type(), PropertyList::Type::string);
    ASSERT_NE(text.stringValue(), nullptr);
    EXPECT_EQ(*text.stringValue(), "Привет");
    EXPECT_FALSE(text.integerValue().has_value());

    EXPECT_EQ(number.integerValue(), 42);
    EXPECT_FALSE(number.realValue().has_value()); // no silent conversion between numbers
    EXPECT_FALSE(number.booleanValue().has_value());
    EXPECT_EQ(real.realValue(), 1.5);
    EXPECT_FALSE(real.integerValue().has_value());
    EXPECT_EQ(flag.booleanValue(), true);
    EXPECT_FALSE(flag.integerValue().has_value());
    EXPECT_EQ(date.dateValue()->secondsSinceReferenceDate, 10.0);
    EXPECT_EQ(data.dataValue()->size(), 2u);
    EXPECT_EQ(text.dataValue(), nullptr);
    EXPECT_EQ(text.arrayValue(), nullptr);
    EXPECT_EQ(text.dictionaryValue(), nullptr);
}

TEST(PropertyListTest, DefaultIsAnEmptyDictionaryAndFindLooksOnlyIntoDictionaries) {
    PropertyList root;
    ASSERT_NE(root.dictionaryValue(), nullptr);
    EXPECT_TRUE(root.dictionaryValue()->empty());

    (*root.dictionaryValue())["values"] = PropertyList::Dictionary{{"cursorIsCustomized", true}};
    ASSERT_NE(root.find("values"), nullptr);
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
