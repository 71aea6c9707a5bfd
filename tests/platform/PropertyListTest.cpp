#include "platform/PropertyList.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(PropertyListTest, ReadingsAnswerOnlyForTheirOwnTypeAndFindLooksOnlyIntoDictionaries) {
    EXPECT_EQ(*PropertyList("Привет").stringValue(), "Привет");
    EXPECT_FALSE(PropertyList("42").integerValue().has_value());
    EXPECT_FALSE(PropertyList(42).booleanValue().has_value());
    EXPECT_FALSE(PropertyList(1.0).integerValue().has_value());
    EXPECT_FALSE(PropertyList(true).integerValue().has_value());

    PropertyList root; // an empty dictionary
    ASSERT_NE(root.dictionaryValue(), nullptr);
    (*root.dictionaryValue())["values"] = PropertyList::Dictionary{{"cursorIsCustomized", true}};
    EXPECT_EQ(root.find("values")->find("cursorIsCustomized")->booleanValue(), true);
    EXPECT_EQ(root.find("missing"), nullptr);
    EXPECT_EQ(PropertyList("text").find("values"), nullptr);
    EXPECT_NE(PropertyList(3), PropertyList(3.0));
}

} // namespace
} // namespace tolvane
