#include "ProgramProcess.h"

#include <csignal>

namespace tolvane {
namespace {

class SignalTermination : public ::testing::TestWithParam<int> {};

TEST_P(SignalTermination, LogsTheSignalAndExitsCleanly) {
    const int signal = GetParam();
    testing::TemporaryDirectory folder;
    testing::ProgramProcess program = testing::ProgramProcess::start(folder.path());
    ASSERT_GT(program.pid(), 0);
    ASSERT_TRUE(program.waitUntilBlocking(signal));
    program.signal(signal);
    EXPECT_EQ(program.waitForExit(), 0);
    const std::string expected =
        " [INFO] Received signal " + std::to_string(signal) + "; requesting graceful termination\n";
    EXPECT_EQ(testing::count(program.log(), expected), 1) << program.log();
    // The signal often comes before the launch has run: it still runs first
    // and is undone, never run after the restore.
    const auto support = folder / "tolvane/session/Library/Application Support/Tolvane";
    EXPECT_FALSE(std::filesystem::exists(support / "cursor_scale_backup.plist"));
    EXPECT_FALSE(std::filesystem::exists(support / "cursor_accessibility_backup.plist"));
}

INSTANTIATE_TEST_SUITE_P(EveryTerminationSignal, SignalTermination,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP, SIGQUIT));

} // namespace
} // namespace tolvane
