#include "platform/FileIO.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tolvane {

namespace {

Failure systemFailure(const std::string& what, const std::filesystem::path& path, int error) {
    return Failure{what + " " + path.string() + ": " + std::strerror(error), error};
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the error of close itself (a late write error).
    int closeNow() {
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

std::string temporaryPrefix(const std::filesystem::path& path) {
    return "." + path.filename().string() + ".tmp-";
}

// <prefix><writer's process id>-<counter>
std::filesystem::path temporarySibling(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    return path.parent_path() / (temporaryPrefix(path) + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1)));
}

// The process that made a temporary sibling, from what follows the prefix;
// none for a name of any other form.
std::optional<pid_t> temporaryWriter(std::string_view suffix) {
    pid_t writer = 0;
    const char* end = suffix.data() + suffix.size();
    auto [afterWriter, parsed] = std::from_chars(suffix.data(), end, writer);
    if (parsed != std::errc{} || writer <= 0 || afterWriter == end || *afterWriter != '-') {
        return std::nullopt;
    }
    unsigned counter = 0;
    auto [afterCounter, counted] = std::from_chars(afterWriter + 1, end, counter);
    if (counted != std::errc{} || afterCounter != end) {
        return std::nullopt;
    }
    return writer;
}

// A writer killed between creating its temporary file and the rename leaves
// that file behind. Once the writer is gone nobody will finish it: remove it.
void removeAbandonedTemporarySiblings(const std::filesystem::path& path) {
    const std::string prefix = temporaryPrefix(path);
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!name.starts_with(prefix)) {
            continue;
        }
        const std::optional<pid_t> writer =
            temporaryWriter(std::string_view(name).substr(prefix.size()));
        if (writer && *writer != ::getpid() && ::kill(*writer, 0) != 0 && errno == ESRCH) {
            ::unlink(entry->path().c_str());
        }
    }
}

void syncFolder(const std::filesystem::path& folder) {
    Descriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
        // Best effort: the rename is already done, only its durability is at stake.
        ::fsync(fd.get());
    }
}

} // namespace

Result<std::vector<std::uint8_t>> readFileContents(const std::filesystem::path& path,
                                                   std::size_t maxBytes) {
    // Non-blocking, so that opening a named pipe cannot hang the caller.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        return systemFailure("cannot open", path, errno);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        return systemFailure("cannot inspect", path, errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return Failure{"not a regular file: " + path.string(),
                       S_ISDIR(status.st_mode) ? EISDIR : EINVAL};
    }
    auto tooLarge = [&](std::uint64_t size) {
        return Failure{"file too large: " + path.string() + " has " + std::to_string(size) +
                           " bytes, the limit is " + std::to_string(maxBytes),
                       EFBIG};
    };
    if (static_cast<std::uint64_t>(status.st_size) > maxBytes) {
        return tooLarge(static_cast<std::uint64_t>(status.st_size));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    std::size_t used = 0;
    while (true) {
        if (used == bytes.size()) {
            // The file may have grown since fstat; read on, but never past the limit.
            if (used > maxBytes) {
                return tooLarge(used);
            }
            bytes.resize(std::min(maxBytes + 1, std::max<std::size_t>(used * 2, 4096)));
        }
        ssize_t got = ::read(fd.get(), bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemFailure("cannot read", path, errno);
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    if (used > maxBytes) {
        return tooLarge(used);
    }
    bytes.resize(used);
    return bytes;
}

Result<void> atomicWrite(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    if (path.filename().empty()) {
        return Failure{"cannot write to a folder path: " + path.string(), EISDIR};
    }
    removeAbandonedTemporarySiblings(path);
    std::filesystem::path temporary;
    int fdNumber = -1;
    for (int attempt = 0; attempt < 100 && fdNumber < 0; ++attempt) {
        temporary = temporarySibling(path);
        // 0666 before the umask: the permissions any newly created file gets.
        fdNumber = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fdNumber < 0 && errno != EEXIST) {
            return systemFailure("cannot create a temporary file for", path, errno);
        }
    }
    if (fdNumber < 0) {
        return systemFailure("cannot create a temporary file for", path, EEXIST);
    }
    Descriptor fd(fdNumber);
    auto abandon = [&](const std::string& what, int error) {
        ::unlink(temporary.c_str());
        return systemFailure(what, path, error);
    };
    // A file the user made private stays private when it is replaced.
    if (struct stat replaced{}; ::stat(path.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode) &&
                                ::fchmod(fd.get(), replaced.st_mode & 07777) != 0) {
        return abandon("cannot keep the permissions of", errno);
    }

    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t count = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return abandon("cannot write", errno);
        }
        if (count == 0) {
            // No progress and no error: retrying would spin for ever.
            return abandon("cannot write", EIO);
        }
        written += static_cast<std::size_t>(count);
    }
    if (::fsync(fd.get()) != 0) {
        return abandon("cannot flush", errno);
    }
    if (int error = fd.closeNow(); error != 0) {
        return abandon("cannot close", error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return abandon("cannot replace", errno);
    }
    syncFolder(path.parent_path());
    return Result<void>::success();
}

Result<void> removeFileIfPresent(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error && error != std::errc::not_a_directory) {
        return Failure{"cannot remove " + path.string() + ": " + error.message(), error.value()};
    }
    return Result<void>::success();
}

} // namespace tolvane
