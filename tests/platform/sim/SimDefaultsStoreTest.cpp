#include "platform/sim/SimDefaultsStore.h"

#include "platform/PropertyListSerialization.h"
#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::TestSession;

TEST(SimDefaultsStoreTest, KeepsTheDomainInTheUsualPreferencesFile) {
    TestSession session;
    auto& defaults = *session->defaults();
    auto path = session.home() / "Library/Preferences/com.tolvane.app.plist";
    EXPECT_EQ(defaults.plistPath(), path);
    EXPECT_FALSE(std::filesystem::exists(path)); // nothing written yet

    EXPECT_FALSE(defaults.objectForKey("tolvane.left_handed").has_value());
    EXPECT_FALSE(defaults.boolForKey("tolvane.left_handed"));
    ASSERT_TRUE(defaults.setObject("tolvane.left_handed", false).ok());
    EXPECT_EQ(defaults.objectForKey("tolvane.left_handed"),
              PropertyList(false)); // present, and false

    ASSERT_TRUE(defaults.setObject("tolvane.cursor_style.global", "dotBadge").ok());
    auto bytes = testing::readFile(path);
    EXPECT_EQ(bytes.substr(0, 8), "bplist00");
    auto stored = PropertyListSerialization::readFile(path);
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(stored.value(),
              PropertyList(PropertyList::Dictionary{{"tolvane.left_handed", false},
                                                    {"tolvane.cursor_style.global", "dotBadge"}}));

    ASSERT_TRUE(defaults.removeObject("tolvane.left_handed").ok());
    EXPECT_FALSE(defaults.objectForKey("tolvane.left_handed").has_value());
    EXPECT_EQ(defaults.stringForKey("tolvane.cursor_style.global"), "dotBadge");
}

TEST(SimDefaultsStoreTest, ReadsAfreshWhatAnotherProcessWrote) {
    TestSession session;
    auto& defaults = *session->defaults();
    ASSERT_TRUE(defaults.setObject("tolvane.primary_input_source_return_delay_seconds", 10).ok());

    // Another process rewrites the file, in the XML format.
    PropertyList::Dictionary theirs{{"tolvane.primary_input_source_return_delay_seconds", "90000"}};
    ASSERT_TRUE(
        PropertyListSerialization::writeFile(theirs, defaults.plistPath(), PropertyListFormat::xml)
            .ok());
    EXPECT_EQ(defaults.integerForKey("tolvane.primary_input_source_return_delay_seconds"), 90000);

    std::filesystem::remove(defaults.plistPath());
    EXPECT_FALSE(
        defaults.objectForKey("tolvane.primary_input_source_return_delay_seconds").has_value());
}

TEST(SimDefaultsStoreTest, ABrokenFileReadsAsEmptyAndIsNotOverwritten) {
    TestSession session;
    auto& defaults = *session->defaults();
    std::filesystem::create_directories(defaults.plistPath().parent_path());
    testing::writeFile(defaults.plistPath(), "bplist00 damaged");

    EXPECT_FALSE(defaults.objectForKey("tolvane.left_handed").has_value());
    auto everything = defaults.dictionaryRepresentation();
    ASSERT_FALSE(everything.ok());
    EXPECT_NE(everything.error().find(defaults.plistPath().string()), std::string::npos);

    auto write = defaults.setObject("tolvane.left_handed", true);
    ASSERT_FALSE(write.ok());
    EXPECT_EQ(write.error().rfind("not overwriting unreadable " + defaults.plistPath().string(), 0),
              0u);
    EXPECT_EQ(testing::readFile(defaults.plistPath()), "bplist00 damaged");

    // A property list whose root is no dictionary is no store either.
    ASSERT_TRUE(PropertyListSerialization::writeFile(PropertyList::Array{1}, defaults.plistPath(),
                                                     PropertyListFormat::binary)
                    .ok());
    EXPECT_EQ(defaults.dictionaryRepresentation().error(),
              "property list root is not a dictionary: " + defaults.plistPath().string());
}

TEST(SimDefaultsStoreTest, WriteFailuresAreReportedAndRemovingAnAbsentKeyWritesNothing) {
    TestSession session;
    auto& defaults = *session->defaults();
    ASSERT_TRUE(defaults.removeObject("tolvane.primary_input_source_id").ok());
    EXPECT_FALSE(std::filesystem::exists(defaults.plistPath()));

    defaults.setWritesFail(true);
    auto failed = defaults.setObject("tolvane.left_handed", true);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error(),
              "cannot write " + defaults.plistPath().string() + ": No space left on device");
    EXPECT_FALSE(defaults.objectForKey("tolvane.left_handed").has_value());

    defaults.setWritesFail(false);
    EXPECT_TRUE(defaults.setObject("tolvane.left_handed", true).ok());
    EXPECT_TRUE(defaults.boolForKey("tolvane.left_handed"));
}

} // namespace
} // namespace tolvane
