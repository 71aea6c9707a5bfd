#pragma once

#include "support/ChildProcess.h"
#include "support/TemporaryDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace tolvane::testing {

// The real program on its simulated session as a child process, its home,
// session and log all inside one folder. Waiting on it is bounded: the program
// runs on the real clock.
class ProgramProcess {
  public:
    // HOME and XDG_DATA_HOME are the folder; the log is folder/Tolvane.log,
    // emptied first.
    static ProgramProcess start(const std::filesystem::path& folder);

    pid_t pid() const { return child_.pid(); }
    // True once the program blocks the signal: it has reached main, and the
    // signal will be handled instead of ending it at once.
    bool waitUntilBlocking(int signal) const;
    // True once the log holds the text.
    bool waitForLog(const std::string& text) const;
    void signal(int signal) const { child_.signal(signal); }
    // The exit status, or minus the number of the signal that ended it.
    int waitForExit();
    std::string log() const { return readFile(folder_ / "Tolvane.log"); }

  private:
    ProgramProcess(ChildProcess child, std::filesystem::path folder)
        : child_(std::move(child)), folder_(std::move(folder)) {}

    ChildProcess child_;
    std::filesystem::path folder_;
};

// How often the text occurs in the haystack.
int count(const std::string& haystack, const std::string& text);

} // namespace tolvane::testing
