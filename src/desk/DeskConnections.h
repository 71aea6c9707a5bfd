#pragma once

#include "platform/Result.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tolvane {

// The desk's connections on the loopback address. One thread accepts them and
// collects what they send; a connection goes to a worker thread only once its
// request has arrived whole (its header, and its body when it states its
// length). A connection that stays silent, or sends too slowly, is closed at
// its deadline without ever holding a worker, so any local process can
// neither starve the page of threads nor keep the desk from quitting.
class DeskConnections {
  public:
    using Clock = std::chrono::steady_clock;

    // A connection whose request has arrived, for a worker to answer.
    struct Arrival {
        int socket = -1;
        std::string received;       // the request as read so far
        Clock::time_point deadline; // for reading whatever of it is still to come
    };
    // Answers the request; the connection is closed afterwards.
    using Serve = std::function<void(Arrival& arrival)>;

    // From connecting to the whole request.
    static constexpr auto requestPatience = std::chrono::seconds(5);

    // Listens on 127.0.0.1 at the port (0 picks a free one). A port that
    // another program holds is refused, never shared.
    static Result<std::unique_ptr<DeskConnections>> listen(int port);
    ~DeskConnections();
    DeskConnections(const DeskConnections&) = delete;
    DeskConnections& operator=(const DeskConnections&) = delete;

    int port() const { return port_; }
    void start(Serve serve);
    // Stops accepting and closes every connection; requests being answered
    // get a moment to finish first. Waits for the threads.
    void stop();

  private:
    struct Waiting {
        int socket;
        std::string received;
        Clock::time_point deadline;
    };

    DeskConnections(int listening, int port, int wake);
    void collect();
    void acceptAll(std::vector<Waiting>& waiting);
    void handOver(Waiting& connection);
    void work();

    const int listening_;
    const int port_;
    const int wake_;
    Serve serve_;
    std::thread collector_;
    std::vector<std::thread> workers_;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    std::deque<Arrival> arrived_;
    std::set<int> answering_;
};

} // namespace tolvane
