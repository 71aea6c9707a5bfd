#include "support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tolvane::testing {

namespace {

std::vector<std::string> environmentWith(const ChildProcess::EnvironmentChanges& changes) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        if (!changes.contains(name)) {
            entries.push_back(text);
        }
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            entries.push_back(name + "=" + *value);
        }
    }
    return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

int decodedStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

} // namespace

ChildProcess ChildProcess::start(const std::vector<std::string>& arguments,
                                 const Options& options) {
    if (arguments.empty()) {
        throw std::invalid_argument("a child process needs a program");
    }
    std::vector<std::string> argumentCopies = arguments;
    std::vector<std::string> environment = environmentWith(options.environment);
    const std::string output = options.outputFile ? options.outputFile->string() : "/dev/null";

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argumentCopies.front().c_str(), &actions, nullptr,
                                   pointersTo(argumentCopies).data(),
                                   pointersTo(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::runtime_error("cannot start " + arguments.front() + ": errno " +
                                 std::to_string(error));
    }
    return ChildProcess(pid);
}

int ChildProcess::run(const std::vector<std::string>& arguments, const Options& options,
                      std::chrono::milliseconds patience) {
    ChildProcess child = start(arguments, options);
    if (auto status = child.waitForExit(patience)) {
        return *status;
    }
    throw std::runtime_error(arguments.front() + " did not finish in time");
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), status_(other.status_) {
    other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        stop();
        pid_ = other.pid_;
        status_ = other.status_;
        other.pid_ = -1;
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) {
        kill(pid_, SIGKILL);
        reap(true);
    }
}

std::optional<int> ChildProcess::reap(bool block) {
    if (status_ || pid_ <= 0) {
        return status_;
    }
    int status = 0;
    pid_t result = 0;
    do {
        result = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == pid_) {
        status_ = decodedStatus(status);
    }
    return status_;
}

bool ChildProcess::running() {
    return pid_ > 0 && !reap(false);
}

void ChildProcess::signal(int number) const {
    if (pid_ > 0 && !status_) {
        kill(pid_, number);
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds patience) {
    waitUntil([this] { return !running(); }, patience);
    return reap(false);
}

void ChildProcess::stop() {
    if (pid_ <= 0 || status_) {
        return;
    }
    signal(SIGTERM);
    if (!waitForExit(std::chrono::seconds(5))) {
        signal(SIGKILL);
        reap(true);
    }
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace tolvane::testing
