#include "ProgramProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tolvane::testing {

namespace {

// Sanitizer builds launch far more slowly than release builds.
constexpr auto patience = std::chrono::seconds(120);

bool waitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace

ProgramProcess ProgramProcess::start(const std::filesystem::path& folder) {
    // The log then holds this run's lines only, whenever it is read.
    std::filesystem::remove(folder / "Tolvane.log");
    std::string log = "TOLVANE_LOG_FILE=" + (folder / "Tolvane.log").string();
    std::string home = "HOME=" + folder.string();
    std::string data = "XDG_DATA_HOME=" + folder.string();
    std::string noDesk = "TOLVANE_DESK=0"; // the desk has tests of its own
    std::vector<char*> environment{log.data(), home.data(), data.data(), noDesk.data(), nullptr};
    char program[] = TOLVANE_EXECUTABLE;
    char session[] = "--session=sim";
    char* arguments[] = {program, session, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, program, &actions, nullptr, arguments, environment.data()) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return ProgramProcess(pid, folder);
}

ProgramProcess::ProgramProcess(ProgramProcess&& other) noexcept
    : pid_(other.pid_), folder_(std::move(other.folder_)) {
    other.pid_ = -1;
}

ProgramProcess::~ProgramProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool ProgramProcess::waitUntilBlocking(int signal) const {
    return waitFor([&] {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("SigBlk:", 0) == 0) {
                const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
                return ((mask >> (signal - 1)) & 1u) != 0;
            }
        }
        return false;
    });
}

bool ProgramProcess::waitForLog(const std::string& text) const {
    return waitFor([&] { return log().find(text) != std::string::npos; });
}

void ProgramProcess::signal(int signal) const {
    kill(pid_, signal);
}

int ProgramProcess::waitForExit() {
    int status = 0;
    if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) {
        return -1000;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

std::string ProgramProcess::log() const {
    std::ifstream file(folder_ / "Tolvane.log", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int count(const std::string& haystack, const std::string& text) {
    int found = 0;
    for (auto at = haystack.find(text); at != std::string::npos; at = haystack.find(text, at + 1)) {
        ++found;
    }
    return found;
}

} // namespace tolvane::testing
