#include "platform/sim/SimPreferenceDomain.h"

#include "platform/PropertyListSerialization.h"
#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::TestSession;

constexpr const char* universalAccess = "com.apple.universalaccess";

// What the domain's own process, or another one, leaves in the file.
void store(const std::filesystem::path& path, PropertyList::Dictionary values,
           PropertyListFormat format = PropertyListFormat::binary) {
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(PropertyListSerialization::writeFile(std::move(values), path, format).ok());
}

PropertyList::Dictionary storedIn(const std::filesystem::path& path) {
    auto stored = PropertyListSerialization::readFile(path);
    return stored ? *stored->dictionaryValue() : PropertyList::Dictionary{};
}

TEST(SimPreferenceDomainTest, ChangesAreSeenAtOnceAndWrittenOnSynchronize) {
    TestSession session;
    auto& domain = *session->preferenceDomain(universalAccess);
    EXPECT_EQ(&domain, session->preferenceDomain(universalAccess).get());
    EXPECT_EQ(domain.name(), universalAccess);
    EXPECT_EQ(domain.plistPath(),
              session.home() / "Library/Preferences/com.apple.universalaccess.plist");

    PropertyList::Data fill{1, 2, 3};
    store(domain.plistPath(), {{"cursorIsCustomized", true}, {"cursorFill", fill}});
    EXPECT_EQ(domain.copyValue("cursorFill"), PropertyList(fill));

    domain.setValue("cursorIsCustomized", false);
    domain.removeValue("cursorFill");
    EXPECT_EQ(domain.copyValue("cursorIsCustomized"), PropertyList(false));
    EXPECT_FALSE(domain.copyValue("cursorFill").has_value());
    EXPECT_EQ(storedIn(domain.plistPath()).size(), 2u); // not written yet
    EXPECT_EQ(domain.pendingChangeCount(), 2u);

    ASSERT_TRUE(domain.synchronize().ok());
    EXPECT_EQ(storedIn(domain.plistPath()),
              (PropertyList::Dictionary{{"cursorIsCustomized", false}}));
    EXPECT_EQ(domain.pendingChangeCount(), 0u);

    // Another process changes the file: seen at once.
    store(domain.plistPath(), {{"cursorOutline", "x"}}, PropertyListFormat::xml);
    EXPECT_EQ(domain.copyValue("cursorOutline"), PropertyList("x"));
    EXPECT_FALSE(domain.copyValue("cursorIsCustomized").has_value());
}

TEST(SimPreferenceDomainTest, AFailedSynchronizeKeepsTheChangesPending) {
    TestSession session;
    auto& domain = *session->preferenceDomain(universalAccess);
    domain.setValue("mouseDriverCursorFillColor", PropertyList::Data{9});
    domain.setSynchronizeFails(true);
    auto failed = domain.synchronize();
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error(), "cannot synchronize preferences of com.apple.universalaccess");
    EXPECT_FALSE(std::filesystem::exists(domain.plistPath()));
    EXPECT_EQ(domain.copyValue("mouseDriverCursorFillColor"), PropertyList(PropertyList::Data{9}));

    domain.setSynchronizeFails(false);
    ASSERT_TRUE(domain.synchronize().ok());
    EXPECT_EQ(storedIn(domain.plistPath()),
              (PropertyList::Dictionary{{"mouseDriverCursorFillColor", PropertyList::Data{9}}}));

    // An unreadable file is not overwritten either.
    testing::writeFile(domain.plistPath(), "<plist><dict>");
    domain.setValue("cursorIsCustomized", false);
    EXPECT_FALSE(domain.synchronize().ok());
    EXPECT_EQ(testing::readFile(domain.plistPath()), "<plist><dict>");
    EXPECT_EQ(domain.pendingChangeCount(), 1u);
}

TEST(SimPreferenceDomainTest, ManagedKeysKeepTheirValue) {
    TestSession session;
    auto& domain = *session->preferenceDomain(universalAccess);
    store(domain.plistPath(), {{"cursorIsCustomized", true}, {"cursorOutline", "blue"}});
    domain.setValue("cursorOutline", "pending before the profile");
    domain.setManaged("cursorIsCustomized");
    domain.setManaged("cursorOutline");

    domain.setValue("cursorIsCustomized", false);
    domain.removeValue("cursorOutline");
    EXPECT_EQ(domain.copyValue("cursorIsCustomized"), PropertyList(true));
    EXPECT_EQ(domain.copyValue("cursorOutline"), PropertyList("blue"));
    EXPECT_TRUE(domain.synchronize().ok()); // nothing to write
    EXPECT_EQ(storedIn(domain.plistPath()),
              (PropertyList::Dictionary{{"cursorIsCustomized", true}, {"cursorOutline", "blue"}}));

    domain.setManaged("cursorOutline", false);
    domain.removeValue("cursorOutline");
    ASSERT_TRUE(domain.synchronize().ok());
    EXPECT_EQ(storedIn(domain.plistPath()),
              (PropertyList::Dictionary{{"cursorIsCustomized", true}}));
}

} // namespace
} // namespace tolvane
