#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tolvane::testing {

// A program the test starts and owns: it runs with this process's environment
// and the given changes, its standard input on /dev/null and its output in a
// file or thrown away. Every wait has a deadline; a child still running when
// the object goes is killed.
class ChildProcess {
  public:
    using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;
    struct Options {
        // A variable set to none is removed.
        EnvironmentChanges environment;
        // Standard output and error; none throws them away.
        std::optional<std::filesystem::path> outputFile;
    };

    // The first argument names the program, searched on PATH. Throws when it
    // cannot be started.
    static ChildProcess start(const std::vector<std::string>& arguments, const Options& options);
    // Starts the program and waits for it; its exit status, or minus the signal
    // that ended it. Throws when it does not end within the patience.
    static int run(const std::vector<std::string>& arguments, const Options& options,
                   std::chrono::milliseconds patience = std::chrono::seconds(30));

    // No child: not running, nothing to wait for.
    ChildProcess() = default;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    pid_t pid() const { return pid_; }
    bool running();
    void signal(int number) const;
    // The exit status, or minus the signal that ended it; none when the child
    // is still running at the deadline.
    std::optional<int> waitForExit(std::chrono::milliseconds patience);
    // SIGTERM, then SIGKILL when it does not end within a few seconds.
    void stop();

  private:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    std::optional<int> reap(bool block);

    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Waits until the condition holds, checking every few milliseconds; false at
// the deadline.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds patience);

} // namespace tolvane::testing
