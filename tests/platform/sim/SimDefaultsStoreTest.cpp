#include "platform/sim/SimDefaultsStore.h"

#include "platform/PropertyListSerialization.h"
#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(SimDefaultsStoreTest, KeepsTheDomainInTheUsualPreferencesFile) {
    testing::TestSession session;
    auto& defaults = *session->defaults();
    auto path = session.home() / "Library/Preferences/com.tolvane.app.plist";
    EXPECT_EQ(defaults.plistPath(), path);
    ASSERT_TRUE(defaults.removeObject("tolvane.primary_input_source_id").ok());
    EXPECT_FALSE(std::filesystem::exists(path)); // removing an absent key writes nothing

    ASSERT_TRUE(defaults.setObject("tolvane.left_handed", false).ok());
    ASSERT_TRUE(defaults.setObject("tolvane.cursor_style.global", "dotBadge").ok());
    EXPECT_EQ(testing::readFile(path).substr(0, 8), "bplist00");
    EXPECT_EQ(PropertyListSerialization::readFile(path).value(),
              PropertyList(PropertyList::Dictionary{{"tolvane.left_handed", false},
                                                    {"tolvane.cursor_style.global", "dotBadge"}}));
    ASSERT_TRUE(defaults.removeObject("tolvane.left_handed").ok());
    EXPECT_FALSE(defaults.objectForKey("tolvane.left_handed").has_value());

    // Another process removes the file (its XML rewrites: tests/preferences).
    std::filesystem::remove(path);
    EXPECT_FALSE(defaults.objectForKey("tolvane.cursor_style.global").has_value());

    // A file whose root is no dictionary is no store, and is not written over.
    ASSERT_TRUE(PropertyListSerialization::writeFile(PropertyList::Array{1}, path,
                                                     PropertyListFormat::binary)
                    .ok());
    EXPECT_EQ(defaults.dictionaryRepresentation().error(),
              "property list root is not a dictionary: " + path.string());
    EXPECT_FALSE(defaults.setObject("tolvane.left_handed", true).ok());
    EXPECT_EQ(PropertyListSerialization::readFile(path).value(),
              PropertyList(PropertyList::Array{1}));
}

} // namespace
} // namespace tolvane
