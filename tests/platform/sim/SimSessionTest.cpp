#include "support/TestSession.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

// The default session's folders are pinned where they are used: by the tests
// of the defaults store, the launch agent and the Accessibility preferences.
TEST(SimSessionTest, ASessionTakesItsBundleFromItsOptions) {
    SimSession::Options options;
    options.bundleIdentifier = "com.example.QuellmarrowBuild";
    options.bundleName = "Other";
    options.bundlePath = "/Applications/Other.app";
    testing::TestSession other(options);
    EXPECT_EQ(other->bundle().executablePath(), "/Applications/Other.app/Contents/MacOS/Other");
    EXPECT_EQ(other->defaults()->plistPath(),
              other.home() / "Library/Preferences/com.example.QuellmarrowBuild.plist");
}

} // namespace
} // namespace tolvane
