#pragma once

#include "platform/ProcessLauncher.h"
#include "platform/Result.h"

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace tolvane {

// A program whose standard output comes back on a pipe that the caller reads
// when it is readable, as a run loop does; its input and errors go to
// /dev/null. A child still running when the object goes is killed and reaped.
class PipedProcess {
  public:
    // More output than this is not kept: the child's answer is short.
    static constexpr std::size_t maxOutputBytes = 64 * 1024;

    static Result<std::unique_ptr<PipedProcess>> start(const LaunchRequest& request);
    ~PipedProcess();
    PipedProcess(const PipedProcess&) = delete;
    PipedProcess& operator=(const PipedProcess&) = delete;

    // Readable when the child has written or closed its output.
    int outputDescriptor() const { return output_; }
    // Reads what the child has written so far without blocking; true once its
    // output has ended.
    bool readOutput();
    const std::string& output() const { return text_; }
    // The exit status once the child has ended, 128 plus the signal that
    // ended it, -1 when it cannot be waited for; none while it runs. Does not
    // block.
    std::optional<int> exitStatus();
    // Ends the child at once and reaps it.
    void kill();

  private:
    PipedProcess(pid_t pid, int output) : pid_(pid), output_(output) {}

    pid_t pid_;
    int output_;
    std::string text_;
    std::optional<int> status_;
};

} // namespace tolvane
