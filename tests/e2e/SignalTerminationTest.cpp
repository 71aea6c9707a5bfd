#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

extern char** environ;

namespace tolvane {
namespace {

// True once the process blocks the signal, i.e. it has reached main and the
// signal will be handled instead of ending the process by default.
bool blocksSignal(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigBlk:", 0) == 0) {
            unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask >> (signal - 1)) & 1u;
        }
    }
    return false;
}

pid_t startProgram(const testing::TemporaryDirectory& folder) {
    std::string logVariable = "TOLVANE_LOG_FILE=" + (folder / "Tolvane.log").string();
    std::string homeVariable = "HOME=" + folder.path().string();
    std::vector<char*> environment{logVariable.data(), homeVariable.data(), nullptr};
    char program[] = TOLVANE_EXECUTABLE;
    char* arguments[] = {program, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    int result = posix_spawn(&pid, program, &actions, nullptr, arguments, environment.data());
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

class SignalTermination : public ::testing::TestWithParam<int> {};

TEST_P(SignalTermination, LogsTheSignalAndExitsCleanly) {
    const int signal = GetParam();
    testing::TemporaryDirectory folder;
    pid_t pid = startProgram(folder);
    ASSERT_GT(pid, 0);
    // Waiting on another process: bounded, and only until it has started.
    for (int attempt = 0; attempt < 2000 && !blocksSignal(pid, signal); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(blocksSignal(pid, signal));
    ASSERT_EQ(kill(pid, signal), 0);

    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    std::string log = testing::readFile(folder / "Tolvane.log");
    std::string expected = " [INFO] Received signal " + std::to_string(signal) +
                           "; requesting graceful termination\n";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(EveryTerminationSignal, SignalTermination,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP, SIGQUIT));

} // namespace
} // namespace tolvane
