#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using testing::TestSession;

TEST(SimSessionTest, AFreshSessionLivesInItsOwnHome) {
    std::filesystem::path home;
    {
        TestSession session;
        home = session->home();
        EXPECT_EQ(home, session.home().path());
        EXPECT_TRUE(std::filesystem::is_directory(home));

        const auto& folders = *session->folders();
        EXPECT_EQ(folders.homeDirectory(), home);
        EXPECT_EQ(folders.applicationSupportDirectory(), home / "Library/Application Support");
        EXPECT_EQ(folders.launchAgentsDirectory(), home / "Library/LaunchAgents");
        EXPECT_EQ(folders.preferencesDirectory(), home / "Library/Preferences");
        session->folders()->setApplicationSupportAvailable(false);
        EXPECT_FALSE(folders.applicationSupportDirectory().has_value());

        const Bundle& bundle = session->bundle();
        EXPECT_EQ(bundle.bundleIdentifier(), "com.tolvane.app");
        EXPECT_EQ(bundle.objectForInfoDictionaryKey("CFBundleName")->stringValue() != nullptr,
                  true);
        EXPECT_EQ(*bundle.objectForInfoDictionaryKey("CFBundleName")->stringValue(), "Tolvane");
        EXPECT_EQ(bundle.bundlePath(), home / "Applications/Tolvane.app");
        EXPECT_EQ(bundle.executablePath(),
                  home / "Applications/Tolvane.app/Contents/MacOS/Tolvane");
        EXPECT_EQ(bundle.objectForInfoDictionaryKey("NSPrincipalClass"), nullptr);

        // Time stands still until the loop is told to move it.
        double start = session->clock().now();
        bool fired = false;
        session->loop()->after(0.45, [&] { fired = true; });
        session->loop()->advance(0.44);
        EXPECT_FALSE(fired);
        session->loop()->advance(0.01);
        EXPECT_TRUE(fired);
        EXPECT_DOUBLE_EQ(session->clock().now(), start + 0.45);
    }
    EXPECT_FALSE(std::filesystem::exists(home));
}

TEST(SimSessionTest, OptionsNameTheBundleAndTwoSessionsShareNothing) {
    SimSession::Options options;
    options.bundleIdentifier = "com.example.QuellmarrowBuild";
    options.bundleName = "Other";
    options.bundlePath = "/Applications/Other.app";
    TestSession left(options);
    TestSession right;

    EXPECT_EQ(left->bundle().bundleIdentifier(), "com.example.QuellmarrowBuild");
    EXPECT_EQ(left->bundle().executablePath(), "/Applications/Other.app/Contents/MacOS/Other");
    EXPECT_EQ(left->defaults()->plistPath(),
              left.home() / "Library/Preferences/com.example.QuellmarrowBuild.plist");

    ASSERT_TRUE(left->defaults()->setObject("key", 1).ok());
    EXPECT_FALSE(right->defaults()->objectForKey("key").has_value());
    left->inputSources()->switchTo("com.apple.keylayout.German");
    EXPECT_EQ(right->inputSources()->currentKeyboardInputSource()->sourceID,
              "com.apple.keylayout.ABC");
    EXPECT_NE(left.home().path(), right.home().path());

    // A bundle without an identifier string has none.
    Bundle bare("/x.app", PropertyList::Dictionary{{"CFBundleIdentifier", 5}}, std::nullopt);
    EXPECT_FALSE(bare.bundleIdentifier().has_value());
    EXPECT_FALSE(bare.executablePath().has_value());
}

TEST(SimSessionTest, RunningApplicationsCanBeHidden) {
    TestSession session;
    auto& workspace = *session->workspace();
    auto finder = workspace.launch("com.apple.finder");
    auto stubborn = workspace.launch("com.apple.finder", true);
    workspace.launch("com.apple.dock");

    auto found = workspace.runningApplications("com.apple.finder");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE(found[0]->hide());
    EXPECT_FALSE(found[1]->hide());
    EXPECT_TRUE(finder->isHidden());
    EXPECT_FALSE(stubborn->isHidden());
    EXPECT_EQ(stubborn->hideRequests(), 1);
    EXPECT_TRUE(workspace.runningApplications("com.example.none").empty());
}

} // namespace
} // namespace tolvane
