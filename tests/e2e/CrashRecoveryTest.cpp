// The real program on its simulated session: an orderly quit puts the user's
// pointer colours back, and after a hard kill the next start recovers them
// before it takes its own override, and starts from the user's cursor scale.
#include "ProgramProcess.h"
#include "platform/PropertyListSerialization.h"
#include "platform/sim/SimPreferenceDomain.h"

#include <csignal>

namespace tolvane {
namespace {

using testing::ProgramProcess;

class ProgramOnSessionTest : public ::testing::Test {
  protected:
    // The session the program keeps under XDG_DATA_HOME.
    std::filesystem::path home() const { return folder / "tolvane" / "session"; }
    std::filesystem::path accessibilityFile() const {
        return home() / "Library" / "Preferences" / "com.apple.universalaccess.plist";
    }
    std::filesystem::path backupFile() const {
        return home() / "Library" / "Application Support" / "Tolvane" /
               "cursor_accessibility_backup.plist";
    }
    // The user has chosen pointer colours of their own.
    void customizePointerColours() {
        SimPreferenceDomain domain("com.apple.universalaccess", accessibilityFile());
        domain.setValue("cursorIsCustomized", PropertyList(true));
        domain.setValue("cursorOutline", PropertyList(PropertyList::Data{9, 8, 7, 6, 5}));
        ASSERT_TRUE(domain.synchronize());
        userColours = testing::readFile(accessibilityFile());
    }
    std::filesystem::path scaleBackupFile() const {
        return home() / "Library" / "Application Support" / "Tolvane" / "cursor_scale_backup.plist";
    }
    std::optional<double> keptUserScale() const {
        auto stored = PropertyListSerialization::readDictionaryFile(scaleBackupFile());
        const PropertyList* scale =
            stored ? PropertyList::find(stored.value(), "userScale") : nullptr;
        return scale ? scale->realValue() : std::nullopt;
    }
    ProgramProcess start() { return ProgramProcess::start(folder.path()); }

    testing::TemporaryDirectory folder;
    std::string userColours;
};

TEST_F(ProgramOnSessionTest, ASecondSignalDuringTerminationChangesNothing) {
    customizePointerColours();
    ProgramProcess program = start();
    ASSERT_TRUE(program.waitForLog("Apply requested trigger=launch"));
    ASSERT_NE(testing::readFile(accessibilityFile()), userColours);
    program.signal(SIGTERM);
    program.signal(SIGINT);
    EXPECT_EQ(program.waitForExit(), 0);
    const std::string log = program.log();
    EXPECT_NE(log.find("Received signal 2; requesting graceful termination"), std::string::npos)
        << log;
    EXPECT_EQ(testing::count(log, "Tolvane terminating; restoring original cursors"), 1);
    EXPECT_NE(log.find("Termination restoreOriginal: true"), std::string::npos);
    EXPECT_EQ(testing::readFile(accessibilityFile()), userColours);
    EXPECT_FALSE(std::filesystem::exists(backupFile()));
}

TEST_F(ProgramOnSessionTest, AfterAHardKillTheNextStartRecoversTheUsersColoursFirst) {
    customizePointerColours();
    ProgramProcess crashed = start();
    ASSERT_TRUE(crashed.waitForLog("Apply requested trigger=launch"));
    crashed.signal(SIGKILL);
    crashed.waitForExit();
    // The override is still in place; the backup knows what to put back.
    ASSERT_NE(testing::readFile(accessibilityFile()), userColours);
    ASSERT_TRUE(std::filesystem::exists(backupFile()));
    // The decorated scale died with the process; the user's own is on disk.
    EXPECT_EQ(keptUserScale(), 1.0);

    ProgramProcess restarted = start();
    ASSERT_TRUE(restarted.waitForLog("Apply requested trigger=launch"));
    const std::string launchLog = restarted.log();
    const auto recovered = launchLog.find(
        "[WARN] Recovered pending cursor accessibility backup from previous run; restoring user "
        "settings");
    const auto overridden =
        launchLog.find("[WARN] Applied temporary cursor accessibility override");
    ASSERT_NE(recovered, std::string::npos) << launchLog;
    EXPECT_LT(recovered, overridden);
    // Every run has a window server of its own, which starts at the user's
    // scale, as a restarted one would: the kept scale is not needed and the
    // baseline is the user's own, not 8 per cent more.
    EXPECT_NE(launchLog.find("[INFO] Cursor scale backup from previous run left unused: "
                             "current=1.0 is not the decorated scale=1.08"),
              std::string::npos);
    EXPECT_NE(launchLog.find("[INFO] Baseline cursor scale: 1.0\n"), std::string::npos);
    restarted.signal(SIGTERM);
    EXPECT_EQ(restarted.waitForExit(), 0);
    EXPECT_EQ(testing::readFile(accessibilityFile()), userColours);
    EXPECT_FALSE(std::filesystem::exists(backupFile()));
    EXPECT_FALSE(std::filesystem::exists(scaleBackupFile()));
}

} // namespace
} // namespace tolvane
