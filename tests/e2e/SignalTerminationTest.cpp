#include "ProgramProcess.h"
#include "platform/x11/X11Display.h"
#include "support/XvfbDisplay.h"

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

// The X server goes away under the running program: it says so in its log and
// ends with the status of a lost display, instead of Xlib's bare exit.
TEST(LostDisplay, TheProgramLogsTheLossAndEnds) {
    using namespace std::chrono_literals;
    testing::TemporaryDirectory home;
    testing::XvfbDisplay::Options options;
    options.environment = {{"HOME", home.path().string()},
                           {"XDG_CONFIG_HOME", (home / "config").string()},
                           {"XDG_CACHE_HOME", (home / "cache").string()},
                           {"TOLVANE_LOG_FILE", (home / "Tolvane.log").string()},
                           {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home / "no-bus").string()}};
    testing::XvfbDisplay server(options);
    testing::ChildProcess program =
        server.startClient({TOLVANE_EXECUTABLE, "--session=x11"}, home / "output.txt");
    auto log = [&] { return testing::readFile(home / "Tolvane.log"); };
    ASSERT_TRUE(testing::waitUntil([&] { return log().find("language=") != std::string::npos; }, 60s))
        << log();

    kill(server.serverPid(), SIGKILL);
    EXPECT_EQ(program.waitForExit(20s), X11Display::lostConnectionStatus)
        << testing::readFile(home / "output.txt");
    EXPECT_EQ(testing::count(log(), "[ERROR] Lost the connection to the X display " +
                                        server.name() + " (the server ended or closed it)"),
              1)
        << log();
}

} // namespace
} // namespace tolvane
