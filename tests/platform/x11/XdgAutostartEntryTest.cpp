// Launch at Login on X11: the autostart entry as the desktop reads it.
#include "platform/x11/XdgAutostartEntry.h"

#include "platform/x11/X11UserFolders.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

using namespace tolvane;
using tolvane::testing::TemporaryDirectory;

namespace {

TEST(XdgAutostartEntryTest, TheEntryStartsThisProgramOnX11AndGoesAway) {
    const TemporaryDirectory home;
    const X11UserFolders folders(Environment(
        {{"HOME", home.path().string()}, {"XDG_CONFIG_HOME", (home / "config").string()}}));
    // A path with a space, a quote, $, % and a backslash: each needs its own escape.
    const XdgAutostartEntry entry(folders.autostartDirectory(),
                                  "/opt/My \"Apps\"/$HOME 100%\\x/tolvane");
    const auto file = home / "config" / "autostart" / "tolvane.desktop";
    ASSERT_EQ(entry.path(), file);
    EXPECT_FALSE(entry.exists());

    ASSERT_TRUE(entry.install());
    EXPECT_TRUE(entry.exists());
    EXPECT_EQ(tolvane::testing::readFile(file),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Tolvane\n"
              "Comment=Shows the keyboard layout on the mouse pointer\n"
              "Exec=\"/opt/My \\\\\"Apps\\\\\"/\\\\$HOME 100%%\\\\\\\\x/tolvane\" --session=x11\n"
              "Icon=tolvane\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
    // Written again over itself, by rename: nothing else is left in the folder.
    ASSERT_TRUE(entry.install());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()),
                            std::filesystem::directory_iterator()),
              1);

    ASSERT_TRUE(entry.remove());
    EXPECT_FALSE(entry.exists());
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(entry.remove());
}

} // namespace
