#pragma once

#include "support/TemporaryDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/types.h>

namespace tolvane::testing {

// The real program running as a child process, its home, simulated session
// and log all inside one folder. Waiting on it is bounded: the program runs on
// the real clock.
class ProgramProcess {
  public:
    // HOME and XDG_DATA_HOME are the folder; the log is folder/Tolvane.log,
    // emptied first.
    static ProgramProcess start(const std::filesystem::path& folder);
    ProgramProcess(ProgramProcess&& other) noexcept;
    ProgramProcess& operator=(ProgramProcess&&) = delete;
    // Kills a child that is still running.
    ~ProgramProcess();

    pid_t pid() const { return pid_; }
    // True once the program blocks the signal: it has reached main, and the
    // signal will be handled instead of ending it at once.
    bool waitUntilBlocking(int signal) const;
    // True once the log holds the text.
    bool waitForLog(const std::string& text) const;
    void signal(int signal) const;
    // The exit status, or minus the number of the signal that ended it.
    int waitForExit();
    std::string log() const;

  private:
    ProgramProcess(pid_t pid, std::filesystem::path folder)
        : pid_(pid), folder_(std::move(folder)) {}

    pid_t pid_;
    std::filesystem::path folder_;
};

// How often the text occurs in the haystack.
int count(const std::string& haystack, const std::string& text);

} // namespace tolvane::testing
