#include "platform/PipedProcess.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolvane {

namespace {

int statusOf(int waitStatus) {
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

} // namespace

Result<std::unique_ptr<PipedProcess>> PipedProcess::start(const LaunchRequest& request) {
    std::array<int, 2> pipeEnds{};
    if (pipe2(pipeEnds.data(), O_CLOEXEC) != 0) {
        return Failure{std::string("no pipe for the child's output: ") + std::strerror(errno),
                       errno};
    }
    const auto [readEnd, writeEnd] = pipeEnds;
    posix_spawn_file_actions_t streams;
    posix_spawn_file_actions_init(&streams);
    posix_spawn_file_actions_addopen(&streams, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&streams, writeEnd, 1);
    posix_spawn_file_actions_addopen(&streams, 2, "/dev/null", O_WRONLY, 0);
    Result<pid_t> child = spawnProcess(request, streams, 0);
    posix_spawn_file_actions_destroy(&streams);
    close(writeEnd);
    if (!child) {
        close(readEnd);
        return child.failure();
    }
    fcntl(readEnd, F_SETFL, fcntl(readEnd, F_GETFL) | O_NONBLOCK);
    return std::unique_ptr<PipedProcess>(new PipedProcess(*child, readEnd));
}

PipedProcess::~PipedProcess() {
    if (!exitStatus()) {
        kill();
    }
    close(output_);
}

bool PipedProcess::readOutput() {
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t count = read(output_, buffer.data(), buffer.size());
        if (count > 0) {
            const auto kept = std::min(static_cast<std::size_t>(count),
                                       maxOutputBytes - std::min(maxOutputBytes, text_.size()));
            text_.append(buffer.data(), kept);
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        // End of output, or nothing more for now (EAGAIN); another error ends it too.
        return count == 0 || errno != EAGAIN;
    }
}

std::optional<int> PipedProcess::exitStatus() {
    if (!status_) {
        int waitStatus = 0;
        const pid_t ended = waitpid(pid_, &waitStatus, WNOHANG);
        if (ended == pid_) {
            status_ = statusOf(waitStatus);
        } else if (ended < 0 && errno != EINTR) {
            status_ = -1; // reaped elsewhere: gone, with no status to tell
        }
    }
    return status_;
}

void PipedProcess::kill() {
    if (status_) {
        return;
    }
    ::kill(pid_, SIGKILL);
    int waitStatus = 0;
    while (waitpid(pid_, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    status_ = statusOf(waitStatus);
}

} // namespace tolvane
