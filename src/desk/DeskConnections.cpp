#include "desk/DeskConnections.h"

#include "platform/AsciiCase.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <string_view>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolvane {

namespace {

using Clock = DeskConnections::Clock;

constexpr std::size_t workerCount = 16;
constexpr std::size_t mostWaiting = 256;
// The page's requests are far smaller (an action's body is at most 16 KiB); a
// larger one goes to a worker as far as it came, to be refused there.
constexpr std::size_t largestCollected = 32 * 1024;
// After stop, how long requests being answered have before their connections are cut.
constexpr auto answeringGrace = std::chrono::milliseconds(500);

int millisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<std::int64_t>(left + 1, 0, 60'000));
}

void drop(int socket) {
    shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

// The body length the header states; none when it states none that reads as a number.
std::optional<std::size_t> statedLength(std::string_view header) {
    const std::string lower = lowercasedASCII(std::string(header));
    constexpr std::string_view field = "\r\ncontent-length:";
    const std::size_t found = lower.find(field);
    if (found == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t start =
        std::min(lower.find_first_not_of(" \t", found + field.size()), lower.size());
    std::size_t length = 0;
    if (std::from_chars(lower.data() + start, lower.data() + lower.size(), length).ec !=
        std::errc{}) {
        return std::nullopt;
    }
    return length;
}

// Whether the request has arrived whole: its header and the body it states.
bool hasArrived(std::string_view received) {
    const std::size_t headerEnd = received.find("\r\n\r\n");
    if (headerEnd == std::string_view::npos) {
        return false;
    }
    const std::optional<std::size_t> length = statedLength(received.substr(0, headerEnd + 2));
    return !length || received.size() - (headerEnd + 4) >= *length;
}

enum class Progress { waiting, arrived, gone };

// Reads what the connection has sent so far.
Progress receive(int socket, std::string& received) {
    char buffer[4096];
    for (;;) {
        const std::size_t room = std::min(sizeof buffer, largestCollected - received.size());
        const ssize_t got = recv(socket, buffer, room, 0);
        if (got > 0) {
            received.append(buffer, static_cast<std::size_t>(got));
            if (received.size() >= largestCollected) {
                return Progress::arrived;
            }
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return Progress::gone;
        } else {
            // A client may close its side once it has sent the whole request.
            return hasArrived(received) ? Progress::arrived
                                        : (got == 0 ? Progress::gone : Progress::waiting);
        }
    }
}

} // namespace

Result<std::unique_ptr<DeskConnections>> DeskConnections::listen(int port) {
    const std::string where = "127.0.0.1 port " + std::to_string(port);
    const int listening = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listening < 0) {
        return Failure{"cannot make a socket: " + std::string(std::strerror(errno)), errno};
    }
    // An address left in TIME_WAIT by an earlier run may be taken again; a
    // port another socket listens on may not (SO_REUSEPORT would share it).
    const int yes = 1;
    setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listening, SOMAXCONN) != 0 ||
        getsockname(listening, reinterpret_cast<sockaddr*>(&address), &size) != 0 || wake < 0) {
        const int error = errno;
        ::close(listening);
        if (wake >= 0) {
            ::close(wake);
        }
        if (error == EADDRINUSE) {
            return Failure{where + " is in use by another program", error};
        }
        return Failure{"cannot listen on " + where + ": " + std::strerror(error), error};
    }
    return std::unique_ptr<DeskConnections>(
        new DeskConnections(listening, ntohs(address.sin_port), wake));
}

DeskConnections::DeskConnections(int listening, int port, int wake)
    : listening_(listening), port_(port), wake_(wake) {}

DeskConnections::~DeskConnections() {
    stop();
    ::close(wake_);
}

void DeskConnections::start(Serve serve) {
    serve_ = std::move(serve);
    collector_ = std::thread([this] { collect(); });
    for (std::size_t index = 0; index < workerCount; ++index) {
        workers_.emplace_back([this] { work(); });
    }
}

void DeskConnections::collect() {
    std::vector<Waiting> waiting;
    for (;;) {
        std::vector<pollfd> polls{{wake_, POLLIN, 0}, {listening_, POLLIN, 0}};
        Clock::time_point next = Clock::time_point::max();
        for (const Waiting& connection : waiting) {
            polls.push_back({connection.socket, POLLIN, 0});
            next = std::min(next, connection.deadline);
        }
        poll(polls.data(), polls.size(), waiting.empty() ? -1 : millisecondsUntil(next));
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                break;
            }
        }
        const Clock::time_point now = Clock::now();
        for (std::size_t index = 0; index + 2 < polls.size(); ++index) {
            Waiting& connection = waiting[index];
            const Progress progress = polls[index + 2].revents != 0
                                          ? receive(connection.socket, connection.received)
                                          : Progress::waiting;
            if (progress == Progress::arrived) {
                handOver(connection);
            } else if (progress == Progress::gone || connection.deadline <= now) {
                drop(connection.socket);
                connection.socket = -1;
            }
        }
        std::erase_if(waiting, [](const Waiting& connection) { return connection.socket < 0; });
        if (polls[1].revents != 0) {
            acceptAll(waiting);
        }
    }
    for (const Waiting& connection : waiting) {
        drop(connection.socket);
    }
}

void DeskConnections::acceptAll(std::vector<Waiting>& waiting) {
    for (;;) {
        const int socket = accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0) {
            return; // none left, or a failure the next poll tries again
        }
        waiting.push_back(Waiting{socket, {}, Clock::now() + requestPatience});
        if (waiting.size() > mostWaiting) {
            drop(waiting.front().socket);
            waiting.erase(waiting.begin());
        }
    }
}

void DeskConnections::handOver(Waiting& connection) {
    {
        std::lock_guard lock(mutex_);
        arrived_.push_back(
            Arrival{connection.socket, std::move(connection.received), connection.deadline});
    }
    connection.socket = -1;
    changed_.notify_all();
}

void DeskConnections::work() {
    for (;;) {
        Arrival arrival;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !arrived_.empty() || stopping_; });
            if (arrived_.empty()) {
                return;
            }
            arrival = std::move(arrived_.front());
            arrived_.pop_front();
            answering_.insert(arrival.socket);
        }
        serve_(arrival);
        {
            std::lock_guard lock(mutex_);
            answering_.erase(arrival.socket);
        }
        changed_.notify_all();
        drop(arrival.socket);
    }
}

void DeskConnections::stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wake_, &one, sizeof one);
    if (collector_.joinable()) {
        collector_.join();
    }
    ::close(listening_);
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, answeringGrace,
                          [this] { return answering_.empty() && arrived_.empty(); });
        for (int socket : answering_) {
            shutdown(socket, SHUT_RDWR);
        }
        for (const Arrival& arrival : arrived_) {
            drop(arrival.socket);
        }
        arrived_.clear();
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

} // namespace tolvane
