#include "platform/sim/SimPreferenceDomain.h"

#include "platform/PropertyListSerialization.h"
#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using Dictionary = PropertyList::Dictionary;

// What the domain's own process, or another one, leaves in the file.
void store(const std::filesystem::path& path, Dictionary values,
           PropertyListFormat format = PropertyListFormat::binary) {
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(PropertyListSerialization::writeFile(std::move(values), path, format).ok());
}

Dictionary storedIn(const std::filesystem::path& path) {
    auto stored = PropertyListSerialization::readFile(path);
    return stored ? *stored->dictionaryValue() : Dictionary{};
}

class SimPreferenceDomainTest : public ::testing::Test {
  protected:
    testing::TestSession session;
    SimPreferenceDomain& domain = *session->preferenceDomain("com.apple.universalaccess");
};

TEST_F(SimPreferenceDomainTest, ChangesAreSeenAtOnceAndWrittenOnSynchronize) {
    EXPECT_EQ(domain.plistPath(),
              session.home() / "Library/Preferences/com.apple.universalaccess.plist");

    store(domain.plistPath(), {{"cursorIsCustomized", true}, {"cursorFill", "red"}});
    domain.setValue("cursorIsCustomized", false);
    domain.removeValue("cursorFill");
    EXPECT_FALSE(domain.copyValue("cursorFill").has_value());
    EXPECT_EQ(storedIn(domain.plistPath()).size(), 2u); // not written yet

    ASSERT_TRUE(domain.synchronize().ok());
    EXPECT_EQ(storedIn(domain.plistPath()), (Dictionary{{"cursorIsCustomized", false}}));
    EXPECT_EQ(domain.pendingChangeCount(), 0u);

    // Another process changes the file: seen at once.
    store(domain.plistPath(), {{"cursorOutline", "x"}}, PropertyListFormat::xml);
    EXPECT_EQ(domain.copyValue("cursorOutline"), PropertyList("x"));
    EXPECT_FALSE(domain.copyValue("cursorIsCustomized").has_value());
}

TEST_F(SimPreferenceDomainTest, AFailedSynchronizeKeepsTheChangesPending) {
    domain.setValue("mouseDriverCursorFillColor", PropertyList::Data{9});
    domain.setSynchronizeFails(true);
    EXPECT_EQ(domain.synchronize().error(),
              "cannot synchronize preferences of com.apple.universalaccess");
    EXPECT_FALSE(std::filesystem::exists(domain.plistPath()));
    EXPECT_EQ(domain.copyValue("mouseDriverCursorFillColor"), PropertyList(PropertyList::Data{9}));

    domain.setSynchronizeFails(false);
    ASSERT_TRUE(domain.synchronize().ok());
    EXPECT_EQ(storedIn(domain.plistPath()),
              (Dictionary{{"mouseDriverCursorFillColor", PropertyList::Data{9}}}));

    // An unreadable file is not overwritten either.
    testing::writeFile(domain.plistPath(), "<plist><dict>");
    domain.setValue("cursorIsCustomized", false);
    EXPECT_FALSE(domain.synchronize().ok());
    EXPECT_EQ(testing::readFile(domain.plistPath()), "<plist><dict>");
    EXPECT_EQ(domain.pendingChangeCount(), 1u);
}

TEST_F(SimPreferenceDomainTest, ManagedKeysKeepTheirValue) {
    store(domain.plistPath(), {{"cursorIsCustomized", true}, {"cursorOutline", "blue"}});
    domain.setValue("cursorOutline", "pending before the profile");
    domain.setManaged("cursorIsCustomized");
    domain.setManaged("cursorOutline");

    domain.setValue("cursorIsCustomized", false);
    domain.removeValue("cursorOutline");
    EXPECT_EQ(domain.copyValue("cursorIsCustomized"), PropertyList(true));
    EXPECT_EQ(domain.copyValue("cursorOutline"), PropertyList("blue"));
    domain.setManaged("cursorOutline", false);
    domain.removeValue("cursorOutline");
    ASSERT_TRUE(domain.synchronize().ok());
    EXPECT_EQ(storedIn(domain.plistPath()), (Dictionary{{"cursorIsCustomized", true}}));
}

} // namespace
} // namespace tolvane
