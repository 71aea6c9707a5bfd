#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(SimSessionTest, ASessionKeepsItsFoldersAndBundleUnderItsOwnHome) {
    testing::TestSession session;
    auto home = session.home().path();
    EXPECT_EQ(session->home(), home);
    EXPECT_EQ(session->folders()->launchAgentsDirectory(), home / "Library/LaunchAgents");
    EXPECT_EQ(session->folders()->preferencesDirectory(), home / "Library/Preferences");
    EXPECT_EQ(session->bundle().bundleIdentifier(), "com.tolvane.app");
    EXPECT_EQ(session->bundle().executablePath(),
              home / "Applications/Tolvane.app/Contents/MacOS/Tolvane");

    SimSession::Options options;
    options.bundleIdentifier = "com.example.QuellmarrowBuild";
    options.bundleName = "Other";
    options.bundlePath = "/Applications/Other.app";
    testing::TestSession other(options);
    EXPECT_EQ(other->bundle().executablePath(), "/Applications/Other.app/Contents/MacOS/Other");
    EXPECT_EQ(other->defaults()->plistPath(),
              other.home() / "Library/Preferences/com.example.QuellmarrowBuild.plist");

    // A bundle without an identifier string has none.
    Bundle bare("/x.app", PropertyList::Dictionary{{"CFBundleIdentifier", 5}}, std::nullopt);
    EXPECT_FALSE(bare.bundleIdentifier().has_value());
    EXPECT_FALSE(bare.executablePath().has_value());
}

} // namespace
} // namespace tolvane
