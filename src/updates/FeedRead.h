#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

namespace tolvane {

// One read of the update feed, which another thread may end before it is
// done: the check's deadline, or the updater going away as the program quits.
class FeedRead {
  public:
    // Ends the read with the reason, fit for a log line: a download under way
    // fails at once, one not started yet fails as it starts. The first reason
    // counts. Any thread.
    void cancel(const std::string& reason);
    // The reason, once cancelled.
    std::optional<std::string> cancellation() const;

    // Runs on a thread of its own beside a request: once the read is
    // cancelled, calls stop until the request has ended. Stopping a client
    // does nothing before its connection is made, so it is repeated.
    void stopWhenCancelled(const std::function<void()>& stop, std::stop_token requestEnded);

  private:
    mutable std::mutex mutex_;
    std::condition_variable_any cancelled_;
    std::optional<std::string> reason_;
};

} // namespace tolvane
